#include "statsheet/report_list_win.h"

#include <algorithm>
#include <string>

#include "platform/wide_text_win.h"

namespace statsheet {

void set_up_report_list(HWND list, std::span<const statsheet::ListColumn> columns) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_UNDERLINEHOT | LVS_EX_UNDERLINECOLD);
  int index = 0;
  for (const statsheet::ListColumn& column : columns) {
    std::wstring caption = platform::to_wide(column.caption);
    LVCOLUMNW entry{};
    entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    entry.fmt = LVCFMT_LEFT;
    entry.cx = column.width;
    entry.pszText = caption.data();
    entry.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&entry));
  }
}

void show_totals_rows(HWND list, const std::vector<statsheet::TotalsRow>& rows) {
  ListView_DeleteAllItems(list);
  int position = 0;
  for (const statsheet::TotalsRow& row : rows) {
    for (int column = 0; column < statsheet::kTotalsColumns; ++column) {
      std::wstring text = platform::to_wide(row.texts[column]);
      LVITEMW item{};
      item.iItem = position;
      item.iSubItem = column;
      item.pszText = text.data();
      item.mask = LVIF_TEXT;
      if (column == 0) {
        item.mask |= LVIF_PARAM;
        item.lParam = row.item;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      } else {
        SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
    }
    ++position;
  }
}

int row_item_value(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<int>(item.lParam);
}

bool selection_state_changed(const NMHDR& header) {
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  return change.iItem >= 0 && (change.uChanged & LVIF_STATE) &&
         ((change.uNewState ^ change.uOldState) & LVIS_SELECTED);
}

void supply_item_text(NMLVDISPINFOW& request, std::string_view utf8) {
  if (!(request.item.mask & LVIF_TEXT) || !request.item.pszText || request.item.cchTextMax <= 0) return;
  const std::wstring text = platform::to_wide(utf8);
  const std::size_t length = std::min<std::size_t>(text.size(), request.item.cchTextMax - 1);
  std::copy_n(text.data(), length, request.item.pszText);
  request.item.pszText[length] = L'\0';
}

}  // namespace statsheet
