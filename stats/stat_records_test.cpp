// The archive's records: raw sample packing, summary sums and stamps, automation dates.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include "stats/automation_date.h"
#include "stats/raw_sample.h"
#include "stats/stat_summary.h"
#include "stats/summary_builder.h"

namespace stats {
namespace {

// Packed summary fields are read by value (unary +) where gtest would bind a reference to them.

std::string hex(const RawSample& s) {
  std::string out;
  char byte[4];
  for (std::uint8_t b : s.bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", b);
    out += byte;
  }
  out.pop_back();
  return out;
}

platform::LocalTime at(int hour, int minute, int second, int millisecond) {
  return {2008, 3, 7, 5, hour, minute, second, millisecond};
}

TEST(RawSample, PacksAMeasuredSampleBitForBit) {
  ups_link::UpsStatus status;
  status.input_voltage = 230.0f;
  status.output_voltage = 0.0f;
  status.frequency = 50.0f;
  status.load_percent = 17;
  status.battery_voltage = 13.6f;
  status.temperature = 25.0f;
  status.status_bits = 0x80;
  const RawValues values = raw_values_from(status, at(14, 5, 37, 250));

  EXPECT_EQ(values, (RawValues{14, 5, 372, 2300, 0, 500, 17, 136, 250, 0x80}));
  EXPECT_EQ(hex(pack_raw_sample(values)), "4E 45 74 46 3C 00 78 14 11 44 3E 80");
  EXPECT_EQ(unpack_raw_sample(pack_raw_sample(values)), values);
}

TEST(RawSample, TakesTheTenthsFromTheProductInSinglePrecision) {
  // Each float lies just below its decimal (13.7f is 13.6999998): times ten in single precision it
  // rounds to the whole tenths, in any wider precision it truncates to a tenth less.
  struct Case {
    float ups_link::UpsStatus::*value;
    std::uint32_t RawValues::*tenths;
    float reading;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {&ups_link::UpsStatus::input_voltage, &RawValues::input_x10, 230.7f, 2307},
      {&ups_link::UpsStatus::output_voltage, &RawValues::output_x10, 219.9f, 2199},
      {&ups_link::UpsStatus::battery_voltage, &RawValues::battery_x10, 13.7f, 137},
      {&ups_link::UpsStatus::temperature, &RawValues::temperature_x10, 27.3f, 273},
  };
  for (const Case& c : cases) {
    ups_link::UpsStatus status;
    status.*c.value = c.reading;
    EXPECT_EQ(raw_values_from(status, at(0, 0, 0, 0)).*c.tenths, c.expected) << c.reading;
  }
}

TEST(RawSample, PacksEveryFieldAtItsLargestValue) {
  const RawValues largest{23, 59, 599, 8191, 8191, 1023, 1023, 1023, 1023, 0xFF};
  EXPECT_EQ(hex(pack_raw_sample(largest)), "F7 BB 57 FE FF FF FF FF FF FF FF FF");
  EXPECT_EQ(unpack_raw_sample(pack_raw_sample(largest)), largest);
}

TEST(RawSample, EachFieldKeepsItsOwnBits) {
  // One field at a time at all ones: a shift or mask that spills shows as a neighbour changing.
  const std::pair<std::uint32_t RawValues::*, std::uint32_t> widths[] = {
      {&RawValues::hour, 0x1F},           {&RawValues::minute, 0x3F},        {&RawValues::tenths, 0x3FF},
      {&RawValues::input_x10, 0x1FFF},    {&RawValues::output_x10, 0x1FFF},  {&RawValues::frequency_x10, 0x3FF},
      {&RawValues::load_percent, 0x3FF},  {&RawValues::battery_x10, 0x3FF},  {&RawValues::temperature_x10, 0x3FF},
      {&RawValues::status, 0xFF}};
  for (const auto& [field, mask] : widths) {
    RawValues one;
    one.*field = 0xFFFFFFFF;
    RawValues expected;
    expected.*field = mask;
    EXPECT_EQ(unpack_raw_sample(pack_raw_sample(one)), expected) << "mask " << mask;
    EXPECT_EQ(pack_raw_sample(one).bytes[3] & 1, 0) << "the spare bit stays 0";
  }
}

TEST(RawSample, OnlyTheLowBitsOfUnstorableValuesAreKept) {
  ups_link::UpsStatus status;
  status.input_voltage = 819.2f;       // 8192: one bit beyond the field
  status.temperature = -0.5f;          // -5 keeps its two's-complement low bits
  status.battery_voltage = std::nanf("");
  status.frequency = 1e30f;            // beyond any integer
  status.load_percent = 1024 + 40;
  const RawValues back = unpack_raw_sample(pack_raw_sample(raw_values_from(status, at(0, 0, 0, 0))));
  EXPECT_EQ(back.input_x10, 0u);
  EXPECT_EQ(back.temperature_x10, 1024u - 5u);
  EXPECT_EQ(back.battery_x10, 0u);
  EXPECT_EQ(back.frequency_x10, 0u);
  EXPECT_EQ(back.load_percent, 40u);
}

TEST(RawSample, AFileCountsWholeRecordsOnly) {
  EXPECT_EQ(raw_record_count(0), 0u);
  EXPECT_EQ(raw_record_count(23), 1u);
  EXPECT_EQ(raw_record_count(1036800), 86400u);
  std::string file(25, '\0');
  file[12] = '\x4E';
  file[23] = '\x80';
  EXPECT_EQ(hex(raw_record_at(file, 1)), "4E 00 00 00 00 00 00 00 00 00 00 80");
}

TEST(StatSummary, AddsEveryTotalAndWrapsCounters) {
  StatSummary into{};
  into.stamp.year = 2008;
  into.failures = INT_MAX;
  StatSummary source{};
  source.stamp.year = 2010;
  source.monitored_seconds = 86400;
  source.on_battery_seconds = 60.5;
  source.failures = 1;
  source.avr_engagements = 3;
  source.avr_seconds = 7;
  source.actions = 2;
  source.energy_va_minutes = 1000;
  add_totals(into, source);
  add_totals(into, source);
  EXPECT_EQ(+into.stamp.year, 2008);
  EXPECT_EQ(+into.monitored_seconds, 172800);
  EXPECT_EQ(+into.on_battery_seconds, 121);
  EXPECT_EQ(+into.failures, INT_MIN + 1);
  EXPECT_EQ(+into.avr_engagements, 6);
  EXPECT_EQ(+into.avr_seconds, 14);
  EXPECT_EQ(+into.actions, 4);
  EXPECT_EQ(+into.energy_va_minutes, 2000);
}

StatTimeStamp stamp(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return stamp_from_local_time({year, month, day, 0, hour, minute, second, 0});
}

TEST(AutomationDate, CountsDaysAndFractionsFromTheEpoch) {
  EXPECT_EQ(automation_date(kAutomationEpochStamp), 0.0);
  EXPECT_EQ(automation_date(stamp(2008, 3, 7)), 39514.0);
  EXPECT_EQ(automation_date(stamp(2008, 3, 7, 12)), 39514.5);
  EXPECT_DOUBLE_EQ(*automation_date(stamp(2008, 3, 7, 14, 5, 37)), 39514 + (14 * 3600 + 5 * 60 + 37) / 86400.0);
  EXPECT_EQ(automation_date(stamp(100, 1, 1)), -657434.0);
  EXPECT_EQ(automation_date(stamp(1899, 12, 29, 12)), -1.5) << "before the epoch time counts away from zero";
  EXPECT_GT(*automation_date(stamp(9999, 12, 31, 23, 59, 59)), 2958465.99);
}

TEST(AutomationDate, OnlyStampsThatConvertBackUnchangedAreValid) {
  EXPECT_FALSE(automation_date(StatTimeStamp{})) << "an all-zero stamp";
  EXPECT_FALSE(automation_date(stamp(99, 1, 1))) << "two-digit years are taken as 19xx/20xx";
  EXPECT_FALSE(automation_date(stamp(10000, 1, 1)));
  EXPECT_FALSE(automation_date(stamp(2008, 0, 1)));
  EXPECT_FALSE(automation_date(stamp(2008, 13, 1)));
  EXPECT_FALSE(automation_date(stamp(2023, 2, 29)));
  EXPECT_TRUE(automation_date(stamp(2024, 2, 29)));
  EXPECT_FALSE(automation_date(stamp(1900, 2, 29)));
  EXPECT_FALSE(automation_date(stamp(2008, 4, 31)));
  EXPECT_FALSE(automation_date(stamp(2008, 3, 7, 24)));
  EXPECT_FALSE(automation_date(stamp(2008, 3, 7, 0, 60)));
  EXPECT_FALSE(automation_date(stamp(2008, 3, 7, 0, 0, 60)));
  StatTimeStamp with_ms = stamp(2008, 3, 7);
  with_ms.milliseconds = 999;
  with_ms.day_of_week = 77;
  EXPECT_EQ(automation_date(with_ms), 39514.0) << "milliseconds and the day of week are ignored";
}

TEST(AutomationDate, LaterNeedsBothStampsValid) {
  EXPECT_TRUE(stamp_is_later(stamp(2008, 3, 7, 0, 0, 1), stamp(2008, 3, 7)));
  EXPECT_FALSE(stamp_is_later(stamp(2008, 3, 7), stamp(2008, 3, 7)));
  EXPECT_FALSE(stamp_is_later(stamp(2008, 3, 7), StatTimeStamp{}));
  EXPECT_FALSE(stamp_is_later(StatTimeStamp{}, stamp(2008, 3, 7)));
}

StatSummary summary_at(const StatTimeStamp& when, double monitored) {
  StatSummary s{};
  s.stamp = when;
  s.monitored_seconds = monitored;
  s.failures = 1;
  return s;
}

TEST(SummaryBuilder, AnInvalidFirstStampLeavesTheSumUndated) {
  SummaryBuilder builder;
  builder.add(summary_at(stamp(2008, 13, 1), 10));
  builder.add(summary_at(stamp(2008, 3, 9), 20));
  const StatSummary sum = builder.result();
  EXPECT_FALSE(automation_date(sum.stamp));
  EXPECT_EQ(+sum.stamp.year, 0) << "the stamp stays all zeros";
  EXPECT_EQ(+sum.monitored_seconds, 30);
}

}  // namespace
}  // namespace stats
