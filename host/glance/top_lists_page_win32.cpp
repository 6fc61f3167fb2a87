// The Top lists page: the list picked (week, month, day, all time; up or
// down; users or groups) and how many, drawn as a bar chart beside the table
// of the same numbers; copied as text or the chart saved as PNG.
#include "host/glance/glance_pages_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_text.h"
#include "host/glance/chart_painter_win32.h"
#include "host/glance/glance_text.h"
#include "host/glance/top_lists.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct TopPage {
    void init(HWND page);
    void command(HWND page, int id, int code);
    bool notify(HWND page, NMHDR& header);

    AdminContext* context = nullptr;
    glance::TopChoice choice;  // of the list shown
    glance::TopList list;
    bool shown = false;
    std::vector<std::array<std::string, 5>> cells;
};

const Column tableColumns[] = {
    {L"#", 14, true}, {L"Name", 42, false}, {L"Amount", 36, true}, {L"Files", 26, true}, {L"Speed", 40, true},
};

void fillCombo(HWND page, int id, std::initializer_list<const wchar_t*> texts) {
    HWND combo = GetDlgItem(page, id);
    for (const wchar_t* text : texts) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

int comboPick(HWND page, int id) {
    const LRESULT pick = SendMessageW(GetDlgItem(page, id), CB_GETCURSEL, 0, 0);
    return pick < 0 ? 0 : static_cast<int>(pick);
}

void showList(HWND page, TopPage& state, const std::string& result) {
    std::vector<glance::ChartRow> rows;
    state.cells.clear();
    // The scale in the unit of the largest amount, so that its steps are round in it.
    double largest = 0;
    for (const glance::TopEntry& entry : state.list.entries) {
        largest = std::max(largest, entry.mib);
    }
    const double perUnit = largest >= 1024.0 * 1024.0 ? 1024.0 * 1024.0 : largest >= 1024.0 ? 1024.0 : 1.0;
    const char* unit = perUnit > 1024.0 ? "TiB" : perUnit > 1.0 ? "GiB" : "MiB";
    for (const glance::TopEntry& entry : state.list.entries) {
        const std::string third = state.list.groups ? std::to_string(entry.members) + " members"
                                                    : glance::speedText(entry.speedKiBs);
        rows.push_back({entry.name, entry.mib / perUnit, glance::sizeText(entry.mib),
                        std::to_string(entry.files) + (entry.files == 1 ? " file  " : " files  ") + third});
        state.cells.push_back({std::to_string(entry.place), entry.name, glance::sizeText(entry.mib),
                               std::to_string(entry.files), third});
    }
    chart_window::setRows(GetDlgItem(page, IDC_GLANCE_CHART), rows, unit);
    // The last column says what it holds.
    HWND table = GetDlgItem(page, IDC_GLANCE_TABLE);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(state.list.groups ? L"Members" : L"Speed");
    SendMessageW(table, LVM_SETCOLUMNW, 4, reinterpret_cast<LPARAM>(&column));
    PageUpdate update(page);
    update.setRowCount(IDC_GLANCE_TABLE, state.cells.size());
    update.enable(IDC_GLANCE_COPY, state.shown);
    update.enable(IDC_GLANCE_SAVE, state.shown);
    update.showResult(result);
}

void showTop(HWND page, TopPage& state) {
    glance::TopChoice choice;
    choice.period = static_cast<glance::TopPeriod>(comboPick(page, IDC_GLANCE_PERIOD));
    choice.direction = comboPick(page, IDC_GLANCE_DIRECTION) == 0 ? glance::TopDirection::Up
                                                                    : glance::TopDirection::Down;
    choice.who = comboPick(page, IDC_GLANCE_WHO) == 0 ? glance::TopWho::Users : glance::TopWho::Groups;
    std::int64_t count = 0;
    if (!admin::readInteger(controlText(page, IDC_GLANCE_COUNT), count) || count < 10 || count > 100) {
        refuse(page, *state.context, "Top lists", "Show 10 to 100 entries.");
        return;
    }
    choice.count = static_cast<int>(count);
    const std::string command = glance::topCommand(choice);
    // The server adds the list up before it answers: on a big site that
    // takes a while, and the host's wait (with its keep-waiting question)
    // shows meanwhile.
    showResult(page, "The server is computing " + glance::topTitle(choice) + " (" + command +
                         "); on a big site this takes a while.");
    UpdateWindow(page);
    Exchange exchange = sendForReader(*state.context, command);
    std::string failure;
    glance::TopList list;
    if (!exchange.answered || !glance::readTopList(exchange.reply, list, failure)) {
        // No list of another choice stays in sight under this one.
        state.list = glance::TopList{};
        state.shown = false;
        showList(page, state, command + ": " + (exchange.answered ? whyUnread(exchange, failure)
                                                                   : exchange.verdict.text));
        return;
    }
    state.choice = choice;
    state.list = std::move(list);
    state.shown = true;
    showList(page, state,
             glance::topTitle(choice) + " (" + command + "): " + std::to_string(state.list.entries.size()) +
                 (state.list.entries.empty() ? " entries: nothing was moved in this time." : " entries."));
}

void copyText(HWND page, TopPage& state) {
    switch (copyToClipboard(page, glance::topListText(state.choice, state.list))) {
    case Copied::Yes:
        showResult(page, "Copied " + std::to_string(state.list.entries.size()) + " entries as text.");
        break;
    case Copied::ClipboardBusy:
        showResult(page, "The clipboard is in use by another program: nothing was copied.");
        break;
    case Copied::NoMemory:
        showResult(page, "Nothing was copied (no memory).");
        break;
    }
}

void saveChart(HWND page, TopPage& state) {
    wchar_t path[MAX_PATH] = L"top-list.png";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = page;
    dialog.lpstrFilter = L"PNG picture (*.png)\0*.png\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"png";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) {
        return;
    }
    std::string file;
    wide_text::toUtf8(path, file);
    std::string error;
    if (saveTopListsChart(page, file, error)) {
        showResult(page, "Saved the chart of " + glance::topTitle(state.choice) + " as " + file + ".");
    } else {
        showResult(page, "The chart was not saved: " + error);
    }
}

