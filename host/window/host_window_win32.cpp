// The host window: its layout, its commands, the plug-in it loads and the
// site it serves.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "host/admin/own_commands.h"
#include "host/connect/connection_panel_win32.h"
#include "host/window/host_app.h"
#include "host/connect/site_login_win32.h"
#include "host/history/history_window_win32.h"
#include "host/session/transcript_mask.h"
#include "host/sites/wide_text_win32.h"
#include "host/window/host_admin_win32.h"
#include "host/window/transcript_pane_win32.h"
#include "host/window/waiting_mode_win32.h"

HostApp app;

namespace {

constexpr UINT WM_FOCUS_PAGE = WM_APP + 1;

// The layout in pixels at 96 DPI, scaled to the window's DPI.
constexpr int margin = 8;
constexpr int leftWidth = 172;
constexpr int transcriptWidth = 640;
constexpr int releaseGroupHeight = 112;
constexpr DWORD mainStyle = WS_OVERLAPPEDWINDOW;

enum HostControlId {
    ID_PAGE_LIST = 100,
    ID_SWHO_CHECK,
    ID_CONNECTED_CHECK,
    ID_NOTE,
    ID_DIRECTORY,
    ID_NUKE,
    ID_UNNUKE,
    ID_RESULT,
    ID_TRANSCRIPT,
    ID_CONNECTION_TEXT,
    ID_CONNECT,
    ID_DISCONNECT,
    ID_RECONNECT,
    ID_STATUS,
    ID_SIMULATED,
    ID_PAGES_LABEL,
    ID_SWITCHES_GROUP,
    ID_NOTES_GROUP,
    ID_CONNECTION_GROUP,
    ID_RELEASE_GROUP,
    ID_DIRECTORY_LABEL,
};

constexpr UINT_PTR idleTimer = 1;

const char* const pageNames[] = {
    "1  Add user", "2  Edit user", "3  Statistics", "4  User commands",
    "5  Site commands", "6  Groups", "7  Online users",
};
constexpr int pluginPageCount = 7;
// After the plug-in's pages: a heading, then the host's own pages in the
// order of AdminPage.
const char* const hostPagesHeading = "Host pages (glftpd 2.x):";
const char* const hostPageNames[] = {
    "    Group settings", "    Accounts", "    One change for many", "    Own commands", "    Online now", "    Top lists", "    History",
};

// The largest page template, in dialog units.
constexpr int largestPageWidthDlu = 380;
constexpr int largestPageHeightDlu = 259;

// The page area's client size: the largest page at the window's DPI.
SIZE pageAreaSize;

// The window's DPI: GetDpiForWindow where the system has it (Windows 10
// 1607 and later; looked up, so that the host still starts on older
// systems), else the system's.
UINT dpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const DpiForWindow dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = dpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// Pixels at the window's DPI of a length at 96 DPI.
int scaled(int pixelsAt96) { return MulDiv(pixelsAt96, static_cast<int>(app.dpi), 96); }

// The outer size of a window of these styles whose client area is `client`,
// at the window's DPI.
SIZE frameAround(SIZE client, DWORD style, DWORD exStyle) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const AdjustForDpi adjustForDpi = reinterpret_cast<AdjustForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    RECT frame{0, 0, client.cx, client.cy};
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, app.dpi)) {
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// Pixels of the page templates' dialog units, as the dialog manager computes
// them for their font: average character width and height of 8 point
// "MS Sans Serif".
SIZE dialogUnitsToPixels(int widthDlu, int heightDlu, HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE extent{};
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32A(dc, alphabet, 52, &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int baseX = (extent.cx / 26 + 1) / 2;
    const int baseY = metrics.tmHeight;
    return SIZE{MulDiv(widthDlu, baseX, 4), MulDiv(heightDlu, baseY, 8)};
}

// A control of the main window; placeControls() gives it its place.
HWND addControl(const char* className, const char* text, DWORD style, int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, app.main,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(app.dialogFont), TRUE);
    return control;
}

void place(int id, int x, int y, int width, int height) {
    MoveWindow(GetDlgItem(app.main, id), x, y, width, height, TRUE);
}

// The account the Add user page added last: the name after the newest
// "SITE ADDUSER" (or "SITE GADDUSER <group>") of the transcript; empty when
// none is there.
std::string lastAddedAccount() {
    const std::deque<std::string>& lines = app.session->transcript();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        std::vector<std::string> words;
        for (std::size_t at = 0; at < line->size() && words.size() < 5;) {
            const std::size_t end = std::min(line->find(' ', at), line->size());
            if (end > at) {
                words.push_back(line->substr(at, end - at));
            }
            at = end + 1;
        }
        if (words.size() >= 4 && words[0] == ">" && words[1] == "SITE" && words[2] == "ADDUSER") {
            return words[3];
        }
        if (words.size() >= 5 && words[0] == ">" && words[1] == "SITE" && words[2] == "GADDUSER") {
            return words[4];
        }
    }
    return "";
}

