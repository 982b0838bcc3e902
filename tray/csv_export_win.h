// The details page's export: the user chooses a file in the save dialog and the day's samples go
// into it as CSV lines. Nothing is said on success or failure. GUI thread.
#pragma once

#include <windows.h>

#include <string_view>

namespace tray {

// `raw` is the day's raw file as read; `point` the decimal point of the numbers.
void export_samples(HWND owner, std::string_view raw, char point);

}  // namespace tray
