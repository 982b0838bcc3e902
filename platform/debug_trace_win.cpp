// The Windows sink of debug_trace: the system debugger output, and a text file when the Config
// value "DebugTraceFile" names one (read once per process, or again on request), so that
// administrators and tests can read the trace without a debugger.
#include <windows.h>

#include <cstring>
#include <mutex>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "platform/link_safe_files_win.h"
#include "platform/registry_win.h"
#include "platform/trace_file_win.h"

namespace platform {
namespace {

std::mutex g_file_mutex;
char g_file_path[MAX_PATH] = "";
bool g_file_setting_read = false;

void read_file_setting_locked() {
  g_file_path[0] = '\0';
  UniqueKey config = open_key(kConfigKeyPath, KEY_QUERY_VALUE);
  if (config) read_string_value(config.get(), kTraceFileValue, g_file_path, sizeof g_file_path);
  g_file_setting_read = true;
}

// Each text is appended through its own handle: the service and the tray programs may share a file.
// A link planted at the path is not followed: the service would write where its planter chose.
void append_to_file(const char* path, const char* text) {
  UniqueHandle file = create_file_not_following(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

}  // namespace

void reload_trace_file_setting() {
  std::lock_guard lock(g_file_mutex);
  read_file_setting_locked();
}

void default_trace_sink(const char* text) {
  OutputDebugStringA(text);
  std::lock_guard lock(g_file_mutex);
  if (!g_file_setting_read) read_file_setting_locked();
  if (g_file_path[0] != '\0') append_to_file(g_file_path, text);
}

}  // namespace platform
