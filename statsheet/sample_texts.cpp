#include "statsheet/sample_texts.h"

#include <cstdio>

#include "link/ups_status.h"

namespace statsheet {
namespace {

using namespace ups_link;

struct FlagName {
  std::uint32_t bit;
  const char* text;
};
constexpr FlagName kFlagNames[] = {
    {STATUS_UTILITY_FAIL, " UF,"},      {STATUS_BATTERY_LOW, " BL,"}, {STATUS_AVR, " AVR,"},
    {STATUS_UPS_FAULT, " BF,"},         {STATUS_SHUTDOWN_ACTIVE, " SA,"}, {STATUS_BEEPER_ON, " SO,"},
    {STATUS_TEST, " T,"},
};

// The record's integers are tenths; they are shown as the single-precision value they stand for.
std::string tenths_text(std::uint32_t tenths, char point) {
  return fixed_one(static_cast<double>(static_cast<float>(tenths) * 0.1f), point);
}

// Hour and minute are 5 and 6 bits and the tenths 10: a damaged record shows odd times, never more
// than three digits a field.
std::string time_text(const stats::RawValues& s) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%u", s.hour, s.minute, s.tenths / 10, s.tenths % 10);
  return text;
}

}  // namespace

std::string flags_text(std::uint32_t status) {
  std::string text;
  for (const FlagName& flag : kFlagNames)
    if (status & flag.bit) text += flag.text;
  if (text.empty()) return text;
  text.pop_back();
  return text.substr(1);
}

std::string sample_cell_text(const stats::RawValues& s, int column, char point) {
  switch (column) {
    case 0: return time_text(s);
    case 1: return tenths_text(s.input_x10, point);
    case 2: return tenths_text(s.output_x10, point);
    case 3: return tenths_text(s.frequency_x10, point);
    case 4: return std::to_string(s.load_percent);
    case 5: return tenths_text(s.battery_x10, point);
    case 6: return tenths_text(s.temperature_x10, point);
    case 7: return flags_text(s.status);
    default: return {};
  }
}

std::string csv_line(const stats::RawValues& s, char point) {
  std::string line;
  for (int column = 0; column < kSampleColumnCount; ++column) {
    line += sample_cell_text(s, column, point);
    line += ';';
  }
  line += '\n';
  return line;
}

bool write_csv_export(std::string_view raw_file, char point, const CsvSink& sink) {
  std::string piece;
  piece.reserve(kCsvPieceBytes);
  const std::size_t records = stats::raw_record_count(raw_file.size());
  for (std::size_t i = 0; i < records; ++i) {
    const std::string line = csv_line(stats::unpack_raw_sample(stats::raw_record_at(raw_file, i)), point);
    if (piece.size() + line.size() > kCsvPieceBytes) {
      if (!sink(piece)) return false;
      piece.clear();
    }
    piece += line;
  }
  return piece.empty() || sink(piece);
}

std::string edit_control_text(std::string_view events) {
  std::string text;
  text.reserve(events.size() + events.size() / 16);
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i] == '\n' && (i == 0 || events[i - 1] != '\r')) text += '\r';
    text += events[i];
  }
  return text;
}

}  // namespace statsheet
