#include "ipc/status_registry_win.h"

#include "platform/registry_win.h"

namespace ipc {

RegistryStatusWriter::RegistryStatusWriter(const char* key_path) : key_(platform::open_key(key_path)) {}

void RegistryStatusWriter::write(const char* name, std::uint32_t value) {
  if (key_) platform::write_dword_value(key_.get(), name, value);
}

}  // namespace ipc
