#include "core/runtime_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace core {
namespace {

std::vector<std::pair<float, float>> contents(const RuntimeTable& table) {
  std::vector<std::pair<float, float>> points;
  for (const RuntimePoint& p : table) points.emplace_back(p.load, p.minutes);
  return points;
}

TEST(RuntimeTableTest, KeepsAscendingLoadWithEqualLoadsInInsertionOrder) {
  RuntimeTable table;
  table.insert({100, 10});
  table.insert({0, 45});
  table.insert({100, 20});
  table.insert({50, 30});
  table.insert({300, 5});
  table.insert({0, 40});

  const std::vector<std::pair<float, float>> expected = {
      {0, 45}, {0, 40}, {50, 30}, {100, 10}, {100, 20}, {300, 5}};
  EXPECT_EQ(contents(table), expected);
  EXPECT_EQ(table.count(), 6u);
  EXPECT_EQ(table.front().minutes, 45);
}

}  // namespace
}  // namespace core
