// The status texts of the tray icon: the detailed text a left click shows (balloon or notifier),
// its title, and the short tool tip and icon choice of every refresh.
//
// Everything is built from a copy of the shared status block, which any local process can write:
// strings may lack their terminator and numbers may be NaN or absurd. Nothing here trusts them;
// a bad value gives a bad-looking line, never an overflow. Texts are UTF-8; the window side
// converts them for the shell. Pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "ipc/shared_block.h"

namespace tray {

// The shell's balloon holds this many UTF-16 units (its 256-unit field less the terminator); its
// title 63.
inline constexpr std::size_t kBalloonTextUnits = 255;
inline constexpr std::size_t kBalloonTitleUnits = 63;

// A text field of the block up to its terminator or its end, whichever comes first.
template <std::size_t N>
std::string block_field_text(const char (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string(field, length);
}

// A number of the block as an int: NaN gives 0, values beyond int's range its nearest end (the
// block's floats are outside input; the plain conversion would be undefined).
int saturated_int(double value);

// The power source and time on battery, then input and output voltages and frequency, three lines
// each ending in "\n"; shared by the balloon and the settings sheet's information page.
std::string power_source_text(const ipc::UpsSharedBlock& block);

// One copy of the shared block to work on: other processes write it at any time.
inline ipc::UpsSharedBlock block_copy(const ipc::UpsSharedBlock& shared) {
  ipc::UpsSharedBlock copy;
  std::memcpy(&copy, &shared, sizeof copy);
  return copy;
}

// "Состояние <model> (<port>)".
std::string balloon_title(std::string_view model, std::string_view port);

// What the tray says while it has no pipe to the service.
inline constexpr char kNoServiceText[] = "Нет связи со службой";

// What a left click shows: without the service "Нет связи со службой", without the UPS
// "Нет связи", else the power source and time in state, voltages, load, battery, optionally the
// temperature, and the set flags; cut to the balloon's size.
std::string status_text(const ipc::UpsSharedBlock& block, bool service_connected, bool with_temperature);

// The icon and tool tip of a refresh.
enum class TrayIcon { no_link, on_battery, mains, avr };
struct TrayLook {
  TrayIcon icon;
  std::string tip;
};
TrayLook tray_look(const ipc::UpsSharedBlock& block);
// The icon's name in the debug trace: "no link", "on battery", "mains", "AVR".
const char* tray_icon_name(TrayIcon icon);

// Appends printf-style text; a piece longer than 255 bytes is cut.
void append_format(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The first characters of `text` that take at most `units` UTF-16 units; never splits a character.
std::string cut_to_utf16_units(std::string text, std::size_t units);

}  // namespace tray
