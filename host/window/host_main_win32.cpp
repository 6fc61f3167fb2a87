// quorin_host.exe: opens the host window, or with --tour <dir> walks through
// every page and both dialogs and leaves screenshots and the transcript.
// --glftpd2 makes the simulated site answer as a glftpd 2.x server, --colours
// turns on the operator's colours (flag 5): every reply line in ANSI colour.
// A live site instead: --site and its options, or a saved site (--load);
// --save saves one and exits. See command_line.h.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/window/command_line.h"
#include "host/window/console_output_win32.h"
#include "host/connect/connection_panel_win32.h"
#include "host/window/host_app.h"
#include "host/window/host_admin_win32.h"
#include "host/live/fingerprint.h"
#include "host/connect/site_manager_win32.h"
#include "host/sites/password_file.h"
#include "host/sites/wide_text_win32.h"
#include "host/window/transcript_pane_win32.h"

namespace {

// The page's own dialog navigation (Tab, Enter, mnemonics) when the focus is
// inside it, the host window's otherwise.
bool routeDialogMessage(MSG& message) {
    HWND focus = GetFocus();
    HWND hostPage = host_admin::shownPage();
    if (hostPage != nullptr && focus != nullptr && (focus == hostPage || IsChild(hostPage, focus)) &&
        IsDialogMessageW(hostPage, &message)) {
        return true;
    }
    HWND page = app.currentPage;
    if (page != nullptr && IsWindow(page) && focus != nullptr && (focus == page || IsChild(page, focus))) {
        if (IsDialogMessageW(page, &message)) {
            return true;
        }
    }
    return app.main != nullptr && IsDialogMessageW(app.main, &message);
}

// On the console the host was started from; without one in a message box,
// unless `quiet`.
void report(const std::string& text, bool quiet) { console_output::tell(text, quiet); }

// The words after the program's name as Windows has them (UTF-16), in
// UTF-8: a name or path outside the ANSI code page stays what was typed.
bool commandLineWords(std::vector<std::string>& words) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return false;
    }
    bool converted = true;
    for (int i = 1; i < count && converted; ++i) {
        std::string word;
        converted = wide_text::toUtf8(wide[i], word);
        words.push_back(word);
    }
    LocalFree(wide);
    return converted;
}

// A path for the parts of the host that open files in the ANSI code page,
// converted in place; refused rather than turned into another path.
bool toAnsiPath(std::string& path, std::string& problem) {
    if (path.empty()) {
        return true;
    }
    const std::wstring wide = wide_text::toWide(path);
    BOOL lossy = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        problem = "the path " + path + " cannot be written in this system's code page; use another folder";
        return false;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    path.swap(ansi);
    return true;
}

bool sameFingerprint(const std::string& a, const std::string& b) {
    live::Sha256Digest first{};
    live::Sha256Digest second{};
    return live::parseFingerprint(a, first) && live::parseFingerprint(b, second) && first == second;
}

// The live site's options from the command line or the saved site; empty,
// or why nothing can be sent.
std::string takeLiveSite(const CommandLine& line) {
    live::SiteOptions& options = app.liveOptions;
    if (line.timeoutMs > 0) {
        options.limits.replyTimeoutMs = line.timeoutMs;
    }
    if (line.replyLimitMs > 0) {
        options.limits.wholeReplyMs = line.replyLimitMs;
    }
    site_manager::RememberedPassword remembered = site_manager::RememberedPassword::None;
    if (!line.loadName.empty()) {
        if (!site_manager::optionsFor(line.loadName, options, remembered)) {
            return "there is no saved site \"" + line.loadName + "\" in " + site_manager::filePath();
        }
        if (!line.fingerprint.empty() && !sameFingerprint(line.fingerprint, options.fingerprint)) {
            return "--fingerprint does not match the pin saved for \"" + line.loadName + "\" (" +
                   (options.fingerprint.empty() ? std::string("none") : options.fingerprint) +
                   "): nothing was sent";
        }
        app.savedSite.name = site_manager::savedName(line.loadName);
        app.savedSite.rememberPassword = remembered == site_manager::RememberedPassword::Known;
    } else {
        options.host = line.host;
        options.port = line.port;
        options.user = line.user;
        options.fingerprint = line.fingerprint;
        options.requireTls = !line.plain;
    }
    if (!line.passwordFile.empty()) {
        std::string why;
        if (!sites::readPasswordFile(line.passwordFile, options.password, why)) {
            return why + ": nothing was sent";
        }
    } else if (remembered == site_manager::RememberedPassword::Unusable && line.touring()) {
        return site_manager::unusablePasswordText(app.savedSite.name) +
               ": give --password-file FILE, or connect from the window and type it; nothing was sent";
    } else if (remembered != site_manager::RememberedPassword::Known && line.touring()) {
        return "a tour of a live site needs --password-file FILE or a saved site with a remembered password";
    }
    return "";
}

