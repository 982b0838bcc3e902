// The viewer's own view of the service's status block: attach-only and read-only, and only the
// first 836 bytes, which end before the request fields. The viewer never writes to the block.
#pragma once

#include <windows.h>

#include <array>

#include "platform/handles_win.h"

namespace scopeview {

// The four plotted values: input, output and battery voltage, load percent.
using ChannelValues = std::array<double, 4>;

class BlockView {
 public:
  // False when the service has not created the block: the viewer then ends at once.
  bool attach();
  // The values in the block at this moment (all 0 before attach succeeded).
  ChannelValues read() const;

 private:
  platform::UniqueHandle mapping_;
  platform::UniqueView view_;
};

}  // namespace scopeview
