// The Statistics page: twelve listings and the entry count that goes with them.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

typedef std::vector<std::string> Lines;

class StatisticsPage : public PluginTest {
protected:
    Lines sendWithEntries(HWND page, const std::string& entries, int id) {
        setText(page, IDC_STATS_ENTRIES, entries);
        site.clearRecord();
        clickButton(page, id);
        return site.commands();
    }
};

}  // namespace

TEST_F(StatisticsPage, TheUntouchedPageSendsEveryListingWithTenEntries) {
    HWND page = showPage(3);
    EXPECT_EQ(getText(page, IDC_STATS_ENTRIES), "10");
    const char* keywords[] = {"WKUP", "WKDN", "GPWK", "GPWD", "DAYUP", "DAYDN",
                              "ALUP", "ALDN", "GPAL", "GPAD", "MONTHUP", "MONTHDN"};
    Lines expected;
    for (int id = IDC_STATS_WEEK_UL; id <= IDC_STATS_MONTH_DL; ++id) {
        clickButton(page, id);
        expected.push_back(std::string("SITE ") + keywords[id - IDC_STATS_WEEK_UL] + " 10");
    }
    clickButton(page, IDC_STATS_ENTRIES);  // not a listing button
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_STATS_WEEK_UL, BN_SETFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_STATS_WEEK_UL)));
    EXPECT_EQ(site.commands(), expected);
    for (const RecordedRequest& request : site.requests()) {
        EXPECT_EQ(request.param, 0);
    }
}

TEST_F(StatisticsPage, EntryCountFormsAndWhatComesBackAfterAPageSwitch) {
    HWND page = showPage(3);
    EXPECT_EQ(sendWithEntries(page, "", IDC_STATS_WEEK_DL), Lines{"SITE WKDN"});
    EXPECT_EQ(sendWithEntries(page, "0", IDC_STATS_TODAY_UL), Lines{"SITE DAYUP"});
    EXPECT_EQ(sendWithEntries(page, "-5", IDC_STATS_ALLTIME_GROUP_UL), Lines{"SITE GPAL -5"});
    EXPECT_EQ(sendWithEntries(page, "99999999999", IDC_STATS_ALLTIME_UL), Lines{"SITE ALUP 2147483647"});
    EXPECT_EQ(sendWithEntries(page, "-99999999999", IDC_STATS_TODAY_DL), Lines{"SITE DAYDN -2147483648"});
    EXPECT_EQ(sendWithEntries(page, "12abc", IDC_STATS_MONTH_UL), Lines{"SITE MONTHUP 12"});

    showPage(5);
    page = showPage(3);
    EXPECT_EQ(getText(page, IDC_STATS_ENTRIES), "12");
    setText(page, IDC_STATS_ENTRIES, "many");
    showPage(6);
    page = showPage(3);
    EXPECT_EQ(getText(page, IDC_STATS_ENTRIES), "0");
}
