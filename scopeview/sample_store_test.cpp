// Sample store: the window of the newest samples, lowering and raising N while running, channels
// hidden at Run, and windows outside the array's size.
#include <gtest/gtest.h>

#include <vector>

#include "scopeview/osc_view.h"
#include "scopeview/sample_store.h"

namespace scopeview {
namespace {

// Each tick's reading is its sample number (channel c adds 1000 * c), so the held arrays show
// exactly which samples they hold.
void run_ticks(SampleStore& store, std::uint32_t window, int ticks) {
  for (int i = 0; i < ticks; ++i) {
    const double n = store.counter();
    store.tick(window, {n, n + 1000, n + 2000, n + 3000});
  }
}

void expect_holds(const SampleStore& store, int channel, std::uint32_t first, std::uint32_t last) {
  const std::span<const double> held = store.samples(channel);
  ASSERT_EQ(held.size(), last - first + 1) << "channel " << channel;
  for (std::size_t i = 0; i < held.size(); ++i) ASSERT_EQ(held[i], first + i + 1000.0 * channel) << "index " << i;
}

TEST(SampleStore, KeepsTheNewestWindowOfSamplesOldestFirst) {
  struct Case {
    std::uint32_t window;
    int ticks;
    std::uint32_t first, last;
  };
  const Case cases[] = {{100, 150, 50, 149}, {100, 100, 0, 99}, {100, 7, 0, 6}, {10, 10, 0, 9}, {1000, 1005, 5, 1004}};
  for (const Case& c : cases) {
    SampleStore store;
    store.run({true, true, true, true});
    run_ticks(store, c.window, c.ticks);
    EXPECT_EQ(store.count(), c.last - c.first + 1);
    EXPECT_EQ(store.first_sample(), c.first);
    EXPECT_EQ(window_x_range(store.counter(), store.count(), c.window).max, c.first + c.window - 1.0);
    for (int ch = 0; ch < kViewerChannels; ++ch) expect_holds(store, ch, c.first, c.last);
  }
}

TEST(SampleStore, LoweringTheWindowKeepsTheNewestInEveryChannel) {
  SampleStore store;
  store.run({true, true, false, true});
  run_ticks(store, 100, 150);
  run_ticks(store, 10, 1);
  EXPECT_EQ(store.count(), 10u);
  EXPECT_EQ(store.first_sample(), 141u);
  // All fed channels, not just the first: the fill count is shared.
  for (int ch : {0, 1, 3}) expect_holds(store, ch, 141, 150);

  run_ticks(store, 20, 3);  // raised again: new samples append
  EXPECT_EQ(store.count(), 13u);
  expect_holds(store, 3, 141, 153);
}

TEST(SampleStore, AChannelHiddenAtRunHasNoArrayForTheWholeRun) {
  SampleStore store;
  store.run({true, false, true, true});
  run_ticks(store, 100, 5);
  EXPECT_FALSE(store.has_array(1));
  EXPECT_EQ(store.data(1), nullptr);
  EXPECT_TRUE(store.samples(1).empty());
  expect_holds(store, 2, 0, 4);

  store.run({false, true, false, false});  // a new run starts over with the channels shown now
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(store.counter(), 0u);
  EXPECT_EQ(store.data(0), nullptr);
  run_ticks(store, 100, 2);
  expect_holds(store, 1, 0, 1);
}

TEST(SampleStore, WindowsOutsideTheArrayAreClamped) {
  SampleStore store;
  store.run({true, true, true, true});
  run_ticks(store, 5000, 1200);
  EXPECT_EQ(store.count(), kSampleCapacity);
  expect_holds(store, 0, 200, 1199);
  run_ticks(store, 0, 1);
  EXPECT_EQ(store.count(), 1u);
  expect_holds(store, 0, 1200, 1200);
}

}  // namespace
}  // namespace scopeview
