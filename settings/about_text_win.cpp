#include "settings/about_text_win.h"

#include <windows.h>

#include <vector>

#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "platform/trace_file_win.h"
#include "platform/wide_text_win.h"
#include "stats/stat_config.h"

namespace settings {
namespace {

// "1.0.0.0" from the library's VERSIONINFO; "?" when it cannot be read.
std::string library_version() {
  wchar_t path[MAX_PATH];
  if (!GetModuleFileNameW(platform::this_module(), path, MAX_PATH)) return "?";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoW(path, 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
    return "?";
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

// A string value of the Config key, readable by every user; `otherwise` when it is not set.
std::string config_text(const char* name, const char* otherwise) {
  char value[512];
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath, KEY_READ);
  if (!config || !platform::read_string_value(config.get(), name, value, sizeof value) || !value[0]) return otherwise;
  return platform::code_page_to_utf8(value);
}

}  // namespace

std::string about_text() {
  return "Orvik UPS monitor, версия " + library_version() +
         "\n\nСлужба \"UPS\" следит за ИБП на COM-порту или USB: при сбое питания сообщает Windows, "
         "в нужный момент выключает компьютер или переводит его в спящий режим, выключает и снова "
         "включает ИБП, ведёт статистику питания и публикует счётчики производительности."
         "\n\nСтатистика: " +
         config_text(stats::config_value::kStatPath, "не задана") +
         "\nОтладочный журнал: " + config_text(platform::kTraceFileValue, "только вывод отладчика (DebugTraceFile не задан)");
}

}  // namespace settings