// --save: the site goes into the saved sites' file, nothing is connected.
int saveSite(const CommandLine& line) {
    std::string failure;
    if (!site_manager::open(line.sitesFile, failure)) {
        report(failure + "\nNothing was saved.", false);
        return 1;
    }
    const std::string problem = takeLiveSite(line);
    if (!problem.empty()) {
        report(problem, false);
        return 1;
    }
    const bool replacing = site_manager::exists(line.saveName);
    if (!site_manager::save(line.saveName, app.liveOptions, line.rememberPassword, site_manager::SaveMode::Replace,
                            false, failure)) {
        report(failure + "\nNothing was saved.", false);
        return 1;
    }
    console_output::say(std::string(replacing ? "replaced" : "saved") + " the site \"" + line.saveName + "\" in " +
                        site_manager::filePath());
    return 0;
}

void wipeSecrets() { SecureZeroMemory(&app.liveOptions.password[0], app.liveOptions.password.size()); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    app.instance = instance;
    console_output::attachToStartingConsole();
    CommandLine line;
    std::vector<std::string> words;
    std::string usage = commandLineWords(words) ? parseCommandLine(words, line)
                                                : "the command line holds a character that is not Unicode text";
    const bool touring = line.touring();
    if (usage.empty() && (!toAnsiPath(line.tourDirectory, usage) ||
                                           !toAnsiPath(line.transcriptFile, usage))) {
        report(usage, touring);
        return 1;
    }
    if (!usage.empty()) {
        report(usage + "\n" + commandLineUsage + "\nquorin_host --help: every option and its default", touring);
        return 1;
    }
    if (line.help) {
        const std::string help = std::string(commandLineUsage) + "\n" + commandLineOptions;
        if (console_output::canAnswer()) {
            console_output::say(help);
        } else {
            wide_text::messageBox(nullptr, help, "Quorin reference host", MB_ICONINFORMATION | MB_OK);
        }
        return 0;
    }
    if (!line.saveName.empty()) {
        const int saved = saveSite(line);
        wipeSecrets();
        return saved;
    }
    app.simulatedSettings.generation =
        line.glftpd2 ? simsite::SimulatedSite::Generation::Glftpd2 : simsite::SimulatedSite::Generation::Glftpd1;
    app.simulatedSettings.operatorColours = line.colours;
    app.keepAliveMs = line.keepAliveMs;
    // The limits hold for every live connection of this run, those made
    // with Connect too.
    if (line.timeoutMs > 0) {
        app.liveOptions.limits.replyTimeoutMs = line.timeoutMs;
    }
    if (line.replyLimitMs > 0) {
        app.liveOptions.limits.wholeReplyMs = line.replyLimitMs;
    }
    // A record the operator asked for and cannot have: refused before
    // anything is connected, rather than a run that leaves none.
    const std::string transcriptProblem = transcriptFileProblem(line.transcriptFile);
    if (!transcriptProblem.empty()) {
        report(transcriptProblem, touring);
        return 1;
    }
    transcript_pane::setFile(line.transcriptFile);

    // The saved sites: the Connect dialog offers them, --load takes one. A
    // damaged file is reported and only replaced when the operator agrees.
    std::string sitesFailure;
    const bool sitesRead = site_manager::open(line.sitesFile, sitesFailure);
    if (!sitesRead && !line.loadName.empty() && !site_manager::exists(line.loadName)) {
        report(sitesFailure, touring);
        return 1;
    }
    if (line.live()) {
        const std::string problem = takeLiveSite(line);
        if (!problem.empty()) {
            report(problem, touring);
            wipeSecrets();
            return 1;
        }
    }

    std::string error;
    if (!loadPlugin(error)) {
        report(error, touring);
        return 1;
    }
    if (!createMainWindow(touring ? SW_SHOWNORMAL : showCommand)) {
        report("cannot create the host window", touring);
        return 1;
    }
    if (!sitesRead) {
        // A notice of the window's, on the console as well.
        report(sitesFailure, true);
        if (!touring) {
            wide_text::messageBox(app.main, sitesFailure, "Quorin reference host", MB_ICONERROR | MB_OK);
        }
    }

    if (line.live() && !touring) {
        // Without a password the Connect dialog asks for it.
        std::string failure;
        const bool ready = !app.liveOptions.password.empty() ||
                           connection_panel::askConnectOptions(app.instance, app.main, app.liveOptions, app.savedSite);
        if (ready && !connectLive(true, failure)) {
            wide_text::messageBox(app.main, failure, "Connect", MB_ICONERROR | MB_OK);
        }
    }

    int exitCode = 0;
    if (touring) {
        exitCode = runTour(line.tourDirectory, line.live());
        closeHost();
        pumpMessages();
    } else {
        showPage(1);
        MSG message;
        // Unicode: what the operator types reaches the host's pages in any
        // script (an ANSI window, as the plug-in's pages are, gets its
        // characters converted by the system).
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!routeDialogMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    for (const std::string& fault : app.session->faults()) {
        console_output::tell("channel fault: " + fault, true);
    }
    app.plugin.unload();
    app.served.reset();
    wipeSecrets();
    app.session.reset();
    transcript_pane::closeFile();
    return exitCode;
}
