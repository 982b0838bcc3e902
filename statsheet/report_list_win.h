// The statistics sheet's report lists: columns from the portable captions and widths, the rows of
// totals (newest first), and the texts an owner-data list asks for. GUI thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string_view>
#include <vector>

#include "statsheet/sheet_texts.h"

namespace statsheet {

// Full-row select and underlined hot and cold items; every column left-aligned.
void set_up_report_list(HWND list, std::span<const statsheet::ListColumn> columns);

// Empties the list and shows the rows in their order; each row's item value is its year or month.
void show_totals_rows(HWND list, const std::vector<statsheet::TotalsRow>& rows);

// The item value of a row, 0 when it cannot be read.
int row_item_value(HWND list, int row);

// True when the notification is a row's change of selection state.
bool selection_state_changed(const NMHDR& header);

// Copies `text` into the list's buffer for an owner-data item, cut to its size.
void supply_item_text(NMLVDISPINFOW& request, std::string_view utf8);

}  // namespace statsheet
