// The host window: its layout, its commands, the plug-in it loads and the
// site it serves.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "host/connection_panel_win32.h"
#include "host/host_app.h"
#include "host/site_login_win32.h"
#include "host/transcript_pane_win32.h"
#include "host/waiting_mode_win32.h"

HostApp app;

namespace {

constexpr UINT WM_FOCUS_PAGE = WM_APP + 1;
constexpr int margin = 8;
constexpr int leftWidth = 172;
constexpr int transcriptWidth = 640;

enum HostControlId {
    ID_PAGE_LIST = 100,
    ID_SWHO_CHECK,
    ID_CONNECTED_CHECK,
    ID_NOTE,
    ID_DIRECTORY,
    ID_NUKE,
    ID_UNNUKE,
    ID_RESULT,
    ID_TRANSCRIPT,
    ID_CONNECTION_TEXT,
    ID_CONNECT,
    ID_DISCONNECT,
    ID_RECONNECT,
    ID_STATUS,
    ID_SIMULATED,
};

constexpr UINT_PTR idleTimer = 1;

const char* const pageNames[] = {
    "1  Add user", "2  Edit user", "3  Statistics", "4  User commands",
    "5  Site commands", "6  Groups", "7  Online users",
};

// The largest page template, in dialog units.
constexpr int largestPageWidthDlu = 380;
constexpr int largestPageHeightDlu = 259;

SIZE pageAreaSize;

// Pixels of the page templates' dialog units, as the dialog manager computes
// them for their font: average character width and height of 8 point
// "MS Sans Serif".
SIZE dialogUnitsToPixels(int widthDlu, int heightDlu, HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE extent{};
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32A(dc, alphabet, 52, &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int baseX = (extent.cx / 26 + 1) / 2;
    const int baseY = metrics.tmHeight;
    return SIZE{MulDiv(widthDlu, baseX, 4), MulDiv(heightDlu, baseY, 8)};
}

HWND addControl(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   app.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.instance,
                                   nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(app.dialogFont), TRUE);
    return control;
}

void noteUserAdded() {
    ++app.usersAdded;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char note[160];
    wsprintfA(note, "User added (ACTION_USER_ADDED) at %02d:%02d:%02d.\r\nAccounts added this session: %d",
              now.wHour, now.wMinute, now.wSecond, app.usersAdded);
    SetWindowTextA(app.noteText, note);
}

// The panel, the title and the simulated site's switches, for the site
// served now.
void showServedSite(const std::string& detail = "") {
    connection_panel::showState(*app.served, detail, !app.liveOptions.host.empty());
    simsite::SimulatedSite* simulation = app.served->simulation();
    const int show = simulation != nullptr ? SW_SHOW : SW_HIDE;
    ShowWindow(app.switchesGroup, show);
    ShowWindow(app.connectedCheck, show);
    ShowWindow(app.swhoCheck, show);
    SendMessageA(app.connectedCheck, BM_SETCHECK, app.session->connected ? BST_CHECKED : BST_UNCHECKED, 0);
}

// After an exchange: a connection that was open and is gone.
void noteIfConnectionLost(bool wasOpen) {
    if (wasOpen && !app.served->isOpen()) {
        showServedSite("Disconnected: the connection was lost (see the transcript). Nothing is sent again on its "
                       "own: Reconnect when ready.");
    }
}

// The idle work once a second, and the keep-alive exactly when it is due.
void scheduleIdleWork() {
    SetTimer(app.main, idleTimer, static_cast<UINT>(app.served->msUntilIdleWork()), nullptr);
}

void doIdleWork() {
    if (!waiting_mode::active() && app.served->isOpen()) {
        std::string failure;
        if (!app.served->idle(failure)) {
            showServedSite("Disconnected: " + failure);
        }
    }
    scheduleIdleWork();
}

void connectInteractively(bool ask, const char* title) {
    if (ask && !connection_panel::askConnectOptions(app.instance, app.main, app.liveOptions, app.savedSite)) {
        return;
    }
    std::string failure;
    if (!connectLive(true, failure)) {
        MessageBoxA(app.main, failure.c_str(), title, MB_ICONERROR | MB_OK);
    }
}

void onCommand(int id, int code) {
    if (id == ID_PAGE_LIST && code == LBN_SELCHANGE) {
        const LRESULT index = SendMessageA(app.pageList, LB_GETCURSEL, 0, 0);
        if (index >= 0) {
            showPage(static_cast<std::int32_t>(index) + 1);
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    simsite::SimulatedSite* simulation = app.served->simulation();
    switch (id) {
    case ID_NUKE:
    case ID_UNNUKE:
        runReleaseDialog(id == ID_NUKE);
        break;
    case ID_SWHO_CHECK:
        if (simulation != nullptr) {
            simulation->setSwhoAllowed(SendMessageA(app.swhoCheck, BM_GETCHECK, 0, 0) == BST_CHECKED);
        }
        break;
    case ID_CONNECTED_CHECK:
        app.session->connected = SendMessageA(app.connectedCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
    case ID_CONNECT:
        connectInteractively(true, "Connect");
        break;
    case ID_RECONNECT:
        connectInteractively(false, "Reconnect");
        break;
    case ID_DISCONNECT:
        app.served->close();
        showServedSite("Disconnected by the operator.");
        break;
    case ID_SIMULATED:
        serveSite(makeSimulatedSite(app.simulatedSettings));
        break;
    default:
        break;
    }
}

LRESULT CALLBACK pageAreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The page sends its notifications to its own dialog procedure; nothing
    // reaches this frame but painting.
    return DefWindowProcA(window, message, wParam, lParam);
}

void layoutTranscript() {
    RECT client{};
    GetClientRect(app.main, &client);
    const int x = leftWidth + 2 * margin + pageAreaSize.cx + margin;
    const int width = client.right - x - margin;
    const int height = client.bottom - 2 * margin;
    if (app.transcript != nullptr && width > 50 && height > 50) {
        MoveWindow(app.transcript, x, margin, width, height, TRUE);
    }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == idleTimer) {
            doIdleWork();
        }
        return 0;
    case WM_SETCURSOR:
        if (waiting_mode::active()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_FOCUS_PAGE:
        if (app.currentPage != nullptr && IsWindow(app.currentPage)) {
            SendMessageA(app.currentPage, WM_PAGE_FOCUS, 0, 0);
        }
        return 0;
    case WM_ENTERIDLE:
        // The nuke dialog's modal loop has nothing to do: the tour's turn.
        if (wParam == MSGF_DIALOGBOX && app.modalScript) {
            std::function<void(HWND)> script = std::move(app.modalScript);
            app.modalScript = nullptr;
            script(reinterpret_cast<HWND>(lParam));
        }
        return 0;
    case WM_SIZE:
        layoutTranscript();
        return 0;
    case WM_CLOSE:
        closeHost();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool registerClasses() {
    WNDCLASSA mainClass{};
    mainClass.lpfnWndProc = mainWindowProc;
    mainClass.hInstance = app.instance;
    mainClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.lpszClassName = "QuorinHostWindow";
    WNDCLASSA areaClass = mainClass;
    areaClass.lpfnWndProc = pageAreaProc;
    areaClass.lpszClassName = "QuorinPageArea";
    return RegisterClassA(&mainClass) != 0 && RegisterClassA(&areaClass) != 0;
}

void createFonts() {
    HDC screen = GetDC(nullptr);
    const int pointHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    app.dialogFont = CreateFontA(pointHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    app.fixedFont = CreateFontA(pointHeight - 1, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, "Courier New");
}

// The left column: pages, the simulated site's switches, notes, the
// connection panel and the status line.
void createLeftColumn() {
    addControl("STATIC", "&Pages", SS_LEFT, margin, margin, leftWidth, 16, -1);
    app.pageList = addControl("LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_TABSTOP | WS_VSCROLL,
                              margin, margin + 18, leftWidth, 7 * 16 + 6, ID_PAGE_LIST);
    for (const char* name : pageNames) {
        SendMessageA(app.pageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    const int optionsTop = margin + 18 + 7 * 16 + 6 + margin;
    app.switchesGroup = addControl("BUTTON", "Simulated site", BS_GROUPBOX, margin, optionsTop, leftWidth, 72, -1);
    app.connectedCheck = addControl("BUTTON", "&Connected", BS_AUTOCHECKBOX | WS_TABSTOP, margin + 8,
                                    optionsTop + 20, leftWidth - 16, 20, ID_CONNECTED_CHECK);
    app.swhoCheck = addControl("BUTTON", "Site allows &SWHO", BS_AUTOCHECKBOX | WS_TABSTOP, margin + 8,
                               optionsTop + 44, leftWidth - 16, 20, ID_SWHO_CHECK);
    SendMessageA(app.swhoCheck, BM_SETCHECK, BST_CHECKED, 0);
    const int noteTop = optionsTop + 72 + margin;
    addControl("BUTTON", "Notes", BS_GROUPBOX, margin, noteTop, leftWidth, 96, -1);
    app.noteText = addControl("STATIC", "No user added yet.", SS_LEFT, margin + 8, noteTop + 18, leftWidth - 16, 70,
                              ID_NOTE);
    const int connectionTop = noteTop + 96 + margin;
    addControl("BUTTON", "Connection", BS_GROUPBOX, margin, connectionTop, leftWidth, 140, -1);
    connection_panel::Controls panel;
    panel.main = app.main;
    panel.stateText = addControl("STATIC", "", SS_LEFT | SS_NOPREFIX, margin + 8, connectionTop + 18,
                                 leftWidth - 16, 60, ID_CONNECTION_TEXT);
    const int buttonWidth = (leftWidth - 16 - 6) / 2;
    const int secondColumn = margin + 8 + buttonWidth + 6;
    panel.connectButton = addControl("BUTTON", "C&onnect...", BS_PUSHBUTTON | WS_TABSTOP, margin + 8,
                                     connectionTop + 82, buttonWidth, 24, ID_CONNECT);
    panel.disconnectButton = addControl("BUTTON", "D&isconnect", BS_PUSHBUTTON | WS_TABSTOP, secondColumn,
                                        connectionTop + 82, buttonWidth, 24, ID_DISCONNECT);
    panel.reconnectButton = addControl("BUTTON", "&Reconnect", BS_PUSHBUTTON | WS_TABSTOP, margin + 8,
                                       connectionTop + 110, buttonWidth, 24, ID_RECONNECT);
    panel.simulatedButton = addControl("BUTTON", "Si&mulated", BS_PUSHBUTTON | WS_TABSTOP, secondColumn,
                                       connectionTop + 110, buttonWidth, 24, ID_SIMULATED);
    connection_panel::attach(panel);
    HWND status = addControl("STATIC", "Ready.", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, margin,
                             connectionTop + 140 + 6, leftWidth, 32, ID_STATUS);
    waiting_mode::attach(status);
}

// The release group under the page area: the directory, Nuke and Unnuke.
void createReleaseGroup(int areaX, int top) {
    const int groupWidth = pageAreaSize.cx + 4;
    addControl("BUTTON", "Release (nuke / unnuke through the plug-in's dialog)", BS_GROUPBOX, areaX, top, groupWidth,
               112, -1);
    addControl("STATIC", "&Directory", SS_LEFT, areaX + 10, top + 24, 60, 16, -1);
    app.directoryEdit = addControl("EDIT", "Some.Release-GRP", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, areaX + 72,
                                   top + 20, groupWidth - 72 - 180, 22, ID_DIRECTORY, WS_EX_CLIENTEDGE);
    addControl("BUTTON", "&Nuke...", BS_PUSHBUTTON | WS_TABSTOP, areaX + groupWidth - 170, top + 19, 76, 24,
               ID_NUKE);
    addControl("BUTTON", "&Unnuke...", BS_PUSHBUTTON | WS_TABSTOP, areaX + groupWidth - 88, top + 19, 76, 24,
               ID_UNNUKE);
    app.releaseResult = addControl("STATIC", "Type a release directory and press Nuke or Unnuke.", SS_LEFT,
                                   areaX + 10, top + 50, groupWidth - 20, 56, ID_RESULT);
}

// Where each request of the plug-in leaves the host: the session, over the
// site served now.
void wireSession() {
    app.session->onTranscriptLine = transcript_pane::append;
    app.session->onShowPage = [](std::int32_t pageId) { showPage(pageId); };
    app.session->onUserAdded = noteUserAdded;
}

}  // namespace

std::int32_t HOST_CDECL hostCallback(HostRequest* request) {
    if (!app.session) {
        return 0;
    }
    if (request == nullptr || request->action != ACTION_SEND_COMMAND) {
        return app.session->handle(request);
    }
    const bool wasOpen = app.served->isOpen();
    waiting_mode::begin();
    const std::int32_t result = app.session->handle(request);
    waiting_mode::end();
    noteIfConnectionLost(wasOpen);
    return result;
}

bool loadPlugin(std::string& error) { return app.plugin.load("quorin_glftpd_1_24.dll", error); }

bool createMainWindow(int showCommand) {
    // The list view and up-down classes the plug-in's templates name.
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    if (!app.served) {
        app.served = makeSimulatedSite(app.simulatedSettings);
    }
    app.session.reset(new session::HostSession(app.served->link()));
    wireSession();
    if (!registerClasses()) {
        return false;
    }
    createFonts();
    pageAreaSize = dialogUnitsToPixels(largestPageWidthDlu, largestPageHeightDlu, app.dialogFont);

    const int areaX = leftWidth + 2 * margin;
    const int releaseTop = margin + pageAreaSize.cy + 4 + margin;
    const int clientWidth = areaX + pageAreaSize.cx + 4 + margin + transcriptWidth + margin;
    const int clientHeight = releaseTop + 112 + margin;
    RECT frame{0, 0, clientWidth, clientHeight};
    // No WS_CLIPCHILDREN: the group boxes are transparent and need the
    // window's own background painted under them.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    app.main = CreateWindowExA(WS_EX_CONTROLPARENT, "QuorinHostWindow", QUORIN_HOST_TITLE, style, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, app.instance,
                               nullptr);
    if (app.main == nullptr) {
        return false;
    }
    createLeftColumn();
    app.pageArea = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, "QuorinPageArea", "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, areaX, margin, pageAreaSize.cx + 4,
                                   pageAreaSize.cy + 4, app.main, nullptr, app.instance, nullptr);
    createReleaseGroup(areaX, releaseTop);
    app.transcript = addControl("EDIT", "",
                                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                    WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                                0, 0, 10, 10, ID_TRANSCRIPT, WS_EX_CLIENTEDGE);
    SendMessageA(app.transcript, WM_SETFONT, reinterpret_cast<WPARAM>(app.fixedFont), TRUE);
    transcript_pane::attach(app.transcript);
    layoutTranscript();
    transcript_pane::append("Quorin reference host: the plug-in's requests (>) and the site's replies (<).");
    transcript_pane::append("Site: " + app.served->stateText());
    showServedSite();
    scheduleIdleWork();

    ShowWindow(app.main, showCommand);
    UpdateWindow(app.main);
    return true;
}

void showPage(std::int32_t pageId) {
    if (app.plugin.initDialog == nullptr) {
        return;
    }
    app.currentPage = app.plugin.initDialog(pageId, app.pageArea, hostCallback);
    app.currentPageId = pageId;
    if (pageId >= 1 && pageId <= 7 &&
        SendMessageA(app.pageList, LB_GETCURSEL, 0, 0) != static_cast<LRESULT>(pageId - 1)) {
        SendMessageA(app.pageList, LB_SETCURSEL, static_cast<WPARAM>(pageId - 1), 0);
    }
    if (app.currentPage != nullptr) {
        // Posted: a switch asked for by a page (ACTION_SHOW_PAGE) arrives
        // inside that page's own dialog procedure.
        PostMessageA(app.main, WM_FOCUS_PAGE, 0, 0);
    }
}

void runReleaseDialog(bool isNuke) {
    if (app.plugin.dialogNuke == nullptr) {
        return;
    }
    // The plug-in may rewrite the directory in place (an unnuke strips the
    // nuke word), so it gets a writable buffer of its own.
    std::vector<char> directory(1024, '\0');
    GetWindowTextA(app.directoryEdit, directory.data(), static_cast<int>(directory.size()) - 1);
    const std::string given = directory.data();
    char reason[256] = {};
    const std::int32_t result = app.plugin.dialogNuke(app.main, isNuke ? 1 : 0, directory.data(), reason);
    directory.back() = '\0';
    reason[255] = '\0';
    const std::string rewritten = directory.data();

    std::string text = std::string(isNuke ? "Nuke" : "Unnuke") + " dialog returned " + std::to_string(result);
    if (result < 0) {
        text += " (cancelled): nothing is sent.";
        if (rewritten != given) {
            text += "\r\nDirectory rewritten to: " + rewritten;
        }
        SetWindowTextA(app.releaseResult, text.c_str());
        return;
    }
    std::string command;
    if (isNuke) {
        command = "SITE NUKE " + rewritten + " " + std::to_string(result) + " " + reason;
        text += " (multiplier " + std::to_string(result) + ")";
    } else {
        command = "SITE UNNUKE " + rewritten + " " + reason;
    }
    text += ", reason \"" + std::string(reason) + "\"";
    text += "\r\nDirectory: \"" + given + "\"";
    if (rewritten != given) {
        text += " rewritten to \"" + rewritten + "\"";
    }
    text += "\r\nThe host sends: " + command;
    simsite::Reply reply;
    const bool wasOpen = app.served->isOpen();
    waiting_mode::begin();
    const bool answered = app.session->sendOwnCommand(command, reply);
    waiting_mode::end();
    if (answered) {
        text += "\r\nSite: " + reply.lines.back();
    } else {
        text += "\r\nNot sent or no reply: see the transcript.";
    }
    noteIfConnectionLost(wasOpen);
    SetWindowTextA(app.releaseResult, text.c_str());

    const std::string nukedName = isNuke ? app.served->nameAfterNuke(rewritten) : rewritten;
    if (!nukedName.empty()) {
        SetWindowTextA(app.directoryEdit, nukedName.c_str());
    }
}

void closeHost() {
    // Let the plug-in destroy its page itself (it keeps the page's state),
    // before the host's windows go.
    if (app.plugin.initDialog != nullptr) {
        app.plugin.initDialog(0, app.pageArea, hostCallback);
        app.currentPage = nullptr;
    }
    if (app.main != nullptr) {
        DestroyWindow(app.main);
        app.main = nullptr;
    }
}

void pumpMessages() {
    MSG message;
    for (int round = 0; round < 2000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void serveSite(std::unique_ptr<ServedSite> site, const std::string& detail) {
    // The plug-in reads the site's groups and users once per load: a fresh
    // load, so that no name of the site shown before stays in its lists.
    const std::int32_t pageId = app.currentPageId > 0 ? app.currentPageId : 1;
    if (app.plugin.initDialog != nullptr) {
        app.plugin.initDialog(0, app.pageArea, hostCallback);
    }
    app.currentPage = nullptr;
    app.plugin.unload();
    app.session->useSite(site->link());
    app.session->connected = true;
    app.served = std::move(site);
    showServedSite(detail);
    scheduleIdleWork();
    std::string loadError;
    if (!loadPlugin(loadError)) {
        app.session->note("!! " + loadError);
        showServedSite(loadError);
        return;
    }
    showPage(pageId);
}

bool connectLive(bool interactive, std::string& failure) {
    if (!app.liveOptions.fingerprint.empty() && !app.liveOptions.requireTls) {
        failure = "A pinned certificate fingerprint needs TLS: nothing was sent.";
        return false;
    }
    // A connection served so far is closed before another opens.
    app.served->close();
    showServedSite("Connecting to " + app.liveOptions.host + "...");
    std::unique_ptr<ServedSite> site = logInToLiveSite(interactive, failure);
    const bool opened = site->isOpen();
    serveSite(std::move(site), opened ? "" : "Not connected: " + failure);
    return opened;
}
