// Reading and writing the system's registry values with the read rules of registry_rules.h.
// Every read that breaks a rule counts as failed; callers decide what a failure means.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handles_win.h"

namespace platform {

// Read plus write: the access every key of the system is opened with.
constexpr REGSAM kKeyReadWrite = 0x2001F;

constexpr const char* kServiceKeyPath = "SYSTEM\\CurrentControlSet\\Services\\UPS";
constexpr const char* kConfigKeyPath = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Config";
// The administrator's commands on events: SYSTEM and Administrators only.
constexpr const char* kEventsKeyPath = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Events";

// Opens an existing key under the local-machine hive (or `root`); empty on failure.
UniqueKey open_key(const char* path, REGSAM access = kKeyReadWrite, HKEY root = HKEY_LOCAL_MACHINE);

// Reads a string value into `buffer` of `buffer_size` bytes; the value's data, terminator included,
// must fit. On failure `buffer` holds an empty string.
bool read_string_value(HKEY key, const char* name, char* buffer, std::size_t buffer_size);

enum class ValueRead { ok, absent, unusable };

// Reads a string value as UTF-16, of any length up to `max_chars` characters; `value` is empty
// unless it was read.
ValueRead read_wide_string_value(HKEY key, const wchar_t* name, std::wstring& value, std::size_t max_chars);

// Reads a DWORD value; `value` is left alone on failure.
bool read_dword_value(HKEY key, const char* name, std::uint32_t& value);

bool write_string_value(HKEY key, const char* name, const char* value);
// `type` REG_SZ or REG_EXPAND_SZ.
bool write_wide_string_value(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
bool write_dword_value(HKEY key, const char* name, std::uint32_t value);

}  // namespace platform
