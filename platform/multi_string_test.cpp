#include "platform/multi_string.h"

#include <gtest/gtest.h>

#include "platform/registry_rules.h"

namespace platform {
namespace {

using Items = std::vector<std::string>;

TEST(MultiStringRule, ReadsTheStringsUpToTheEmptyOneAndRefusesUnterminatedData) {
  const struct {
    const char* what;
    std::string data;
    std::optional<Items> items;
  } cases[] = {
      {"two lines", std::string("127.0.0.1 3493\0::1 3493\0\0", 25), Items{"127.0.0.1 3493", "::1 3493"}},
      {"no data", "", Items{}},
      {"a lone terminator", std::string(1, '\0'), Items{}},
      {"two terminators", std::string(2, '\0'), Items{}},
      {"the last string unterminated", std::string("FSD\0SET", 7), std::nullopt},
      {"the list unterminated", std::string("FSD\0", 4), std::nullopt},
      {"one character", "F", std::nullopt},
      {"what follows the empty string is not read", std::string("a\0\0b\0\0", 6), Items{"a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(multi_string_items(kRegMultiString, c.data.data(), c.data.size()), c.items) << c.what;
}

TEST(MultiStringRule, OnlyTheMultiStringTypeIsAList) {
  const std::string data("FSD\0\0", 5);
  EXPECT_FALSE(multi_string_items(kRegString, data.data(), data.size()));
  EXPECT_FALSE(multi_string_items(kRegExpandString, data.data(), data.size()));
}

TEST(MultiStringRule, WrittenDataReadsBackAndItemsThatWouldCutTheListAreRefused) {
  const Items items{"all", "test.battery.start.quick"};
  const std::optional<std::string> data = multi_string_data(items);
  ASSERT_TRUE(data);
  EXPECT_EQ(multi_string_items(kRegMultiString, data->data(), data->size()), items);
  EXPECT_EQ(multi_string_data({}), std::string(1, '\0'));
  EXPECT_FALSE(multi_string_data({"FSD", ""}));
  EXPECT_FALSE(multi_string_data({std::string("a\0b", 3)}));
}

}  // namespace
}  // namespace platform
