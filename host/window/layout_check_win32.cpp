#include "host/window/layout_check_win32.h"

#include <algorithm>
#include <cctype>

namespace layout_check {

namespace {

struct Control {
    HWND window;
    RECT rect;  // in the parent's client coordinates
    std::string className;
    std::string text;
    DWORD style;
};

std::string textOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string lowerClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    std::string lower = name;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string nameOf(const Control& control) {
    std::string text = control.text.substr(0, 48);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return control.className + " \"" + text + (control.text.size() > 48 ? "...\"" : "\"");
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

bool isGroupBox(const Control& control) {
    return control.className == "button" && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool isCheckOrRadio(DWORD style) {
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

// A device context of the control with its font selected, to measure text
// as the control draws it.
class ControlText {
public:
    explicit ControlText(HWND control) : control_(control), dc_(GetDC(control)) {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
        old_ = SelectObject(dc_, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    }
    ControlText(const ControlText&) = delete;
    ControlText& operator=(const ControlText&) = delete;
    ~ControlText() {
        SelectObject(dc_, old_);
        ReleaseDC(control_, dc_);
    }

    // On one line; '&' marks the mnemonic unless `noPrefix`.
    SIZE line(const std::string& text, bool noPrefix = false) const {
        RECT box{0, 0, 0, 0};
        DrawTextA(dc_, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
        return SIZE{box.right, box.bottom};
    }
    // Broken into lines at `width` as a static breaks it; wider than `width`
    // when a word is.
    SIZE wrapped(const std::string& text, int width, bool noPrefix) const {
        RECT box{0, 0, width, 0};
        DrawTextA(dc_, text.c_str(), -1, &box,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
        return SIZE{box.right, box.bottom};
    }
    int scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, GetDeviceCaps(dc_, LOGPIXELSX), 96); }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ old_;
};

// What the control's text needs beyond its client area, or empty.
std::string textProblem(const Control& control) {
    RECT client{};
    GetClientRect(control.window, &client);
    const ControlText measure(control.window);
    SIZE needed{0, 0};
    if (control.className == "listbox") {
        const int rows = static_cast<int>(SendMessageA(control.window, LB_GETCOUNT, 0, 0));
        const int rowHeight = static_cast<int>(SendMessageA(control.window, LB_GETITEMHEIGHT, 0, 0));
        needed.cy = rows * rowHeight;
        for (int row = 0; row < rows; ++row) {
            std::string item(static_cast<std::size_t>(SendMessageA(control.window, LB_GETTEXTLEN, row, 0)) + 1, '\0');
            SendMessageA(control.window, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&item[0]));
            item.resize(item.size() - 1);
            const SIZE text = measure.line(item, true);
            needed.cx = std::max(needed.cx, text.cx + 2);
        }
        if (needed.cy > client.bottom) {
            return nameOf(control) + ": " + std::to_string(rows) + " rows need a height of " +
                   std::to_string(needed.cy) + ", it shows " + std::to_string(client.bottom);
        }
    } else if (control.text.empty()) {
        return "";
    } else if (control.className == "static") {
        const DWORD kind = control.style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) {
            return "";
        }
        const bool noPrefix = (control.style & SS_NOPREFIX) != 0;
        needed = kind == SS_LEFTNOWORDWRAP ? measure.line(control.text, noPrefix)
                                           : measure.wrapped(control.text, client.right, noPrefix);
    } else if (control.className == "button") {
        const SIZE text = measure.line(control.text);
        if (isGroupBox(control)) {
            // The caption sits in the frame's top line, inset on both sides.
            needed = SIZE{text.cx + 2 * measure.scaled(8), text.cy};
        } else if (isCheckOrRadio(control.style)) {
            const int box = measure.scaled(12) + 1;
            needed = SIZE{box + measure.scaled(4) + text.cx, std::max(static_cast<int>(text.cy), box)};
        } else {
            const int edgeX = GetSystemMetrics(SM_CXEDGE) + 1;
            const int edgeY = GetSystemMetrics(SM_CYEDGE);
            needed = SIZE{text.cx + 2 * edgeX, text.cy + 2 * edgeY};
        }
    } else if (control.className == "edit" && (control.style & ES_MULTILINE) == 0) {
        const LRESULT margins = SendMessageA(control.window, EM_GETMARGINS, 0, 0);
        const SIZE text = measure.line(control.text, true);
        needed = SIZE{text.cx + LOWORD(margins) + HIWORD(margins), text.cy};
    } else {
        return "";
    }
    if (needed.cx > client.right || needed.cy > client.bottom) {
        return nameOf(control) + " is " + sizeText(client.right, client.bottom) + ", its text needs " +
               sizeText(needed.cx, needed.cy);
    }
    return "";
}

bool contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Two controls that share pixels: a fault, unless one is a group box that
// holds the other below its caption.
std::string overlapProblem(const Control& first, const Control& second) {
    RECT shared{};
    if (!IntersectRect(&shared, &first.rect, &second.rect)) {
        return "";
    }
    for (const Control* group : {&first, &second}) {
        const Control& inside = group == &first ? second : first;
        if (!isGroupBox(*group) || !contains(group->rect, inside.rect)) {
            continue;
        }
        const int captionBottom =
            group->rect.top + (group->text.empty() ? 0 : ControlText(group->window).line(group->text).cy);
        if (inside.rect.top < captionBottom) {
            return nameOf(inside) + " runs into the caption of " + nameOf(*group);
        }
        return "";
    }
    return nameOf(first) + " overlaps " + nameOf(second);
}

}  // namespace

std::vector<std::string> problemsOf(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    std::vector<Control> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        // The style, not IsWindowVisible: a dialog is checked before it shows.
        if ((style & WS_VISIBLE) == 0) {
            continue;
        }
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        controls.push_back(Control{child, rect, lowerClassName(child), textOf(child), style});
    }
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        if (!contains(client, control.rect)) {
            problems.push_back(nameOf(control) + " leaves the client area (" + sizeText(client.right, client.bottom) +
                               ") at " + std::to_string(control.rect.right) + "," +
                               std::to_string(control.rect.bottom));
        }
        std::string text = textProblem(control);
        if (!text.empty()) {
            problems.push_back(text);
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            std::string overlap = overlapProblem(control, controls[j]);
            if (!overlap.empty()) {
                problems.push_back(overlap);
            }
        }
    }
    return problems;
}

}  // namespace layout_check
