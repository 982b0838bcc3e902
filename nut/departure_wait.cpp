#include "nut/departure_wait.h"

#include <algorithm>

namespace nut {

Departures wait_for_departures(DepartureWatch& watch, std::chrono::milliseconds limit) {
  const DepartureWatch::Milliseconds start = watch.now();
  Departures result;
  result.told = watch.logged_in();
  watch.tell();
  std::size_t remaining = watch.logged_in();
  while (remaining > 0) {
    const DepartureWatch::Milliseconds left = limit - (watch.now() - start);
    if (left <= DepartureWatch::Milliseconds{0}) break;
    watch.pause(std::min(left, kDepartureCheckInterval));
    remaining = watch.logged_in();
  }
  result.gone = result.told - std::min(remaining, result.told);
  result.waited = watch.now() - start;
  return result;
}

}  // namespace nut
