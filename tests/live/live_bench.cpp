// Timings of the live connection against glftpd_test_server.py on loopback
// (tools/live-bench.sh starts the server with --listing-users 10000 and runs
// this): the TLS handshake, the round trip of a command over TLS and over a
// plain connection, what the NOOP fences (one in front of the command, one
// behind it) add to each round trip, and the Edit user page filled over the
// connection. `--smoke` runs each once, small.
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

#include "host/served/plugin_library_win32.h"
#include "host/live/ftp_control.h"
#include "host/live/live_site_win32.h"
#include "host/live/socket_stream_win32.h"
#include "host/live/tls_stream_win32.h"
#include "host/session/host_session.h"
#include "plugin/host_channel.h"
#include "resources/resource_ids.h"
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

}  // namespace

int main(int argc, char** argv) {
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
