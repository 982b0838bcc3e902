// Test and benchmark helper: how many handles this process holds, for leak checks.
//
// GetProcessHandleCount is what a Windows administrator would look at, but Wine answers it with 0
// whatever the process holds. The system's handle list (NtQuerySystemInformation with
// SystemHandleInformation) is kept by the Wine server too, so it is counted when the first answer
// is useless.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/system_function_win.h"

namespace platform::testing {

// GetProcessHandleCount for the current process; 0 when it fails (and always under Wine).
inline DWORD reported_handle_count() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : 0;
}

// The current process's entries in the system's handle list; 0 when the list cannot be read.
inline DWORD listed_handle_count() {
  struct Entry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
    ULONG owner_process_id;
    BYTE object_type;
    BYTE flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
  };
  struct List {  // SYSTEM_HANDLE_INFORMATION
    ULONG count;
    Entry entries[1];
  };
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  auto query = find_system_function<Query>(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
  if (!query) return 0;

  std::vector<unsigned char> buffer(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         kInfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const auto* list = reinterpret_cast<const List*>(buffer.data());
  const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + offsetof(List, entries));
  DWORD count = 0;
  for (ULONG i = 0; i < list->count; ++i, ++entry)
    if (entry->owner_process_id == GetCurrentProcessId()) ++count;
  return count;
}

// The handles this process holds, by whichever of the two ways gives an answer.
inline DWORD process_handle_count() {
  const DWORD reported = reported_handle_count();
  return reported != 0 ? reported : listed_handle_count();
}

}  // namespace platform::testing
