#include "setup/config_defaults_win.h"

#include <windows.h>

#include "core/registry_config_store_win.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"
#include "setup/config_defaults.h"
#include "setup/install_registry_win.h"
#include "setup/setup_registry_win.h"

namespace installation {
namespace {

// Reads as the system's readers read (ANSI, bounded buffers); texts are written as UTF-16, so
// that the Russian description shows correctly whatever the system's ANSI code page.
class InstallationStore final : public core::ConfigStore {
 public:
  explicit InstallationStore(HKEY key) : key_(key), reader_(key) {}

  bool read_dword(const char* name, std::uint32_t& value) override { return reader_.read_dword(name, value); }
  bool read_string(const char* name, char* buffer, std::size_t buffer_size) override {
    return reader_.read_string(name, buffer, buffer_size);
  }
  bool write_dword(const char* name, std::uint32_t value) override {
    return written(name, reader_.write_dword(name, value));
  }
  bool write_string(const char* name, const char* value) override {
    return written(name, write_text_value(key_, to_utf16(name).c_str(), to_utf16(value)));
  }
  bool delete_value(const char* name) override { return written(name, reader_.delete_value(name)); }

 private:
  static bool written(const char* name, bool ok) {
    if (!ok) debug_trace("UPS::setup value %s not written\n", name);
    return ok;
  }

  HKEY key_;
  core::RegistryConfigStore reader_;
};

}  // namespace

void write_default_settings() {
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  if (!service) {
    debug_trace("UPS::setup service key not found; defaults not written\n");
    return;
  }
  InstallationStore service_store(service.get());
  write_missing_defaults(service_store, service_defaults());

  if (platform::UniqueKey config = create_key(service.get(), "Config")) {
    InstallationStore config_store(config.get());
    write_missing_defaults(config_store, config_defaults());
  }
  create_key(service.get(), "status");
}

}  // namespace installation
