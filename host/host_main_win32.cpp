// quorin_host.exe: opens the host window, or with --tour <dir> walks through
// every page and both dialogs and leaves screenshots and the transcript.
// --glftpd2 makes the simulated site answer as a glftpd 2.x server, --colours
// turns on the operator's colours (flag 5): every reply line in ANSI colour.
// A live site instead: --site HOST[:PORT] --user NAME [--password-file FILE]
// [--fingerprint SHA256 | --plain] [--timeout SECONDS] [--reply-limit SECONDS]
// [--keepalive SECONDS] [--transcript FILE]. The password is never taken
// from the command line; any other option is refused.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host_app.h"

namespace {

const char usageText[] =
    "usage: quorin_host [--tour DIR] [--glftpd2] [--colours]\n"
    "       quorin_host [--tour DIR] --site HOST[:PORT] --user NAME [--password-file FILE]\n"
    "                   [--fingerprint SHA256 | --plain] [--timeout S] [--reply-limit S]\n"
    "                   [--keepalive S] [--transcript FILE]";

bool optionTakesValue(const char* option) {
    static const char* const withValue[] = {"--site", "--user", "--password-file", "--fingerprint", "--timeout",
                                            "--reply-limit", "--keepalive", "--transcript", "--tour"};
    for (const char* name : withValue) {
        if (std::strcmp(option, name) == 0) {
            return true;
        }
    }
    return false;
}

// The page's own dialog navigation (Tab, Enter, mnemonics) when the focus is
// inside it, the host window's otherwise.
bool routeDialogMessage(MSG& message) {
    HWND focus = GetFocus();
    HWND page = app.currentPage;
    if (page != nullptr && IsWindow(page) && focus != nullptr && (focus == page || IsChild(page, focus))) {
        if (IsDialogMessageA(page, &message)) {
            return true;
        }
    }
    return app.main != nullptr && IsDialogMessageA(app.main, &message);
}

void report(const std::string& text, bool quiet) {
    std::fprintf(stderr, "quorin_host: %s\n", text.c_str());
    if (!quiet) {
        MessageBoxA(nullptr, text.c_str(), "Quorin reference host", MB_ICONERROR | MB_OK);
    }
}

// The first line of the file, without its line end.
bool readPasswordFile(const std::string& path, std::string& password) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[1024] = {};
    const bool read = std::fgets(buffer, sizeof buffer, file) != nullptr;
    std::fclose(file);
    password = read ? buffer : "";
    const std::size_t end = password.find_first_of("\r\n");
    if (end != std::string::npos) {
        password.resize(end);
    }
    SecureZeroMemory(buffer, sizeof buffer);
    return true;
}

// Whole seconds from 1 to a day, as milliseconds; 0 for anything else.
int secondsOption(const char* text) {
    char* end = nullptr;
    const long seconds = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || seconds < 1 || seconds > 86400) {
        return 0;
    }
    return static_cast<int>(seconds) * 1000;
}

