#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "host/host_app.h"

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
};

constexpr UINT_PTR idleTimer = 1;
constexpr UINT idleTimerMs = 1000;

const char* const pageNames[] = {
    "1  Add user", "2  Edit user", "3  Statistics", "4  User commands",
    "5  Site commands", "6  Groups", "7  Online users",
};

// The largest page template, in dialog units.
constexpr int largestPageWidthDlu = 380;
constexpr int largestPageHeightDlu = 259;

SIZE pageAreaSize;
int releaseTop = 0;

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

// The operator's record of what was done to the site: every line with the
// time it was written, appended, masked as the pane is.
std::FILE* transcriptFile = nullptr;
// Lines not yet in the pane: a request's reply goes in at once when it is
// complete (a listing of thousands of lines, line by line, would take
// minutes in an edit control), and while it arrives at most ten times a
// second.
std::string pendingTranscript;
bool holdingTranscript = false;

void appendTranscriptFile(const std::string& line) {
    if (app.transcriptPath.empty()) {
        return;
    }
    if (transcriptFile == nullptr) {
        transcriptFile = std::fopen(app.transcriptPath.c_str(), "ab");
        if (transcriptFile == nullptr) {
            return;
        }
    }
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    const std::tm* local = std::localtime(&now);
    if (local != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    }
    std::fprintf(transcriptFile, "%s %s\n", stamp, line.c_str());
}

// The pane shows the newest text, at most this much: past it the oldest
// lines go, so that a site that talks without end neither freezes the pane
// at the edit control's limit nor grows the host's memory.
constexpr int paneLimitChars = 4 * 1024 * 1024;

// Cuts `text` to at most `limit` characters from its end, at a line start.
void keepNewest(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t cut = text.find('\n', text.size() - limit);
    text.erase(0, cut == std::string::npos ? text.size() - limit : cut + 1);
}

