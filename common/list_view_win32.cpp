#include "common/list_view.h"

#include <commctrl.h>

#include <cstddef>

#include "common/bulk_fill.h"
#include "common/fill_order.h"
#include "common/heap.h"

namespace {

void insertColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void setUpTwoColumnList(HWND list, const char* firstTitle, int firstWidth, const char* secondTitle,
                        int secondWidth) {
    insertColumn(list, 0, firstTitle, firstWidth);
    insertColumn(list, 1, secondTitle, secondWidth);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
}

void addTwoColumnRow(HWND list, char* first, char* second) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = first;
    const LRESULT row = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0) {
        return;
    }
    LVITEMA cell{};
    cell.iSubItem = 1;
    cell.pszText = second;
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

void addTwoColumnRows(HWND list, const NamePairList* rows) {
    std::size_t count = 0;
    for (const NamePairList* row = rows; row != nullptr; row = row->next) {
        ++count;
    }
    if (count == 0) {
        return;
    }
    RedrawPause pause(list);
    const LRESULT existing = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    const std::size_t total = count + static_cast<std::size_t>(existing > 0 ? existing : 0);
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(total < INT32_MAX ? total : INT32_MAX),
                 LVSICF_NOINVALIDATEALL);
    const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    if ((style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) == 0) {
        for (const NamePairList* row = rows; row != nullptr; row = row->next) {
            addTwoColumnRow(list, row->name, row->info);
        }
        return;
    }
    // A sorting list view looks for a new row's place from the top: handed
    // over from the end of its order backwards, each row's place is found at once.
    const bool descending = (style & LVS_SORTDESCENDING) == 0;
    const NamePairList** order = nodesInFillOrder(
        rows, count, [](const NamePairList* row) { return row->name; }, descending);
    for (std::size_t i = 0; i < count; ++i) {
        addTwoColumnRow(list, order[i]->name, order[i]->info);
    }
    heapFree(order);
}

bool listViewHasRow(HWND list, int row) {
    const LRESULT rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    return row >= 0 && row < rows;
}

char* dupListViewCell(HWND list, int row, int column, std::int32_t longestText) {
    const std::size_t size = static_cast<std::size_t>(longestText < 0 ? 0 : longestText) + 1;
    char* text = static_cast<char*>(heapAlloc(size));
    text[0] = '\0';
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(size);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text[size - 1] = '\0';
    return text;
}
