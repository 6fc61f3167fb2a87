// Timings of the live connection against glftpd_test_server.py on loopback
// (tools/live-bench.sh starts the server with --listing-users 10000 and runs
// this): the TLS handshake, the round trip of a command over TLS and over a
// plain connection, what the NOOP fences (one in front of the command, one
// behind it) add to each round trip, and the Edit user page filled over the
// connection. `--smoke` runs each once, small.
//
// `--accounts-listing N` instead lists every account on the host's Accounts
// page over a pinned TLS connection to the real glftpd 2.13 named by
// QUORIN_GLFTPD_STATE (tools/live-bench.sh --glftpd starts it with a big
// site), through what the host window puts between the socket and the page:
// the host session and its record, the transcript pane, the waiting mode.
// It prints one line a listing, "listing <rows> <ms> ...": from the click
// that writes SITE USERS until the page is painted, and of it the exchange
// on the connection, the session's record, the transcript pane and the page.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/admin/admin_pages_win32.h"
#include "host/resources/host_resources.h"
#include "host/served/plugin_library_win32.h"
#include "host/live/ftp_control.h"
#include "host/live/live_site_win32.h"
#include "host/live/socket_stream_win32.h"
#include "host/live/tls_stream_win32.h"
#include "host/session/host_session.h"
#include "plugin/host_channel.h"
#include "resources/resource_ids.h"
#include "host/window/transcript_pane_win32.h"
#include "host/window/waiting_mode_win32.h"
#include "tests/live/live_server.h"

namespace {

using Clock = std::chrono::steady_clock;

livetest::ServerInfo server;
bool smoke = false;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Stats {
    double min = 0, median = 0, mean = 0;
};

Stats statsOf(std::vector<double> samples) {
    Stats stats;
    if (samples.empty()) {
        return stats;
    }
    std::sort(samples.begin(), samples.end());
    stats.min = samples.front();
    stats.median = samples[samples.size() / 2];
    for (double sample : samples) {
        stats.mean += sample;
    }
    stats.mean /= static_cast<double>(samples.size());
    return stats;
}

void row(const char* what, const Stats& stats, std::size_t samples) {
    std::printf("%-46s %9.3f %9.3f %9.3f   (%zu)\n", what, stats.mean, stats.median, stats.min, samples);
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "live_bench: %s\n", what.c_str());
    std::exit(1);
}

void openSite(live::LiveSite& site, const std::string& account, bool tls) {
    live::SiteOptions options = livetest::pinnedLogin(server, account);
    if (!tls) {
        options.port = server.plainPort;
        options.requireTls = false;
        options.fingerprint.clear();
    }
    std::string failure;
    if (!site.open(options, nullptr, failure)) {
        fail("cannot open as " + account + ": " + failure);
    }
}

constexpr std::size_t aliceLines = 23;  // SITE USER alice: site_user_alice.txt

// Round trips of one command; the first few are left out (warm-up).
std::vector<double> roundTrips(const std::function<bool(session::Reply&, std::string&)>& exchange, int count,
                               std::size_t lines = aliceLines) {
    std::vector<double> samples;
    for (int i = -5; i < count; ++i) {
        session::Reply reply;
        std::string failure;
        const Clock::time_point start = Clock::now();
        if (!exchange(reply, failure) || reply.lines.size() != lines) {
            fail("round trip: " + failure);
        }
        if (i >= 0) {
            samples.push_back(msSince(start));
        }
    }
    return samples;
}

void handshakes(int count) {
    std::vector<double> handshake, open;
    for (int i = 0; i < count; ++i) {
        live::LiveSite site;
        const Clock::time_point start = Clock::now();
        openSite(site, "siteop", true);
        open.push_back(msSince(start));
        handshake.push_back(site.handshakeMs());
    }
    row("TLS handshake (LiveSite::handshakeMs)", statsOf(handshake), handshake.size());
    row("open: connect, AUTH TLS, handshake, login, fence", statsOf(open), open.size());
}

void liveRoundTrips(int count) {
    for (const bool tls : {true, false}) {
        live::LiveSite site;
        openSite(site, "siteop", tls);
        const std::vector<double> samples = roundTrips(
            [&](session::Reply& reply, std::string& failure) { return site.exchange("SITE USER alice", reply, failure); },
            count);
        row(tls ? "SITE USER alice over TLS (LiveSite)" : "SITE USER alice, plain (LiveSite)", statsOf(samples),
            samples.size());
    }
}

