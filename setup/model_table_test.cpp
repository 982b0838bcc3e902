#include "setup/model_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/model_database.h"

namespace installation {
namespace {

using namespace std::string_literals;

core::ModelRecord load(const std::string& entry) {
  return core::load_model({true, platform::kRegMultiString, reinterpret_cast<const unsigned char*>(entry.data()),
                           entry.size()});
}

TEST(ModelTableTest, EveryRowsEntryLoadsBackAsThatRowInTheMonitoringCore) {
  for (const ModelTable& table : model_tables()) {
    for (const ModelRow& row : table.rows) {
      SCOPED_TRACE(row.model);
      const std::string entry = database_entry(row, table.loads_va);
      ASSERT_LE(entry.size(), core::kModelValueBufferSize);
      const core::ModelRecord model = load(entry);
      EXPECT_TRUE(model.valid);
      EXPECT_FLOAT_EQ(model.va, row.va);
      EXPECT_FLOAT_EQ(model.u_min, row.u_min);
      EXPECT_FLOAT_EQ(model.u_max, row.u_max);
      EXPECT_EQ(model.mod, row.variant);
      ASSERT_EQ(model.runtime_table.count(), table.loads_va.size()) << "zero runtimes are points too";
      std::size_t point = 0;
      for (const core::RuntimePoint& p : model.runtime_table) {
        EXPECT_FLOAT_EQ(p.load, static_cast<float>(table.loads_va[point]));
        EXPECT_FLOAT_EQ(p.minutes, row.runtimes[point]);
        ++point;
      }
    }
  }
}

TEST(ModelTableTest, EntryIsTheItemsInOrderEachTerminatedThenTheListTerminator) {
  const ModelTable& table = model_tables()[0];
  EXPECT_EQ(database_entry(table.rows[0], table.loads_va),
            "VA:400\0UMIN:10.4\0UMAX:13.0\0MOD:1\0T0VA:45.0\0T125VA:25.0\0T150VA:14.0\0T300VA:5.0\0"
            "T400VA:0.0\0T500VA:0.0\0T600VA:0.0\0T700VA:0.0\0T800VA:0.0\0T1000VA:0.0\0T1400VA:0.0\0"
            "T2000VA:0.0\0\0"s);
}

TEST(ModelTableTest, TwoTablesOf28And18RowsUnder45NamesOfTheFourVendors) {
  const auto tables = model_tables();
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].rows.size(), 28u);
  EXPECT_EQ(tables[0].loads_va.size(), 12u);
  EXPECT_EQ(tables[1].rows.size(), 18u);
  EXPECT_EQ(tables[1].loads_va.size(), 11u);

  std::set<std::string> names;
  for (const ModelTable& table : tables) {
    EXPECT_EQ(table.loads_va.front(), 0);
    EXPECT_TRUE(std::is_sorted(table.loads_va.begin(), table.loads_va.end()));
    for (const ModelRow& row : table.rows) {
      names.insert(row.model);
      EXPECT_NE(std::find_if(kVendors.begin(), kVendors.end(),
                             [&](const char* vendor) { return std::string(vendor) == row.vendor; }),
                kVendors.end())
          << row.vendor;
    }
  }
  EXPECT_EQ(names.size(), 45u) << "one model is listed twice";
}

}  // namespace
}  // namespace installation
