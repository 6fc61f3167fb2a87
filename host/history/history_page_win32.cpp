#include "host/history/history_page_win32.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "host/admin/admin_page_kit_win32.h"
#include "host/history/record_shelf.h"
#include "host/history/record_view.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace history {

namespace {

using admin_page::Column;

struct HistoryPage {
    void init(HWND page);
    void command(HWND page, int id, int code);
    bool notify(HWND page, NMHDR& header);
    void shown(HWND page, bool shown, LPARAM why);

    AdminContext* context = nullptr;
    std::vector<RecordChoice> choices;
    std::string shownId;
    RecordView view;
    std::string failure;
    bool shownOnce = false;  // the first show is the one of its making: read already
};

// The columns and the record's field each shows.
const Column columns[] = {
    {L"Time", 96, false},      {L"Outcome", 36, false},   {L"Page", 58, false},   {L"Command", 130, false},
    {L"Server's answer", 120, false}, {L"Read back", 90, false}, {L"Account", 44, false},
};
const std::size_t columnField[] = {0, 6, 2, 3, 4, 5, 1};

RecordFilter filterOf(HWND page) {
    RecordFilter filter;
    filter.text = admin_page::controlText(page, IDC_HISTORY_FILTER);
    filter.took = IsDlgButtonChecked(page, IDC_HISTORY_TOOK) == BST_CHECKED;
    filter.refused = IsDlgButtonChecked(page, IDC_HISTORY_REFUSED) == BST_CHECKED;
    filter.unknown = IsDlgButtonChecked(page, IDC_HISTORY_UNKNOWN) == BST_CHECKED;
    return filter;
}

void showSummary(HistoryPage& state, admin_page::PageUpdate& update, const std::string& more = "") {
    std::string text;
    if (!state.failure.empty()) {
        text = state.failure;
    } else if (state.view.total() == 0) {
        text = "No change recorded for this site.";
    } else {
        text = std::to_string(state.view.size()) + " of " + std::to_string(state.view.total()) +
               " change(s) shown, newest first.";
    }
    if (state.view.passedOver() > 0) {
        text += " " + std::to_string(state.view.passedOver()) + " line(s) that are no change passed over.";
    }
    if (!more.empty()) {
        text += " " + more;
    }
    update.setText(IDC_HISTORY_SUMMARY, text);
}

void applyFilter(HWND page, HistoryPage& state) {
    state.view.filter(filterOf(page));
    admin_page::PageUpdate update(page);
    update.setRowCount(IDC_HISTORY_LIST, state.view.size());
    showSummary(state, update);
}

void load(HWND page, HistoryPage& state) {
    std::string text;
    state.failure.clear();
    RecordShelf* shelf = state.context->changeRecords;
    if (shelf != nullptr && !state.shownId.empty() && !shelf->read(state.shownId, text, state.failure)) {
        text.clear();
    }
    state.view.read(std::move(text));
    if (shelf != nullptr) {
        admin_page::setControlText(page, IDC_HISTORY_NOTE,
                                   state.shownId == simulatedId
                                       ? "The simulated site's changes: kept in memory for this run only."
                                       : "Kept beside the saved sites, in " + shelf->where());
    }
    applyFilter(page, state);
}

// The choices anew, the site served now chosen; then its record.
void fillChoices(HWND page, HistoryPage& state) {
    RecordShelf* shelf = state.context->changeRecords;
    HWND combo = GetDlgItem(page, IDC_HISTORY_SITE);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    state.choices = shelf != nullptr ? shelf->choices() : std::vector<RecordChoice>();
    const std::string now = shelf != nullptr ? shelf->servedNow() : std::string();
    int chosen = state.choices.empty() ? -1 : 0;
    for (std::size_t i = 0; i < state.choices.size(); ++i) {
        SendMessageW(combo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wide_text::toWide(state.choices[i].label).c_str()));
        if (state.choices[i].id == now) {
            chosen = static_cast<int>(i);
        }
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    state.shownId = chosen >= 0 ? state.choices[static_cast<std::size_t>(chosen)].id : std::string();
    load(page, state);
}

void copySelected(HWND page, HistoryPage& state) {
    HWND list = GetDlgItem(page, IDC_HISTORY_LIST);
    std::string text;
    std::size_t lines = 0;
    for (int row = -1;
         (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;) {
        if (static_cast<std::size_t>(row) < state.view.size()) {
            text.append(state.view.line(static_cast<std::size_t>(row)));
            text += "\r\n";
            ++lines;
        }
    }
    admin_page::PageUpdate update(page);
    if (lines == 0) {
        showSummary(state, update, "Select the lines to copy first.");
        return;
    }
    const bool copied = admin_page::copyToClipboard(page, text) == admin_page::Copied::Yes;
    showSummary(state, update,
                copied ? std::to_string(lines) + " line(s) copied." : std::string("The clipboard could not be opened."));
}

void clearRecord(HWND page, HistoryPage& state) {
    RecordShelf* shelf = state.context->changeRecords;
    const int chosen = static_cast<int>(SendDlgItemMessageW(page, IDC_HISTORY_SITE, CB_GETCURSEL, 0, 0));
    if (shelf == nullptr || chosen < 0 || static_cast<std::size_t>(chosen) >= state.choices.size()) {
        return;
    }
    const RecordChoice choice = state.choices[static_cast<std::size_t>(chosen)];
    if (!admin_page::confirm(page, *state.context, "Clear record",
                             "Clear the change record of " + choice.label + "?\n\nIts " +
                                 std::to_string(state.view.total()) +
                                 " recorded change(s) go for good: this cannot be undone.")) {
        return;
    }
    std::string failure;
    if (!shelf->clear(choice.id, failure)) {
        admin_page::PageUpdate update(page);
        showSummary(state, update, failure);
        return;
    }
    load(page, state);
}

const admin_page::Button<HistoryPage> historyButtons[] = {
    {IDC_HISTORY_TOOK, applyFilter},
    {IDC_HISTORY_REFUSED, applyFilter},
    {IDC_HISTORY_UNKNOWN, applyFilter},
    {IDC_HISTORY_COPY, copySelected},
    {IDC_HISTORY_CLEAR, clearRecord},
};

void onCommand(HWND page, HistoryPage& state, int id, int code) {
    switch (id) {
    case IDC_HISTORY_SITE:
        if (code == CBN_SELCHANGE) {
            const int chosen = static_cast<int>(SendDlgItemMessageW(page, IDC_HISTORY_SITE, CB_GETCURSEL, 0, 0));
            state.shownId = chosen >= 0 && static_cast<std::size_t>(chosen) < state.choices.size()
                                ? state.choices[static_cast<std::size_t>(chosen)].id
                                : std::string();
            load(page, state);
        }
        break;
    case IDC_HISTORY_FILTER:
        if (code == EN_CHANGE) {
            applyFilter(page, state);
        }
        break;
    default:
        admin_page::clickButton(page, state, id, code, historyButtons);
        break;
    }
}

bool HistoryPage::notify(HWND page, NMHDR& header) {
    if (header.idFrom != IDC_HISTORY_LIST) {
        return false;
    }
    if (admin_page::giveCell(header, view.size(), static_cast<int>(sizeof columnField / sizeof columnField[0]),
                             [&](std::size_t row, int column) {
                                 return view.field(row, columnField[static_cast<std::size_t>(column)]);
                             })) {
        return false;
    }
    if (header.code == LVN_KEYDOWN) {
        const auto& key = reinterpret_cast<NMLVKEYDOWN&>(header);
        if (key.wVKey == 'C' && GetKeyState(VK_CONTROL) < 0) {
            copySelected(page, *this);
        } else if (key.wVKey == 'A' && GetKeyState(VK_CONTROL) < 0) {
            LVITEMW all{};
            all.stateMask = LVIS_SELECTED;
            all.state = LVIS_SELECTED;
            SendMessageW(header.hwndFrom, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
        }
    }
    return false;
}

void HistoryPage::init(HWND page) {
    admin_page::addColumns(page, IDC_HISTORY_LIST, columns, sizeof columns / sizeof columns[0]);
    for (int id : {IDC_HISTORY_TOOK, IDC_HISTORY_REFUSED, IDC_HISTORY_UNKNOWN}) {
        CheckDlgButton(page, id, BST_CHECKED);
    }
    fillChoices(page, *this);
}

void HistoryPage::shown(HWND page, bool shown, LPARAM why) {
    // Shown again: the record as it is now, of the site served now.
    if (shown && why == 0) {
        if (shownOnce) {
            fillChoices(page, *this);
        }
        shownOnce = true;
    }
}

void HistoryPage::command(HWND page, int id, int code) { onCommand(page, *this, id, code); }

}  // namespace

DLGPROC historyPageProcedure() { return admin_page::pageProcedure<HistoryPage>; }

}  // namespace history
