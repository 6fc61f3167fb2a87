// A host that never registered the common-control classes: the plug-in must
// still bring up its dialog and the list views of its pages.
#include <windows.h>

#include <iostream>
#include <string>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

bool classRegistered(const char* name) {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return GetClassInfoExA(nullptr, name, &info) != FALSE;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

class BareHost : public PluginTest {
protected:
    bool registersCommonControls() const override { return false; }

    void SetUp() override {
        // Whether the classes are there before the plug-in acts: under Wine,
        // loading comctl32 registers them already, which makes this program a
        // guard rather than proof.
        std::cout << "[ note ] before the plug-in: msctls_updown32 "
                  << (classRegistered("msctls_updown32") ? "registered" : "missing")
                  << ", SysListView32 " << (classRegistered("SysListView32") ? "registered" : "missing")
                  << std::endl;
        PluginTest::SetUp();
    }
};

}  // namespace

TEST_F(BareHost, DialogNukeStillRunsBothKinds) {
    char directory[] = "NUKED-Some.Release-GRP";
    char reasonOut[256];
    bool sawSpin = false;
    const std::int32_t result = runNuke(true, directory, reasonOut, [&](HWND dialog) {
        sawSpin = className(GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER_SPIN)) == "msctls_updown32";
        setText(dialog, IDC_RELEASE_REASON, "dupe");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(sawSpin);
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(reasonOut, "dupe");

    EXPECT_EQ(runNuke(false, directory, reasonOut,
                      [](HWND dialog) {
                          setText(dialog, IDC_RELEASE_REASON, "proper");
                          PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                      }),
              0);
    EXPECT_STREQ(reasonOut, "proper");
    EXPECT_STREQ(directory, "Some.Release-GRP");
}

TEST_F(BareHost, TheListViewPagesGetTheirListViews) {
    const struct {
        int pageId;
        int listId;
    } pages[] = {{6, IDC_GROUPS_LIST}, {7, IDC_ONLINE_LIST}};  // groups, online users
    for (const auto& expected : pages) {
        HWND page = showPage(expected.pageId);
        ASSERT_NE(page, nullptr) << "page " << expected.pageId;
        HWND list = GetDlgItem(page, expected.listId);
        ASSERT_NE(list, nullptr) << "page " << expected.pageId;
        EXPECT_EQ(className(list), "SysListView32");
    }
}
