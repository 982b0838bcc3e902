#include "core/model_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/test_trace_capture.h"

namespace core {
namespace {

using ::testing::ElementsAre;

// The registry's multi-string: every item terminated, then the empty string's terminator.
std::vector<unsigned char> multi_string(std::initializer_list<std::string> items) {
  std::vector<unsigned char> bytes;
  for (const std::string& item : items) {
    bytes.insert(bytes.end(), item.begin(), item.end());
    bytes.push_back('\0');
  }
  bytes.push_back('\0');
  return bytes;
}

ModelRecord load_bytes(const std::vector<unsigned char>& bytes, std::uint32_t type = platform::kRegMultiString) {
  return load_model({true, type, bytes.data(), bytes.size()});
}

std::vector<float> loads_of(const ModelRecord& model) {
  std::vector<float> loads;
  for (const RuntimePoint& p : model.runtime_table) loads.push_back(p.load);
  return loads;
}

const std::initializer_list<std::string> kExampleEntry = {
    "VA:400", "UMIN:10.4", "UMAX:13", "MOD:1", "T0VA:45", "T125VA:25", "T150VA:14", "T300VA:5"};

TEST(ModelDatabaseTest, ExampleEntryLoadsAndLogsEveryItem) {
  platform::TraceCapture trace;
  const ModelRecord model = load_bytes(multi_string(kExampleEntry));

  EXPECT_TRUE(model.valid);
  EXPECT_FLOAT_EQ(model.va, 400);
  EXPECT_FLOAT_EQ(model.u_min, 10.4f);
  EXPECT_FLOAT_EQ(model.u_max, 13);
  EXPECT_EQ(model.mod, 1);
  EXPECT_THAT(loads_of(model), ElementsAre(0, 125, 150, 300));
  EXPECT_FLOAT_EQ(model.runtime_table.front().minutes, 45);
  EXPECT_THAT(trace.texts(),
              ElementsAre(" UPS::database =\n", "VA:400\n", "UMIN:10.4\n", "UMAX:13.0\n", "MOD:1\n",
                          "VA 0 - T 45.0\n", "VA 125 - T 25.0\n", "VA 150 - T 14.0\n", "VA 300 - T 5.0\n",
                          " OK\n"));
}

TEST(ModelDatabaseTest, PointsAreSortedWhateverTheirStoredOrder) {
  const ModelRecord model = load_bytes(multi_string({"VA:600", "UMIN:10", "UMAX:13.5", "T500VA:25", "T0VA:120"}));
  EXPECT_TRUE(model.valid);
  EXPECT_THAT(loads_of(model), ElementsAre(0, 500));
}

TEST(ModelDatabaseTest, IncompleteOrInconsistentEntriesAreInvalid) {
  struct Case {
    const char* what;
    std::initializer_list<std::string> items;
  };
  const Case cases[] = {
      {"lowest point not at 0 VA", {"VA:400", "UMIN:10.4", "UMAX:13", "T100VA:60", "T300VA:5"}},
      {"one runtime point", {"VA:400", "UMIN:10.4", "UMAX:13", "T0VA:45"}},
      {"no VA", {"UMIN:10.4", "UMAX:13", "T0VA:45", "T300VA:5"}},
      {"no UMIN", {"VA:400", "UMAX:13", "T0VA:45", "T300VA:5"}},
      {"no UMAX", {"VA:400", "UMIN:10.4", "T0VA:45", "T300VA:5"}},
      {"UMAX equal to UMIN", {"VA:400", "UMIN:12", "UMAX:12", "T0VA:45", "T300VA:5"}},
      {"UMAX below UMIN", {"VA:400", "UMIN:13", "UMAX:10.4", "T0VA:45", "T300VA:5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::TraceCapture trace;
    EXPECT_FALSE(load_bytes(multi_string(c.items)).valid);
    EXPECT_EQ(trace.texts().back(), " ERROR\n");
  }
}

TEST(ModelDatabaseTest, LaterItemWinsAndUnknownItemsAreIgnoredSilently) {
  platform::TraceCapture trace;
  const ModelRecord model = load_bytes(multi_string(
      {"VA:400", "COLOUR:grey", "VA:", "T5VA", "UMIN:10.4", "UMAX:13", "MOD:2", "VA:800", "T0VA:45", "T300VA:5"}));

  EXPECT_TRUE(model.valid);
  EXPECT_FLOAT_EQ(model.va, 800);
  EXPECT_EQ(model.mod, 2);
  EXPECT_EQ(model.runtime_table.count(), 2u);
  EXPECT_EQ(trace.texts().size(), 9u);  // header, seven accepted items, verdict
}

TEST(ModelDatabaseTest, ValueThatIsNotATerminatedMultiStringIsNotFound) {
  const std::vector<unsigned char> good = multi_string(kExampleEntry);
  const std::vector<unsigned char> no_terminator(good.begin(), good.end() - 2);
  const std::vector<unsigned char> one_terminator(good.begin(), good.end() - 1);
  const std::vector<unsigned char> too_big(kModelValueBufferSize + 2, '\0');
  struct Case {
    const char* what;
    RawModelValue value;
  };
  const Case cases[] = {
      {"read failed", {false, platform::kRegMultiString, good.data(), good.size()}},
      {"plain string type", {true, 1, good.data(), good.size()}},
      {"empty", {true, platform::kRegMultiString, good.data(), 0}},
      {"no terminator", {true, platform::kRegMultiString, no_terminator.data(), no_terminator.size()}},
      {"no second terminator", {true, platform::kRegMultiString, one_terminator.data(), one_terminator.size()}},
      {"larger than the read buffer", {true, platform::kRegMultiString, too_big.data(), too_big.size()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::TraceCapture trace;
    const ModelRecord model = load_model(c.value);
    EXPECT_FALSE(model.valid);
    EXPECT_EQ(model.mod, 1);
    EXPECT_THAT(trace.texts(), ElementsAre(" UPS::database = NOT FOUND\n"));
  }
}

TEST(ModelDatabaseTest, EmptyFirstItemEndsTheListAsAnError) {
  for (const std::vector<unsigned char>& bytes :
       {std::vector<unsigned char>{'\0'}, std::vector<unsigned char>{'\0', 'V', 'A', ':', '4', '\0', '\0'}}) {
    platform::TraceCapture trace;
    const ModelRecord model = load_bytes(bytes);
    EXPECT_FALSE(model.valid);
    EXPECT_EQ(model.va, 0);
    EXPECT_THAT(trace.texts(), ElementsAre(" UPS::database =\n", " ERROR\n"));
  }
}

}  // namespace
}  // namespace core
