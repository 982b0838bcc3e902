// Owners of the Win32 handle kinds the system holds: kernel objects, registry keys, mapped views.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace platform {

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value empty() { return nullptr; }
  // Creating calls report failure either as null or as INVALID_HANDLE_VALUE.
  static bool is_open(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { CloseHandle(v); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { RegCloseKey(v); }
};
using UniqueKey = UniqueResource<RegistryKeyTraits>;

struct MappedViewTraits {
  using Value = void*;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { UnmapViewOfFile(v); }
};
using UniqueView = UniqueResource<MappedViewTraits>;

// The service control manager and the services it opens.
struct ServiceHandleTraits {
  using Value = SC_HANDLE;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { CloseServiceHandle(v); }
};
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;

}  // namespace platform
