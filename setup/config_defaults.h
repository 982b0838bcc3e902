// The settings an installation writes where they are missing: the service key's "Port" and
// "Description", and the values of its Config key. Settings a user made survive a reinstallation;
// only values that cannot be read as their kind are (re)written.
//
// Stateless; the store decides the medium (the registry, or a map in tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/config_store.h"

namespace installation {

struct SettingDefault {
  enum class Kind { dword, text };
  const char* name;
  Kind kind;
  std::uint32_t number;  // for dword
  const char* text;      // for text, UTF-8
};

// A text value counts as present only when it can be read into this many bytes, terminator
// included: the readers of these values use buffers of this size.
inline constexpr std::size_t kSettingTextBufferSize = 255;

// "Port" and "Description" of the service key.
std::span<const SettingDefault> service_defaults();
// The Config key's values: the DWORDs, then the texts, in the order they are written.
std::span<const SettingDefault> config_defaults();

// Writes the default of every setting that `store` cannot read as its kind (a DWORD of another
// type or a text too long for the buffer is replaced too). Write failures are not reported:
// the next installation tries again.
void write_missing_defaults(core::ConfigStore& store, std::span<const SettingDefault> defaults);

}  // namespace installation