void noteUserAdded() {
    ++app.usersAdded;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char time[16];
    wsprintfA(time, "%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
    const std::string name = lastAddedAccount();
    const std::string note = "The Add user page added " + (name.empty() ? std::string("an account") : name) +
                             " at " + time + ".\r\nAccounts added since the host started: " +
                             std::to_string(app.usersAdded) + ".";
    wide_text::setWindowText(app.noteText, note);
}

// The panel, the title and the simulated site's switches, for the site
// served now.
void showServedSite(const std::string& detail = "") {
    simsite::SimulatedSite* simulation = app.served->simulation();
    const std::string said = simulation != nullptr && detail.empty() && !app.session->connected
                                 ? "Simulated site " + simulation->siteName() +
                                       ": Connected is off, so every command fails as on a lost connection."
                                 : detail;
    connection_panel::showState(*app.served, said, !app.liveOptions.host.empty());
    const int show = simulation != nullptr ? SW_SHOW : SW_HIDE;
    ShowWindow(app.switchesGroup, show);
    ShowWindow(app.connectedCheck, show);
    ShowWindow(app.swhoCheck, show);
    SendMessageA(app.connectedCheck, BM_SETCHECK, app.session->connected ? BST_CHECKED : BST_UNCHECKED, 0);
}

// After an exchange: a connection that was open and is gone.
void noteIfConnectionLost(bool wasOpen) {
    if (wasOpen && !app.served->isOpen()) {
        showServedSite("Disconnected: the connection was lost (see the transcript). Nothing is sent again on its "
                       "own: Reconnect when ready.");
    }
}

// The idle work once a second, and the keep-alive exactly when it is due.
void scheduleIdleWork() {
    SetTimer(app.main, idleTimer, static_cast<UINT>(app.served->msUntilIdleWork()), nullptr);
}

void doIdleWork() {
    if (!waiting_mode::active()) {
        history_window::flush();
    }
    if (!waiting_mode::active() && app.served->isOpen()) {
        std::string failure;
        if (!app.served->idle(failure)) {
            showServedSite("Disconnected: " + failure);
        }
    }
    scheduleIdleWork();
}

void connectInteractively(bool ask, const char* title) {
    if (ask && !connection_panel::askConnectOptions(app.instance, app.main, app.liveOptions, app.savedSite)) {
        return;
    }
    std::string failure;
    if (!connectLive(true, failure)) {
        wide_text::messageBox(app.main, failure, title, MB_ICONERROR | MB_OK);
    }
}

void onCommand(int id, int code) {
    if (id == ID_PAGE_LIST && code == LBN_SELCHANGE) {
        const LRESULT index = SendMessageA(app.pageList, LB_GETCURSEL, 0, 0);
        if (index >= 0 && index < pluginPageCount) {
            showPage(static_cast<std::int32_t>(index) + 1);
        } else if (index == pluginPageCount) {
            // The heading: the page beyond it, coming from either side.
            if (host_admin::shownPageNumber() == 1) {
                showPage(pluginPageCount);
            } else {
                host_admin::showPage(AdminPage::Groups);
            }
        } else if (index > pluginPageCount) {
            host_admin::showPage(static_cast<AdminPage>(index - pluginPageCount));
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    simsite::SimulatedSite* simulation = app.served->simulation();
    switch (id) {
    case ID_NUKE:
    case ID_UNNUKE:
        runReleaseDialog(id == ID_NUKE);
        break;
    case ID_SWHO_CHECK:
        if (simulation != nullptr) {
            simulation->setSwhoAllowed(SendMessageA(app.swhoCheck, BM_GETCHECK, 0, 0) == BST_CHECKED);
        }
        break;
    case ID_CONNECTED_CHECK:
        app.session->connected = SendMessageA(app.connectedCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
        showServedSite();
        break;
    case ID_CONNECT:
        connectInteractively(true, "Connect");
        break;
    case ID_RECONNECT:
        connectInteractively(false, "Reconnect");
        break;
    case ID_DISCONNECT:
        app.served->close();
        showServedSite("Disconnected by the operator.");
        break;
    case ID_SIMULATED:
        serveSite(makeSimulatedSite(app.simulatedSettings));
        break;
    default:
        break;
    }
}

LRESULT CALLBACK pageAreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The page sends its notifications to its own dialog procedure; nothing
    // reaches this frame but painting.
    return DefWindowProcA(window, message, wParam, lParam);
}

SIZE outerSize(HWND child, SIZE client) {
    return frameAround(client, static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)),
                       static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)));
}

