#include "link/hid_system_win.h"

#include <algorithm>
#include <optional>

// The HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>
}

namespace ups_link {
namespace {

std::optional<std::string> interface_path(HDEVINFO listing, SP_DEVICE_INTERFACE_DATA& entry) {
  DWORD size = 0;
  if (SetupDiGetDeviceInterfaceDetailA(listing, &entry, nullptr, 0, &size, nullptr) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> storage(size);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
  detail->cbSize = sizeof *detail;
  if (!SetupDiGetDeviceInterfaceDetailA(listing, &entry, detail, size, nullptr, nullptr)) return std::nullopt;
  return std::string(detail->DevicePath);
}

// Left at 0 when the capabilities cannot be read: the search passes such a device over.
void read_report_lengths(HANDLE device, HidInterfaceInfo& info) {
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(device, &preparsed)) return;
  HIDP_CAPS caps{};
  if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
    info.input_report_length = caps.InputReportByteLength;
    info.output_report_length = caps.OutputReportByteLength;
  }
  HidD_FreePreparsedData(preparsed);
}

// Shared access: asking who a device is must not disturb whoever uses it.
bool identify_device(HidInterfaceInfo& info) {
  platform::UniqueHandle device(CreateFileA(info.path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!device) return false;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!HidD_GetAttributes(device.get(), &attributes)) return false;
  info.vendor_id = attributes.VendorID;
  info.product_id = attributes.ProductID;
  read_report_lengths(device.get(), info);
  return true;
}

}  // namespace

Win32HidSystem::Win32HidSystem() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  HidD_GetHidGuid(&hid_class_);
}

bool Win32HidSystem::begin_listing() {
  listing_.reset(SetupDiGetClassDevsA(&hid_class_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  return listing_.is_open();
}

HidListStep Win32HidSystem::list_entry(std::uint32_t index, HidInterfaceInfo& info) {
  SP_DEVICE_INTERFACE_DATA entry{};
  entry.cbSize = sizeof entry;
  if (!SetupDiEnumDeviceInterfaces(listing_.get(), nullptr, &hid_class_, index, &entry)) {
    return GetLastError() == ERROR_NO_MORE_ITEMS ? HidListStep::end : HidListStep::skipped;
  }
  std::optional<std::string> path = interface_path(listing_.get(), entry);
  if (!path) return HidListStep::skipped;
  info.path = std::move(*path);
  return identify_device(info) ? HidListStep::device : HidListStep::skipped;
}

bool Win32HidSystem::open(const std::string& path) {
  close();
  device_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
  return device_.is_open();
}

void Win32HidSystem::close() {
  cancel();
  device_.reset();
}

bool Win32HidSystem::begin_transfer() {
  if (!device_ || !event_ || pending_) return false;
  ResetEvent(event_.get());
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_.get();
  return true;
}

HidIoResult Win32HidSystem::finish_transfer(BOOL started, std::uint32_t timeout_ms) {
  if (!started && GetLastError() != ERROR_IO_PENDING) return {HidIo::failed, 0};
  if (WaitForSingleObject(event_.get(), timeout_ms) != WAIT_OBJECT_0) {
    pending_ = true;
    return {HidIo::timed_out, 0};
  }
  DWORD transferred = 0;
  if (!GetOverlappedResult(device_.get(), &overlapped_, &transferred, FALSE)) return {HidIo::failed, 0};
  return {HidIo::completed, transferred};
}

HidIoResult Win32HidSystem::write_report(std::span<const std::uint8_t> report, std::uint32_t timeout_ms) {
  if (!begin_transfer()) return {HidIo::failed, 0};
  transfer_.assign(report.begin(), report.end());
  const BOOL started =
      WriteFile(device_.get(), transfer_.data(), static_cast<DWORD>(transfer_.size()), nullptr, &overlapped_);
  return finish_transfer(started, timeout_ms);
}

HidIoResult Win32HidSystem::read_report(std::span<std::uint8_t> report, std::uint32_t timeout_ms) {
  if (!begin_transfer()) return {HidIo::failed, 0};
  transfer_.assign(report.size(), 0);
  const BOOL started =
      ReadFile(device_.get(), transfer_.data(), static_cast<DWORD>(transfer_.size()), nullptr, &overlapped_);
  const HidIoResult result = finish_transfer(started, timeout_ms);
  if (result.outcome == HidIo::completed) {
    std::copy_n(transfer_.begin(), std::min<std::size_t>(result.transferred, report.size()), report.begin());
  }
  return result;
}

void Win32HidSystem::cancel() {
  if (!pending_) return;
  pending_ = false;
  CancelIo(device_.get());
  DWORD ignored = 0;
  GetOverlappedResult(device_.get(), &overlapped_, &ignored, TRUE);
}

}  // namespace ups_link
