// Where a process of the system appends its debug trace when the Config value "DebugTraceFile"
// names a file. The service runs as SYSTEM: were the file's folder one that others may change,
// they could put a link or a second name there for the service to write through. Ordinary users'
// processes (the trays) write a file of their own instead, and never the one the service writes.
#pragma once

#include <string>

namespace platform {

enum class TraceWriter {
  administrator,  // SYSTEM, or an account with the Administrators group enabled
  user,
};

// `folder_private`: only the service and the administrators may change the configured file's
// folder. `own_folder`: a folder of the process's own user (its temporary folder). Empty: no file.
std::string trace_file_for(TraceWriter writer, const std::string& configured, bool folder_private,
                           const std::string& own_folder);

}  // namespace platform
