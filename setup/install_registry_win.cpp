#include "setup/install_registry_win.h"

#include <vector>

#include "platform/debug_trace.h"
#include "platform/registry_win.h"

namespace installation {
namespace {

std::vector<std::string> subkey_names(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[256];  // key names have at most 255 characters
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace

platform::UniqueKey create_key(HKEY parent, const char* name, bool* created) {
  platform::UniqueKey key;
  DWORD disposition = 0;
  const LONG rc = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, platform::kKeyReadWrite,
                                  nullptr, key.receive(), &disposition);
  if (rc != ERROR_SUCCESS) {
    key.release();
    debug_trace("UPS::setup key %s not opened: %ld\n", name, static_cast<long>(rc));
  }
  if (created) *created = rc == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return key;
}

bool delete_key_tree(HKEY parent, const char* name) {
  // Names are taken first: deleting while enumerating would skip keys.
  if (platform::UniqueKey key = platform::open_key(name, platform::kKeyReadWrite, parent)) {
    for (const std::string& child : subkey_names(key.get())) delete_key_tree(key.get(), child.c_str());
  }
  const LONG rc = RegDeleteKeyA(parent, name);
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return true;
  debug_trace("UPS::setup key %s not deleted: %ld\n", name, static_cast<long>(rc));
  return false;
}

std::wstring to_utf16(const char* utf8) {
  const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (chars <= 1) return {};
  std::wstring text(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), chars);
  text.pop_back();  // the terminator the conversion wrote
  return text;
}

}  // namespace installation
