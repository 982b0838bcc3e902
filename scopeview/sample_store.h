// SampleStore: the viewer's last samples of its four channels, as the strips plot them.
//
// Each channel shown when a run starts gets an array of kSampleCapacity values; a channel hidden
// then has none for the whole run. All arrays share one fill count n (at most the window size N,
// oldest sample at index 0) and one running counter of samples taken since the run started, so
// the first held sample is number counter - n. Not thread-safe: the dialog's timer owns it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace scopeview {

inline constexpr int kViewerChannels = 4;
inline constexpr std::uint32_t kSampleCapacity = 1000;  // the largest window

class SampleStore {
 public:
  // Starts a run: forgets every sample and gives an array to exactly the channels shown now.
  void run(const std::array<bool, kViewerChannels>& shown);

  // One sample per channel (only channels with an array keep theirs) into a window of `window`
  // positions, clamped to 1..kSampleCapacity. A window lowered since the last tick keeps the
  // newest samples; a full window drops the oldest.
  void tick(std::uint32_t window, const std::array<double, kViewerChannels>& readings);

  std::uint32_t count() const { return count_; }
  std::uint32_t counter() const { return counter_; }
  std::uint32_t first_sample() const { return counter_ - count_; }
  bool has_array(int channel) const { return !arrays_[channel].empty(); }
  // The held samples of a channel, oldest first; empty without an array.
  std::span<const double> samples(int channel) const;
  // The channel's array as the control takes it: null without an array.
  const double* data(int channel) const;

 private:
  void keep_newest(std::uint32_t window);

  std::array<std::vector<double>, kViewerChannels> arrays_{};
  std::uint32_t count_ = 0;
  std::uint32_t counter_ = 0;
};

}  // namespace scopeview
