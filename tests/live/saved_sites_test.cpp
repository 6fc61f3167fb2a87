// Saved sites end to end: quorin_host.exe saves a site, tours it again by
// name alone, remembers a certificate trusted on first use, and refuses a
// site whose certificate is not the saved one, against glftpd_test_server.py.
// The Connect dialog is driven in the real host window: a saved site's
// password and pin stay that site's whatever is edited, and two hosts keep
// each other's changes.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/resources/host_resources.h"
#include "host/served/plugin_library_win32.h"
#include "tests/live/live_server.h"

namespace {

const std::string otherFingerprint =
    "0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0:0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0";

std::wstring wide(const std::string& utf8) {
    std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], static_cast<int>(text.size()));
    text.pop_back();
    return text;
}

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

    // Starts the host with these options (UTF-8) and the test's sites file;
    // the process, or none. Its standard error goes to `errors` when given.
    HANDLE start(const std::string& options, const std::string& errors = "") {
        std::wstring command = wide("\"" + programFolder() + "quorin_host.exe\" " + options + " --sites-file \"" +
                                    sitesFile + "\"");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE errorFile = errors.empty() ? INVALID_HANDLE_VALUE
                                          : CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                        CREATE_ALWAYS, 0, nullptr);
        if (errorFile != INVALID_HANDLE_VALUE) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdError = errorFile;
        }
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                            &startup, &process);
        if (errorFile != INVALID_HANDLE_VALUE) {
            CloseHandle(errorFile);
        }
        if (!started) {
            return nullptr;
        }
        CloseHandle(process.hThread);
        return process.hProcess;
    }

    // Runs the host to its end; its exit code, -1 when it would not end.
    int run(const std::string& options, const std::string& errors = "") {
        HANDLE process = start(options, errors);
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

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;  // or null
    const std::wstring* title;  // or null
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (pid == search.pid && IsWindowVisible(window) && (search.title == nullptr || *search.title == text) &&
        (search.className == nullptr || std::wstring(search.className) == className)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A top-level window of the process with this title or class; null when
// none came within 30 s.
HWND waitForWindow(HANDLE process, const std::wstring* title, const wchar_t* className = nullptr) {
    WindowSearch search{GetProcessId(process), className, title, nullptr};
    for (int tries = 0; tries < 300 && search.found == nullptr; ++tries) {
        Sleep(100);
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

HWND waitForWindow(HANDLE process, const std::wstring& title) { return waitForWindow(process, &title); }

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// Types into a field: a combo box's text goes into its edit, as typing does.
void setField(HWND dialog, int id, const std::string& text) {
    const std::wstring value = wide(text);
    HWND field = GetDlgItem(dialog, id);
    HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr);
    SendMessageW(edit != nullptr ? edit : field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void press(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// The text of a message box's message.
std::wstring messageOf(HWND box) { return textOf(GetDlgItem(box, 0xFFFF)); }

const std::wstring connectTitle = L"Connect to a glftpd site";

class ConnectDialog : public SavedSites {
protected:
    void TearDown() override {
        for (HANDLE host : hosts) {
            TerminateProcess(host, 0);
            WaitForSingleObject(host, 10000);
            CloseHandle(host);
        }
    }

    // Presses Connect... in the host's window; the dialog titled `title`.
    static HWND pressConnect(HANDLE host, const std::wstring& title) {
        HWND main = waitForWindow(host, nullptr, L"QuorinHostWindow");
        for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (textOf(child).find(L"onnect...") != std::wstring::npos) {
                PostMessageW(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                             reinterpret_cast<LPARAM>(child));
                return waitForWindow(host, title);
            }
        }
        return nullptr;
    }

    // A host window started with `options`, its Connect dialog open.
    HWND openDialog(const std::string& options, const std::wstring& title) {
        HANDLE host = start(options);
        if (host == nullptr) {
            return nullptr;
        }
        hosts.push_back(host);
        return pressConnect(host, title);
    }

    // Successful logins since `mark`: a logged-in session's first NOOP.
    int sessionsSince(std::size_t mark) const {
        Sleep(300);
        int sessions = 0;
        for (const std::string& line : livetest::received(server, mark)) {
            sessions += line.find(" siteop NOOP") != std::string::npos ? 1 : 0;
        }
        return sessions;
    }

    std::vector<HANDLE> hosts;
};

// A saved site "A" whose server refuses TLS (so --load A gets nowhere), with
// a pin and the password remembered; the dialog is opened bound to it, and
// its port edited to the test server's TLS listener: another site.
TEST_F(ConnectDialog, AnEditAfterAPickNeitherSendsNorChangesTheSavedSitesSecrets) {
    const std::string tlsPort = std::to_string(server.tlsPort);
    const struct {
        const char* flow;
        std::string password;  // typed after the edit; empty: kept as the host filled it in
        int trustAnswer;
        bool logsIn;  // whether the edited connection may log in
        bool typedAndUndone;  // a character typed into the pre-filled password and taken back first
        std::string remembered;  // A's password
        std::string editedBefore;  // what the pre-filled password was edited into before the port
    } flows[] = {
        {"pre-filled password kept, certificate trusted and remembered", "", IDYES, false, false, "secret", ""},
        {"password typed for the other site, this connection only", "secret", IDNO, true, false, "secret", ""},
        {"a character typed and taken back in the pre-filled password", "", IDYES, false, true, "secret", ""},
        // A's password one character short of the other site's: the edit
        // would open it.
        {"a character added to the pre-filled password", "", IDNO, false, false, "secre", "secret"},
    };
    const std::string rememberedFile = server.stateDir + "\\remembered";
    for (const auto& flow : flows) {
        DeleteFileA(sitesFile.c_str());
        std::ofstream(rememberedFile, std::ios::binary | std::ios::trunc) << flow.remembered << "\n";
        ASSERT_EQ(run("--save A --site 127.0.0.1:" + std::to_string(server.plainPort) +
                      " --user siteop --fingerprint " + otherFingerprint + " --remember-password --password-file \"" +
                      rememberedFile + "\""),
                  0);
        const std::string saved = readWhole(sitesFile);
        HANDLE host = start("--load A");
        ASSERT_NE(host, nullptr);
        hosts.push_back(host);
        HWND refused = waitForWindow(host, L"Connect");  // A's server refuses TLS
        ASSERT_NE(refused, nullptr) << flow.flow;
        PostMessageW(refused, WM_COMMAND, IDOK, 0);
        HWND dialog = pressConnect(host, connectTitle + L" - A");
        ASSERT_NE(dialog, nullptr) << flow.flow;
        if (flow.typedAndUndone) {
            setField(dialog, IDC_CONNECT_PASSWORD, "secretx");
            setField(dialog, IDC_CONNECT_PASSWORD, "secret");
        }
        if (!flow.editedBefore.empty()) {
            setField(dialog, IDC_CONNECT_PASSWORD, flow.editedBefore);
        }
        setField(dialog, IDC_CONNECT_PORT, tlsPort);
        EXPECT_EQ(textOf(dialog), connectTitle) << flow.flow << ": the title still names A";
        EXPECT_EQ(textOf(GetDlgItem(dialog, IDC_CONNECT_SITE)), L"") << flow.flow;
        setField(dialog, IDC_CONNECT_FINGERPRINT, "");
        if (!flow.password.empty()) {
            setField(dialog, IDC_CONNECT_PASSWORD, flow.password);
            PostMessageW(GetDlgItem(dialog, IDC_CONNECT_REMEMBER), BM_SETCHECK, BST_CHECKED, 0);
        }
        const std::size_t mark = livetest::received(server).size();
        press(dialog, IDOK);
        HWND trust = waitForWindow(host, L"Trust this certificate?");
        ASSERT_NE(trust, nullptr) << flow.flow;
        EXPECT_NE(messageOf(trust).find(L"as a new saved site"), std::wstring::npos) << flow.flow;
        PostMessageW(trust, WM_COMMAND, flow.trustAnswer, 0);
        EXPECT_EQ(sessionsSince(mark) > 0, flow.logsIn) << flow.flow << ": A's password went to another site";
        Sleep(500);
        const std::string after = readWhole(sitesFile);
        EXPECT_EQ(after.substr(0, saved.size()), saved) << flow.flow << ": A's entry changed";
    }
}

// A remembered password that no longer opens for the site as the file has
// it: the operator is told so, by name, before being asked for one.
TEST_F(ConnectDialog, AnEditedSitesPasswordIsAskedForWithTheReason) {
    ASSERT_EQ(run("--save Main --site " + address() + " --user siteop --fingerprint " + server.fingerprint +
                  " --password-file \"" + passwordFile + "\" --remember-password"),
              0);
    std::string edited = readWhole(sitesFile);
    const std::size_t pin = edited.find("fingerprint=");
    ASSERT_NE(pin, std::string::npos);
    edited.replace(pin, 12 + server.fingerprint.size(), "tls=no\r\nfingerprint=");
    std::ofstream(sitesFile, std::ios::binary) << edited;
    const std::size_t mark = livetest::received(server).size();
    HANDLE host = start("--load Main");
    ASSERT_NE(host, nullptr);
    hosts.push_back(host);
    HWND told = waitForWindow(host, L"Remembered password");
    ASSERT_NE(told, nullptr);
    EXPECT_NE(messageOf(told).find(L"remembered password of \"Main\" does not belong to the site as it is saved now"),
              std::wstring::npos)
        << messageOf(told);
    PostMessageW(told, WM_COMMAND, IDOK, 0);
    HWND dialog = waitForWindow(host, connectTitle + L" - Main");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(textOf(GetDlgItem(dialog, IDC_CONNECT_PASSWORD)), L"");
    EXPECT_EQ(loginsSince(mark), 0);
}

// Two host windows, each with the file read when its dialog opened, and a
// --save from a third process: every change stays.
TEST_F(ConnectDialog, TwoHostsKeepEachOthersSitesAndSaveAsksBeforeReplacing) {
    const std::string site = " --site " + address() + " --user siteop";
    ASSERT_EQ(run("--save A" + site), 0);
    HWND first = openDialog("", connectTitle);
    HWND second = openDialog("", connectTitle);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(run("--save B" + site), 0);
    const auto saveIn = [&](HWND dialog, const std::string& name, const std::string& host) {
        setField(dialog, IDC_CONNECT_SITE, name);
        setField(dialog, IDC_CONNECT_HOST, host);
        setField(dialog, IDC_CONNECT_USER, "siteop");
        press(dialog, IDC_CONNECT_SAVE);
    };
    const auto waitForSite = [&](const std::string& section) {
        for (int tries = 0; tries < 100 && readWhole(sitesFile).find(section) == std::string::npos; ++tries) {
            Sleep(100);
        }
        return readWhole(sitesFile);
    };
    saveIn(first, "C", "c.example.net");
    waitForSite("[C]");
    saveIn(second, "D", "d.example.net");
    saveIn(first, "E", "e.example.net");
    const std::string all = waitForSite("[E]");
    for (const char* name : {"[A]", "[B]", "[C]", "[D]", "[E]"}) {
        EXPECT_NE(all.find(name), std::string::npos) << name << " was lost:\n" << all;
    }

    // Save over a saved name asks first; No is the default and changes nothing.
    saveIn(second, "a", "replaced.example.net");
    HWND question = waitForWindow(hosts.back(), L"Saved sites");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(messageOf(question), L"Replace the saved site \"A\"?");
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    Sleep(500);
    EXPECT_EQ(readWhole(sitesFile), all);
    press(second, IDC_CONNECT_SAVE);
    question = waitForWindow(hosts.back(), L"Saved sites");
    ASSERT_NE(question, nullptr);
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_NE(waitForSite("host=replaced.example.net").find("[a]\r\nhost=replaced.example.net"), std::string::npos);
}

TEST_F(SavedSites, NamesInAnyScriptStayWhatWasTypedAndTheFileStaysReadable) {
    const std::string site = " --site " + address() + " --user siteop --fingerprint " + server.fingerprint;
    const std::string names[] = {"\xE5\x90\x8D\xE5\x89\x8D", "\xE6\x97\xA5\xE6\x9C\xAC", "\xEF\xBC\xAD" "ain", "Main",
                                 "a\xE2\x89\xA0" "b"};
    for (const std::string& name : names) {
        ASSERT_EQ(run("--save \"" + name + "\"" + site), 0) << name;
    }
    const std::string file = readWhole(sitesFile);
    for (const std::string& name : names) {
        EXPECT_NE(file.find("[" + name + "]\r\n"), std::string::npos) << name << "\n" << file;
    }
    EXPECT_EQ(file.find('?'), std::string::npos) << file;

    // What the reader would refuse is refused before writing.
    EXPECT_EQ(run("--save Big --site " + std::string(32000, 'h') + ":21 --user siteop"), 1);
    EXPECT_EQ(readWhole(sitesFile), file);
    EXPECT_EQ(run(tour("unicode") + " --load \"\xE5\x90\x8D\xE5\x89\x8D\" --password-file \"" + passwordFile + "\""),
              0);
}

// Someone who can write the file points the site elsewhere, in clear or to
// another certificate, and keeps its password line.
TEST_F(SavedSites, ARememberedPasswordIsOnlyForTheSiteExactlyAsItWasSaved) {
    const struct {
        const char* edit;
        std::string from, to;
    } edits[] = {
        {"another user", "user=siteop", "user=intruder"},
        {"plain, no pin", "fingerprint=" + server.fingerprint, "tls=no\r\nfingerprint="},
        {"another pin", "fingerprint=" + server.fingerprint, "fingerprint=" + otherFingerprint},
    };
    for (const auto& e : edits) {
        DeleteFileA(sitesFile.c_str());
        ASSERT_EQ(run("--save Main --site " + address() + " --user siteop --fingerprint " + server.fingerprint +
                      " --password-file \"" + passwordFile + "\" --remember-password"),
                  0);
        std::string edited = readWhole(sitesFile);
        const std::size_t at = edited.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.edit;
        edited.replace(at, e.from.size(), e.to);
        std::ofstream(sitesFile, std::ios::binary) << edited;
        const std::size_t mark = livetest::received(server).size();
        const std::string errors = server.stateDir + "\\rebound.err";
        EXPECT_EQ(run(tour("rebound") + " --load Main", errors), 1) << e.edit;
        EXPECT_EQ(loginsSince(mark), 0) << e.edit;
        EXPECT_NE(readWhole(errors).find("remembered password of \"Main\" does not belong to the site as it is saved "
                                         "now (the file may have been changed)"),
                  std::string::npos)
            << e.edit << ": " << readWhole(errors);
    }
}

TEST_F(SavedSites, APinOnAPlainSiteIsRefusedWithItsReason) {
    std::ofstream(sitesFile, std::ios::binary)
        << "[Plain]\r\nhost=127.0.0.1\r\nport=" << server.tlsPort << "\r\nuser=siteop\r\ntls=no\r\nfingerprint="
        << server.fingerprint << "\r\n";
    const std::string errors = server.stateDir + "\\plainpin.err";
    const std::size_t mark = livetest::received(server).size();
    EXPECT_EQ(run(tour("plainpin") + " --load Plain --password-file \"" + passwordFile + "\"", errors), 4);
    EXPECT_EQ(loginsSince(mark), 0);
    EXPECT_NE(readWhole(errors).find("needs TLS"), std::string::npos) << readWhole(errors);
    EXPECT_NE(readWhole(server.stateDir + "\\plainpin\\transcript.txt").find("needs TLS"), std::string::npos);
}

}  // namespace
