#include "core/model_database.h"

#include <cstdio>
#include <cstring>

#include "platform/debug_trace.h"

namespace core {
namespace {

// A multi-string ends with an empty string: its last two bytes are terminators
// (a 1-byte value holds just the terminator of an empty list).
bool is_multi_string(const RawModelValue& value) {
  if (!value.read_ok || value.type != platform::kRegMultiString) return false;
  if (value.data == nullptr || value.size == 0 || value.size > kModelValueBufferSize) return false;
  if (value.data[value.size - 1] != '\0') return false;
  return value.size == 1 || value.data[value.size - 2] == '\0';
}

struct ItemsGiven {
  bool va = false;
  bool u_min = false;
  bool u_max = false;
};

// Tries the item patterns in their fixed order; the first whose conversions all succeed wins.
void apply_item(const char* item, ModelRecord& model, ItemsGiven& given) {
  float value = 0;
  int number = 0;
  if (std::sscanf(item, "VA:%f", &value) == 1) {
    model.va = value;
    given.va = true;
    debug_trace("VA:%.0f\n", value);
  } else if (std::sscanf(item, "UMIN:%f", &value) == 1) {
    model.u_min = value;
    given.u_min = true;
    debug_trace("UMIN:%.1f\n", value);
  } else if (std::sscanf(item, "UMAX:%f", &value) == 1) {
    model.u_max = value;
    given.u_max = true;
    debug_trace("UMAX:%.1f\n", value);
  } else if (std::sscanf(item, "MOD:%d", &number) == 1) {
    model.mod = number;
    debug_trace("MOD:%d\n", number);
  } else if (std::sscanf(item, "T%dVA:%f", &number, &value) == 2) {
    model.runtime_table.insert({static_cast<float>(number), value});
    debug_trace("VA %d - T %.1f\n", number, value);
  }
}

// UMAX must lie above UMIN: the capacity divides by their difference.
bool is_valid(const ModelRecord& model, const ItemsGiven& given) {
  return given.va && given.u_min && given.u_max && model.u_max > model.u_min &&
         model.runtime_table.count() >= 2 && model.runtime_table.front().load == 0.0f;
}

}  // namespace

ModelRecord load_model(const RawModelValue& value) {
  ModelRecord model;
  if (!is_multi_string(value)) {
    debug_trace(" UPS::database = NOT FOUND\n");
    return model;
  }
  debug_trace(" UPS::database =\n");

  const char* text = reinterpret_cast<const char*>(value.data);
  ItemsGiven given;
  std::size_t offset = 0;
  // The final terminator is inside `size`, so every item's terminator is found in bounds.
  // An empty first item leaves nothing given: the record is reported as an error.
  while (offset < value.size && text[offset] != '\0') {
    const char* item = text + offset;
    offset += std::strlen(item) + 1;
    apply_item(item, model, given);
  }

  model.valid = is_valid(model, given);
  debug_trace(model.valid ? " OK\n" : " ERROR\n");
  return model;
}

}  // namespace core