// HOST, HOST:PORT or [IPv6]:PORT.
bool readSiteAddress(const std::string& text, live::SiteOptions& options) {
    std::string host = text;
    std::string port;
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) {
            return false;
        }
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') {
                return false;
            }
            port = host.substr(close + 2);
        }
        host = host.substr(1, close - 1);
    } else if (host.find(':') != std::string::npos && host.find(':') == host.rfind(':')) {
        port = host.substr(host.find(':') + 1);
        host.resize(host.find(':'));
    }
    if (host.empty()) {
        return false;
    }
    options.host = host;
    if (!port.empty()) {
        char* end = nullptr;
        const long number = std::strtol(port.c_str(), &end, 10);
        if (*end != '\0' || number < 1 || number > 65535) {
            return false;
        }
        options.port = static_cast<int>(number);
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    app.instance = instance;
    std::string tourDirectory;
    bool touring = false;
    std::string passwordFile;
    std::string usage;
    for (int i = 1; i < __argc && usage.empty(); ++i) {
        const char* option = __argv[i];
        const bool takesValue = optionTakesValue(option);
        if (takesValue && i + 1 >= __argc) {
            usage = std::string(option) + " needs a value";
            break;
        }
        const char* value = takesValue ? __argv[++i] : nullptr;
        if (std::strcmp(option, "--site") == 0) {
            app.live = true;
            if (!readSiteAddress(value, app.liveOptions)) {
                usage = std::string("--site takes HOST or HOST:PORT, not ") + value;
            }
        } else if (std::strcmp(option, "--user") == 0) {
            app.liveOptions.user = value;
        } else if (std::strcmp(option, "--password-file") == 0) {
            passwordFile = value;
        } else if (std::strcmp(option, "--fingerprint") == 0) {
            app.liveOptions.fingerprint = value;
        } else if (std::strcmp(option, "--plain") == 0) {
            app.liveOptions.requireTls = false;
        } else if (std::strcmp(option, "--timeout") == 0) {
            app.liveOptions.limits.replyTimeoutMs = secondsOption(value);
            if (app.liveOptions.limits.replyTimeoutMs == 0) {
                usage = "--timeout takes whole seconds from 1 to 86400";
            }
        } else if (std::strcmp(option, "--reply-limit") == 0) {
            app.liveOptions.limits.wholeReplyMs = secondsOption(value);
            if (app.liveOptions.limits.wholeReplyMs == 0) {
                usage = "--reply-limit takes whole seconds from 1 to 86400";
            }
        } else if (std::strcmp(option, "--keepalive") == 0) {
            app.keepAliveMs = secondsOption(value);
            if (app.keepAliveMs == 0) {
                usage = "--keepalive takes whole seconds from 1 to 86400";
            }
        } else if (std::strcmp(option, "--transcript") == 0) {
            app.transcriptPath = value;
        } else if (std::strncmp(option, "--pass", 6) == 0) {
            // Never from the command line, where every process can read it.
            usage = "the password is read from a file (--password-file FILE), never from the command line";
        } else if (std::strcmp(option, "--tour") == 0) {
            touring = true;
            tourDirectory = value;
        } else if (std::strcmp(option, "--glftpd2") == 0) {
            app.site.setGeneration(simsite::SimulatedSite::Generation::Glftpd2);
        } else if (std::strcmp(option, "--colours") == 0) {
            app.site.setOperatorColours(true);
        } else {
            usage = std::string("unknown option ") + option;
        }
    }
    for (int i = 1; i < __argc; ++i) {
        touring = touring || std::strcmp(__argv[i], "--tour") == 0;
    }
    if (usage.empty() && !app.liveOptions.fingerprint.empty() && !app.liveOptions.requireTls) {
        usage = "--fingerprint pins the certificate of a TLS connection: it cannot go with --plain";
    }

    if (app.live && usage.empty()) {
        if (app.liveOptions.user.empty()) {
            usage = "--site needs --user NAME";
        } else if (!passwordFile.empty() && !readPasswordFile(passwordFile, app.liveOptions.password)) {
            usage = "cannot read the password file " + passwordFile;
        } else if (passwordFile.empty() && touring) {
            usage = "a tour of a live site needs --password-file FILE";
        }
    }
    if (!usage.empty()) {
        report(usage + "\n" + usageText, touring);
        return 1;
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

    if (app.live && !touring) {
        // Without a password file the Connect dialog asks for it.
        std::string failure;
        if (passwordFile.empty() ? askConnectOptions(app.main) && !connectLive(true, failure)
                                 : !connectLive(true, failure)) {
            MessageBoxA(app.main, failure.c_str(), "Connect", MB_ICONERROR | MB_OK);
        } else if (!app.liveSite.isOpen()) {
            showConnectionState("Not connected: use Connect.");
        }
    }

    int exitCode = 0;
    if (touring) {
        exitCode = runTour(tourDirectory);
        closeHost();
        pumpMessages();
    } else {
        showPage(1);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (!routeDialogMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    const std::vector<std::string> faults = app.session->faults();
    for (const std::string& fault : faults) {
        std::fprintf(stderr, "quorin_host: channel fault: %s\n", fault.c_str());
    }
    FreeLibrary(app.plugin);
    app.liveSite.close();
    SecureZeroMemory(&app.liveOptions.password[0], app.liveOptions.password.size());
    app.session.reset();
    return exitCode;
}
