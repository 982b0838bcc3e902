// Memory inside another process, for the answers of that process's controls to messages that
// carry pointers (tree items, picker times): the programs that drive our dialogs from outside.
#pragma once

#include <windows.h>

namespace platform {

class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, SIZE_T size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* address() const { return static_cast<char*>(address_); }
  bool write(SIZE_T offset, const void* data, SIZE_T size) const {
    return address_ && WriteProcessMemory(process_, address() + offset, data, size, nullptr);
  }
  bool read(SIZE_T offset, void* data, SIZE_T size) const {
    return address_ && ReadProcessMemory(process_, address() + offset, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace platform
