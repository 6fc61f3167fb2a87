// The page host through the real exports: creating, keeping and switching
// pages, the focus message and the unload.
#include <windows.h>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

constexpr UINT WM_PAGE_FOCUS = WM_USER + 200;

struct PageExpectation {
    int pageId;
    int focusId;
};

const PageExpectation allPages[] = {
    {1, IDC_ADDUSER_USERNAME}, {2, IDC_EDITUSER_USERNAME}, {3, IDC_STATS_WEEK_UL},
    {4, IDC_USERCMD_USERNAME}, {5, IDC_SITECMD_VIEW_MSGS}, {6, IDC_GROUPS_LIST},
    {7, IDC_ONLINE_LIST},
};

int otherCallbackCalls = 0;

std::int32_t HOST_CDECL otherCallback(HostRequest*) {
    ++otherCallbackCalls;
    return 0;
}

class PageHost : public PluginTest {};

}  // namespace

TEST_F(PageHost, EveryPageIsAChildOfTheHostAndFocusesItsMainControl) {
    for (const PageExpectation& expected : allPages) {
        HWND page = showPage(expected.pageId);
        ASSERT_NE(page, nullptr) << "page " << expected.pageId;
        EXPECT_EQ(GetParent(page), hostWindow());
        EXPECT_TRUE(GetWindowLongA(page, GWL_STYLE) & WS_CHILD);
        EXPECT_TRUE(IsWindowVisible(page));
        SetFocus(hostWindow());
        EXPECT_EQ(SendMessageA(page, WM_PAGE_FOCUS, 0, 0), FALSE);
        EXPECT_EQ(focusedControl(), GetDlgItem(page, expected.focusId)) << "page " << expected.pageId;
    }
}

TEST_F(PageHost, TheSamePageTwiceReturnsTheSameWindowAndOnlyReplacesTheCallback) {
    HWND first = showPage(3);
    childEvents.clear();
    HWND second = initDialog(3, nullptr, otherCallback);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(childEvents.empty());
    EXPECT_TRUE(IsWindow(first));
    // The page's commands now go to the callback of the latest call.
    site.clearRecord();
    otherCallbackCalls = 0;
    clickButton(first, IDC_STATS_WEEK_UL);
    EXPECT_EQ(otherCallbackCalls, 1);
    EXPECT_TRUE(site.requests().empty());
}

TEST_F(PageHost, ASwitchDestroysTheOldPageBeforeCreatingTheNewOne) {
    HWND editPage = showPage(2);
    childEvents.clear();
    HWND groupsPage = showPage(6);
    ASSERT_NE(groupsPage, nullptr);
    EXPECT_FALSE(IsWindow(editPage));
    ASSERT_GE(childEvents.size(), 2u);
    EXPECT_EQ(childEvents.front(), std::make_pair('d', editPage));
    bool createdAfter = false;
    for (std::size_t i = 1; i < childEvents.size(); ++i) {
        createdAfter = createdAfter || childEvents[i] == std::make_pair('c', groupsPage);
    }
    EXPECT_TRUE(createdAfter);
}

TEST_F(PageHost, NumbersOutsideTheTableShowNoPage) {
    EXPECT_EQ(showPage(0), nullptr);  // right after load: nothing at all
    EXPECT_TRUE(childEvents.empty());
    HWND shown = showPage(5);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(showPage(9), nullptr);
    EXPECT_FALSE(IsWindow(shown));
    childEvents.clear();
    EXPECT_EQ(showPage(9), nullptr);
    EXPECT_EQ(showPage(8), nullptr);
    EXPECT_EQ(showPage(-1), nullptr);
    EXPECT_TRUE(childEvents.empty());
    EXPECT_NE(showPage(5), nullptr);
}

TEST_F(PageHost, TheLastDetachDestroysTheShownPageAndLeavesNothing) {
    HWND shown = showPage(1);
    ASSERT_NE(shown, nullptr);
    childEvents.clear();
    EXPECT_EQ(unloadLibrary(), 0);
    EXPECT_FALSE(IsWindow(shown));
    ASSERT_EQ(childEvents.size(), 1u);
    EXPECT_EQ(childEvents[0], std::make_pair('d', shown));
}

TEST_F(PageHost, AnUnloadWithNoPageShownLeavesNothing) {
    showPage(4);
    showPage(0);
    childEvents.clear();
    EXPECT_EQ(unloadLibrary(), 0);
    EXPECT_TRUE(childEvents.empty());
}

TEST_F(PageHost, ACancelledDialogNukeReturnsMinusOneAndLeavesTheReasonBuffer) {
    char directory[] = "/site/Some.Release-GRP";
    char reason[256];
    memset(reason, 'x', sizeof reason);
    const std::int32_t result = runNuke(true, directory, reason, [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(reason[0], 'x');
}

class RealLibrary : public PluginTest {
protected:
    const char* libraryName() const override { return "quorin_glftpd_1_24.dll"; }
};

TEST_F(RealLibrary, TheShippedLibraryShowsEveryPage) {
    for (const PageExpectation& expected : allPages) {
        EXPECT_NE(showPage(expected.pageId), nullptr) << "page " << expected.pageId;
    }
}
