#pragma once
// The fixture every UI test uses: a host window, the plug-in's test twin
// loaded fresh for each test (so module state starts empty), the scripted
// site behind its callback, and helpers to drive pages and dialogs.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/served/plugin_library_win32.h"
#include "plugin/host_channel.h"
#include "tests/ui/harness/scripted_site.h"


struct CaughtMessageBox {
    std::string title;
    std::string text;
    UINT icon = 0;         // MB_ICONERROR, MB_ICONWARNING, ... from the icon shown; 0 for none
    HWND owner = nullptr;  // the box's owner: the top-level window of the window it was given
};

class PluginTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The library file to load; the test twin unless a test says otherwise.
    virtual const char* libraryName() const { return "quorin_glftpd_1_24_probe.dll"; }
    // Whether the host registers the list-view and up-down classes before
    // loading the plug-in, as a well-behaved host does.
    virtual bool registersCommonControls() const { return true; }

    HWND showPage(std::int32_t pageId);                 // InitDialog with the site's callback
    HWND showPage(std::int32_t pageId, HostCallback callback);
    std::int32_t runNuke(bool isNuke, char* directory, char* reasonOut,
                         std::function<void(HWND dialog)> script);
    // Shows the Edit user page over the edit_user_* fixtures (listing, groups
    // and edit_user_<name>.txt) and picks the account as an operator would.
    HWND openEditUserAccount(const std::string& name);
    // The command lines that one click on the button sends.
    std::vector<std::string> commandsOf(HWND page, int buttonId);
    // Loads libraryName() from beside the test program, with its probes.
    void loadLibrary();
    // Unloads the library now; returns the blocks it still held afterwards.
    std::int32_t unloadLibrary();
    std::int32_t liveBlocks() const;  // blocks the plug-in holds right now

    HWND hostWindow() const { return host; }
    HWND currentPage() const { return page; }

    ScriptedSite site;
    std::vector<CaughtMessageBox> messageBoxes;  // every box shown, dismissed with OK
    // Windows the modal driver saw activated (not message boxes).
    std::vector<HWND> activatedDialogs;
    // Creation ('c') and destruction ('d') of the host window's children.
    std::vector<std::pair<char, HWND>> childEvents;

    InitDialogFunction initDialog = nullptr;
    DialogNukeFunction dialogNuke = nullptr;
    HMODULE library = nullptr;
    PluginLibrary plugin;

private:
    HWND host = nullptr;
    HWND page = nullptr;
    HHOOK cbtHook = nullptr;
    std::int32_t (*probeLiveBlocks)() = nullptr;
};

// Control helpers. Notifications that the real control would send are sent
// where a click or a pick implies them.
void clickButton(HWND page, int id);
void setText(HWND page, int id, const std::string& text);
std::string getText(HWND window, int id);
std::string windowText(HWND window);
bool isEnabled(HWND page, int id);
bool isChecked(HWND page, int id);
void setChecked(HWND page, int id, bool checked);
std::vector<std::string> comboItems(HWND page, int id);
int comboSelection(HWND page, int id);
// Selects the item and sends CBN_SELCHANGE as a pick by the operator would.
void pickComboItem(HWND page, int id, int index);
// Picks the first item with this text as the drop-down list does: close-up,
// selection change, then the posted work. False when no item has the text.
bool pickComboItemByText(HWND page, int id, const std::string& text);
// Sends a combo box notification (CBN_CLOSEUP, CBN_SELCHANGE...) to the page.
void sendComboNotification(HWND page, int id, int code);
std::vector<std::string> listBoxItems(HWND page, int id);
void selectListBoxItem(HWND page, int id, int index);
std::vector<std::vector<std::string>> listViewRows(HWND page, int id);
int listViewSelection(HWND page, int id);
// Selects a row through the real list view, which notifies LVN_ITEMCHANGED.
void selectListViewRow(HWND page, int id, int row);
// Runs posted messages until the queue is empty (bounded).
void pumpMessages();
HWND focusedControl();
