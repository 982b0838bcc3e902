// SampleSink: what plots the viewer's sample arrays (the oscilloscope control). It keeps the
// pointers it is handed, without copying, and reads them whenever it repaints, until it is handed
// others: whoever frees or replaces an array must hand over the new set first.
#pragma once

#include <array>
#include <cstdint>

#include "scopeview/osc_layout.h"

namespace scopeview {

class SampleSink {
 public:
  // `samples[i]` is strip i's array of `count` values (null: not fed); `total` is the number of
  // samples taken so far, so the first held one is number total - count.
  virtual void set_data(const std::array<const double*, kStripCount>& samples, std::uint32_t count,
                        std::uint32_t total) = 0;

 protected:
  ~SampleSink() = default;  // never deleted through the interface
};

}  // namespace scopeview
