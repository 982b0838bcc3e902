// The portable conversions against the system's own: automation dates (oleaut32) and the
// Windows-1251 code page.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/automation_date.h"
#include "stats/windows1251.h"

namespace stats {
namespace {

// What the readers' rule asks of the system: convert, convert back, compare the fields.
std::optional<double> system_date_value(const StatTimeStamp& stamp) {
  SYSTEMTIME st{stamp.year, stamp.month, stamp.day_of_week, stamp.day,
                stamp.hour, stamp.minute, stamp.second, stamp.milliseconds};
  double value = 0;
  if (!SystemTimeToVariantTime(&st, &value)) return std::nullopt;
  SYSTEMTIME back{};
  if (!VariantTimeToSystemTime(value, &back)) return std::nullopt;
  if (back.wYear != st.wYear || back.wMonth != st.wMonth || back.wDay != st.wDay || back.wHour != st.wHour ||
      back.wMinute != st.wMinute || back.wSecond != st.wSecond)
    return std::nullopt;
  return value;
}

std::string describe(const StatTimeStamp& s) {
  char text[64];
  std::snprintf(text, sizeof text, "%u-%u-%u %u:%u:%u", s.year, s.month, s.day, s.hour, s.minute, s.second);
  return text;
}

void expect_same_as_system(const StatTimeStamp& stamp) {
  const std::optional<double> ours = automation_date(stamp);
  const std::optional<double> system = system_date_value(stamp);
  ASSERT_EQ(ours.has_value(), system.has_value()) << describe(stamp);
  if (ours) {
    EXPECT_EQ(*ours, *system) << describe(stamp);
  }
}

StatTimeStamp stamp(int year, int month, int day, int hour, int minute, int second) {
  StatTimeStamp s{};
  s.year = static_cast<std::uint16_t>(year);
  s.month = static_cast<std::uint16_t>(month);
  s.day = static_cast<std::uint16_t>(day);
  s.hour = static_cast<std::uint16_t>(hour);
  s.minute = static_cast<std::uint16_t>(minute);
  s.second = static_cast<std::uint16_t>(second);
  return s;
}

TEST(AutomationDate, AgreesWithTheSystemOnChosenStamps) {
  const StatTimeStamp chosen[] = {
      kAutomationEpochStamp,       StatTimeStamp{},           stamp(2008, 3, 7, 14, 5, 37),
      stamp(2024, 2, 29, 0, 0, 0), stamp(2023, 2, 29, 0, 0, 0), stamp(1900, 2, 29, 0, 0, 0),
      stamp(2000, 2, 29, 12, 0, 0), stamp(1899, 12, 29, 12, 0, 0), stamp(1800, 6, 1, 6, 30, 15),
      stamp(100, 1, 1, 0, 0, 0),   stamp(99, 12, 31, 0, 0, 0), stamp(29, 1, 1, 0, 0, 0),
      stamp(9999, 12, 31, 23, 59, 59), stamp(10000, 1, 1, 0, 0, 0), stamp(2008, 13, 1, 0, 0, 0),
      stamp(2008, 1, 32, 0, 0, 0), stamp(2008, 1, 0, 0, 0, 0), stamp(2008, 1, 1, 24, 0, 0),
      stamp(2008, 1, 1, 0, 60, 0), stamp(2008, 1, 1, 0, 0, 60), stamp(65535, 65535, 65535, 65535, 65535, 65535)};
  for (const StatTimeStamp& s : chosen) expect_same_as_system(s);
}

TEST(AutomationDate, AgreesWithTheSystemOnManyPseudoRandomStamps) {
  std::uint32_t state = 12345;
  auto next = [&](std::uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % range;
  };
  for (int i = 0; i < 20000; ++i) {
    // Mostly plausible stamps, with every field now and then just out of its range.
    const StatTimeStamp s = stamp(1890 + static_cast<int>(next(160)), static_cast<int>(next(14)),
                                  static_cast<int>(next(33)), static_cast<int>(next(25)), static_cast<int>(next(61)),
                                  static_cast<int>(next(61)));
    expect_same_as_system(s);
    if (HasFatalFailure()) return;
  }
}

std::string utf8_of(const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

TEST(Windows1251, EveryByteOfTheCodePageComesBackFromItsCharacter) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x98) continue;  // not assigned in the code page
    const char narrow = static_cast<char>(byte);
    wchar_t wide = 0;
    ASSERT_EQ(MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &narrow, 1, &wide, 1), 1) << byte;
    EXPECT_EQ(utf8_to_windows1251(utf8_of(std::wstring(1, wide))), std::string(1, narrow)) << "byte " << byte;
  }
}

}  // namespace
}  // namespace stats
