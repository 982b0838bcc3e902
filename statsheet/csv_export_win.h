// The details page's export: the user chooses a file in the save dialog and the day's samples go
// into it as CSV lines. Nothing is said on success or failure. GUI thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace statsheet {

// Creates or empties `path` and writes the CSV lines of the raw file's records; false when the
// file cannot be made or written whole.
bool write_samples_csv(const std::wstring& path, std::string_view raw, char point);

// `raw` is the day's raw file as read; `point` the decimal point of the numbers.
void export_samples(HWND owner, std::string_view raw, char point);

}  // namespace statsheet