// The left column: pages, the simulated site's switches, notes, the
// connection panel and the status line. Returns its bottom.
int placeLeftColumn() {
    const int x = scaled(margin);
    const int width = scaled(leftWidth);
    const int inset = scaled(8);
    const int innerWidth = width - 2 * inset;
    int top = scaled(margin);
    place(ID_PAGES_LABEL, x, top, width, scaled(16));
    top += scaled(18);
    // Every page in sight, however tall the font's rows are at this DPI.
    const int rows = static_cast<int>(SendMessageA(app.pageList, LB_GETCOUNT, 0, 0));
    const int rowHeight = static_cast<int>(SendMessageA(app.pageList, LB_GETITEMHEIGHT, 0, 0));
    const int listHeight =
        std::max(scaled(7 * 16 + 6), static_cast<int>(outerSize(app.pageList, SIZE{0, rows * rowHeight}).cy));
    place(ID_PAGE_LIST, x, top, width, listHeight);
    top += listHeight + scaled(margin);

    place(ID_SWITCHES_GROUP, x, top, width, scaled(72));
    place(ID_CONNECTED_CHECK, x + inset, top + scaled(20), innerWidth, scaled(20));
    place(ID_SWHO_CHECK, x + inset, top + scaled(44), innerWidth, scaled(20));
    top += scaled(72) + scaled(margin);

    place(ID_NOTES_GROUP, x, top, width, scaled(96));
    place(ID_NOTE, x + inset, top + scaled(18), innerWidth, scaled(70));
    top += scaled(96) + scaled(margin);

    place(ID_CONNECTION_GROUP, x, top, width, scaled(140));
    place(ID_CONNECTION_TEXT, x + inset, top + scaled(18), innerWidth, scaled(60));
    const int gap = scaled(6);
    const int buttonWidth = (innerWidth - gap) / 2;
    const int secondColumn = x + inset + buttonWidth + gap;
    place(ID_CONNECT, x + inset, top + scaled(82), buttonWidth, scaled(24));
    place(ID_DISCONNECT, secondColumn, top + scaled(82), buttonWidth, scaled(24));
    place(ID_RECONNECT, x + inset, top + scaled(110), buttonWidth, scaled(24));
    place(ID_SIMULATED, secondColumn, top + scaled(110), buttonWidth, scaled(24));
    top += scaled(140) + scaled(6);

    place(ID_STATUS, x, top, width, scaled(32));
    return top + scaled(32);
}

// The release group under the page area: the directory, Nuke and Unnuke.
// Returns its bottom.
int placeReleaseGroup(int x, int top, int width) {
    place(ID_RELEASE_GROUP, x, top, width, scaled(releaseGroupHeight));
    place(ID_DIRECTORY_LABEL, x + scaled(10), top + scaled(24), scaled(60), scaled(16));
    place(ID_DIRECTORY, x + scaled(72), top + scaled(20), width - scaled(72) - scaled(180), scaled(22));
    place(ID_NUKE, x + width - scaled(170), top + scaled(19), scaled(76), scaled(24));
    place(ID_UNNUKE, x + width - scaled(88), top + scaled(19), scaled(76), scaled(24));
    place(ID_RESULT, x + scaled(10), top + scaled(50), width - scaled(20), scaled(56));
    return top + scaled(releaseGroupHeight);
}

int transcriptLeft() {
    RECT area{};
    GetWindowRect(app.pageArea, &area);
    MapWindowPoints(nullptr, app.main, reinterpret_cast<POINT*>(&area), 2);
    return area.right + scaled(4);
}

