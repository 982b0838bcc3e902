// Makes raw line bytes readable in the log: printable ASCII stays, CR and LF become \r and \n,
// every other byte \xNN.
#pragma once

#include <string>
#include <string_view>

namespace upssim {

std::string printable(std::string_view bytes);

}  // namespace upssim
