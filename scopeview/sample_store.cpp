#include "scopeview/sample_store.h"

#include <algorithm>

namespace scopeview {

void SampleStore::run(const std::array<bool, kViewerChannels>& shown) {
  count_ = 0;
  counter_ = 0;
  for (int c = 0; c < kViewerChannels; ++c) {
    arrays_[c].clear();
    arrays_[c].shrink_to_fit();
    if (shown[c]) arrays_[c].assign(kSampleCapacity, 0.0);
  }
}

void SampleStore::tick(std::uint32_t window, const std::array<double, kViewerChannels>& readings) {
  window = std::clamp<std::uint32_t>(window, 1, kSampleCapacity);
  if (count_ > window) keep_newest(window);
  for (int c = 0; c < kViewerChannels; ++c) {
    std::vector<double>& a = arrays_[c];
    if (a.empty()) continue;
    if (count_ < window) {
      a[count_] = readings[c];
    } else {
      std::copy(a.begin() + 1, a.begin() + window, a.begin());
      a[window - 1] = readings[c];
    }
  }
  count_ = std::min(count_ + 1, window);
  ++counter_;
}

// Done for every channel before n changes: n is shared, so the first channel must not decide for
// the others that nothing needs moving.
void SampleStore::keep_newest(std::uint32_t window) {
  for (std::vector<double>& a : arrays_) {
    if (!a.empty()) std::copy(a.begin() + (count_ - window), a.begin() + count_, a.begin());
  }
  count_ = window;
}

std::span<const double> SampleStore::samples(int channel) const {
  const std::vector<double>& a = arrays_[channel];
  return a.empty() ? std::span<const double>() : std::span<const double>(a.data(), count_);
}

const double* SampleStore::data(int channel) const {
  return arrays_[channel].empty() ? nullptr : arrays_[channel].data();
}

}  // namespace scopeview
