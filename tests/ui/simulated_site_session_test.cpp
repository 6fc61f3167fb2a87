// The plug-in against the simulated glftpd site (the reference host's demo
// site) instead of scripted answers: what it sends changes the site, and
// what it shows comes from the site's replies.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/simsite/simulated_site.h"
#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

class SimulatedSession : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        demo = &site.useSimulatedSite();
    }

    // A command through the host callback, as the plug-in sends it, with
    // the reply kept; returns the reply lines and releases them.
    std::vector<std::string> ask(const std::string& command, std::int32_t* code = nullptr) {
        std::vector<char> text(command.begin(), command.end());
        text.push_back('\0');
        HostRequest request{ACTION_SEND_COMMAND, text.data(), 1, 0, nullptr};
        std::vector<std::string> lines;
        if (ScriptedSite::callback(&request) != 0) {
            for (ReplyLine* line = request.replyLines; line != nullptr; line = line->next) {
                lines.push_back(line->text);
            }
            if (code != nullptr) {
                *code = request.replyCode;
            }
            request.action = ACTION_RELEASE_REPLY;
            ScriptedSite::callback(&request);
        }
        return lines;
    }

    const simsite::Release* release(const std::string& name) const {
        for (const simsite::Release& entry : demo->releases()) {
            if (entry.name == name) {
                return &entry;
            }
        }
        return nullptr;
    }

    simsite::SimulatedSite* demo = nullptr;
};

void answerDialog(HWND dialog, const char* reason, const char* multiplier) {
    setText(dialog, IDC_RELEASE_REASON, reason);
    if (multiplier != nullptr) {
        setText(dialog, IDC_RELEASE_MULTIPLIER, multiplier);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

TEST_F(SimulatedSession, CommandsNoRuleCoversReachTheSiteWhileRulesStillWin) {
    site.answer("SITE USER bob", oneLineReply("200 Scripted answer."));
    EXPECT_EQ(ask("SITE USER bob"), std::vector<std::string>{"200 Scripted answer."});

    const std::vector<std::string> screen = ask("SITE USER alice");
    ASSERT_GT(screen.size(), 20u);
    EXPECT_EQ(screen[1].compare(0, 22, "200- | Username: alice"), 0);
    EXPECT_EQ(screen.back(), "200 Command Successful.");

    std::int32_t code = 0;
    EXPECT_EQ(ask("SITE FROB", &code), std::vector<std::string>{"500 'SITE FROB': command not understood."});
    EXPECT_EQ(code, 500);

    // The site keeps what it is told.
    ask("SITE ADDUSER session pw");
    ASSERT_NE(demo->findUser("session"), nullptr);
    EXPECT_EQ(&site.useSimulatedSite(), demo);
}

TEST_F(SimulatedSession, ANukeFromTheDialogRenamesTheReleaseAndItsUnnukeRestoresIt) {
    char directory[1024] = "Some.Release-GRP";
    char reason[256] = {};
    const std::int32_t multiplier =
        runNuke(true, directory, reason, [](HWND dialog) { answerDialog(dialog, "bad.release", "2"); });
    ASSERT_EQ(multiplier, 2);
    ASSERT_STREQ(reason, "bad.release");

    // What a host builds from the dialog's answer.
    const std::vector<std::string> nuked =
        ask(std::string("SITE NUKE ") + directory + " " + std::to_string(multiplier) + " " + reason);
    EXPECT_EQ(nuked.back(), "200 NUKE of Some.Release-GRP successful.");
    ASSERT_NE(release("NUKED-Some.Release-GRP"), nullptr);
    EXPECT_TRUE(release("NUKED-Some.Release-GRP")->nuked);

    // The host's listing now shows the nuked name; the unnuke dialog strips
    // the nuke word from it, and the site knows the release by what is left.
    std::strcpy(directory, "NUKED-Some.Release-GRP");
    std::memset(reason, 0, sizeof reason);
    const std::int32_t unnuked =
        runNuke(false, directory, reason, [](HWND dialog) { answerDialog(dialog, "fixed with a proper", nullptr); });
    ASSERT_EQ(unnuked, 0);
    EXPECT_STREQ(directory, "Some.Release-GRP");
    EXPECT_EQ(ask(std::string("SITE UNNUKE ") + directory + " " + reason).back(),
              "200 UNNUKE of Some.Release-GRP successful.");
    ASSERT_NE(release("Some.Release-GRP"), nullptr);
    EXPECT_FALSE(release("Some.Release-GRP")->nuked);
    ASSERT_FALSE(demo->unnukes().empty());
    EXPECT_EQ(demo->unnukes().back().reason, "fixed with a proper");
}
