// The live connection (Winsock, SChannel, the fenced exchange) against
// glftpd_test_server.py on loopback: what opens and what is refused before
// any password is sent, and replies that are big, come one TLS record a
// line, one byte at a time or in a record slower than the time-out, are
// followed by a stray line or a flood of replies nobody asked for, began
// before the command, never end, never stop or are cut off; a wait the
// operator cancels; the keep-alive, a lookup that hangs and a write the
// server takes nothing of.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/live/live_site_win32.h"
#include "host/live/socket_stream_win32.h"
#include "host/window/waiting_mode_win32.h"
#include "tests/live/live_server.h"

namespace {

using Lines = std::vector<std::string>;

const std::string otherFingerprint =
    "0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0:0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0";

class LiveConnection : public testing::Test {
protected:
    static void SetUpTestSuite() { loaded = livetest::loadServer(server, loadFailure); }

    void SetUp() override {
        ASSERT_TRUE(loaded) << loadFailure;
        logMark = livetest::received(server).size();
        site.onNote = [this](const std::string& line) { notes.push_back(line); };
    }

    void openAs(const std::string& account, int replyTimeoutMs = 30000) {
        live::SiteOptions options = livetest::pinnedLogin(server, account);
        options.limits.replyTimeoutMs = replyTimeoutMs;
        openWith(options);
    }

    void openWith(const live::SiteOptions& options) {
        std::string failure;
        ASSERT_TRUE(site.open(options, nullptr, failure)) << failure;
    }

    session::Reply ask(const std::string& command) {
        session::Reply reply;
        std::string failure;
        EXPECT_TRUE(site.exchange(command, reply, failure)) << command << ": " << failure;
        return reply;
    }

    // What the server received since the test began; a moment's wait first
    // so that a line still on its way is not missed.
    Lines receivedNow() const {
        Sleep(300);
        return livetest::received(server, logMark);
    }

