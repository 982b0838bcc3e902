#include "core/keyboard_device_win.h"

#include <winioctl.h>
// After winioctl.h: it builds its control codes with CTL_CODE.
#include <ntddkbd.h>

#include <cstddef>

namespace core {
namespace {

// The driver's indicator record: unit number, then the light flags.
static_assert(IOCTL_KEYBOARD_QUERY_INDICATORS == 0x000B0040);
static_assert(IOCTL_KEYBOARD_SET_INDICATORS == 0x000B0008);
static_assert(sizeof(KEYBOARD_INDICATOR_PARAMETERS) == 4);
static_assert(offsetof(KEYBOARD_INDICATOR_PARAMETERS, UnitId) == 0);
static_assert(offsetof(KEYBOARD_INDICATOR_PARAMETERS, LedFlags) == 2);

constexpr char kDosName[] = "Kbd";
constexpr char kDosPath[] = "\\\\.\\Kbd";
// The first keyboard of the system.
constexpr char kClassDevice[] = "\\Device\\KeyboardClass0";

}  // namespace

void KeyboardDevice::open() {
  close();
  name_defined_ = DefineDosDeviceA(DDD_RAW_TARGET_PATH, kDosName, kClassDevice) != FALSE;
  if (!name_defined_) return;
  handle_.reset(CreateFileA(kDosPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

void KeyboardDevice::close() {
  // Only our own definition: removing pops the newest one, which may belong to someone else.
  if (name_defined_) DefineDosDeviceA(DDD_REMOVE_DEFINITION, kDosName, nullptr);
  name_defined_ = false;
  handle_.reset();
}

std::optional<std::uint16_t> KeyboardDevice::query() {
  if (!is_open()) return std::nullopt;
  KEYBOARD_INDICATOR_PARAMETERS unit{};
  KEYBOARD_INDICATOR_PARAMETERS lights{};
  DWORD returned = 0;
  if (!DeviceIoControl(handle_.get(), IOCTL_KEYBOARD_QUERY_INDICATORS, &unit, sizeof unit, &lights, sizeof lights,
                       &returned, nullptr) ||
      returned != sizeof lights)
    return std::nullopt;
  return lights.LedFlags;
}

bool KeyboardDevice::set(std::uint16_t flags) {
  if (!is_open()) return false;
  KEYBOARD_INDICATOR_PARAMETERS lights{};
  lights.LedFlags = flags;
  DWORD returned = 0;
  return DeviceIoControl(handle_.get(), IOCTL_KEYBOARD_SET_INDICATORS, &lights, sizeof lights, nullptr, 0, &returned,
                         nullptr) != FALSE;
}

}  // namespace core
