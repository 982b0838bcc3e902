// The statistics sheet's texts over an archive in memory: totals rows and pages, the day's
// information and cells, the details page's sample rows, flags, CSV export and file names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "statsheet/day_page.h"
#include "statsheet/sample_texts.h"
#include "statsheet/sheet_texts.h"
#include "stats/archive_paths.h"
#include "stats/test_memory_stat_files.h"

namespace statsheet {
namespace {

using stats::StatSummary;

constexpr char kRoot[] = "C:\\stats";

std::string bytes_of(const StatSummary& s) { return std::string(reinterpret_cast<const char*>(&s), sizeof s); }

StatSummary totals(double monitored, int failures, int avr, int actions) {
  StatSummary s{};
  s.monitored_seconds = monitored;
  s.on_battery_seconds = 125;
  s.failures = failures;
  s.avr_engagements = avr;
  s.avr_seconds = 3725;
  s.actions = actions;
  s.energy_va_minutes = 10000;  // 117.85 Wh
  return s;
}

class Archive : public ::testing::Test {
 protected:
  Archive() : reader_(files_, [] { return stats::StatConfig{true, false, 1, false, kRoot}; }) {
    files_.add_directory("C:");
    files_.add_directory(kRoot);
    reader_.load_path();
  }
  void put_year(int year, const StatSummary& s) { files_.put(stats::year_summary_path(kRoot, year), bytes_of(s)); }
  void put_month(int year, int month, const StatSummary& s) {
    files_.put(stats::month_summary_path(kRoot, year, month), bytes_of(s));
  }
  void put_day(const CalendarDate& d, const StatSummary& s) {
    files_.put(day_path(d), bytes_of(s));
  }
  static std::string day_path(const CalendarDate& d) {
    return stats::day_file_path(stats::month_prefix(kRoot, d.year, d.month), d.day, stats::DayFile::kSummary);
  }