// The fences' cost: the same command with and without them, on one control
// connection of our own (plain, then TLS), in alternating runs of ten.
void fenceCost(int count) {
    for (const bool tls : {false, true}) {
        live::SocketStream socket;
        std::unique_ptr<live::TlsStream> secure;
        std::string failure;
        if (!socket.connect("127.0.0.1", server.tlsPort, 10000, failure)) {
            fail("connect: " + failure);
        }
        live::FtpControl control(socket);
        session::Reply reply;
        bool ok = control.readReply(reply, failure);
        if (ok && tls) {
            ok = control.exchange("AUTH TLS", reply, failure) && reply.code == 234;
            secure.reset(new live::TlsStream(socket));
            ok = ok && control.switchStream(*secure, failure) && secure->handshake("127.0.0.1", 10000, failure);
        }
        ok = ok && control.exchange("USER siteop", reply, failure) && control.exchange("PASS secret", reply, failure) &&
             reply.code == 230 && control.learnFence(failure);
        if (!ok) {
            fail("control connection: " + failure);
        }
        std::vector<double> bare, fenced;
        for (int run = 0; run < (count + 9) / 10; ++run) {
            const std::vector<double> b = roundTrips(
                [&](session::Reply& r, std::string& f) { return control.exchange("SITE USER alice", r, f); }, 10);
            const std::vector<double> g = roundTrips(
                [&](session::Reply& r, std::string& f) { return control.fencedExchange("SITE USER alice", r, f); }, 10);
            bare.insert(bare.end(), b.begin(), b.end());
            fenced.insert(fenced.end(), g.begin(), g.end());
        }
        const Stats withFence = statsOf(fenced), without = statsOf(bare);
        row(tls ? "TLS: without the fence (FtpControl::exchange)" : "plain: without the fence (FtpControl::exchange)",
            without, bare.size());
        row(tls ? "TLS: fenced (FtpControl::fencedExchange)" : "plain: fenced (FtpControl::fencedExchange)", withFence,
            fenced.size());
        Stats added;
        added.mean = withFence.mean - without.mean;
        added.median = withFence.median - without.median;
        added.min = withFence.min - without.min;
        row(tls ? "TLS: the fences add" : "plain: the fences add", added, fenced.size());
    }
}

session::HostSession* session = nullptr;

std::int32_t HOST_CDECL hostCallback(HostRequest* request) {
    return session != nullptr ? session->handle(request) : 0;
}

// InitDialog of the Edit user page until it is filled and painted, each time
// a fresh load of the shipped DLL (its directory cache empty), the host's
// callback served by the host session over the connection.
void editUserPage(const char* account, int count) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorinLiveBenchHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, windowClass.lpszClassName, "Live bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                0, 0, 900, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(host, SW_SHOW);

    live::LiveSite site;
    openSite(site, account, true);
    session::HostSession served(site);
    session = &served;
    std::vector<double> samples;
    LRESULT names = 0;
    for (int i = 0; i < count; ++i) {
        PluginLibrary plugin;
        std::string error;
        if (!plugin.load("quorin_glftpd_1_24.dll", error)) {
            fail(error);
        }
        const Clock::time_point start = Clock::now();
        HWND page = plugin.initDialog(2, host, hostCallback);
        RedrawWindow(host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        samples.push_back(msSince(start));
        names = page != nullptr ? SendDlgItemMessageA(page, IDC_EDITUSER_USERNAME, CB_GETCOUNT, 0, 0) : -1;
        plugin.unload();
        if (names <= 0 || !served.faults().empty()) {
            fail("the Edit user page was not filled over the connection");
        }
    }
    session = nullptr;
    DestroyWindow(host);
    char what[96];
    std::snprintf(what, sizeof what, "Edit user page, %ld users (%s)", static_cast<long>(names), account);
    row(what, statsOf(samples), samples.size());

    // The listing alone over the same connection, for comparison.
    const std::vector<double> listing = roundTrips(
        [&](session::Reply& reply, std::string& failure) { return site.exchange("SITE USER", reply, failure); },
        count, livetest::stateFile(server, "big_listing.txt").size());
    std::snprintf(what, sizeof what, "  of it: SITE USER listing alone (%s)", account);
    row(what, statsOf(listing), listing.size());
}

// The value after "key": in the one flat object glftpd213_site.py writes.
std::string jsonValue(const std::string& json, const std::string& key) {
    std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos || (at = json.find(':', at)) == std::string::npos) {
        return std::string();
    }
    const std::size_t start = json.find_first_not_of(" \"", at + 1);
    const std::size_t end = start == std::string::npos ? start : json.find_first_of(",}\"", start);
    return start == std::string::npos ? std::string() : json.substr(start, end - start);
}

