#include "link/derived_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace ups_link {
namespace {

core::ModelRecord model_of(float va, std::initializer_list<std::pair<float, float>> points) {
  core::ModelRecord model;
  model.va = va;
  model.u_min = 10.4f;
  model.u_max = 13.0f;
  for (const auto& [load, minutes] : points) model.runtime_table.insert({load, minutes});
  model.valid = true;
  return model;
}

// The installation's example: 400 VA, 10.4..13 V, runtime 45/25/14/5 minutes at 0/125/150/300 VA.
const core::ModelRecord kModel = model_of(400, {{0, 45}, {125, 25}, {150, 14}, {300, 5}});

UpsStatus status_of(float battery_voltage, int load_percent, std::uint32_t bits = 0) {
  UpsStatus status;
  status.battery_voltage = battery_voltage;
  status.load_percent = load_percent;
  status.status_bits = bits;
  return status;
}

TEST(DerivedValuesTest, LostLinkPublishesOnlyCommStatusZero) {
  const DerivedValues v = derive_published_values(status_of(13, 10), kModel, true);
  EXPECT_FALSE(v.link_answered);
  EXPECT_FALSE(v.model_values);
  EXPECT_EQ(v.comm_status, 0u);
}

TEST(DerivedValuesTest, InvalidModelPublishesZeroCapacityAndRuntimeButLeavesBlockFields) {
  core::ModelRecord invalid = kModel;
  invalid.valid = false;
  const DerivedValues v = derive_published_values(status_of(13, 10, STATUS_UPS_FAULT), invalid, false);
  EXPECT_TRUE(v.link_answered);
  EXPECT_FALSE(v.model_values);
  EXPECT_EQ(v.comm_status, 1u);
  EXPECT_EQ(v.battery_status, 2u);
  EXPECT_EQ(v.capacity_valid, 0);
  EXPECT_EQ(v.battery_capacity, 0u);
  EXPECT_EQ(v.total_ups_runtime, 0u);
  EXPECT_EQ(derive_published_values(status_of(13, 10, 0xEFu), kModel, false).battery_status, 1u);
}

TEST(DerivedValuesTest, CapacityFollowsBatteryVoltageWithinTheModelRange) {
  struct Case {
    float volts;
    float capacity;
  };
  for (const Case c : {Case{11.7f, 50}, Case{10.4f, 0}, Case{9.0f, 0}, Case{13.0f, 100}, Case{14.2f, 100}}) {
    const DerivedValues v = derive_published_values(status_of(c.volts, 10), kModel, false);
    EXPECT_EQ(v.capacity_valid, 1);
    EXPECT_NEAR(v.capacity, c.capacity, 1e-4) << c.volts;
    EXPECT_EQ(v.battery_capacity, static_cast<std::uint32_t>(v.capacity)) << c.volts;
  }
  EXPECT_EQ(derive_published_values(status_of(11.0f, 10), kModel, false).battery_capacity, 23u);  // 23.08 %
}

TEST(DerivedValuesTest, RuntimeInterpolatesBetweenBracketingPointsScaledByCapacity) {
  // 25 % of 400 VA = 100 VA, 0.8 of the way from 0 VA (45 min) to 125 VA (25 min): 29 minutes.
  const DerivedValues full = derive_published_values(status_of(13.0f, 25), kModel, false);
  EXPECT_FLOAT_EQ(full.load_va, 100);
  EXPECT_NEAR(full.runtime, 29, 1e-4);
  EXPECT_EQ(full.total_ups_runtime, 29u);

  const DerivedValues half = derive_published_values(status_of(11.7f, 25), kModel, false);
  EXPECT_NEAR(half.runtime, 14.5, 1e-4);
  EXPECT_EQ(half.total_ups_runtime, 14u);
}

TEST(DerivedValuesTest, LoadOnATablePointUsesTheSegmentStartingThere) {
  // Two points at 125 VA: only the segment that starts at the second one brackets 125 VA.
  const core::ModelRecord model = model_of(500, {{0, 45}, {125, 25}, {125, 20}, {300, 5}});
  const DerivedValues v = derive_published_values(status_of(13.0f, 25), model, false);
  EXPECT_FLOAT_EQ(v.load_va, 125);
  EXPECT_NEAR(v.runtime, 20, 1e-4);
  EXPECT_EQ(v.total_ups_runtime, 20u);
}

TEST(DerivedValuesTest, LoadOutsideTheTablePublishesOneMinuteUnestimated) {
  struct Case {
    const char* what;
    core::ModelRecord model;
    int load_percent;
  };
  const Case cases[] = {
      {"at the last point", kModel, 75},                         // 300 VA
      {"beyond the last point", kModel, 90},                     // 360 VA
      {"negative load", kModel, -5},
      {"2000 VA", model_of(5000, {{0, 45}, {3000, 5}}), 40},     // within the table, still too much
      {"beyond 2000 VA", model_of(5000, {{0, 45}, {3000, 5}}), 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DerivedValues v = derive_published_values(status_of(13.0f, c.load_percent), c.model, false);
    EXPECT_TRUE(v.model_values);
    EXPECT_EQ(v.runtime, 0);
    EXPECT_EQ(v.total_ups_runtime, 1u);
  }
}

TEST(DerivedValuesTest, RuntimeBelowOneMinutePublishesOne) {
  // 10.45 V is 1.9 % capacity: 45 minutes at no load leave 0.87 minute.
  const DerivedValues v = derive_published_values(status_of(10.45f, 0), kModel, false);
  EXPECT_GT(v.runtime, 0.0f);
  EXPECT_LT(v.runtime, 1.0f);
  EXPECT_EQ(v.total_ups_runtime, 1u);
}

// A UPS served over the network: its own charge and runtime win over the table, and a charge makes
// the capacity (and with it the capacity threshold) usable without a valid model.
TEST(DerivedValuesTest, TheServersOwnChargeAndRuntimeAreTakenAsTheyCome) {
  core::ModelRecord invalid = kModel;
  invalid.valid = false;
  struct Case {
    const char* what;
    core::ModelRecord model;
    ServerBatteryValues server;
    bool values;
    float capacity;
    float load_va;
    float runtime;
    std::uint32_t total_runtime;
  };
  const Case cases[] = {
      {"charge and runtime, valid model", kModel, {37.5f, 12.5f}, true, 37.5f, 100, 12.5f, 12},
      {"charge only: the table's runtime at that charge", kModel, {50.0f, std::nullopt}, true, 50, 100, 14.5f, 14},
      {"runtime only: the table's charge", kModel, {std::nullopt, 3.0f}, true, 100, 100, 3.0f, 3},
      {"charge and runtime, no model", invalid, {37.5f, 12.5f}, true, 37.5f, 0, 12.5f, 12},
      {"charge only, no model: no runtime", invalid, {80.0f, std::nullopt}, true, 80, 0, 0, 0},
      {"runtime below a minute", invalid, {5.0f, 0.25f}, true, 5, 0, 0.25f, 1},
      {"runtime only, no model: nothing", invalid, {std::nullopt, 3.0f}, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DerivedValues v = derive_published_values(status_of(13.0f, 25), c.model, false, c.server);
    EXPECT_EQ(v.model_values, c.values);
    EXPECT_EQ(v.capacity_valid, c.values ? 1 : 0);
    EXPECT_FLOAT_EQ(v.capacity, c.capacity);
    EXPECT_EQ(v.battery_capacity, static_cast<std::uint32_t>(c.capacity));
    EXPECT_FLOAT_EQ(v.load_va, c.load_va);
    EXPECT_NEAR(v.runtime, c.runtime, 1e-4);
    EXPECT_EQ(v.total_ups_runtime, c.total_runtime);
  }
  EXPECT_FALSE(derive_published_values(status_of(13.0f, 25), kModel, true, {50.0f, 10.0f}).model_values);
}

TEST(DerivedValuesTest, GarbageNumbersSaturateInsteadOfOverflowing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const DerivedValues from_nan = derive_published_values(status_of(nan, 10), kModel, false);
  EXPECT_EQ(from_nan.capacity, 0);
  EXPECT_EQ(from_nan.battery_capacity, 0u);

  const core::ModelRecord endless = model_of(400, {{0, 1e30f}, {300, 1e30f}});
  EXPECT_EQ(derive_published_values(status_of(13.0f, 10), endless, false).total_ups_runtime, UINT32_MAX);
}

}  // namespace
}  // namespace ups_link
