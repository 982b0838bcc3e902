// Test helpers: a recorder of registry status values and the model of the installation example.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/model_record.h"
#include "ipc/status_publication.h"

namespace ipc::testing {

class RecordedStatusValues : public StatusValueWriter {
 public:
  void write(const char* name, std::uint32_t value) override { writes.emplace_back(name, value); }
  std::vector<std::pair<std::string, std::uint32_t>> writes;
};

// 400 VA, 10..14 V (12 V is exactly 50 %), runtime 45/25/14/5 minutes at 0/125/150/300 VA.
inline core::ModelRecord example_model() {
  core::ModelRecord model;
  model.va = 400;
  model.u_min = 10.0f;
  model.u_max = 14.0f;
  for (auto [load, minutes] : {std::pair{0.0f, 45.0f}, {125.0f, 25.0f}, {150.0f, 14.0f}, {300.0f, 5.0f}})
    model.runtime_table.insert({load, minutes});
  model.valid = true;
  return model;
}

}  // namespace ipc::testing