  stats::MemoryStatFiles files_;
  stats::stat_reader reader_;
};

TEST(NumberTexts, OneDecimalRoundsAsPrintfWithTheGivenPoint) {
  for (const double v : {0.05, 0.25, 0.35, -0.04, 2.45, 123.45, 1e20, 13.6f * 1.0}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.1f", v);
    std::string with_comma = expected;
    for (char& c : with_comma)
      if (c == '.') c = ',';
    EXPECT_EQ(fixed_one(v, ','), with_comma) << v;
  }
  EXPECT_EQ(fixed_one(std::numeric_limits<double>::max(), '.').size(), 311u) << "all 309 digits, no cut";
}

TEST(NumberTexts, TheLocalesPointIsUsedOnlyWhenItCannotBreakANumberOrACsvLine) {
  const struct {
    const char* locale;
    char used;
  } cases[] = {{",", ','}, {".", '.'}, {"'", '\''}, {";", '.'}, {"", '.'}, {",,", '.'},
               {"5", '.'}, {"-", '.'}, {" ", '.'}, {"\xA0", '.'}, {"\n", '.'}};
  for (const auto& c : cases) EXPECT_EQ(decimal_point_from_locale(c.locale), c.used) << c.locale;
}

TEST(NumberTexts, StoredDurationsSaturateInsteadOfOverflowing) {
  EXPECT_EQ(duration_seconds(86399.9), 86399u);
  EXPECT_EQ(duration_seconds(-5), 0u);
  EXPECT_EQ(duration_seconds(std::nan("")), 0u);
  EXPECT_EQ(duration_seconds(1e300), 4294967295u);
}

TEST(TotalsRows, ShowDurationsCountsAndConsumption) {
  EXPECT_EQ(totals_texts(2024, totals(90061, 2, 3, 1), ','),
            (TotalsTexts{"2024", "1д/1:01", "0:02:05", "2", "3", "1:02", "1", "117,9"}));
  StatSummary garbage{};
  garbage.monitored_seconds = std::nan("");
  garbage.energy_va_minutes = -1;
  EXPECT_EQ(totals_texts(7, garbage, '.')[1], "0:00:00");
  EXPECT_EQ(totals_texts(7, garbage, '.')[7], "-0.0");
}

TEST(TotalsRows, TheListsColumnsAreTheSevenLabelsAfterTheirFirst) {
  EXPECT_STREQ(kYearColumns[0].caption, "Годы");
  EXPECT_STREQ(kMonthColumns[0].caption, "Мес.");
  for (int i = 1; i < kTotalsColumns; ++i) {
    EXPECT_STREQ(kYearColumns[i].caption, STAT_LABELS[i - 1]);
    EXPECT_EQ(kYearColumns[i].width, kMonthColumns[i].width);
  }
}

TEST_F(Archive, TheYearPageListsReadableKeptYearsNewestFirst) {
  for (const int year : {1973, 1974, 2020, 2024}) put_year(year, totals(100, 0, 0, 0));
  files_.put(stats::year_summary_path(kRoot, 2022), "torn");
  const std::vector<TotalsRow> rows = year_page_rows(reader_, 2024, '.');
  ASSERT_EQ(rows.size(), 3u) << "1973 is 51 years back; 2022's summary is torn";
  EXPECT_EQ(rows[0].item, 2024);
  EXPECT_EQ(rows[1].item, 2020);
  EXPECT_EQ(rows[2].texts[0], "1974");
  EXPECT_EQ(year_choices(reader_, 2024), (std::vector<std::string>{"1974", "2020", "2024"}));
}

TEST_F(Archive, TheMonthPageListsTheChosenYearsMonthsNewestFirst) {
  for (const int month : {1, 2, 11}) put_month(2023, month, totals(month * 3600.0, month, 0, 0));
  put_month(2024, 5, totals(1, 0, 0, 0));
  const std::vector<TotalsRow> rows = month_page_rows(reader_, year_of_choice("2023"), '.');
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (TotalsRow{11, {"11", "11:00", "0:02:05", "11", "0", "1:02", "0", "117.9"}}));
  EXPECT_EQ(rows[2].item, 1);
  EXPECT_EQ(year_of_choice(""), 0);
  EXPECT_EQ(year_of_choice("x2023"), 0);
  EXPECT_EQ(year_of_choice(std::string(25, '9')), 0) << "beyond int";
}

TEST_F(Archive, TheDaysInformationNamesTheDayAndItsSevenTotals) {
  put_day({2024, 6, 5}, totals(86399, 2, 0, 1));
  EXPECT_EQ(day_information_text(reader_, {2024, 6, 5}, ','),
            "Информация по 5/6/2024\n\n"
            "Общее время работы: 23:59\nВремя работы от батареи: 0:02:05\nСбоев: 2\nAVR: 0\n"
            "Время работы AVR: 1:02\nДействий: 1\nПотребление: 117,9 Вт * ч\n");
  EXPECT_EQ(day_information_text(reader_, {2024, 6, 6}, ','), "") << "no day file";
  files_.put(day_path({2024, 2, 30}), bytes_of(totals(1, 1, 1, 1)));
  EXPECT_EQ(day_information_text(reader_, {2024, 2, 30}, ','), "") << "30 February is never read";
}

TEST_F(Archive, DayCellsAreMarkedByActionsThenFailuresThenAvr) {
  const struct {
    StatSummary day;
    DayMark mark;
    const char* lower;
  } cases[] = {
      {totals(100, 2, 3, 1), DayMark::actions, "3/2/1"},
      {totals(100, 2, 0, 0), DayMark::failures, "0/2/0"},
      {totals(100, 0, 4, 0), DayMark::avr, "4/0/0"},
      {totals(86399, 0, 0, 0), DayMark::none, "23:59"},
  };
  DayCellCache cache(reader_);
  int day = 1;
  for (const auto& c : cases) {
    put_day({2024, 6, day}, c.day);
    const DayCellLook look = cache.draw(day % 7, day / 7, 2024, 6, day);
    EXPECT_EQ(look, (DayCellLook{c.mark, std::to_string(day), c.lower})) << day;
    ++day;
  }
  EXPECT_EQ(*mark_colour(DayMark::actions), (Rgb{255, 0, 0}));
  EXPECT_EQ(*mark_colour(DayMark::failures), (Rgb{255, 255, 0}));
  EXPECT_EQ(*mark_colour(DayMark::avr), (Rgb{0, 255, 0}));
  EXPECT_EQ(mark_colour(DayMark::none), nullptr);
  EXPECT_EQ(cache.draw(0, 5, 2024, 6, 20), (DayCellLook{DayMark::none, "20", ""})) << "no file";
  EXPECT_EQ(cache.draw(0, 0, -1, -1, -1), DayCellLook{}) << "no date";
  EXPECT_EQ(cache.draw(9, 9, 2024, 6, 1).lower, "3/2/1") << "outside the grid: read, not cached";
}

TEST_F(Archive, ACellIsReadOncePerDateUntilForgotten) {
  DayCellCache cache(reader_);
  put_day({2024, 6, 3}, totals(60, 0, 0, 0));
  put_day({2024, 7, 3}, totals(120, 0, 0, 0));
  EXPECT_EQ(cache.draw(1, 0, 2024, 6, 3).lower, "0:01:00");
  put_day({2024, 6, 3}, totals(60, 1, 0, 0));
  EXPECT_EQ(cache.draw(1, 0, 2024, 6, 3).mark, DayMark::none) << "cached";
  EXPECT_EQ(cache.draw(1, 0, 2024, 7, 3).lower, "0:02:00") << "another date in the same cell";
  EXPECT_EQ(cache.draw(1, 0, 2024, 6, 3).mark, DayMark::failures);
  put_day({2024, 6, 3}, totals(60, 0, 0, 1));
  cache.forget();
  EXPECT_EQ(cache.draw(1, 0, 2024, 6, 3).mark, DayMark::actions);
}

TEST(SampleTexts, FlagsAreNamedInTheirOrderWithoutTheLineInteractiveBit) {
  const struct {
    std::uint32_t bits;
    const char* text;
  } cases[] = {{0x00, ""},        {0x08, ""},       {0x06, "SA, T"}, {0xA0, "UF, AVR"},
               {0x01, "SO"},      {0x17, "BF, SA, SO, T"}, {0xFF, "UF, BL, AVR, BF, SA, SO, T"}};
  for (const auto& c : cases) EXPECT_EQ(flags_text(c.bits), c.text) << c.bits;
}

stats::RawValues sample() {
  // 14:05:37.2, 230.5 V in, 230.0 V out, 50.0 Hz, 17 %, 13.6 V, 25.0 degrees, no flags
  return {14, 5, 372, 2305, 2300, 500, 17, 136, 250, 0};
}

std::string raw_file(int records, std::size_t extra_bytes = 0) {
  std::string bytes;
  for (int i = 0; i < records; ++i) {
    stats::RawValues v = sample();
    v.minute = static_cast<std::uint32_t>(i % 60);
    v.status = static_cast<std::uint32_t>(i);
    const stats::RawSample s = stats::pack_raw_sample(v);
    bytes.append(reinterpret_cast<const char*>(s.bytes), sizeof s.bytes);
  }
  return bytes + std::string(extra_bytes, '\xFF');
}

TEST(SampleTexts, ARowAndACsvLineShowTheSampleWithTheLocalesPoint) {
  EXPECT_EQ(csv_line(sample(), ','), "14:05:37.2;230,5;230,0;50,0;17;13,6;25,0;;\n");
  const char* row[] = {"14:05:37.2", "230.5", "230.0", "50.0", "17", "13.6", "25.0", ""};
  for (int column = 0; column < kSampleColumnCount; ++column)
    EXPECT_EQ(sample_cell_text(sample(), column, '.'), row[column]) << column;
  EXPECT_EQ(sample_cell_text(sample(), 8, '.'), "");
  // A damaged record: every field at its widest.
  const stats::RawValues widest = stats::unpack_raw_sample(stats::raw_record_at(std::string(12, '\xFF'), 0));
  EXPECT_EQ(csv_line(widest, '.'), "31:63:102.3;819.1;819.1;102.3;1023;102.3;102.3;UF, BL, AVR, BF, SA, SO, T;\n");
}

std::string export_of(std::string_view raw, std::vector<std::size_t>* pieces = nullptr) {
  std::string text;
  EXPECT_TRUE(write_csv_export(raw, '.', [&](std::string_view piece) {
    if (pieces) pieces->push_back(piece.size());
    text += piece;
    return true;
  }));
  return text;
}

TEST(CsvExport, WritesALinePerWholeRecord) {
  const struct {
    int records;
    std::size_t extra;
  } cases[] = {{0, 0}, {0, 11}, {10, 0}, {10, 5}, {1, 0}};
  for (const auto& c : cases) {
    const std::string csv = export_of(raw_file(c.records, c.extra));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), c.records) << c.records << "+" << c.extra;
  }
  const std::string ten = export_of(raw_file(10));
  EXPECT_EQ(ten.substr(0, ten.find('\n') + 1), "14:00:37.2;230.5;230.0;50.0;17;13.6;25.0;;\n");
  EXPECT_EQ(ten.substr(ten.rfind('\n', ten.size() - 2) + 1), "14:09:37.2;230.5;230.0;50.0;17;13.6;25.0;SO;\n");
}

