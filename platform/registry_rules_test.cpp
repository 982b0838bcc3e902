#include "platform/registry_rules.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(StringValueRule, AcceptsTerminatedPlainAndExpandableStrings) {
  EXPECT_TRUE(string_value_usable(kRegString, "COM1", 5));
  EXPECT_TRUE(string_value_usable(kRegExpandString, "%SystemRoot%", 13));
}

TEST(StringValueRule, AcceptsNoDataAsTheEmptyString) {
  EXPECT_TRUE(string_value_usable(kRegString, "", 0));
  EXPECT_TRUE(string_value_usable(kRegString, "", 1));
}

TEST(StringValueRule, RejectsDataWithoutItsTerminator) {
  EXPECT_FALSE(string_value_usable(kRegString, "COM1", 4));
}

TEST(StringValueRule, RejectsOtherTypesEvenWithATerminator) {
  EXPECT_FALSE(string_value_usable(kRegMultiString, "COM1\0", 6));
  EXPECT_FALSE(string_value_usable(kRegDword, "\1\0\0", 4));
  EXPECT_FALSE(string_value_usable(3 /* binary */, "COM1", 5));
}

TEST(WideStringValueRule, NeedsWholeCharactersEndingInTheTerminator) {
  const std::uint16_t command[] = {u'c', u'm', u'd', 0};
  EXPECT_TRUE(wide_string_value_usable(kRegString, command, 8));
  EXPECT_TRUE(wide_string_value_usable(kRegExpandString, command, 8));
  EXPECT_TRUE(wide_string_value_usable(kRegString, command, 0));
  EXPECT_FALSE(wide_string_value_usable(kRegString, command, 6)) << "no terminator";
  EXPECT_FALSE(wide_string_value_usable(kRegString, command, 7)) << "half a character";
  EXPECT_FALSE(wide_string_value_usable(kRegMultiString, command, 8));
}

TEST(DwordValueRule, NeedsTypeDwordAndFourBytes) {
  EXPECT_TRUE(dword_value_usable(kRegDword, 4));
  EXPECT_FALSE(dword_value_usable(kRegDword, 2));
  EXPECT_FALSE(dword_value_usable(3 /* binary */, 4));
  EXPECT_FALSE(dword_value_usable(11 /* qword */, 8));
}

}  // namespace
}  // namespace platform
