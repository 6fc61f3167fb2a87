// The transcript pane under a site that never stops talking: it keeps the
// newest lines within its bound instead of freezing at the edit control's
// limit, and shows a server's text in its own script.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/window/transcript_pane_win32.h"

namespace {

std::wstring paneWide(HWND pane) {
    const int length = GetWindowTextLengthW(pane);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(pane, text.data(), length + 1);
    return text.data();
}

std::string paneText(HWND pane) {
    const std::wstring wide = paneWide(pane);
    std::string text(wide.size() * 3, '\0');
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                           static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

HWND makePane() {
    // As the host window makes it: a Unicode edit.
    return CreateWindowExW(0, L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_POPUP,
                           0, 0, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(TranscriptPane, KeepsTheNewestLinesWithinItsBound) {
    HWND pane = makePane();
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
        // The pane starts at a line: one of the burst's, or the one that
        // says how many of them it left out.
        EXPECT_TRUE(shown.compare(0, 8, "<? 200- ") == 0 || shown.compare(0, 4, "   (") == 0) << shown.substr(0, 80);
        const std::size_t left = 100000 - transcript_pane::burstLines;
        const std::string thousands = std::to_string(1000 + left % 1000).substr(1);
        const std::string leftOut = "   (" + std::to_string(left / 1000) + "," + thousands + " lines before these";
        EXPECT_NE(shown.find(leftOut), std::string::npos) << "burst " << burst;
    }
    DestroyWindow(pane);
}

TEST(TranscriptPane, ShowsAServersTextInItsOwnScript) {
    HWND pane = makePane();
    ASSERT_NE(pane, nullptr);
    transcript_pane::attach(pane);
    transcript_pane::append("< 200- Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln");
    transcript_pane::append("< 200 \xe6\x9d\xb1\xe4\xba\xac \xf0\x9f\x93\x81 ok");
    EXPECT_EQ(paneWide(pane), L"< 200- Gr\u00fc\u00dfe aus K\u00f6ln\r\n< 200 \u6771\u4eac \U0001F4C1 ok\r\n");
    DestroyWindow(pane);
}

}  // namespace
