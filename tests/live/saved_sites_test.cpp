// Saved sites end to end: quorin_host.exe saves a site, tours it again by
// name alone, remembers a certificate trusted on first use, and refuses a
// site whose certificate is not the saved one, against glftpd_test_server.py.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/plugin_library_win32.h"
#include "tests/live/live_server.h"

namespace {

const std::string otherFingerprint =
    "0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0:0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0";

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SavedSites : public testing::Test {
protected:
    static void SetUpTestSuite() { loaded = livetest::loadServer(server, loadFailure); }

    void SetUp() override {
        ASSERT_TRUE(loaded) << loadFailure;
        sitesFile = server.stateDir + "\\sites.ini";
        passwordFile = server.stateDir + "\\password";
        std::ofstream(passwordFile, std::ios::binary) << "secret\n";
        DeleteFileA(sitesFile.c_str());
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(server.tlsPort); }

    // Starts the host with these options and the test's sites file; the
    // process, or none.
    HANDLE start(const std::string& options) {
        std::string command = "\"" + programFolder() + "quorin_host.exe\" " + options + " --sites-file \"" +
                              sitesFile + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            return nullptr;
        }
        CloseHandle(process.hThread);
        return process.hProcess;
    }

    // Runs the host to its end; its exit code, -1 when it would not end.
    int run(const std::string& options) {
        HANDLE process = start(options);
        if (process == nullptr) {
            return -1;
        }
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(process, 120000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) {
            TerminateProcess(process, 99);
        }
        CloseHandle(process);
        return static_cast<int>(code);
    }

    std::string tour(const std::string& name) { return "--tour \"" + server.stateDir + "\\" + name + "\""; }

    // Logins (USER before any account) the server received since `mark`.
    int loginsSince(std::size_t mark) const {
        Sleep(300);
        int logins = 0;
        for (const std::string& line : livetest::received(server, mark)) {
            logins += line.find(" - USER ") != std::string::npos ? 1 : 0;
        }
        return logins;
    }

    static livetest::ServerInfo server;
    static bool loaded;
    static std::string loadFailure;
    std::string sitesFile;
    std::string passwordFile;
};

livetest::ServerInfo SavedSites::server;
bool SavedSites::loaded = false;
std::string SavedSites::loadFailure;

TEST_F(SavedSites, ASavedSiteToursByNameWithItsPasswordOnlyInProtectedForm) {
    ASSERT_EQ(run("--save Main --site " + address() + " --user siteop --fingerprint " + server.fingerprint +
                  " --password-file \"" + passwordFile + "\" --remember-password"),
              0);
    const std::string saved = readWhole(sitesFile);
    EXPECT_NE(saved.find("fingerprint=" + server.fingerprint), std::string::npos) << saved;
    EXPECT_EQ(saved.find("secret"), std::string::npos);
    EXPECT_EQ(saved.find("736563726574"), std::string::npos);  // nor its hex

    // Neither the fingerprint nor the password on the second command line.
    const std::size_t mark = livetest::received(server).size();
    EXPECT_EQ(run(tour("byname") + " --load main"), 0);
    EXPECT_EQ(loginsSince(mark), 1);
    EXPECT_EQ(readWhole(sitesFile), saved);
}

TEST_F(SavedSites, NothingIsSentForTheLoginWhenTheCertificateIsNotTheSavedOne) {
    const struct {
        const char* name;
        std::string savedPin;
        std::string givenPin;
    } cases[] = {
        {"changed", otherFingerprint, ""},         // the server now shows another certificate
        {"notsaved", server.fingerprint, otherFingerprint},  // --fingerprint beside --load differs
    };
    for (const auto& c : cases) {
        DeleteFileA(sitesFile.c_str());
        ASSERT_EQ(run("--save Main --site " + address() + " --user siteop --fingerprint " + c.savedPin), 0);
        const std::string saved = readWhole(sitesFile);
        const std::size_t mark = livetest::received(server).size();
        EXPECT_NE(run(tour(c.name) + " --load Main --password-file \"" + passwordFile + "\"" +
                      (c.givenPin.empty() ? "" : " --fingerprint " + c.givenPin)),
                  0)
            << c.name;
        EXPECT_EQ(loginsSince(mark), 0) << c.name;
        EXPECT_EQ(readWhole(sitesFile), saved) << c.name << ": the saved pin changed";
    }
    const std::string transcript = readWhole(server.stateDir + "\\changed\\transcript.txt");
    EXPECT_NE(transcript.find("Someone may be intercepting"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find(otherFingerprint), std::string::npos);
    EXPECT_NE(transcript.find(server.fingerprint), std::string::npos);
}

TEST_F(SavedSites, ACertificateTrustedOnFirstUseIsRememberedAsThePin) {
    HANDLE host = start("--site " + address() + " --user siteop --password-file \"" + passwordFile + "\"");
    ASSERT_NE(host, nullptr);
    HWND question = nullptr;
    for (int tries = 0; tries < 300 && question == nullptr; ++tries) {
        Sleep(100);
        question = FindWindowA("#32770", "Trust this certificate?");
    }
    ASSERT_NE(question, nullptr) << "the host did not ask about the certificate";
    PostMessageA(question, WM_COMMAND, IDYES, 0);  // Yes: trust it and remember it
    std::string saved;
    for (int tries = 0; tries < 300 && saved.find(server.fingerprint) == std::string::npos; ++tries) {
        Sleep(100);
        saved = readWhole(sitesFile);
    }
    PostMessageA(FindWindowA("QuorinHostWindow", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(host, 30000), WAIT_OBJECT_0);
    CloseHandle(host);
    EXPECT_NE(saved.find("[" + address() + "]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("fingerprint=" + server.fingerprint), std::string::npos) << saved;

    // From now on the site is pinned: a tour by name, without a prompt.
    EXPECT_EQ(run(tour("pinned") + " --load " + address() + " --password-file \"" + passwordFile + "\""), 0);
}

}  // namespace

namespace {

TEST_F(SavedSites, ADamagedFileIsReportedAndNeverOverwrittenWithoutAsking) {
    const std::string damaged = "[Main]\r\nhost=127.0.0.1\r\nfingerprnt=00:11\r\n";
    std::ofstream(sitesFile, std::ios::binary) << damaged;
    const std::size_t mark = livetest::received(server).size();
    EXPECT_NE(run("--save Other --site " + address() + " --user siteop"), 0);
    EXPECT_NE(run(tour("damaged") + " --load Main --password-file \"" + passwordFile + "\""), 0);
    EXPECT_EQ(readWhole(sitesFile), damaged);
    EXPECT_EQ(loginsSince(mark), 0);
}

}  // namespace