live::SiteOptions realServerLogin() {
    const char* state = std::getenv("QUORIN_GLFTPD_STATE");
    if (state == nullptr || *state == '\0') {
        fail("QUORIN_GLFTPD_STATE is not set: run this through tools/live-bench.sh --glftpd");
    }
    std::string json;
    if (std::FILE* in = std::fopen((std::string(state) + "\\server.json").c_str(), "rb")) {
        char buffer[4096];
        json.assign(buffer, std::fread(buffer, 1, sizeof buffer, in));
        std::fclose(in);
    }
    live::SiteOptions options;
    options.host = "127.0.0.1";
    options.port = std::atoi(jsonValue(json, "port").c_str());
    options.user = jsonValue(json, "user");
    options.password = jsonValue(json, "password");
    options.fingerprint = jsonValue(json, "fingerprint");
    options.limits.replyTimeoutMs = 120000;
    if (options.port <= 0 || options.user.empty()) {
        fail(std::string("no usable server.json in ") + state);
    }
    return options;
}

// The Accounts page's listing of every account over the live connection,
// with the host window's parts in between, `count` times.
int accountsListing(int count) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuorinLiveBenchAccounts";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"Live bench", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 800,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND pane = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                0, 560, 1180, 170, host, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND status = CreateWindowExW(0, L"STATIC", L"Ready.", WS_CHILD | WS_VISIBLE, 0, 735, 1180, 22, host, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (host == nullptr) {
        fail("no window: " + std::to_string(GetLastError()));
    }
    ShowWindow(host, SW_SHOW);
    transcript_pane::attach(pane);
    waiting_mode::attach(status);

    live::LiveSite site;
    site.onWaiting = waiting_mode::showProgress;
    std::string failure;
    if (!site.open(realServerLogin(), nullptr, failure)) {
        fail("cannot log in to the real glftpd: " + failure);
    }
    // The connection's part of the time.
    struct TimedLink : session::SiteLink {
        explicit TimedLink(live::LiveSite& site) : inner(site) {}
        bool exchange(const std::string& command, session::Reply& reply, std::string& failure) override {
            const Clock::time_point start = Clock::now();
            const bool answered = inner.exchange(command, reply, failure);
            ms = msSince(start);
            return answered;
        }
        bool isOpen() const override { return inner.isOpen(); }
        live::LiveSite& inner;
        double ms = 0;
    } timed(site);
    session::HostSession served(timed);
    served.onTranscriptLine = transcript_pane::append;
    double sendMs = 0, endMs = 0;
    AdminContext context;
    context.send = [&](const std::string& command, session::Reply& reply, std::string& why) {
        waiting_mode::begin();
        const Clock::time_point start = Clock::now();
        const bool answered = served.sendOwnCommand(command, reply);
        sendMs = msSince(start);
        const Clock::time_point ending = Clock::now();
        waiting_mode::end();  // the pane takes the lines held during the wait
        endMs = msSince(ending);
        why = answered ? "" : served.firstFailure();
        return answered;
    };
    context.ask = [](HWND, const std::string&, const std::string&, UINT) { return IDYES; };
    context.loadOwnCommands = [] { return std::vector<std::string>(); };
    context.saveOwnCommands = [](const std::vector<std::string>&, std::string&) { return true; };
    for (int i = 0; i < count; ++i) {
        HWND page = createAdminPage(AdminPage::Accounts, host, context);
        if (page == nullptr) {
            fail("no Accounts page");
        }
        SetWindowPos(page, nullptr, 0, 0, 1180, 550, SWP_NOZORDER);
        ShowWindow(page, SW_SHOW);
        RedrawWindow(host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const Clock::time_point start = Clock::now();
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_ACCOUNT_LIST_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON)));
        RedrawWindow(host, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const double elapsed = msSince(start);
        const LRESULT rows = SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_LIST, LVM_GETITEMCOUNT, 0, 0);
        if (rows <= 0 || !site.isOpen()) {
            fail("the Accounts page was not filled over the connection: " + served.firstFailure());
        }
        // Where it went: the connection's exchange, the session's record
        // of the reply, the transcript pane once the wait is over, and the
        // page's reading and painting (the rest).
        std::printf("listing %ld %.1f exchange %.1f record %.1f pane %.1f page %.1f\n", static_cast<long>(rows),
                    elapsed, timed.ms, sendMs - timed.ms, endMs, elapsed - sendMs - endMs);
        std::fflush(stdout);
        DestroyWindow(page);
    }
    DestroyWindow(host);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--accounts-listing") == 0) {
        return accountsListing(std::max(1, std::atoi(argv[2])));
    }
    smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    std::string failure;
    if (!livetest::loadServer(server, failure)) {
        fail(failure);
    }
    const int trips = smoke ? 3 : 200;
    std::printf("%-46s %9s %9s %9s   (samples)\n", "live connection on loopback, ms", "mean", "median", "min");
    handshakes(smoke ? 1 : 20);
    liveRoundTrips(trips);
    fenceCost(smoke ? 10 : trips);
    editUserPage("bigreply", smoke ? 1 : 5);
    editUserPage("linerecords", smoke ? 1 : 5);
    return 0;
}
