#include "platform/trace_file_place.h"

namespace platform {

std::string trace_file_for(TraceWriter writer, const std::string& configured, bool folder_private,
                           const std::string& own_folder) {
  if (configured.empty()) return std::string();
  if (writer == TraceWriter::administrator) return folder_private ? configured : std::string();
  const std::size_t slash = configured.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? configured : configured.substr(slash + 1);
  if (own_folder.empty() || name.empty()) return std::string();
  const bool separated = own_folder.back() == '\\' || own_folder.back() == '/';
  return own_folder + (separated ? "" : "\\") + name;
}

}  // namespace platform