void flushTranscript() {
    if (transcriptFile != nullptr) {
        std::fflush(transcriptFile);
    }
    if (pendingTranscript.empty() || app.transcript == nullptr) {
        return;
    }
    keepNewest(pendingTranscript, paneLimitChars / 2);
    const int shown = GetWindowTextLengthA(app.transcript);
    if (shown + static_cast<int>(pendingTranscript.size()) > paneLimitChars) {
        // Drop the oldest half of the pane, up to a line end.
        std::vector<char> text(static_cast<std::size_t>(shown) + 1, '\0');
        GetWindowTextA(app.transcript, text.data(), shown + 1);
        const char* half = std::strchr(text.data() + shown / 2, '\n');
        const int drop = half == nullptr ? shown : static_cast<int>(half - text.data()) + 1;
        SendMessageA(app.transcript, EM_SETSEL, 0, static_cast<LPARAM>(drop));
        SendMessageA(app.transcript, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    const int end = GetWindowTextLengthA(app.transcript);
    SendMessageA(app.transcript, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageA(app.transcript, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingTranscript.c_str()));
    pendingTranscript.clear();
}

void appendTranscript(const std::string& line) {
    appendTranscriptFile(line);
    pendingTranscript += line;
    pendingTranscript += "\r\n";
    if (!holdingTranscript) {
        flushTranscript();
    }
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

// The idle drain once a second, and the keep-alive exactly when it is due.
void scheduleIdleWork() {
    UINT wait = idleTimerMs;
    if (app.live && app.liveSite.isOpen()) {
        const int due = app.liveSite.msUntilKeepAlive(app.keepAliveMs);
        wait = static_cast<UINT>(due < 1 ? 1 : due < static_cast<int>(idleTimerMs) ? due : idleTimerMs);
    }
    SetTimer(app.main, idleTimer, wait, nullptr);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == ID_PAGE_LIST && code == LBN_SELCHANGE) {
            const LRESULT index = SendMessageA(app.pageList, LB_GETCURSEL, 0, 0);
            if (index >= 0) {
                showPage(static_cast<std::int32_t>(index) + 1);
            }
        } else if (id == ID_NUKE && code == BN_CLICKED) {
            runReleaseDialog(true);
        } else if (id == ID_UNNUKE && code == BN_CLICKED) {
            runReleaseDialog(false);
        } else if (id == ID_SWHO_CHECK && code == BN_CLICKED) {
            const bool allowed = SendMessageA(app.swhoCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
            app.site.setSwhoAllowed(allowed);
        } else if (id == ID_CONNECTED_CHECK && code == BN_CLICKED) {
            app.session->connected = SendMessageA(app.connectedCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
        } else if (id == ID_CONNECT && code == BN_CLICKED) {
            if (askConnectOptions(window)) {
                std::string failure;
                if (!connectLive(true, failure)) {
                    MessageBoxA(window, failure.c_str(), "Connect", MB_ICONERROR | MB_OK);
                }
            }
        } else if (id == ID_RECONNECT && code == BN_CLICKED) {
            std::string failure;
            if (!connectLive(true, failure)) {
                MessageBoxA(window, failure.c_str(), "Reconnect", MB_ICONERROR | MB_OK);
            }
        } else if (id == ID_DISCONNECT && code == BN_CLICKED) {
            disconnectLive();
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == idleTimer) {
            if (app.live && !app.busy && app.liveSite.isOpen()) {
                std::string failure;
                if (!app.liveSite.idle(app.keepAliveMs, failure)) {
                    showConnectionState("Disconnected: " + failure);
                }
            }
            scheduleIdleWork();
        }
        return 0;
    case WM_SETCURSOR:
        if (app.busy) {
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

std::string exeDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) {
        slash[1] = '\0';
    }
    return path;
}

}  // namespace

std::int32_t HOST_CDECL hostCallback(HostRequest* request) {
    if (!app.session) {
        return 0;
    }
    if (request == nullptr || request->action != ACTION_SEND_COMMAND) {
        return app.session->handle(request);
    }
    holdingTranscript = true;
    if (!app.live) {
        const std::int32_t result = app.session->handle(request);
        holdingTranscript = false;
        flushTranscript();
        return result;
    }
    const bool wasOpen = app.liveSite.isOpen();
    app.busy = true;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const std::int32_t result = app.session->handle(request);
    app.busy = false;
    holdingTranscript = false;
    flushTranscript();
    SetCursor(previous);
    SetWindowTextA(app.statusLine, "Ready.");
    noteIfConnectionLost(wasOpen);
    return result;
}

void noteIfConnectionLost(bool wasOpen) {
    if (app.live && wasOpen && !app.liveSite.isOpen()) {
        showConnectionState("Disconnected: the connection was lost (see the transcript). Nothing is sent again "
                            "on its own: Reconnect when ready.");
    }
}

void showWaiting(const std::string& command, std::size_t linesSoFar) {
    // Painting only: input arriving now is thrown away, so nothing reaches
    // the plug-in (or the host's buttons) before its request is complete.
    static DWORD lastShown = 0;
    const DWORD now = GetTickCount();
    if (now - lastShown >= 100) {
        lastShown = now;
        // The count first: a long command is cut at the line's end.
        const std::string text = std::to_string(linesSoFar) + " line(s) received, waiting for the reply to " +
                                 command;
        SetWindowTextA(app.statusLine, text.c_str());
        flushTranscript();
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
    for (int painted = 0; painted < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++painted) {
        DispatchMessageA(&message);
    }
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

bool loadPlugin(std::string& error) {
    const std::string path = exeDirectory() + "quorin_glftpd_1_24.dll";
    app.plugin = LoadLibraryA(path.c_str());
    if (app.plugin == nullptr) {
        error = "Cannot load " + path;
        return false;
    }
    app.initDialog = reinterpret_cast<InitDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(app.plugin, "InitDialog")));
    app.dialogNuke = reinterpret_cast<DialogNukeFunction>(
        reinterpret_cast<void*>(GetProcAddress(app.plugin, "DialogNuke")));
    if (app.initDialog == nullptr || app.dialogNuke == nullptr) {
        error = path + " does not export InitDialog and DialogNuke";
        FreeLibrary(app.plugin);
        app.plugin = nullptr;
        return false;
    }
    return true;
}

bool createMainWindow(int showCommand) {
    // The list view and up-down classes the plug-in's templates name.
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);

    app.session.reset(new session::HostSession(app.site));
    app.session->onTranscriptLine = appendTranscript;
    app.session->onShowPage = [](std::int32_t pageId) { showPage(pageId); };
    app.session->onUserAdded = noteUserAdded;
    app.liveSite.onNote = [](const std::string& line) { app.session->note(line); };
    app.liveSite.onWaiting = showWaiting;
    if (app.live) {
        app.session->useSite(app.liveSite);
    }

    WNDCLASSA mainClass{};
    mainClass.lpfnWndProc = mainWindowProc;
    mainClass.hInstance = app.instance;
    mainClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.lpszClassName = "QuorinHostWindow";
    WNDCLASSA areaClass{};
    areaClass.lpfnWndProc = pageAreaProc;
    areaClass.hInstance = app.instance;
    areaClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    areaClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    areaClass.lpszClassName = "QuorinPageArea";
    if (RegisterClassA(&mainClass) == 0 || RegisterClassA(&areaClass) == 0) {
        return false;
    }

    HDC screen = GetDC(nullptr);
    const int pointHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    app.dialogFont = CreateFontA(pointHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    app.fixedFont = CreateFontA(pointHeight - 1, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, "Courier New");
    pageAreaSize = dialogUnitsToPixels(largestPageWidthDlu, largestPageHeightDlu, app.dialogFont);

    const int areaX = leftWidth + 2 * margin;
    releaseTop = margin + pageAreaSize.cy + 4 + margin;
    const int clientWidth = areaX + pageAreaSize.cx + 4 + margin + transcriptWidth + margin;
    const int clientHeight = releaseTop + 112 + margin;
    RECT frame{0, 0, clientWidth, clientHeight};
    // No WS_CLIPCHILDREN: the group boxes are transparent and need the
    // window's own background painted under them.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    app.main = CreateWindowExA(WS_EX_CONTROLPARENT, "QuorinHostWindow",
                               QUORIN_HOST_TITLE, style, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               app.instance, nullptr);
    if (app.main == nullptr) {
        return false;
    }

    addControl("STATIC", "&Pages", SS_LEFT, margin, margin, leftWidth, 16, -1);
    app.pageList = addControl("LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_TABSTOP | WS_VSCROLL,
                              margin, margin + 18, leftWidth, 7 * 16 + 6, ID_PAGE_LIST);
    for (const char* name : pageNames) {
        SendMessageA(app.pageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    const int optionsTop = margin + 18 + 7 * 16 + 6 + margin;
    addControl("BUTTON", "Site", BS_GROUPBOX, margin, optionsTop, leftWidth, 72, -1);
    app.connectedCheck = addControl("BUTTON", "&Connected", BS_AUTOCHECKBOX | WS_TABSTOP, margin + 8,
                                    optionsTop + 20, leftWidth - 16, 20, ID_CONNECTED_CHECK);
    SendMessageA(app.connectedCheck, BM_SETCHECK, BST_CHECKED, 0);
    app.swhoCheck = addControl("BUTTON", "Site allows &SWHO", BS_AUTOCHECKBOX | WS_TABSTOP, margin + 8,
                               optionsTop + 44, leftWidth - 16, 20, ID_SWHO_CHECK);
    SendMessageA(app.swhoCheck, BM_SETCHECK, BST_CHECKED, 0);
    const int noteTop = optionsTop + 72 + margin;
    addControl("BUTTON", "Notes", BS_GROUPBOX, margin, noteTop, leftWidth, 96, -1);
    app.noteText = addControl("STATIC", "No user added yet.", SS_LEFT, margin + 8, noteTop + 18, leftWidth - 16, 70,
                              ID_NOTE);
    const int connectionTop = noteTop + 96 + margin;
    addControl("BUTTON", "Connection", BS_GROUPBOX, margin, connectionTop, leftWidth, 140, -1);
    app.connectionText = addControl("STATIC", "", SS_LEFT | SS_NOPREFIX, margin + 8, connectionTop + 18,
                                    leftWidth - 16, 60, ID_CONNECTION_TEXT);
    const int buttonWidth = (leftWidth - 16 - 6) / 2;
    app.connectButton = addControl("BUTTON", "C&onnect...", BS_PUSHBUTTON | WS_TABSTOP, margin + 8,
                                   connectionTop + 82, buttonWidth, 24, ID_CONNECT);
    app.disconnectButton = addControl("BUTTON", "D&isconnect", BS_PUSHBUTTON | WS_TABSTOP,
                                      margin + 8 + buttonWidth + 6, connectionTop + 82, buttonWidth, 24,
                                      ID_DISCONNECT);
    app.reconnectButton = addControl("BUTTON", "&Reconnect", BS_PUSHBUTTON | WS_TABSTOP, margin + 8,
                                     connectionTop + 110, buttonWidth, 24, ID_RECONNECT);
    app.statusLine = addControl("STATIC", "Ready.", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, margin,
                                connectionTop + 140 + 6, leftWidth, 32, ID_STATUS);

    app.pageArea = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, "QuorinPageArea", "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, areaX, margin, pageAreaSize.cx + 4,
                                   pageAreaSize.cy + 4, app.main, nullptr, app.instance, nullptr);

    const int groupWidth = pageAreaSize.cx + 4;
    addControl("BUTTON", "Release (nuke / unnuke through the plug-in's dialog)", BS_GROUPBOX, areaX, releaseTop,
               groupWidth, 112, -1);
    addControl("STATIC", "&Directory", SS_LEFT, areaX + 10, releaseTop + 24, 60, 16, -1);
    app.directoryEdit = addControl("EDIT", "Some.Release-GRP", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                                   areaX + 72, releaseTop + 20, groupWidth - 72 - 180, 22, ID_DIRECTORY,
                                   WS_EX_CLIENTEDGE);
    app.nukeButton = addControl("BUTTON", "&Nuke...", BS_PUSHBUTTON | WS_TABSTOP, areaX + groupWidth - 170,
                                releaseTop + 19, 76, 24, ID_NUKE);
    app.unnukeButton = addControl("BUTTON", "&Unnuke...", BS_PUSHBUTTON | WS_TABSTOP, areaX + groupWidth - 88,
                                  releaseTop + 19, 76, 24, ID_UNNUKE);
    app.releaseResult = addControl("STATIC", "Type a release directory and press Nuke or Unnuke.", SS_LEFT,
                                   areaX + 10, releaseTop + 50, groupWidth - 20, 56, ID_RESULT);

    app.transcript = addControl("EDIT", "",
                                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                    WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                                0, 0, 10, 10, ID_TRANSCRIPT, WS_EX_CLIENTEDGE);
    SendMessageA(app.transcript, WM_SETFONT, reinterpret_cast<WPARAM>(app.fixedFont), TRUE);
    SendMessageA(app.transcript, EM_SETLIMITTEXT, 16 * 1024 * 1024, 0);
    layoutTranscript();
    appendTranscript("Quorin reference host: the plug-in's requests (>) and the site's replies (<).");
    if (!app.live) {
        appendTranscript("Site: " + app.site.siteName() + " (simulated glftpd), operator " +
                         app.site.operatorName() + ".");
    }
    showConnectionState("");
    scheduleIdleWork();

    ShowWindow(app.main, showCommand);
    UpdateWindow(app.main);
    return true;
}

void showPage(std::int32_t pageId) {
    if (app.initDialog == nullptr) {
        return;
    }
    app.currentPage = app.initDialog(pageId, app.pageArea, hostCallback);
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
    if (app.dialogNuke == nullptr) {
        return;
    }
    // The plug-in may rewrite the directory in place (an unnuke strips the
    // nuke word), so it gets a writable buffer of its own.
    std::vector<char> directory(1024, '\0');
    GetWindowTextA(app.directoryEdit, directory.data(), static_cast<int>(directory.size()) - 1);
    const std::string given = directory.data();
    char reason[256] = {};
    const std::int32_t result = app.dialogNuke(app.main, isNuke ? 1 : 0, directory.data(), reason);
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
    session::Reply reply;
    const bool wasOpen = app.liveSite.isOpen();
    const bool answered = app.session->sendOwnCommand(command, reply);
    noteIfConnectionLost(wasOpen);
    if (answered) {
        text += "\r\nSite: " + reply.lines.back();
    } else {
        text += "\r\nNot sent or no reply: see the transcript.";
    }
    SetWindowTextA(app.releaseResult, text.c_str());

    // The site renames what it nukes; show the directory as it now stands,
    // as a client's refreshed listing would.
    for (const simsite::Release& release : app.site.releases()) {
        if (isNuke && release.nuked && release.originalName == rewritten) {
            SetWindowTextA(app.directoryEdit, release.name.c_str());
        }
    }
    if (!isNuke) {
        SetWindowTextA(app.directoryEdit, rewritten.c_str());
    }
}

void closeHost() {
    // Let the plug-in destroy its page itself (it keeps the page's state),
    // before the host's windows go.
    if (app.initDialog != nullptr) {
        app.initDialog(0, app.pageArea, hostCallback);
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
