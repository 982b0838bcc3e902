// ViewerSampling: the viewer's runs. Run starts a new set of sample arrays, each timer tick while
// running adds one sample per channel, Stop freezes the picture. Whenever the arrays or their fill
// change, the plot is handed the arrays that exist now, so it never keeps one that Run freed.
// Not thread-safe: the dialog's window thread owns it.
#pragma once

#include <array>
#include <cstdint>

#include "scopeview/sample_sink.h"
#include "scopeview/sample_store.h"

namespace scopeview {

class ViewerSampling {
 public:
  explicit ViewerSampling(SampleSink& plot) : plot_(plot) {}

  // A new run with arrays for the channels shown now; the plot shows it (still empty) at once.
  void run(const std::array<bool, kViewerChannels>& shown);
  void stop() { running_ = false; }
  // One reading per channel into a window of `window` samples; ignored when stopped.
  void tick(std::uint32_t window, const std::array<double, kViewerChannels>& readings);

  bool running() const { return running_; }
  const SampleStore& store() const { return store_; }

 private:
  void hand_to_plot();

  SampleSink& plot_;
  SampleStore store_;
  bool running_ = false;
};

}  // namespace scopeview
