// The transcript pane under a site that never stops talking: it keeps the
// newest lines within its bound instead of freezing at the edit control's
// limit.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/window/transcript_pane_win32.h"

namespace {

std::string paneText(HWND pane) {
    const int length = GetWindowTextLengthA(pane);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(pane, text.data(), length + 1);
    return text.data();
}

TEST(TranscriptPane, KeepsTheNewestLinesWithinItsBound) {
    HWND pane = CreateWindowExA(0, "EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_POPUP, 0, 0, 400, 300, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(pane, nullptr);
    transcript_pane::attach(pane);
    const std::string noise(60, 'x');
    int written = 0;
    // Three bursts of about 6 MB each, as a request's lines arrive.
    for (int burst = 0; burst < 3; ++burst) {
        transcript_pane::hold();
        for (int i = 0; i < 100000; ++i) {
            transcript_pane::append("<? 200- " + noise + " " + std::to_string(written++));
        }
        transcript_pane::release();
        const std::string shown = paneText(pane);
        EXPECT_LE(shown.size(), static_cast<std::size_t>(transcript_pane::paneLimitChars));
        const std::string last = "<? 200- " + noise + " " + std::to_string(written - 1) + "\r\n";
        ASSERT_GE(shown.size(), last.size());
        EXPECT_EQ(shown.substr(shown.size() - last.size()), last) << "burst " << burst;
        EXPECT_EQ(shown.compare(0, 8, "<? 200- "), 0) << "the pane starts at a line";
    }
    DestroyWindow(pane);
}

}  // namespace
