// Win32HidSystem: the system's HID devices through the device-setup and HID libraries.
//
// The device is opened for overlapped transfers; every transfer goes through one manual-reset
// event and one buffer owned here, so a transfer left pending after a time-out never touches
// the caller's memory. cancel() waits until the cancelled transfer has ended.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <vector>

#include "link/hid_system.h"
#include "platform/handles_win.h"

namespace ups_link {

struct DeviceInfoSetTraits {
  using Value = HDEVINFO;
  static Value empty() { return INVALID_HANDLE_VALUE; }
  static bool is_open(Value v) { return v != INVALID_HANDLE_VALUE && v != nullptr; }
  static void close(Value v) { SetupDiDestroyDeviceInfoList(v); }
};
using UniqueDeviceInfoSet = platform::UniqueResource<DeviceInfoSetTraits>;

class Win32HidSystem final : public HidSystem {
 public:
  Win32HidSystem();
  ~Win32HidSystem() override { close(); }
  Win32HidSystem(const Win32HidSystem&) = delete;
  Win32HidSystem& operator=(const Win32HidSystem&) = delete;

  bool begin_listing() override;
  HidListStep list_entry(std::uint32_t index, HidInterfaceInfo& info) override;
  void end_listing() override { listing_.reset(); }

  bool open(const std::string& path) override;
  void close() override;
  bool is_open() const override { return device_.is_open(); }

  HidIoResult write_report(std::span<const std::uint8_t> report, std::uint32_t timeout_ms) override;
  HidIoResult read_report(std::span<std::uint8_t> report, std::uint32_t timeout_ms) override;
  void cancel() override;

  void wait(std::uint32_t ms) override { Sleep(ms); }

 private:
  bool begin_transfer();
  HidIoResult finish_transfer(BOOL started, std::uint32_t timeout_ms);

  GUID hid_class_{};
  UniqueDeviceInfoSet listing_;
  platform::UniqueHandle device_;
  platform::UniqueHandle event_;
  OVERLAPPED overlapped_{};
  std::vector<std::uint8_t> transfer_;
  bool pending_ = false;
};

}  // namespace ups_link
