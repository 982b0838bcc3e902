// Reading the configured model's entry from the model database key.
#pragma once

#include <windows.h>

#include "core/model_record.h"

namespace core {

constexpr const char* kModelDatabaseKeyPath = "SYSTEM\\CurrentControlSet\\Services\\UPS\\db";

// The entry `model_name` of the open db key `database`, as a ModelRecord (invalid when missing
// or malformed; the loader logs why).
ModelRecord read_model(HKEY database, const char* model_name);

// Opens the db key and reads the entry; a db key that cannot be opened gives an invalid record
// without a log line.
ModelRecord read_configured_model(const char* model_name);

}  // namespace core
