#include "core/runtime_table.h"

#include <algorithm>

namespace core {

void RuntimeTable::insert(RuntimePoint point) {
  // Same place as appending and moving back past every greater load: before the first one.
  const auto greater = std::find_if(points_.begin(), points_.end(),
                                    [&](const RuntimePoint& p) { return p.load > point.load; });
  points_.insert(greater, point);
}

}  // namespace core
