// The layout check on windows laid out right, and wrong on purpose.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/window/layout_check_win32.h"

namespace {

struct Child {
    const char* className;
    const char* text;  // a list box's rows, one a line
    DWORD style;
    RECT rect;
};

struct LayoutCase {
    const char* what;
    std::vector<Child> children;
    const char* fault;  // words of the first fault; null: none
};

constexpr DWORD visible = WS_VISIBLE;

const LayoutCase cases[] = {
    {"controls that fit, one in a group box",
     {{"BUTTON", "OK", visible | BS_PUSHBUTTON, {10, 10, 110, 40}},
      {"BUTTON", "&Remember", visible | BS_AUTOCHECKBOX, {10, 50, 200, 72}},
      {"STATIC", "Two words", visible | SS_LEFT, {10, 80, 200, 104}},
      {"LISTBOX", "one\ntwo", visible | LBS_NOINTEGRALHEIGHT, {210, 10, 390, 110}},
      {"BUTTON", "Group", visible | BS_GROUPBOX, {0, 120, 300, 290}},
      {"BUTTON", "Inside", visible | BS_AUTOCHECKBOX, {10, 150, 200, 172}}},
     nullptr},
    {"a caption wider than its button",
     {{"BUTTON", "A caption far wider than its button", visible | BS_PUSHBUTTON, {10, 10, 40, 40}}},
     "its text needs"},
    {"a control past the right edge", {{"STATIC", "x", visible | SS_LEFT, {380, 10, 420, 30}}}, "leaves the client"},
    {"two controls on one spot",
     {{"STATIC", "one", visible | SS_LEFT, {10, 10, 100, 30}}, {"STATIC", "two", visible | SS_LEFT, {50, 20, 150, 40}}},
     "overlaps"},
    {"a check box on its group's caption",
     {{"BUTTON", "Group caption", visible | BS_GROUPBOX, {0, 0, 300, 200}},
      {"BUTTON", "Inside", visible | BS_AUTOCHECKBOX, {10, 2, 200, 24}}},
     "runs into the caption"},
    {"a list box with more rows than it shows",
     {{"LISTBOX", "1\n2\n3\n4\n5\n6\n7", visible | LBS_NOINTEGRALHEIGHT, {10, 10, 200, 40}}},
     "rows need"},
    {"a static whose wrapped lines are taller than it",
     {{"STATIC", "several words that wrap onto more lines than fit", visible | SS_LEFT, {10, 10, 90, 30}}},
     "its text needs"},
    {"a hidden control on another's spot",
     {{"STATIC", "shown", visible | SS_LEFT, {10, 10, 100, 30}}, {"STATIC", "hidden", SS_LEFT, {10, 10, 100, 30}}},
     nullptr},
};

class LayoutCheck : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutCheck, FindsWhatIsWrong) {
    const LayoutCase& layout = GetParam();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    for (const Child& child : layout.children) {
        const RECT& at = child.rect;
        const bool list = std::string(child.className) == "LISTBOX";
        HWND control = CreateWindowExA(0, child.className, list ? "" : child.text, WS_CHILD | child.style, at.left,
                                       at.top, at.right - at.left, at.bottom - at.top, parent, nullptr, nullptr,
                                       nullptr);
        ASSERT_NE(control, nullptr);
        for (std::string rows = list ? child.text : ""; !rows.empty();) {
            const std::size_t end = rows.find('\n');
            SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows.substr(0, end).c_str()));
            rows = end == std::string::npos ? "" : rows.substr(end + 1);
        }
    }
    const std::vector<std::string> faults = layout_check::problemsOf(parent);
    if (layout.fault == nullptr) {
        EXPECT_TRUE(faults.empty()) << layout.what << ": " << faults.front();
    } else {
        ASSERT_FALSE(faults.empty()) << layout.what;
        EXPECT_NE(faults.front().find(layout.fault), std::string::npos) << layout.what << ": " << faults.front();
    }
    DestroyWindow(parent);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutCheck, testing::ValuesIn(cases));

}  // namespace
