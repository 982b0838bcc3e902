// Copying a settings page's form (settings/page_form.h) into its controls and back. The kind of
// each control is read from its window class, so a page only names its controls:
//   Button (check box) "1"/"0", Edit and Static their text, ComboBox the selected index,
//   SysDateTimePick32 "H:M" (today's date with that time).
// Texts are UTF-8 in the form; "\n" becomes "\r\n" for multi-line edits. GUI thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/page_form.h"

namespace settings {

void form_to_controls(HWND page, const PageForm& form);
PageForm controls_to_form(HWND page, const std::vector<int>& controls);

// Fills a combo box with its items (UTF-8).
void fill_combo(HWND page, int control, const std::vector<const char*>& items);

// Sets the arrows' ranges of the number edits' up-down controls.
void set_up_down_ranges(HWND page, const std::vector<UpDownRange>& ranges);

// One control's text (UTF-8).
std::string control_text(HWND page, int control);

}  // namespace settings
