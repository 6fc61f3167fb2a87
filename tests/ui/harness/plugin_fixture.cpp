#include "tests/ui/harness/plugin_fixture.h"

#include <commctrl.h>

#include <cstring>

#include "resources/resource_ids.h"

namespace {

PluginTest* activeTest = nullptr;
std::vector<CaughtMessageBox>* activeMessageBoxes = nullptr;
std::vector<HWND>* activeDialogs = nullptr;
std::vector<std::pair<char, HWND>>* activeChildEvents = nullptr;
HWND activeHost = nullptr;
std::function<void(HWND)> modalScript;
std::int32_t lastUnloadReport = -1;
bool unloadReported = false;

constexpr UINT WM_RUN_MODAL_SCRIPT = WM_APP + 1;
constexpr int messageBoxTextId = 0xFFFF;

void HOST_CDECL recordUnload(std::int32_t liveBlocks) {
    unloadReported = true;
    lastUnloadReport = liveBlocks;
}

BOOL CALLBACK findIconStatic(HWND child, LPARAM found) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

// The MB_ICON* style whose system icon the box shows.
UINT messageBoxIcon(HWND box) {
    HWND iconStatic = nullptr;
    EnumChildWindows(box, findIconStatic, reinterpret_cast<LPARAM>(&iconStatic));
    if (iconStatic == nullptr) {
        return 0;
    }
    const HICON shown = reinterpret_cast<HICON>(SendMessageA(iconStatic, STM_GETICON, 0, 0));
    const struct {
        LPCSTR icon;
        UINT style;
    } icons[] = {{IDI_ERROR, MB_ICONERROR}, {IDI_WARNING, MB_ICONWARNING},
                 {IDI_INFORMATION, MB_ICONINFORMATION}, {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& candidate : icons) {
        if (shown != nullptr && shown == LoadIconA(nullptr, candidate.icon)) {
            return candidate.style;
        }
    }
    return 0;
}

bool isMessageBox(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0 && GetDlgItem(window, messageBoxTextId) != nullptr;
}

LRESULT CALLBACK cbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && activeChildEvents != nullptr) {
        const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        if (activeHost != nullptr && create->lpcs->hwndParent == activeHost) {
            activeChildEvents->push_back({'c', reinterpret_cast<HWND>(wParam)});
        }
    }
    if (code == HCBT_DESTROYWND && activeChildEvents != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (activeHost != nullptr && GetParent(window) == activeHost) {
            activeChildEvents->push_back({'d', window});
        }
    }
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (isMessageBox(window)) {
            if (activeMessageBoxes != nullptr) {
                activeMessageBoxes->push_back({windowText(window), getText(window, messageBoxTextId),
                                               messageBoxIcon(window), GetWindow(window, GW_OWNER)});
            }
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        } else if (modalScript) {
            char className[32] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0 && activeDialogs != nullptr) {
                activeDialogs->push_back(window);
                // Run the script from the dialog's own modal loop, once its
                // initialisation is complete.
                HWND owner = GetWindow(window, GW_OWNER);
                PostMessageA(owner != nullptr ? owner : window, WM_RUN_MODAL_SCRIPT, 0,
                             reinterpret_cast<LPARAM>(window));
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RUN_MODAL_SCRIPT) {
        std::function<void(HWND)> script = std::move(modalScript);
        modalScript = nullptr;
        if (script) {
            script(reinterpret_cast<HWND>(lParam));
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void PluginTest::SetUp() {
    activeTest = this;
    activeMessageBoxes = &messageBoxes;
    activeDialogs = &activatedDialogs;
    activeChildEvents = &childEvents;
    unloadReported = false;
    lastUnloadReport = -1;

    if (registersCommonControls()) {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&classes);
    }

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorinTestHost";
    RegisterClassA(&windowClass);
    host = CreateWindowExA(0, "QuorinTestHost", "Test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           0, 0, 900, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    activeHost = host;
    ShowWindow(host, SW_SHOW);

    cbtHook = SetWindowsHookExA(WH_CBT, cbtProc, nullptr, GetCurrentThreadId());
    ASSERT_NE(cbtHook, nullptr);

    ASSERT_NO_FATAL_FAILURE(loadLibrary());

    site.onShowPage = [this](std::int32_t pageId) { showPage(pageId); };
#ifdef QUORIN_HAVE_SIMSITE
    // Whatever a test does not script, the simulated site answers.
    site.useSimulatedSite();
#endif
}

void PluginTest::TearDown() {
    if (library != nullptr) {
        const bool probed = probeLiveBlocks != nullptr;
        const std::int32_t left = unloadLibrary();
        if (probed) {
            EXPECT_EQ(left, 0) << "blocks the plug-in still held after its unload";
        }
    }
    for (const std::string& fault : site.faults()) {
        ADD_FAILURE() << "channel fault: " << fault;
    }
    if (cbtHook != nullptr) {
        UnhookWindowsHookEx(cbtHook);
        cbtHook = nullptr;
    }
    if (host != nullptr) {
        DestroyWindow(host);
        host = nullptr;
    }
    pumpMessages();
    activeMessageBoxes = nullptr;
    activeDialogs = nullptr;
    activeChildEvents = nullptr;
    activeHost = nullptr;
    activeTest = nullptr;
}

HWND PluginTest::showPage(std::int32_t pageId) {
    return showPage(pageId, &ScriptedSite::callback);
}

HWND PluginTest::showPage(std::int32_t pageId, HostCallback callback) {
    page = initDialog(pageId, host, callback);
    return page;
}

std::int32_t PluginTest::runNuke(bool isNuke, char* directory, char* reasonOut,
                                 std::function<void(HWND dialog)> script) {
    modalScript = std::move(script);
    const std::int32_t result = dialogNuke(host, isNuke ? 1 : 0, directory, reasonOut);
    modalScript = nullptr;
    return result;
}

HWND PluginTest::openEditUserAccount(const std::string& name) {
    site.answer("SITE GROUPS", fixtureReply("edit_user_groups.txt"));
    site.answer("SITE USER", fixtureReply("edit_user_listing.txt"));
    site.answer("SITE USER " + name, fixtureReply("edit_user_" + name + ".txt"));
    HWND editPage = showPage(2);
    EXPECT_TRUE(pickComboItemByText(editPage, IDC_EDITUSER_USERNAME, name)) << name;
    return editPage;
}

std::vector<std::string> PluginTest::commandsOf(HWND page, int buttonId) {
    site.clearRecord();
    clickButton(page, buttonId);
    return site.commands();
}

void PluginTest::loadLibrary() {
    std::string error;
    ASSERT_TRUE(plugin.load(libraryName(), error)) << error;
    library = plugin.module;
    initDialog = plugin.initDialog;
    dialogNuke = plugin.dialogNuke;
    probeLiveBlocks = reinterpret_cast<std::int32_t (*)()>(plugin.find("ProbeLiveHeapBlocks"));
    auto setReport = reinterpret_cast<void(HOST_CDECL*)(void(HOST_CDECL*)(std::int32_t))>(
        plugin.find("ProbeSetUnloadReport"));
    if (setReport != nullptr) {
        setReport(recordUnload);
    }
}

std::int32_t PluginTest::unloadLibrary() {
    if (library == nullptr) {
        return lastUnloadReport;
    }
    plugin.unload();
    library = nullptr;
    initDialog = nullptr;
    dialogNuke = nullptr;
    probeLiveBlocks = nullptr;
    page = nullptr;
    return unloadReported ? lastUnloadReport : -1;
}

std::int32_t PluginTest::liveBlocks() const {
    return probeLiveBlocks != nullptr ? probeLiveBlocks() : -1;
}

void clickButton(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void setText(HWND page, int id, const std::string& text) {
    SetDlgItemTextA(page, id, text.c_str());
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::string getText(HWND window, int id) {
    return windowText(GetDlgItem(window, id));
}

bool isEnabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

bool isChecked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void setChecked(HWND page, int id, bool checked) {
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

std::vector<std::string> comboItems(HWND page, int id) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendDlgItemMessageA(page, id, CB_GETLBTEXTLEN, index, 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendDlgItemMessageA(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

int comboSelection(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

void pickComboItem(HWND page, int id, int index) {
    SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    sendComboNotification(page, id, CBN_SELCHANGE);
}

bool pickComboItemByText(HWND page, int id, const std::string& text) {
    const std::vector<std::string> items = comboItems(page, id);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index] == text) {
            sendComboNotification(page, id, CBN_CLOSEUP);
            pickComboItem(page, id, static_cast<int>(index));
            pumpMessages();
            return true;
        }
    }
    return false;
}

void sendComboNotification(HWND page, int id, int code) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

std::vector<std::string> listBoxItems(HWND page, int id) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(page, id, LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendDlgItemMessageA(page, id, LB_GETTEXTLEN, index, 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendDlgItemMessageA(page, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

void selectListBoxItem(HWND page, int id, int index) {
    HWND list = GetDlgItem(page, id);
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    if ((style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0) {
        SendMessageA(list, LB_SETSEL, TRUE, index);
    } else {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

std::vector<std::vector<std::string>> listViewRows(HWND page, int id) {
    HWND list = GetDlgItem(page, id);
    std::vector<std::vector<std::string>> rows;
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    LRESULT columns = header != nullptr ? SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 1;
    if (columns < 1) {
        columns = 1;
    }
    for (LRESULT row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (LRESULT column = 0; column < columns; ++column) {
            char buffer[4096] = {};
            LVITEMA item{};
            item.iSubItem = static_cast<int>(column);
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            cells.push_back(buffer);
        }
        rows.push_back(cells);
    }
    return rows;
}

int listViewSelection(HWND page, int id) {
    return static_cast<int>(
        SendDlgItemMessageA(page, id, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void selectListViewRow(HWND page, int id, int row) {
    HWND list = GetDlgItem(page, id);
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    clear.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    LVITEMA select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&select));
}

void pumpMessages() {
    MSG message;
    for (int round = 0; round < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND focusedControl() {
    return GetFocus();
}
