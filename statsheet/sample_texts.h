// The details page's texts of a day: the raw samples as rows of its owner-data list and as the
// lines of a CSV export, the flags column, the export's file name, and the event file's text
// made ready for a multi-line edit.
//
// The raw file is the archive's plain concatenation of 12-byte records (stats/raw_sample.h); a
// file whose size is not a multiple of 12 ends in a record still being written, which is left
// out. Numbers with one decimal use the point handed in (sheet_texts.h). The CSV is ASCII as long
// as the point is, which decimal_point_from_locale guarantees.
// Pure functions; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "statsheet/sheet_texts.h"
#include "stats/raw_sample.h"

namespace statsheet {

inline constexpr int kSampleColumnCount = 8;
inline constexpr std::array<ListColumn, kSampleColumnCount> kSampleColumns = {{
    {"Время", 73}, {"Вход (В)", 57}, {"Выход (В)", 72}, {"Гц", 47},
    {"Нагр (%)", 72}, {"Батр (В)", 66}, {"Темп", 46}, {"Флаги", 163},
}};

// The set status bits as "UF, BL, AVR, BF, SA, SO, T" (in that order; the line-interactive
// bit is never shown); empty when none of them is set.
std::string flags_text(std::uint32_t status);

// Column `column` (0..7) of a sample's row: time, input, output, frequency, load, battery,
// temperature, flags; empty for another column.
std::string sample_cell_text(const stats::RawValues& sample, int column, char point);

// One line of the export, line feed included.
std::string csv_line(const stats::RawValues& sample, char point);

// Writes the export of a raw file's whole records in file order, in pieces of at most
// kCsvPieceBytes; stops at the first piece the sink refuses (false).
inline constexpr std::size_t kCsvPieceBytes = 64 * 1024;
using CsvSink = std::function<bool(std::string_view piece)>;
bool write_csv_export(std::string_view raw_file, char point, const CsvSink& sink);

// The export's file: the chosen name when it is longer than ".csv" and ends in it, whatever the
// case; otherwise the name with ".csv" appended.
template <typename Char>
std::basic_string<Char> csv_file_name(std::basic_string<Char> chosen) {
  constexpr Char kExtension[] = {'.', 'c', 's', 'v'};
  bool ends_in_csv = chosen.size() > 4;
  for (std::size_t i = 0; ends_in_csv && i < 4; ++i) {
    Char c = chosen[chosen.size() - 4 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c - 'A' + 'a');
    ends_in_csv = c == kExtension[i];
  }
  if (!ends_in_csv) chosen.append(kExtension, kExtension + 4);
  return chosen;
}

// The event file's text with every bare line feed turned into carriage return and line feed, as
// the edit control breaks lines (a line already ending in both keeps them). Bytes stay as they are.
std::string edit_control_text(std::string_view events);

}  // namespace statsheet