// The transcript takes what the window has to the right of the page area.
void placeTranscript() {
    RECT client{};
    GetClientRect(app.main, &client);
    const int x = transcriptLeft();
    const int top = scaled(margin);
    const int width = client.right - x - scaled(margin);
    const int height = client.bottom - 2 * top;
    if (app.transcript != nullptr && width > 50 && height > 50) {
        MoveWindow(app.transcript, x, top, width, height, TRUE);
    }
}

// Places every control for the window's DPI; returns the client size that
// shows all of them with the transcript at its usual width.
SIZE placeControls() {
    const int columnBottom = placeLeftColumn();
    const int areaX = scaled(leftWidth) + 2 * scaled(margin);
    const SIZE area = outerSize(app.pageArea, pageAreaSize);
    MoveWindow(app.pageArea, areaX, scaled(margin), area.cx, area.cy, TRUE);
    const int releaseBottom = placeReleaseGroup(areaX, scaled(margin) + area.cy + scaled(margin), area.cx);
    placeTranscript();
    return SIZE{areaX + area.cx + scaled(margin) + scaled(transcriptWidth) + scaled(margin),
                std::max(columnBottom, releaseBottom) + scaled(margin)};
}

void useDpi(UINT dpi, const RECT& suggested);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (!waiting_mode::handleCommand(LOWORD(wParam), HIWORD(wParam))) {
            onCommand(LOWORD(wParam), HIWORD(wParam));
        }
        return 0;
    case WM_TIMER:
        if (wParam == idleTimer) {
            doIdleWork();
        }
        return 0;
    case WM_SETCURSOR:
        if (waiting_mode::active()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_FOCUS_PAGE:
        if (host_admin::shownPage() == nullptr && app.currentPage != nullptr && IsWindow(app.currentPage)) {
            SendMessageA(app.currentPage, WM_PAGE_FOCUS, 0, 0);
        }
        return 0;
    case WM_ENTERIDLE:
        // The nuke dialog's modal loop has nothing to do: the tour's turn.
        if (wParam == MSGF_DIALOGBOX && app.modalScript) {
            std::function<void(HWND)> script = std::move(app.modalScript);
            app.modalScript = nullptr;
            script(reinterpret_cast<HWND>(lParam));
        }
        return 0;
    case WM_SIZE:
        placeTranscript();
        return 0;
    case WM_DPICHANGED:
        useDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        // While a reply is awaited: cancelled, and closed once that is over.
        if (!waiting_mode::deferClose()) {
            closeHost();
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The main window is a Unicode one: its title names a saved site as typed.
bool registerClasses() {
    WNDCLASSW mainClass{};
    mainClass.lpfnWndProc = mainWindowProc;
    mainClass.hInstance = app.instance;
    mainClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.lpszClassName = L"QuorinHostWindow";
    WNDCLASSA areaClass{};
    areaClass.lpfnWndProc = pageAreaProc;
    areaClass.hInstance = app.instance;
    areaClass.hCursor = mainClass.hCursor;
    areaClass.hbrBackground = mainClass.hbrBackground;
    areaClass.lpszClassName = "QuorinPageArea";
    return RegisterClassW(&mainClass) != 0 && RegisterClassA(&areaClass) != 0;
}

// The log's lines start at the pane's edge, without the margins an edit
// takes from its font.
void useTranscriptFont() {
    SendMessageA(app.transcript, WM_SETFONT, reinterpret_cast<WPARAM>(app.fixedFont), TRUE);
    SendMessageA(app.transcript, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

// The fonts for the window's DPI; the ones they replace go once no control
// holds them.
void useFontsForDpi() {
    HFONT oldDialogFont = app.dialogFont;
    HFONT oldFixedFont = app.fixedFont;
    app.dialogFont = CreateFontA(-MulDiv(8, static_cast<int>(app.dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    app.fixedFont = CreateFontA(-MulDiv(9, static_cast<int>(app.dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, "Courier New");
    pageAreaSize = dialogUnitsToPixels(largestPageWidthDlu, largestPageHeightDlu, app.dialogFont);
    if (app.main != nullptr) {
        for (HWND child = GetWindow(app.main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (child != app.transcript) {
                SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(app.dialogFont), FALSE);
            }
        }
        if (app.transcript != nullptr) {
            useTranscriptFont();
        }
    }
    if (oldDialogFont != nullptr) {
        DeleteObject(oldDialogFont);
    }
    if (oldFixedFont != nullptr) {
        DeleteObject(oldFixedFont);
    }
}

void createLeftColumn() {
    addControl("STATIC", "&Pages", SS_LEFT, ID_PAGES_LABEL);
    app.pageList = addControl("LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_TABSTOP | WS_VSCROLL,
                              ID_PAGE_LIST);
    for (const char* name : pageNames) {
        SendMessageA(app.pageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageA(app.pageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(hostPagesHeading));
    for (const char* name : hostPageNames) {
        SendMessageA(app.pageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    app.switchesGroup = addControl("BUTTON", "Simulated site", BS_GROUPBOX, ID_SWITCHES_GROUP);
    app.connectedCheck = addControl("BUTTON", "&Connected", BS_AUTOCHECKBOX | WS_TABSTOP, ID_CONNECTED_CHECK);
    app.swhoCheck = addControl("BUTTON", "Site allows &SWHO", BS_AUTOCHECKBOX | WS_TABSTOP, ID_SWHO_CHECK);
    SendMessageA(app.swhoCheck, BM_SETCHECK, BST_CHECKED, 0);
    addControl("BUTTON", "Notes", BS_GROUPBOX, ID_NOTES_GROUP);
    app.noteText = addControl("STATIC", "No account added with the Add user page yet.", SS_LEFT, ID_NOTE);
    addControl("BUTTON", "Connection", BS_GROUPBOX, ID_CONNECTION_GROUP);
    connection_panel::Controls panel;
    panel.main = app.main;
    // Unicode too: the text names the saved site.
    panel.stateText = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                                      app.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_CONNECTION_TEXT)),
                                      app.instance, nullptr);
    SendMessageW(panel.stateText, WM_SETFONT, reinterpret_cast<WPARAM>(app.dialogFont), TRUE);
    panel.connectButton = addControl("BUTTON", "C&onnect...", BS_PUSHBUTTON | WS_TABSTOP, ID_CONNECT);
    panel.disconnectButton = addControl("BUTTON", "D&isconnect", BS_PUSHBUTTON | WS_TABSTOP, ID_DISCONNECT);
    panel.reconnectButton = addControl("BUTTON", "&Reconnect", BS_PUSHBUTTON | WS_TABSTOP, ID_RECONNECT);
    panel.simulatedButton = addControl("BUTTON", "Si&mulated", BS_PUSHBUTTON | WS_TABSTOP, ID_SIMULATED);
    connection_panel::attach(panel);
    HWND status = addControl("STATIC", "Ready.", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_STATUS);
    waiting_mode::attach(status);
}

void createReleaseGroup() {
    addControl("BUTTON", "Release (nuke / unnuke through the plug-in's dialog)", BS_GROUPBOX, ID_RELEASE_GROUP);
    addControl("STATIC", "&Directory", SS_LEFT, ID_DIRECTORY_LABEL);
    app.directoryEdit = addControl("EDIT", "Some.Release-GRP", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, ID_DIRECTORY,
                                   WS_EX_CLIENTEDGE);
    addControl("BUTTON", "&Nuke...", BS_PUSHBUTTON | WS_TABSTOP, ID_NUKE);
    addControl("BUTTON", "&Unnuke...", BS_PUSHBUTTON | WS_TABSTOP, ID_UNNUKE);
    app.releaseResult =
        addControl("STATIC", "Type a release directory and press Nuke or Unnuke.", SS_LEFT, ID_RESULT);
}

// Another DPI (the window went to a monitor of another scale): the fonts,
// the places and the page area anew, in the place the system suggests.
void useDpi(UINT dpi, const RECT& suggested) {
    app.dpi = dpi;
    useFontsForDpi();
    placeControls();
    SetWindowPos(app.main, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(app.main, nullptr, TRUE);
}

// Where each request of the plug-in leaves the host: the session, over the
// site served now.
void wireSession() {
    app.session->onTranscriptLine = transcript_pane::append;
    app.session->onShowPage = [](std::int32_t pageId) { showPage(pageId); };
    app.session->onUserAdded = noteUserAdded;
    history_window::attach(*app.session);
}

}  // namespace

std::int32_t HOST_CDECL hostCallback(HostRequest* request) {
    if (!app.session) {
        return 0;
    }
    if (request == nullptr || request->action != ACTION_SEND_COMMAND) {
        return app.session->handle(request);
    }
    if (waiting_mode::active()) {
        // A page's message dispatched while the operator is asked something
        // during a wait: the request in flight comes first.
        app.session->note("   not sent: " + session::maskSecrets(request->command != nullptr ? request->command : "") +
                          "   (the host is still waiting for another reply)");
        return 0;
    }
    const bool wasOpen = app.served->isOpen();
    waiting_mode::begin();
    const std::int32_t result = app.session->handle(request);
    waiting_mode::end();
    noteIfConnectionLost(wasOpen);
    return result;
}

bool loadPlugin(std::string& error) { return app.plugin.load("quorin_glftpd_1_24.dll", error); }

bool createMainWindow(int showCommand) {
    // The list view and up-down classes the plug-in's templates name.
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    if (!app.served) {
        app.served = makeSimulatedSite(app.simulatedSettings);
    }
    app.session.reset(new session::HostSession(app.served->link()));
    wireSession();
    if (!registerClasses()) {
        return false;
    }
    // No WS_CLIPCHILDREN: the group boxes are transparent and need the
    // window's own background painted under them.
    app.main = CreateWindowExW(WS_EX_CONTROLPARENT, L"QuorinHostWindow", L"" QUORIN_HOST_TITLE, mainStyle, 0, 0, 0,
                               0, nullptr, nullptr, app.instance, nullptr);
    if (app.main == nullptr) {
        return false;
    }
    app.dpi = dpiOf(app.main);
    useFontsForDpi();
    createLeftColumn();
    app.pageArea = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, "QuorinPageArea", "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, app.main, nullptr,
                                   app.instance, nullptr);
    createReleaseGroup();
    // A Unicode edit: the transcript shows a server's text in its own script.
    app.transcript = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                     WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                         ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                                     0, 0, 0, 0, app.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_TRANSCRIPT)),
                                     app.instance, nullptr);
    useTranscriptFont();
    const SIZE frame = frameAround(placeControls(), mainStyle, WS_EX_CONTROLPARENT);
    SetWindowPos(app.main, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    transcript_pane::attach(app.transcript);
    transcript_pane::append("Quorin reference host: the plug-in's requests (>) and the site's replies (<).");
    transcript_pane::append("Site: " + app.served->stateText());
    showServedSite();
    scheduleIdleWork();

    ShowWindow(app.main, showCommand);
    UpdateWindow(app.main);
    return true;
}

void showPage(std::int32_t pageId) {
    if (app.plugin.initDialog == nullptr) {
        return;
    }
    host_admin::hidePages();
    app.currentPage = app.plugin.initDialog(pageId, app.pageArea, hostCallback);
    app.currentPageId = pageId;
    if (app.currentPage != nullptr) {
        // The plug-in's page again after a host page hid it.
        ShowWindow(app.currentPage, SW_SHOW);
    }
    if (pageId >= 1 && pageId <= 7 &&
        SendMessageA(app.pageList, LB_GETCURSEL, 0, 0) != static_cast<LRESULT>(pageId - 1)) {
        SendMessageA(app.pageList, LB_SETCURSEL, static_cast<WPARAM>(pageId - 1), 0);
    }
    if (app.currentPage != nullptr) {
        // Posted: a switch asked for by a page (ACTION_SHOW_PAGE) arrives
        // inside that page's own dialog procedure.
        PostMessageA(app.main, WM_FOCUS_PAGE, 0, 0);
    }
}

void runReleaseDialog(bool isNuke) {
    if (app.plugin.dialogNuke == nullptr) {
        return;
    }
    const history_window::SentFrom from(isNuke ? "Nuke dialog" : "Unnuke dialog");
    // The plug-in may rewrite the directory in place (an unnuke strips the
    // nuke word), so it gets a writable buffer of its own.
    std::vector<char> directory(1024, '\0');
    GetWindowTextA(app.directoryEdit, directory.data(), static_cast<int>(directory.size()) - 1);
    const std::string given = directory.data();
    char reason[256] = {};
    const std::int32_t result = app.plugin.dialogNuke(app.main, isNuke ? 1 : 0, directory.data(), reason);
    directory.back() = '\0';
    reason[255] = '\0';
    const std::string rewritten = directory.data();

    const std::string action = isNuke ? "Nuke" : "Unnuke";
    if (result < 0) {
        SetWindowTextA(app.releaseResult, (action + " of \"" + given + "\" cancelled: nothing was sent.").c_str());
        return;
    }
    std::string text = action + " of \"" + rewritten + "\"";
    if (rewritten != given) {
        text += " (the dialog took it from \"" + given + "\")";
    }
    if (isNuke) {
        text += ", multiplier " + std::to_string(result);
    }
    text += ", reason \"" + std::string(reason) + "\".";
    const std::string command = isNuke ? "SITE NUKE " + rewritten + " " + std::to_string(result) + " " + reason
                                       : "SITE UNNUKE " + rewritten + " " + reason;
    text += "\r\nCommand: " + command;
    simsite::Reply reply;
    const bool wasOpen = app.served->isOpen();
    waiting_mode::begin();
    const bool answered = app.session->sendOwnCommand(command, reply);
    waiting_mode::end();
    if (answered && !reply.lines.empty()) {
        text += "\r\nThe site answered: " + admin::shownReplyLine(reply.lines.back());
    } else {
        text += "\r\nNot sent, or no whole reply came: see the transcript.";
    }
    noteIfConnectionLost(wasOpen);
    wide_text::setWindowText(app.releaseResult, text);

    const std::string nukedName = isNuke ? app.served->nameAfterNuke(rewritten) : rewritten;
    if (!nukedName.empty()) {
        SetWindowTextA(app.directoryEdit, nukedName.c_str());
    }
}

void closeHost() {
    history_window::flush();
    // Let the plug-in destroy its page itself (it keeps the page's state),
    // before the host's windows go.
    if (app.plugin.initDialog != nullptr) {
        app.plugin.initDialog(0, app.pageArea, hostCallback);
        app.currentPage = nullptr;
    }
    if (app.main != nullptr) {
        DestroyWindow(app.main);
        app.main = nullptr;
    }
}

void pumpMessages() {
    MSG message;
    for (int round = 0; round < 2000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void serveSite(std::unique_ptr<ServedSite> site, const std::string& detail) {
    // The plug-in reads the site's groups and users once per load: a fresh
    // load, so that no name of the site shown before stays in its lists.
    const std::int32_t pageId = app.currentPageId > 0 ? app.currentPageId : 1;
    // The host pages read the site before: they start afresh, sending nothing.
    const int hostPage = host_admin::shownPageNumber();
    history_window::flush();
    host_admin::destroyPages();
    if (app.plugin.initDialog != nullptr) {
        app.plugin.initDialog(0, app.pageArea, hostCallback);
    }
    app.currentPage = nullptr;
    app.plugin.unload();
    app.session->useSite(site->link());
    app.session->connected = true;
    app.served = std::move(site);
    showServedSite(detail);
    scheduleIdleWork();
    std::string loadError;
    if (!loadPlugin(loadError)) {
        app.session->note("!! " + loadError);
        showServedSite(loadError);
        return;
    }
    showPage(pageId);
    if (hostPage > 0) {
        host_admin::showPage(static_cast<AdminPage>(hostPage));
    }
}

bool sendHostCommand(const std::string& command, session::Reply& reply) {
    const bool wasOpen = app.served->isOpen();
    waiting_mode::begin();
    const bool answered = app.session->sendOwnCommand(command, reply);
    waiting_mode::end();
    noteIfConnectionLost(wasOpen);
    return answered;
}

bool connectLive(bool interactive, std::string& failure) {
    if (!app.liveOptions.fingerprint.empty() && !app.liveOptions.requireTls) {
        failure = "A pinned certificate fingerprint needs TLS: nothing was sent.";
        app.session->note("!! not connected: " + failure);
        return false;
    }
    // A connection served so far is closed before another opens.
    app.served->close();
    showServedSite("Connecting to " + app.liveOptions.host + "...");
    LoginContext login{app.main, app.liveOptions, app.savedSite, app.keepAliveMs,
                       [](const std::string& line) { app.session->note(line); }, waiting_mode::begin, waiting_mode::end,
                       waiting_mode::showProgress};
    std::unique_ptr<ServedSite> site = logInToLiveSite(login, interactive, failure);
    const bool opened = site->isOpen();
    serveSite(std::move(site), opened ? "" : "Not connected: " + failure);
    return opened;
}
