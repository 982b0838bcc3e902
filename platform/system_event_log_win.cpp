#include "platform/system_event_log_win.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/debug_trace.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

std::atomic<bool> failure_noted{false};

void note_failure_once(const char* what, DWORD error) {
  if (!failure_noted.exchange(true))
    debug_trace("UPS::event log %s (error %u); entries are dropped\n", what, static_cast<unsigned>(error));
}

// The source, registered at the first entry; tried again at the next entry when the log was not
// there yet (a service starting before the event log's).
class EventSource {
 public:
  ~EventSource() {
    if (handle_) DeregisterEventSource(handle_);
  }

  HANDLE handle() {
    std::lock_guard lock(mutex_);
    if (!handle_) {
      handle_ = RegisterEventSourceW(nullptr, L"UPS");
      if (!handle_) note_failure_once("cannot be reached", GetLastError());
    }
    return handle_;
  }

 private:
  std::mutex mutex_;
  HANDLE handle_ = nullptr;
};

WORD entry_type(EventLogKind kind) {
  switch (kind) {
    case EventLogKind::error:
      return EVENTLOG_ERROR_TYPE;
    case EventLogKind::warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLogKind::information:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

void report_to_event_log(std::uint32_t event_id, EventLogKind kind, std::string_view utf8_text) {
  static EventSource source;
  HANDLE handle = source.handle();
  if (!handle) return;
  const std::wstring text = to_wide(utf8_text);
  const wchar_t* strings[] = {text.c_str()};
  if (!ReportEventW(handle, entry_type(kind), 0, event_id, nullptr, 1, 0, strings, nullptr))
    note_failure_once("refused an entry", GetLastError());
}

}  // namespace platform
