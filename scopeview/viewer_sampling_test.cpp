// The viewer's runs as the plot sees them: after Run, Stop and ticks the plot holds only arrays
// that still exist, so a repaint at any moment reads live samples. Built with AddressSanitizer, a
// repaint from an array that Run freed stops the test.
#include <gtest/gtest.h>

#include <vector>

#include "scopeview/viewer_sampling.h"

namespace scopeview {
namespace {

// Keeps what it is handed as the strips do (the pointers, not copies) and reads it back as their
// repaint does.
class PlotLikeTheStrips final : public SampleSink {
 public:
  void set_data(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                std::uint32_t total) override {
    samples_ = samples;
    count_ = count;
    first_sample_ = total - count;
  }
  std::vector<double> repaint(int strip) const {
    const double* held = samples_[strip];
    return held ? std::vector<double>(held, held + count_) : std::vector<double>();
  }
  const double* held(int strip) const { return samples_[strip]; }
  std::uint32_t first_sample() const { return first_sample_; }

 private:
  std::array<const double*, kStripCount> samples_{};
  std::uint32_t count_ = 0;
  std::uint32_t first_sample_ = 0;
};

constexpr std::array<bool, kViewerChannels> kAllShown{true, true, true, true};

void tick_times(ViewerSampling& sampling, int ticks) {
  for (int i = 0; i < ticks; ++i) sampling.tick(100, {230.0, 220.0, 13.5, 40.0});
}

TEST(ViewerSampling, ARepaintAfterRunShowsTheNewRunNotTheFreedArrays) {
  PlotLikeTheStrips plot;
  ViewerSampling sampling(plot);
  sampling.run(kAllShown);
  tick_times(sampling, 5);
  ASSERT_EQ(plot.repaint(0).size(), 5u);

  sampling.run(kAllShown);  // repainted before the first tick of the new run
  for (int channel = 0; channel < kViewerChannels; ++channel) {
    EXPECT_TRUE(plot.repaint(channel).empty()) << "channel " << channel;
    EXPECT_EQ(plot.held(channel), sampling.store().data(channel)) << "channel " << channel;
  }
  EXPECT_EQ(plot.first_sample(), 0u);
}

TEST(ViewerSampling, AChannelHiddenAtRunShowsNothingWhenTickedAfterStop) {
  PlotLikeTheStrips plot;
  ViewerSampling sampling(plot);
  sampling.run(kAllShown);
  tick_times(sampling, 3);
  sampling.stop();
  sampling.run({true, true, false, true});
  sampling.stop();
  EXPECT_EQ(plot.held(2), nullptr);
  EXPECT_TRUE(plot.repaint(2).empty()) << "shown again after Stop, its strip has no samples";

  tick_times(sampling, 2);  // the timer keeps running while stopped
  EXPECT_TRUE(plot.repaint(0).empty()) << "no samples are taken while stopped";
  EXPECT_EQ(sampling.store().counter(), 0u);
}

}  // namespace
}  // namespace scopeview
