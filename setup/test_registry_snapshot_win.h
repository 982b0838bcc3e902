// Test helper: copies of registry keys and values, put back exactly as they were when the copy
// goes (deleted when they did not exist), so that a test may change the installation's keys of
// the shared prefix and leave them as it found them.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles_win.h"

namespace installation::testing {

struct SavedValue {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct SavedKey {
  std::vector<SavedValue> values;
  std::vector<std::pair<std::wstring, SavedKey>> subkeys;
};

inline SavedKey save_open_key(HKEY key) {
  SavedKey saved;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD name_length = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, index, name, &name_length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    SavedValue value{std::wstring(name, name_length), type, std::vector<BYTE>(size)};
    RegQueryValueExW(key, value.name.c_str(), nullptr, &type, value.data.data(), &size);
    saved.values.push_back(std::move(value));
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    if (RegEnumKeyExW(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    platform::UniqueKey subkey;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, subkey.receive()) == ERROR_SUCCESS)
      saved.subkeys.emplace_back(name, save_open_key(subkey.get()));
  }
  return saved;
}

inline void write_saved_key(HKEY parent, const std::wstring& name, const SavedKey& saved) {
  platform::UniqueKey key;
  if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) !=
      ERROR_SUCCESS)
    return;
  for (const SavedValue& value : saved.values)
    RegSetValueExW(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
  for (const auto& [subkey_name, subkey] : saved.subkeys) write_saved_key(key.get(), subkey_name, subkey);
}

class RegistrySnapshot {
 public:
  RegistrySnapshot(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    platform::UniqueKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS)
      saved_ = save_open_key(key.get());
  }
  ~RegistrySnapshot() {
    SHDeleteKeyW(root_, path_.c_str());
    if (saved_) write_saved_key(root_, path_, *saved_);
  }
  RegistrySnapshot(const RegistrySnapshot&) = delete;
  RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

 private:
  HKEY root_;
  std::wstring path_;
  std::optional<SavedKey> saved_;
};

// One value of a key.
class ValueSnapshot {
 public:
  ValueSnapshot(HKEY root, std::wstring path, std::wstring name)
      : root_(root), path_(std::move(path)), name_(std::move(name)) {
    platform::UniqueKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
    saved_ = SavedValue{name_, type, std::vector<BYTE>(size)};
    RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type, saved_->data.data(), &size);
  }
  ~ValueSnapshot() {
    platform::UniqueKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
    if (saved_)
      RegSetValueExW(key.get(), name_.c_str(), 0, saved_->type, saved_->data.data(),
                     static_cast<DWORD>(saved_->data.size()));
    else
      RegDeleteValueW(key.get(), name_.c_str());
  }
  ValueSnapshot(const ValueSnapshot&) = delete;
  ValueSnapshot& operator=(const ValueSnapshot&) = delete;

 private:
  HKEY root_;
  std::wstring path_;
  std::wstring name_;
  std::optional<SavedValue> saved_;
};

// A key that a test may create: deleted with all it holds when it did not exist before.
class KeyPresence {
 public:
  KeyPresence(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    platform::UniqueKey key;
    existed_ = RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
  }
  ~KeyPresence() {
    if (!existed_) SHDeleteKeyW(root_, path_.c_str());
  }
  KeyPresence(const KeyPresence&) = delete;
  KeyPresence& operator=(const KeyPresence&) = delete;

 private:
  HKEY root_;
  std::wstring path_;
  bool existed_ = false;
};

}  // namespace installation::testing
