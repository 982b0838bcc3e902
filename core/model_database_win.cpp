#include "core/model_database_win.h"

#include "core/model_database.h"
#include "platform/registry_win.h"

namespace core {

ModelRecord read_model(HKEY database, const char* model_name) {
  unsigned char buffer[kModelValueBufferSize];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  LONG rc = RegQueryValueExA(database, model_name, nullptr, &type, buffer, &size);
  return load_model({rc == ERROR_SUCCESS, type, buffer, rc == ERROR_SUCCESS ? size : 0});
}

ModelRecord read_configured_model(const char* model_name) {
  platform::UniqueKey database = platform::open_key(kModelDatabaseKeyPath);
  if (!database) return ModelRecord{};
  return read_model(database.get(), model_name);
}

}  // namespace core
