#include "link/status_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ups_link {
namespace {

// Every number differs, so a field read into the wrong place shows.
const std::string kLine = "(231.5 190.2 229.0 047 49.9 13.6 31.5 00001001";

struct Parsed {
  bool ok = false;
  UpsStatus status;
  std::string raw;  // a copy: the parser's view dies with the test's temporary line
};

Parsed parse(std::string_view line) {
  Parsed p;
  std::string_view raw;
  p.ok = parse_status_line(line, p.status, raw);
  p.raw = raw;
  return p;
}

TEST(StatusLineTest, ConformingLineFillsTheRecordInItsOwnOrder) {
  ASSERT_EQ(kLine.size(), kStatusLineLength);
  const Parsed p = parse(kLine);

  ASSERT_TRUE(p.ok);
  EXPECT_FLOAT_EQ(p.status.input_voltage, 231.5f);
  EXPECT_FLOAT_EQ(p.status.input_fault_voltage, 190.2f);
  EXPECT_FLOAT_EQ(p.status.output_voltage, 229.0f);
  EXPECT_EQ(p.status.load_percent, 47);
  EXPECT_FLOAT_EQ(p.status.frequency, 49.9f);
  EXPECT_FLOAT_EQ(p.status.battery_voltage, 13.6f);
  EXPECT_FLOAT_EQ(p.status.temperature, 31.5f);
  EXPECT_EQ(p.status.status_bits, STATUS_LINE_INTERACTIVE | STATUS_BEEPER_ON);
  EXPECT_EQ(p.raw, kLine);
}

TEST(StatusLineTest, NoiseBeforeTheParenthesisIsSkippedOnlyWhenExactly46Remain) {
  const Parsed noisy = parse("\x13\xff" + kLine);
  ASSERT_TRUE(noisy.ok);
  EXPECT_EQ(noisy.raw, kLine);
  EXPECT_EQ(noisy.status.load_percent, 47);

  EXPECT_FALSE(parse("\x13\xff" + kLine.substr(0, 45)).ok);
  EXPECT_FALSE(parse("\x13\xff" + kLine + "0").ok);
  EXPECT_FALSE(parse(kLine + "0").ok);
  EXPECT_FALSE(parse(kLine.substr(0, 45)).ok);
  EXPECT_FALSE(parse(kLine.substr(1)).ok);
  EXPECT_FALSE(parse("").ok);
  EXPECT_FALSE(parse("(" + kLine).ok);  // only the first "(" counts: 47 characters remain
}

TEST(StatusLineTest, NulByteEndsTheText) {
  std::string cut = kLine;
  cut[20] = '\0';
  EXPECT_FALSE(parse(cut).ok);
  EXPECT_FALSE(parse(std::string("\0", 1) + kLine).ok);
}

TEST(StatusLineTest, UnreportedTemperatureReads25) {
  const Parsed p = parse("(230.0 230.0 229.0 012 50.0 13.6 --.- 00000001");
  ASSERT_TRUE(p.ok);
  EXPECT_FLOAT_EQ(p.status.temperature, 25.0f);
  EXPECT_FLOAT_EQ(p.status.battery_voltage, 13.6f);
  EXPECT_EQ(p.status.status_bits, STATUS_BEEPER_ON);
}

TEST(StatusLineTest, TemperatureCountsAsReportedOnlyWhenTheLineCarriesANumber) {
  struct Case {
    const char* line;
    bool reported;
  };
  const Case cases[] = {
      {"(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001", true},
      {"(230.0 230.0 229.0 012 50.0 13.6 --.- 00001001", false},
      {"\x13(230.0 230.0 229.0 012 50.0 13.6 -5.5 00001001", true},
      {"(230.0 230.0 229.0 012 50.0 13.6 25.0 --.-1001", true},  // "--.-" in the bits is no temperature
      {"(230.0 230.0 229.0 012 50.0 13.6 --.- 0000100", false},  // 45 characters: not a line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(status_line_has_temperature(c.line), c.reported);
  }
}

TEST(StatusLineTest, BitStringNamesBit7First) {
  struct Case {
    const char* bits;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"10000000", STATUS_UTILITY_FAIL},
      {"00000001", STATUS_BEEPER_ON},
      {"01000010", STATUS_BATTERY_LOW | STATUS_SHUTDOWN_ACTIVE},
      {"11111111", 0xFFu},
      {"1a1b1c1d", 0xAAu},  // anything but "1" leaves the bit clear
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const Parsed p = parse("(230.0 230.0 229.0 012 50.0 13.6 25.0 " + std::string(c.bits));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.status.status_bits, c.expected);
  }
}

TEST(StatusLineTest, LineThatFitsNeitherPatternFailsAndLeavesOutputsAlone) {
  const char* const lines[] = {
      "(230.0 230.0 229.0 012 50.0 --.- 25.0 00001001",  // no battery voltage
      "(230.0 230.0 229.0 0x2 50.0 13.6 25.0 00001001",
      "(230.0 230.0 229.0 012 50.0 13.6 25.0         ",  // no bit string
      "[230.0 230.0 229.0 012 50.0 13.6 25.0 00001001",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    UpsStatus status;
    status.load_percent = -7;
    std::string_view raw = "untouched";
    EXPECT_FALSE(parse_status_line(line, status, raw));
    EXPECT_EQ(status.load_percent, -7);
    EXPECT_EQ(raw, "untouched");
  }
}

TEST(StatusLineTest, ReadsNothingBeyondTheGivenBytes) {
  // An exactly sized heap block: reading one byte further is an AddressSanitizer report.
  const std::vector<char> bytes(kLine.begin(), kLine.end());
  UpsStatus status;
  std::string_view raw;
  EXPECT_TRUE(parse_status_line({bytes.data(), bytes.size()}, status, raw));
  EXPECT_FALSE(parse_status_line({bytes.data(), 30}, status, raw));
}

}  // namespace
}  // namespace ups_link
