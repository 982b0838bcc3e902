// RuntimeTable: a model's runtime curve, points kept in ascending order of load.
//
// Invariant: points are sorted by load; points with equal load keep their insertion order
// (a new point goes after every earlier point with the same load). Built once per UPSInit,
// then only read; not thread-safe while being built.
#pragma once

#include <cstddef>
#include <list>

namespace core {

struct RuntimePoint {
  float load = 0;     // volt-amperes
  float minutes = 0;  // runtime at full charge
};

class RuntimeTable {
 public:
  using const_iterator = std::list<RuntimePoint>::const_iterator;

  void insert(RuntimePoint point);

  std::size_t count() const { return points_.size(); }
  bool empty() const { return points_.empty(); }
  const RuntimePoint& front() const { return points_.front(); }
  const_iterator begin() const { return points_.begin(); }
  const_iterator end() const { return points_.end(); }

 private:
  std::list<RuntimePoint> points_;
};

}  // namespace core
