// LineFaults: misbehaviour of the serial line and of the UPS's firmware, switched on and off by the
// command language. One-shot faults count down as they are used.
#pragma once

#include <cstddef>

namespace upssim {

struct LineFaults {
  bool silence = false;              // cable pulled: the UPS hears nothing and says nothing
  bool echo = false;                 // every received command is sent back before any answer
  bool cr_reply = false;             // commands other than queries draw a lone CR
  std::size_t ignore_queries = 0;    // that many status queries go unanswered
  std::size_t garbage_next = 0;      // bytes of garbage before "(" of the next status line
  std::size_t overlong_next = 0;     // the next status answer is exactly this long (0: normal)
  int slow_ms = 0;                   // answers leave this much later
};

}  // namespace upssim
