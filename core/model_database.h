// The model database entry loader: one registry multi-string value → ModelRecord.
//
// The caller opens the db key and reads the value named by the model into a buffer of
// kModelValueBufferSize bytes, then hands over what the read gave. The bytes are untrusted:
// nothing past `size` is read, and garbage yields an invalid record, never a crash.
// Each accepted item and the verdict are written with debug_trace. Stateless; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model_record.h"
#include "platform/registry_rules.h"

namespace core {

constexpr std::size_t kModelValueBufferSize = 2048;

struct RawModelValue {
  bool read_ok = false;
  std::uint32_t type = 0;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

ModelRecord load_model(const RawModelValue& value);

}  // namespace core