void TopPage::init(HWND page) {
    chart_window::replace(GetDlgItem(page, IDC_GLANCE_CHART));
    addColumns(page, IDC_GLANCE_TABLE, tableColumns, sizeof tableColumns / sizeof tableColumns[0]);
    fillCombo(page, IDC_GLANCE_PERIOD, {L"This week", L"This month", L"Today", L"All time"});
    fillCombo(page, IDC_GLANCE_DIRECTION, {L"Uploaders", L"Downloaders"});
    fillCombo(page, IDC_GLANCE_WHO, {L"Users", L"Groups"});
    setControlText(page, IDC_GLANCE_COUNT, "10");
    showList(page, *this, "Nothing is read until you press Show.");
}

const Button<TopPage> topButtons[] = {
    {IDC_GLANCE_SHOW, showTop},
    {IDC_GLANCE_COPY, copyText},
    {IDC_GLANCE_SAVE, saveChart},
};

void TopPage::command(HWND page, int id, int code) { clickButton(page, *this, id, code, topButtons); }

bool TopPage::notify(HWND, NMHDR& header) {
    if (header.idFrom == IDC_GLANCE_TABLE) {
        giveCell(header, cells.size(), 5,
                 [&](std::size_t row, int column) -> std::string_view {
                     return cells[row][static_cast<std::size_t>(column)];
                 });
    }
    return false;
}

}  // namespace

DLGPROC topListsPageProcedure() { return pageProcedure<TopPage>; }

bool saveTopListsChart(HWND page, const std::string& path, std::string& error) {
    HWND chart = GetDlgItem(page, IDC_GLANCE_CHART);
    if (chart == nullptr) {
        error = "This is not the Top lists page.";
        return false;
    }
    return chart_window::savePng(chart, path, error);
}
