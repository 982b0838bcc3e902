// "Last points": digits clamped to 10..1000, however many; anything else is no number.
#include <gtest/gtest.h>

#include "scopeview/last_points.h"

namespace scopeview {
namespace {

TEST(LastPoints, DigitsAreClampedToTheWindowRange) {
  struct Case {
    const wchar_t* text;
    std::uint32_t n;
  };
  const Case cases[] = {
      {L"5", 10},     {L"5000", 1000}, {L"100", 100}, {L"10", 10},      {L"1000", 1000}, {L"1001", 1000},
      {L"0", 10},     {L"007", 10},    {L"  250 ", 250}, {L"\t42", 42},
      {L"99999999999999999999999999999999", 1000},  // would overflow any integer type
      {L"00000000000000000000000000000500", 500},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_last_points(c.text), c.n) << c.text;
}

TEST(LastPoints, TextThatIsNotANumberGivesNothing) {
  for (const wchar_t* text : {L"", L"   ", L"-5", L"+5", L"12a", L"1 2", L"abc", L"1e3", L"\xFF11\xFF12"})
    EXPECT_FALSE(parse_last_points(text).has_value()) << text;
}

}  // namespace
}  // namespace scopeview
