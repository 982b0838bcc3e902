#include "scopeview/viewer_sampling.h"

namespace scopeview {

void ViewerSampling::run(const std::array<bool, kViewerChannels>& shown) {
  store_.run(shown);
  running_ = true;
  hand_to_plot();  // the old arrays are gone: the plot must not repaint from them
}

void ViewerSampling::tick(std::uint32_t window, const std::array<double, kViewerChannels>& readings) {
  if (!running_) return;
  store_.tick(window, readings);
  hand_to_plot();
}

void ViewerSampling::hand_to_plot() {
  std::array<const double*, kStripCount> samples{};
  for (int channel = 0; channel < kViewerChannels; ++channel) samples[channel] = store_.data(channel);
  plot_.set_data(samples, store_.count(), store_.counter());
}

}  // namespace scopeview
