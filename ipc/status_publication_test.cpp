#include "ipc/status_publication.h"

#include <gtest/gtest.h>

#include "ipc/test_status_values.h"

namespace ipc {
namespace {

using testing::example_model;
using testing::RecordedStatusValues;
using Writes = std::vector<std::pair<std::string, std::uint32_t>>;

ups_link::UpsStatus status_of(float battery_voltage, int load_percent, std::uint32_t bits = 0) {
  ups_link::UpsStatus status;
  status.input_voltage = 229.5f;
  status.battery_voltage = battery_voltage;
  status.load_percent = load_percent;
  status.status_bits = bits;
  return status;
}

// A block as an earlier cycle with a valid model left it.
UpsSharedBlock published_block() {
  UpsSharedBlock block{};
  block.capacity_valid = 1;
  block.capacity = 77;
  block.load_va = 88;
  block.runtime = 9;
  return block;
}

TEST(PublishStatus, ValidModelFillsBlockAndAllFourValuesInOrder) {
  UpsSharedBlock block{};
  RecordedStatusValues registry;
  // 12 V is half charge; 25 % of 400 VA = 100 VA, between the 0 and 125 VA points.
  publish_status(block, status_of(12.0f, 25, ups_link::STATUS_UPS_FAULT), example_model(), false, registry);

  EXPECT_FLOAT_EQ(block.status.input_voltage, 229.5f);
  EXPECT_EQ(block.status.status_bits, ups_link::STATUS_UPS_FAULT);
  EXPECT_EQ(block.capacity_valid, 1);
  EXPECT_FLOAT_EQ(block.capacity, 50.0f);
  EXPECT_FLOAT_EQ(block.load_va, 100.0f);
  EXPECT_NEAR(block.runtime, (0.2f * 45 + 0.8f * 25) * 0.5f, 1e-3);  // 14.5 minutes
  EXPECT_EQ(registry.writes,
            (Writes{{"CommStatus", 1}, {"BatteryStatus", 2}, {"BatteryCapacity", 50}, {"TotalUPSRuntime", 14}}));
}

TEST(PublishStatus, InvalidModelClearsValidByteAndLeavesModelFieldsAlone) {
  UpsSharedBlock block = published_block();
  core::ModelRecord model = example_model();
  model.valid = false;
  RecordedStatusValues registry;
  publish_status(block, status_of(12.0f, 40), model, false, registry);

  EXPECT_EQ(block.capacity_valid, 0);
  EXPECT_FLOAT_EQ(block.capacity, 77);
  EXPECT_FLOAT_EQ(block.load_va, 88);
  EXPECT_FLOAT_EQ(block.runtime, 9);
  EXPECT_EQ(registry.writes,
            (Writes{{"CommStatus", 1}, {"BatteryStatus", 1}, {"BatteryCapacity", 0}, {"TotalUPSRuntime", 0}}));
}

TEST(PublishStatus, LostLinkCopiesTheRecordAndWritesOnlyCommStatus) {
  UpsSharedBlock block = published_block();
  RecordedStatusValues registry;
  publish_status(block, status_of(9.5f, 5), example_model(), true, registry);

  EXPECT_FLOAT_EQ(block.status.battery_voltage, 9.5f) << "the record is published whatever the link";
  EXPECT_EQ(block.capacity_valid, 1);
  EXPECT_FLOAT_EQ(block.capacity, 77);
  EXPECT_EQ(registry.writes, (Writes{{"CommStatus", 0}}));
}

}  // namespace
}  // namespace ipc
