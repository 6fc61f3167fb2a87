#pragma once
// The reference host: loads the plug-in, shows its pages in a page area,
// runs its nuke and unnuke dialogs, and serves its callback from one site
// at a time (the simulated glftpd site or a live connection), logging every
// exchange in a transcript pane.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/connect/connection_panel_win32.h"
#include "host/served/served_site.h"
#include "host/session/host_session.h"
#include "host/served/plugin_library_win32.h"

// Sent by the host to a page so that it focuses its main control.
constexpr UINT WM_PAGE_FOCUS = WM_USER + 200;

struct HostApp {
    HINSTANCE instance = nullptr;
    PluginLibrary plugin;

    HWND main = nullptr;
    HWND pageList = nullptr;
    HWND pageArea = nullptr;
    HWND switchesGroup = nullptr;
    HWND swhoCheck = nullptr;
    HWND connectedCheck = nullptr;
    HWND noteText = nullptr;
    HWND directoryEdit = nullptr;
    HWND releaseResult = nullptr;
    HWND transcript = nullptr;
    // The DPI the window is laid out and its fonts made for.
    UINT dpi = 96;
    HFONT dialogFont = nullptr;
    HFONT fixedFont = nullptr;

    HWND currentPage = nullptr;
    std::int32_t currentPageId = 0;
    int usersAdded = 0;

    // The site served now, and the host's end of the plug-in's channel.
    std::unique_ptr<ServedSite> served;
    std::unique_ptr<session::HostSession> session;
    SimulatedSiteSettings simulatedSettings;
    // The live site last asked for (--site, --load or Connect), for
    // Reconnect, and the saved site it is, if any.
    live::SiteOptions liveOptions;
    connection_panel::SavedChoice savedSite;
    int keepAliveMs = 60000;

    // Run once from the nuke dialog's modal loop (the tour fills the dialog
    // and takes its picture there).
    std::function<void(HWND dialog)> modalScript;
};

extern HostApp app;

// The C callback the plug-in is given.
std::int32_t HOST_CDECL hostCallback(HostRequest* request);

bool loadPlugin(std::string& error);
bool createMainWindow(int showCommand);
// InitDialog for the page, then WM_PAGE_FOCUS to what it returns.
void showPage(std::int32_t pageId);
// DialogNuke with the directory field; shows and sends the command a host builds.
void runReleaseDialog(bool isNuke);
void closeHost();
// A command of the host's own (its pages), through the session in the
// waiting mode, as the host's nuke is sent; false when not sent or not
// answered (the transcript says which).
bool sendHostCommand(const std::string& command, session::Reply& reply);
void pumpMessages();

// Serves `site` from now on: the plug-in is loaded afresh, so that no name
// of the site shown before stays in its lists.
void serveSite(std::unique_ptr<ServedSite> site, const std::string& detail = "");
// Opens app.liveOptions (asking about an untrusted certificate when
// `interactive`) and serves it; false with the reason in `failure`.
bool connectLive(bool interactive, std::string& failure);

// A PNG picture of a window as it is on the screen now.
bool saveWindowPicture(HWND window, const std::string& path, std::string& error);

// Walks through every page and both dialogs, writes a PNG of each and the
// transcript into `outDir`; returns the process exit code. `live`: connects
// to app.liveOptions first, and only reads.
int runTour(const std::string& outDir, bool live);
