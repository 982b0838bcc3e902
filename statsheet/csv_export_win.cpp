#include "statsheet/csv_export_win.h"

#include <commdlg.h>

#include <cstdio>

#include "statsheet/sample_texts.h"

namespace statsheet {
namespace {

// The path is checked; the file may be new (a save dialog that wanted an existing file could only
// overwrite), and replacing one is asked first.
std::wstring chosen_file(HWND owner) {
  wchar_t name[MAX_PATH] = {};
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"CSV file (*.csv)\0*.csv\0";
  dialog.lpstrFile = name;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) return {};
  return name;
}

}  // namespace

bool write_samples_csv(const std::wstring& path, std::string_view raw, char point) {
  FILE* file = _wfopen(path.c_str(), L"wb+");
  if (!file) return false;
  const bool written = statsheet::write_csv_export(raw, point, [file](std::string_view piece) {
    return std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
  });
  return std::fclose(file) == 0 && written;
}

void export_samples(HWND owner, std::string_view raw, char point) {
  const std::wstring chosen = chosen_file(owner);
  if (!chosen.empty()) write_samples_csv(statsheet::csv_file_name(chosen), raw, point);
}

}  // namespace statsheet