TEST(CsvExport, ALargeFileGoesOutInBoundedPiecesOfWholeLinesAndStopsWhenRefused) {
  const std::string raw = raw_file(86400);
  std::vector<std::size_t> pieces;
  const std::string csv = export_of(raw, &pieces);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 86400);
  ASSERT_GT(pieces.size(), 1u);
  std::size_t at = 0;
  for (const std::size_t size : pieces) {
    EXPECT_LE(size, kCsvPieceBytes);
    at += size;
    EXPECT_EQ(csv[at - 1], '\n') << "a piece ends with its line";
  }
  int calls = 0;
  EXPECT_FALSE(write_csv_export(raw, '.', [&](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

TEST(CsvExport, TheFileNameEndsInCsvWhateverTheCase) {
  const struct {
    const char* chosen;
    const char* used;
  } cases[] = {{"x", "x.csv"},          {"x.CSV", "x.CSV"},    {".csv", ".csv.csv"},     {"a.csv", "a.csv"},
               {"d.CsV", "d.CsV"},      {"csv", "csv.csv"},    {"r.csv.txt", "r.csv.txt.csv"}, {"", ".csv"},
               {"C:\\Отчёт", "C:\\Отчёт.csv"}};
  for (const auto& c : cases) EXPECT_EQ(csv_file_name(std::string(c.chosen)), c.used) << c.chosen;
  EXPECT_EQ(csv_file_name(std::wstring(L"Отчёт.Csv")), L"Отчёт.Csv");
  EXPECT_EQ(csv_file_name(std::wstring(L".CSV")), L".CSV.csv");
}

TEST(EventText, BareLineFeedsBecomeLineBreaksOfTheEdit) {
  EXPECT_EQ(edit_control_text("01:02:03|05|a\n\n04:05:06|04|b\r\nc"), "01:02:03|05|a\r\n\r\n04:05:06|04|b\r\nc");
  EXPECT_EQ(edit_control_text("\n"), "\r\n");
  EXPECT_EQ(edit_control_text(""), "");
}

}  // namespace
}  // namespace statsheet
