// The Windows sink of debug_trace: the system debugger output, and a text file when the Config
// value "DebugTraceFile" names one (read once per process, or again on request), so that
// administrators and tests can read the trace without a debugger. Which file a process writes is
// trace_file_place.h's rule.
#include <windows.h>

#include <cstring>
#include <mutex>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "platform/link_safe_files_win.h"
#include "platform/object_access_win.h"
#include "platform/registry_win.h"
#include "platform/security_win.h"
#include "platform/trace_file_place.h"
#include "platform/trace_file_win.h"

namespace platform {
namespace {

// The administrators' processes take turns at their shared file: Windows appends each write whole,
// but Wine writes at the end it found a moment earlier, over another process's line written since.
constexpr const char* kFileTurnsName = "Global\\UPS_traceFile";
// Lines are written in well under this; a holder that keeps the turn longer is not waited for again.
constexpr DWORD kFileTurnWait = 1000;

std::mutex g_file_mutex;
std::string g_file_path;
bool g_file_shared = false;
bool g_file_setting_read = false;
UniqueHandle g_file_turns;
bool g_file_turns_made = false;
// Set while this thread is in the sink: a trace line of choosing the file goes to the debugger only.
thread_local bool t_in_sink = false;

std::string own_temporary_folder() {
  char folder[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

// Only the service and the administrators may change it; others may read it, as the archive.
bool folder_private(const std::string& file) {
  return judge_access(read_path_access(folder_and_name(file).first), SystemObject::archive_root) ==
         ObjectTrust::trusted;
}

void read_file_setting_locked() {
  char configured[MAX_PATH] = "";
  UniqueKey config = open_key(kConfigKeyPath, KEY_QUERY_VALUE);
  if (config) read_string_value(config.get(), kTraceFileValue, configured, sizeof configured);
  const bool administrator = process_is_administrator();
  g_file_path = trace_file_for(administrator ? TraceWriter::administrator : TraceWriter::user, configured,
                               administrator && configured[0] != '\0' && folder_private(configured),
                               administrator ? std::string() : own_temporary_folder());
  g_file_shared = administrator;
  g_file_setting_read = true;
}

// Each text is appended through its own handle: the administrators' processes (the service, the
// command line) share the file. Nothing is written through a link or a second name planted there.
void append_to_file(const std::string& path, const char* text) {
  UniqueHandle file = create_file_not_following(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

HANDLE file_turns_locked() {
  if (!g_file_turns_made) {
    g_file_turns_made = true;
    ObjectSecurity security(SystemObject::trace_file_turns);
    g_file_turns.reset(CreateMutexA(security.attributes(), FALSE, kFileTurnsName));
  }
  return g_file_turns.get();
}

// Without the turns (a user's own file, or the mutex not to be had) the text is appended all the same.
void append_in_turn_locked(const std::string& path, const char* text) {
  const HANDLE turns = g_file_shared ? file_turns_locked() : nullptr;
  const DWORD waited = turns ? WaitForSingleObject(turns, kFileTurnWait) : WAIT_FAILED;
  if (waited == WAIT_TIMEOUT) g_file_turns.reset();
  append_to_file(path, text);
  // An abandoned turn (its holder ended while writing) is this process's now.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(turns);
}

}  // namespace

void reload_trace_file_setting() {
  t_in_sink = true;
  {
    std::lock_guard lock(g_file_mutex);
    read_file_setting_locked();
  }
  t_in_sink = false;
}

void default_trace_sink(const char* text) {
  OutputDebugStringA(text);
  if (t_in_sink) return;
  t_in_sink = true;
  {
    std::lock_guard lock(g_file_mutex);
    if (!g_file_setting_read) read_file_setting_locked();
    if (!g_file_path.empty()) append_in_turn_locked(g_file_path, text);
  }
  t_in_sink = false;
}

}  // namespace platform
