// quorin_host.exe: opens the host window, or with --tour <dir> walks through
// every page and both dialogs and leaves screenshots and the transcript.
// --glftpd2 makes the simulated site answer as a glftpd 2.x server, --colours
// turns on the operator's colours (flag 5): every reply line in ANSI colour.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/host_app.h"

namespace {

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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    app.instance = instance;
    std::string tourDirectory;
    bool touring = false;
    for (int i = 1; i < __argc; ++i) {
        if (std::strcmp(__argv[i], "--tour") == 0 && i + 1 < __argc) {
            touring = true;
            tourDirectory = __argv[++i];
        } else if (std::strcmp(__argv[i], "--glftpd2") == 0) {
            app.site.setGeneration(simsite::SimulatedSite::Generation::Glftpd2);
        } else if (std::strcmp(__argv[i], "--colours") == 0) {
            app.site.setOperatorColours(true);
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
    app.session.reset();
    return exitCode;
}