    static livetest::ServerInfo server;
    static bool loaded;
    static std::string loadFailure;
    std::size_t logMark = 0;
    // Before the site: it still notes its QUIT when it goes.
    Lines notes;
    live::LiveSite site;
};

livetest::ServerInfo LiveConnection::server;
bool LiveConnection::loaded = false;
std::string LiveConnection::loadFailure;

bool anyUserCommand(const Lines& log) {
    for (const std::string& entry : log) {
        // "<listener> <account> <line>": a USER line comes before any account is known.
        const std::size_t line = entry.find(' ', entry.find(' ') + 1);
        if (line != std::string::npos && entry.compare(line + 1, 5, "USER ") == 0) {
            return true;
        }
    }
    return false;
}

int countOf(const Lines& lines, const std::string& line) {
    int count = 0;
    for (const std::string& entry : lines) {
        count += entry == line ? 1 : 0;
    }
    return count;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// --- opening -----------------------------------------------------------------

enum class Pin { Server, Other, None };
enum class Prompt { None, Declines, Trusts };
// The test server's listeners: TLS offered, refused, or requiring a client
// certificate.
enum class Listener { Tls, NoTls, ClientCert };

struct OpenCase {
    const char* name;
    Listener listener;
    bool requireTls;
    Pin pin;
    Prompt prompt;
    const char* password;
    bool opens;
    bool userSent;
    std::vector<std::string> failureNames;  // "server"/"other": the fingerprints
};

const OpenCase openCases[] = {
    {"PinnedTls", Listener::Tls, true, Pin::Server, Prompt::None, "secret", true, true, {}},
    {"WrongPinIsRefused", Listener::Tls, true, Pin::Other, Prompt::None, "secret", false, false,
     {"server", "other"}},
    {"UnpinnedAndDeclined", Listener::Tls, true, Pin::None, Prompt::Declines, "secret", false, false, {}},
    {"UnpinnedAndTrusted", Listener::Tls, true, Pin::None, Prompt::Trusts, "secret", true, true, {}},
    {"NoTlsOnTheServer", Listener::NoTls, true, Pin::Server, Prompt::None, "secret", false, false,
     {"500 'AUTH TLS': command not understood."}},
    {"PlainWhenTlsIsNotRequired", Listener::NoTls, false, Pin::None, Prompt::None, "secret", true, true, {}},
    {"PlainOnAServerOfferingTls", Listener::Tls, false, Pin::None, Prompt::None, "secret", true, true, {}},
    {"WrongPassword", Listener::Tls, true, Pin::Server, Prompt::None, "guess", false, true,
     {"530 Login incorrect."}},
    {"ClientCertificateRequired", Listener::ClientCert, true, Pin::Server, Prompt::None, "secret", false, false,
     {"asks for a client certificate, which the host does not offer"}},
};

class Opening : public LiveConnection, public testing::WithParamInterface<OpenCase> {};

TEST_P(Opening, OpensOrFailsBeforeTheLogin) {
    const OpenCase& c = GetParam();
    live::SiteOptions options = livetest::pinnedLogin(server, "siteop");
    options.port = c.listener == Listener::Tls     ? server.tlsPort
                   : c.listener == Listener::NoTls ? server.plainPort
                                                   : server.clientCertPort;
    options.requireTls = c.requireTls;
    options.password = c.password;
    options.fingerprint = c.pin == Pin::Server ? server.fingerprint
                          : c.pin == Pin::Other ? otherFingerprint
                                                : std::string();
    Lines prompted;
    live::TrustPrompt prompt;
    if (c.prompt != Prompt::None) {
        prompt = [&](const std::string& fingerprint, const std::string&) {
            prompted.push_back(fingerprint);
            return c.prompt == Prompt::Trusts;
        };
    }

    std::string failure;
    const DWORD start = GetTickCount();
    const bool opened = site.open(options, prompt, failure);

    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_EQ(opened, c.opens) << failure;
    EXPECT_EQ(site.isOpen(), c.opens);
    EXPECT_EQ(prompted, c.prompt == Prompt::None ? Lines{} : Lines{server.fingerprint});
    if (opened) {
        const bool tls = c.requireTls;
        EXPECT_EQ(site.secured(), tls);
        EXPECT_EQ(site.certificateFingerprint(), tls ? server.fingerprint : std::string());
        const session::Reply reply = ask("SITE USER alice");
        EXPECT_EQ(reply.code, 200);
        EXPECT_EQ(reply.lines, livetest::fixtureLines("site_user_alice.txt"));
        site.close();
        EXPECT_FALSE(site.isOpen());
    } else {
        EXPECT_FALSE(failure.empty());
        for (const std::string& name : c.failureNames) {
            const std::string text =
                name == "server" ? server.fingerprint : name == "other" ? otherFingerprint : name;
            EXPECT_NE(failure.find(text), std::string::npos) << "'" << text << "' not in: " << failure;
        }
    }
    EXPECT_EQ(anyUserCommand(receivedNow()), c.userSent);
}

INSTANTIATE_TEST_SUITE_P(Live, Opening, testing::ValuesIn(openCases),
                         [](const testing::TestParamInfo<OpenCase>& info) { return info.param.name; });

// --- replies -----------------------------------------------------------------

TEST_F(LiveConnection, EachCommandIsSentOnceAndFencedAndItsReplyComesAsTheServerWroteIt) {
    openAs("siteop");
    const Lines fixtures[] = {livetest::fixtureLines("site_groups.txt"),
                              livetest::fixtureLines("site_user_alice.txt"),
                              livetest::fixtureLines("site_swho.txt")};
    EXPECT_EQ(ask("SITE GROUPS").lines, fixtures[0]);
    EXPECT_EQ(ask("SITE USER alice").lines, fixtures[1]);
    EXPECT_EQ(ask("SITE SWHO").lines, fixtures[2]);
    EXPECT_EQ(ask("SITE CHGRP alice friends").lines,
              Lines{"200 'alice' has been successfully added to 'friends'"});
    const Lines log = receivedNow();
    Lines expected;
    for (const char* command : {"SITE GROUPS", "SITE USER alice", "SITE SWHO", "SITE CHGRP alice friends"}) {
        expected.insert(expected.end(), {"tls siteop NOOP", std::string("tls siteop ") + command, "tls siteop NOOP"});
    }
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(Lines(log.end() - static_cast<long>(expected.size()), log.end()), expected);
}

// A listing of 120,000 names (20,006 lines with its frame, as run by ctest),
// in large writes and in one TLS record a line as glftpd sends it.
class BigReply : public LiveConnection, public testing::WithParamInterface<const char*> {};

TEST_P(BigReply, ArrivesWholeAndInOrderAndLeavesTheConnectionInStep) {
    openAs(GetParam());
    const Lines sent = livetest::stateFile(server, "big_listing.txt");
    ASSERT_GT(sent.size(), 1000u);
    const session::Reply reply = ask("SITE USER");
    EXPECT_EQ(reply.code, 200);
    EXPECT_EQ(reply.lines.size(), sent.size());
    EXPECT_TRUE(reply.lines == sent) << "the reply differs from what the server sent";
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
}

INSTANTIATE_TEST_SUITE_P(Live, BigReply, testing::Values("bigreply", "linerecords"),
                         [](const testing::TestParamInfo<const char*>& info) { return info.param; });

TEST_F(LiveConnection, AStrayLineAfterAKillGoesToTheNotesAndTheNextCommandGetsItsOwnReply) {
    openAs("stray");
    EXPECT_EQ(ask("SITE KILL 99999").lines, (Lines{"200- ", "200 99999: Invalid PiD."}));
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
    EXPECT_EQ(ask("SITE KILL 4711").lines, (Lines{"200- ", "200 4711: Invalid PiD."}));
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
    int strays = 0;
    for (const std::string& note : notes) {
        strays += note.find("200-") != std::string::npos ? 1 : 0;
    }
    EXPECT_GE(strays, 2) << testing::PrintToString(notes);
    EXPECT_TRUE(site.isOpen());
}

// The server opens a reply right after each NOOP reply and ends it only when
// the next command arrives, just before that command's reply.
TEST_F(LiveConnection, AReplyBegunBeforeTheCommandIsNeverTakenForItsReply) {
    openAs("splitter");
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
    EXPECT_EQ(countOf(notes, "<? 200-Unsolicited notice   (no command waiting)"), 2) << testing::PrintToString(notes);
    EXPECT_EQ(countOf(notes, "<? 200 end of notice   (no command waiting)"), 2);
    EXPECT_TRUE(site.isOpen());
}

// After the fence behind SITE GROUPS the server sends 300,000 replies of its
// own, most of them still on their way when the next command is written.
TEST_F(LiveConnection, AFloodOfUnsolicitedRepliesIsNeverTakenForTheNextCommandsReply) {
    openAs("flood");
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
    int flood = 0;
    for (const std::string& note : notes) {
        flood += note.compare(0, 19, "<? 299 unsolicited ") == 0 ? 1 : 0;
    }
    EXPECT_EQ(flood, 300000);
    EXPECT_EQ(countOf(notes, "<? 299 unsolicited 299999   (no command waiting)"), 1);
    EXPECT_EQ(ask("SITE SWHO").lines, livetest::fixtureLines("site_swho.txt"));
}

// The same after every NOOP: the flood comes between the front NOOP's reply
// and the command's, so which reply is the command's is unknown.
TEST_F(LiveConnection, AFloodAfterEveryNoopMakesTheOutcomeUnknownAndClosesTheConnection) {
    openAs("noopflood");
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
    session::Reply reply;
    std::string failure;
    EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
    EXPECT_TRUE(contains(failure, "the outcome is unknown")) << failure;
    EXPECT_FALSE(site.isOpen());
    EXPECT_EQ(countOf(livetest::commandsOf(receivedNow(), "noopflood"), "SITE USER alice"), 1);
}

// The account screen in one TLS record of 1.8 KB, a byte every 2 ms: nothing
// decrypts for about 4 s, four times the silence time-out, while bytes come.
// Reads still end with their wait slice (0.1 s), so the window keeps painting.
TEST_F(LiveConnection, ATlsRecordSlowerThanTheTimeOutCompletesWhileItsBytesKeepComing) {
    live::SiteOptions options = livetest::pinnedLogin(server, "slowrecords");
    options.port = server.recordsPort;
    options.limits.replyTimeoutMs = 1000;
    openWith(options);
    int waits = 0;
    site.onWaiting = [&](const std::string&, std::size_t) { ++waits; };
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
    EXPECT_GE(waits, 10);
    EXPECT_TRUE(site.isOpen());
}

// 583 bytes, one every 5 ms or so: several times the silence time-out.
TEST_F(LiveConnection, ASlowListingCompletesWhileBytesKeepComing) {
    openAs("trickle", 1000);
    const DWORD start = GetTickCount();
    EXPECT_EQ(ask("SITE USER").lines, livetest::fixtureLines("site_user_listing.txt"));
    EXPECT_GT(GetTickCount() - start, 2000u);
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
}

TEST_F(LiveConnection, TheKeepAliveIsDueAfterItsIntervalAndIdleSendsItThen) {
    const int interval = 800;
    EXPECT_GT(site.msUntilKeepAlive(interval), 1000000) << "not open";
    openAs("siteop");
    EXPECT_GT(site.msUntilKeepAlive(0), 1000000) << "no keep-alive";
    const int due = site.msUntilKeepAlive(interval);
    EXPECT_GT(due, interval / 2);
    EXPECT_LE(due, interval);
    std::string failure;
    ASSERT_TRUE(site.idle(interval, failure)) << failure;
    EXPECT_EQ(countOf(notes, "> NOOP   (keep-alive)"), 0);

    Sleep(static_cast<DWORD>(site.msUntilKeepAlive(interval)));
    EXPECT_EQ(site.msUntilKeepAlive(interval), 0);
    ASSERT_TRUE(site.idle(interval, failure)) << failure;
    EXPECT_EQ(countOf(notes, "> NOOP   (keep-alive)"), 1);
    EXPECT_GT(site.msUntilKeepAlive(interval), interval / 2);
}

// --- a connection that breaks ---------------------------------------------------

struct BreakCase {
    const char* account;
    bool recordsListener;
    int replyTimeoutMs;
    int wholeReplyMs;
    std::size_t maxLines;  // between two fences
    DWORD atLeastMs;  // how long the failure may take, at least and at most
    DWORD atMostMs;
    const char* failure;  // a part of it
};

const BreakCase breakCases[] = {
    // No reply: the silence time-out ends the wait.
    {"stall", false, 1500, 600000, 1000000, 1400, 8000, "no reply for 1.5 s"},
    // Half a reply, then end of stream.
    {"dropper", false, 20000, 600000, 1000000, 0, 8000, "the server closed the connection"},
    // Bytes keep coming, too slowly: the bound of the whole exchange.
    {"trickle", false, 1000, 2000, 1000000, 1900, 8000, "the reply took longer than 2 s"},
    // Noise and replies that never end: a reply more than the command's
    // before the back fence, long before the bound of lines between fences.
    {"noisy", false, 30000, 600000, 5000, 0, 20000, "the command was sent, the outcome is unknown"},
    // TLS records that carry nothing, without end: bytes all the same, so
    // the bound of the whole exchange.
    {"emptyrecords", true, 1000, 2000, 1000000, 1900, 8000, "the reply took longer than 2 s"},
};

class Breaking : public LiveConnection, public testing::WithParamInterface<BreakCase> {};

TEST_P(Breaking, TheExchangeFailsTheConnectionClosesAndNothingIsSentAgain) {
    const BreakCase& c = GetParam();
    live::SiteOptions options = livetest::pinnedLogin(server, c.account);
    if (c.recordsListener) {
        options.port = server.recordsPort;
    }
    options.limits.replyTimeoutMs = c.replyTimeoutMs;
    options.limits.wholeReplyMs = c.wholeReplyMs;
    options.limits.reply.maxReplyLines = c.maxLines;
    openWith(options);
    const std::size_t notesAtOpen = notes.size();
    session::Reply reply;
    std::string failure;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
    const DWORD took = GetTickCount() - start;
    EXPECT_TRUE(contains(failure, c.failure)) << failure;
    EXPECT_GE(took, c.atLeastMs);
    EXPECT_LE(took, c.atMostMs);
    EXPECT_FALSE(site.isOpen());
    // What the server sent nobody asked for reached the transcript up to the bound.
    EXPECT_LE(notes.size() - notesAtOpen, c.maxLines + 1);

    failure.clear();
    EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
    EXPECT_FALSE(failure.empty());
    const Lines sent = livetest::commandsOf(receivedNow(), c.account);
    EXPECT_EQ(countOf(sent, "SITE USER alice"), 1) << testing::PrintToString(sent);
}

INSTANTIATE_TEST_SUITE_P(Live, Breaking, testing::ValuesIn(breakCases),
                         [](const testing::TestParamInfo<BreakCase>& info) { return info.param.account; });

// --- the operator cancels ------------------------------------------------------

// The host window's part as far as the waiting mode needs it: its status
// line, the Cancel button's click and the close that waits for the wait.
LRESULT CALLBACK waitingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && waiting_mode::handleCommand(LOWORD(wParam), HIWORD(wParam))) {
        return 0;
    }
    if (message == WM_CLOSE && waiting_mode::deferClose()) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A reply that never comes, while the waiting mode runs as in the window:
// Esc, the Cancel button or the window's close end the wait well before the
// silence time-out (30 s), the request fails with its outcome unknown, the
// connection is closed and nothing is sent again; after a close the window
// gets its WM_CLOSE once the wait is over.
TEST_F(LiveConnection, TheOperatorCancelsAWaitAndTheConnectionIsClosed) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = waitingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuorinWaitingTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"QuorinWaitingTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    HWND status = CreateWindowExW(0, L"STATIC", L"Ready.", WS_CHILD | WS_VISIBLE, 8, 8, 172, 32, window, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(status, nullptr);
    waiting_mode::attach(status);
    HWND cancelButton = GetDlgItem(window, waiting_mode::cancelButtonId);
    enum class Way { Escape, CancelButton, CloseWindow };
    for (Way way : {Way::Escape, Way::CancelButton, Way::CloseWindow}) {
        SCOPED_TRACE(static_cast<int>(way));
        logMark = livetest::received(server).size();
        openAs("stall");
        site.onWaiting = waiting_mode::showProgress;
        waiting_mode::begin();
        EXPECT_TRUE(GetWindowLongW(cancelButton, GWL_STYLE) & WS_VISIBLE);
        if (way == Way::Escape) {
            PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (way == Way::CancelButton) {
            PostMessageW(cancelButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageW(cancelButton, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        } else {
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        session::Reply reply;
        std::string failure;
        const DWORD start = GetTickCount();
        EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
        EXPECT_LT(GetTickCount() - start, 5000u);
        waiting_mode::end();
        EXPECT_EQ(failure, "cancelled by the operator; the outcome is unknown");
        EXPECT_FALSE(site.isOpen());
        EXPECT_FALSE(GetWindowLongW(cancelButton, GWL_STYLE) & WS_VISIBLE);
        MSG message;
        EXPECT_EQ(PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE, way == Way::CloseWindow);
        EXPECT_EQ(countOf(livetest::commandsOf(receivedNow(), "stall"), "SITE USER alice"), 1);
        site.onWaiting = nullptr;
    }
    DestroyWindow(window);
}

// The keep-alive NOOP to a server that stopped answering is a wait as any
// command's: Esc gives it up well before the silence time-out.
TEST_F(LiveConnection, TheOperatorCancelsASilentKeepAlive) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = waitingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuorinKeepAliveTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"QuorinKeepAliveTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    HWND status = CreateWindowExW(0, L"STATIC", L"Ready.", WS_CHILD | WS_VISIBLE, 8, 8, 172, 32, window, nullptr,
                                  windowClass.hInstance, nullptr);
    waiting_mode::attach(status);
    openAs("stall");
    site.onWaiting = waiting_mode::showProgress;
    Sleep(20);
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    std::string failure;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(site.idle(10, failure));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(failure, "cancelled by the operator; the outcome is unknown");
    EXPECT_FALSE(waiting_mode::active());
    site.onWaiting = nullptr;
    DestroyWindow(window);
}

// An address lookup that hangs: given up between its slices, the lookup
// left to end on its own thread.
HANDLE lookupReleased = nullptr;
volatile LONG lookupsEnded = 0;

int WSAAPI hangingLookup(PCWSTR, PCWSTR, const ADDRINFOW*, PADDRINFOW* found) {
    WaitForSingleObject(lookupReleased, 20000);
    *found = nullptr;
    InterlockedIncrement(&lookupsEnded);
    return WSAHOST_NOT_FOUND;
}

TEST(LiveWaits, AnAddressLookupThatHangsIsGivenUp) {
    lookupReleased = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    live::SocketStream socket;
    socket.addressLookup = hangingLookup;
    int turns = 0;
    std::string failure;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(socket.connect("lookup.invalid", 21, 15000, failure, [&] { return ++turns < 3; }));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(failure, "Looking up the address of lookup.invalid was cancelled by the operator; nothing was sent");
    SetEvent(lookupReleased);
    for (int wait = 0; wait < 100 && lookupsEnded == 0; ++wait) {
        Sleep(20);
    }
    EXPECT_EQ(lookupsEnded, 1);
    Sleep(50);  // its thread lets go of the lookup
    CloseHandle(lookupReleased);
}

// A server that takes nothing of a long write: the write waits in slices,
// the operator may give it up, or is asked once the limit passes.
TEST(LiveWaits, AWriteTheServerTakesNothingOfWaitsInSlices) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 2), 0);
    int size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const std::string flood(64 * 1024 * 1024, 'x');
    for (const bool cancels : {true, false}) {
        SCOPED_TRACE(cancels ? "cancelled" : "asked");
        live::SocketStream stream;
        std::string failure;
        ASSERT_TRUE(stream.connect("127.0.0.1", ntohs(address.sin_port), 5000, failure)) << failure;
        SOCKET peer = accept(listener, nullptr, nullptr);  // reads nothing
        int turns = 0, asked = 0;
        if (cancels) {
            stream.sendTurn = [&] { return ++turns < 5; };
        } else {
            stream.sendLimitMs = 300;
            stream.keepSending = [&](int stalledMs) {
                EXPECT_EQ(stalledMs, 300);
                return ++asked < 2;
            };
        }
        const DWORD start = GetTickCount();
        const live::StreamStatus status = stream.write(flood);
        EXPECT_LT(GetTickCount() - start, 5000u);
        if (cancels) {
            EXPECT_EQ(status, live::StreamStatus::Failed);
            EXPECT_EQ(stream.lastError(), live::cancelledBySender);
            EXPECT_EQ(turns, 5);
        } else {
            EXPECT_EQ(status, live::StreamStatus::TimedOut);
            EXPECT_EQ(asked, 2);
        }
        closesocket(peer);
    }
    closesocket(listener);
}

}  // namespace
