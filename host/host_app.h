#pragma once
// The reference host: loads the plug-in, shows its pages in a page area,
// runs its nuke and unnuke dialogs, and serves its callback from a simulated
// glftpd site, logging every exchange in a transcript pane.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/live/live_site_win32.h"
#include "host/session/host_session.h"
#include "host/simsite/simulated_site.h"
#include "plugin/host_channel.h"
#include "quorin_version.h"

#define QUORIN_HOST_TITLE "Quorin reference host " QUORIN_VERSION_TEXT " - glftpd site administration"

typedef HWND(HOST_CDECL* InitDialogFunction)(std::int32_t pageId, HWND parent, HostCallback callback);
typedef std::int32_t(HOST_CDECL* DialogNukeFunction)(HWND parent, std::int32_t isNuke, char* directory,
                                                    char* reasonOut);

// Sent by the host to a page so that it focuses its main control.
constexpr UINT WM_PAGE_FOCUS = WM_USER + 200;

struct HostApp {
    HINSTANCE instance = nullptr;
    HMODULE plugin = nullptr;
    InitDialogFunction initDialog = nullptr;
    DialogNukeFunction dialogNuke = nullptr;

    HWND main = nullptr;
    HWND pageList = nullptr;
    HWND pageArea = nullptr;
    HWND swhoCheck = nullptr;
    HWND connectedCheck = nullptr;
    HWND noteText = nullptr;
    HWND directoryEdit = nullptr;
    HWND nukeButton = nullptr;
    HWND unnukeButton = nullptr;
    HWND releaseResult = nullptr;
    HWND transcript = nullptr;
    HFONT dialogFont = nullptr;
    HFONT fixedFont = nullptr;

    HWND currentPage = nullptr;
    std::int32_t currentPageId = 0;
    int usersAdded = 0;

    simsite::SimulatedSite site;
    std::unique_ptr<session::HostSession> session;

    // A live site instead of the simulated one (--site or Connect).
    bool live = false;
    live::SiteOptions liveOptions;
    live::LiveSite liveSite;
    int keepAliveMs = 60000;
    std::string transcriptPath;  // --transcript: appended, time-stamped
    // A request is in flight: input is held back, the window only paints.
    bool busy = false;
    HWND connectionText = nullptr;
    HWND statusLine = nullptr;
    HWND connectButton = nullptr;
    HWND disconnectButton = nullptr;
    HWND reconnectButton = nullptr;

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

// Opens app.liveOptions (asking about an untrusted certificate when
// `interactive`), reloads the plug-in so that it reads the new site afresh,
// and shows the outcome; false with the reason in `failure`.
bool connectLive(bool interactive, std::string& failure);
void disconnectLive();
// The Connect dialog; true when the operator pressed Connect.
bool askConnectOptions(HWND owner);
// Shows the connection's state in the window.
void showConnectionState(const std::string& detail);
// After an exchange: shows a live connection that was open and is gone.
void noteIfConnectionLost(bool wasOpen);

// A PNG picture of a window as it is on the screen now, frame included;
// false with the reason in `error`.
bool saveWindowPicture(HWND window, const std::string& path, std::string& error);

// Walks through every page and both dialogs, writes a PNG of each and the
// transcript into `outDir`; returns the process exit code.
int runTour(const std::string& outDir);
void pumpMessages();
