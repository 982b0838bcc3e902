#include "tray/status_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "link/ups_status.h"

namespace tray {

void append_format(std::string& text, const char* format, ...) {
  char piece[256];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  if (length > 0) text.append(piece, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof piece - 1));
}

namespace {

using namespace ups_link;

bool on_battery(const ipc::UpsSharedBlock& block) { return (block.status.status_bits & STATUS_UTILITY_FAIL) != 0; }

void append_load_and_battery(std::string& text, const ipc::UpsSharedBlock& block) {
  append_format(text, "Нагрузка: %d%%", static_cast<int>(block.status.load_percent));
  if (block.capacity_valid)
    append_format(text, " (%d VA)\n", saturated_int(block.load_va));
  else
    text += '\n';
  append_format(text, "Батарея: %.1f (В)", block.status.battery_voltage);
  if (block.capacity_valid)
    append_format(text, " %.1f%% (осталось %d мин)", block.capacity, saturated_int(block.runtime));
}

struct FlagText {
  std::uint32_t bit;
  const char* text;
};
constexpr FlagText kFlagTexts[] = {
    {STATUS_BATTERY_LOW, " батарея разрядилась,"},  {STATUS_AVR, " AVR,"},
    {STATUS_UPS_FAULT, " нужна замена батареи,"},   {STATUS_SHUTDOWN_ACTIVE, " вкл. отключение ИБП,"},
    {STATUS_BEEPER_ON, " сигнал вкл,"},
};

void append_flags(std::string& text, std::uint32_t bits) {
  bool any = false;
  for (const FlagText& flag : kFlagTexts) any = any || (bits & flag.bit);
  if (!any) return;
  text += "\nИнфо:";
  for (const FlagText& flag : kFlagTexts)
    if (bits & flag.bit) text += flag.text;
}

}  // namespace

int saturated_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

std::string power_source_text(const ipc::UpsSharedBlock& block) {
  const UpsStatus& s = block.status;
  std::string text;
  if (!on_battery(block)) {
    append_format(text, "Питание от %s\nВход: %.1f (В)\nВыход: %.1f (В) %.1f (Гц)\n", "сети", s.input_voltage,
                  s.output_voltage, s.frequency);
    return text;
  }
  const int seconds = block.time_in_state > 0 ? block.time_in_state / 1000 : 0;
  const int minutes = seconds / 60;
  append_format(text, "Питание от %s (%d мин %d сек)\nВход: %.1f (В)\nВыход: %.1f (В) %.1f (Гц)\n", "батареи",
                minutes, seconds - 60 * minutes, s.input_voltage, s.output_voltage, s.frequency);
  return text;
}

std::string balloon_title(std::string_view model, std::string_view port) {
  std::string title = "Состояние ";
  title.append(model);
  title += " (";
  title.append(port);
  title += ')';
  return cut_to_utf16_units(std::move(title), kBalloonTitleUnits);
}

std::string status_text(const ipc::UpsSharedBlock& block, bool service_connected, bool with_temperature) {
  if (!service_connected) return kNoServiceText;
  if (!block.link_ok) return "Нет связи";
  std::string text = power_source_text(block);
  append_load_and_battery(text, block);
  if (with_temperature) append_format(text, "\nТемпература: %.1f (°C)", block.status.temperature);
  append_flags(text, block.status.status_bits);
  if (!text.empty() && text.back() == ',') text.pop_back();
  return cut_to_utf16_units(std::move(text), kBalloonTextUnits);
}

TrayLook tray_look(const ipc::UpsSharedBlock& block) {
  if (!block.link_ok) return {TrayIcon::no_link, "Нет связи с ИБП"};
  if (on_battery(block)) return {TrayIcon::on_battery, "Питание от батареи"};
  const TrayIcon icon = (block.status.status_bits & STATUS_AVR) ? TrayIcon::avr : TrayIcon::mains;
  return {icon, "Питание от сети"};
}

const char* tray_icon_name(TrayIcon icon) {
  constexpr const char* kNames[] = {"no link", "on battery", "mains", "AVR"};
  return kNames[static_cast<int>(icon)];
}

std::string cut_to_utf16_units(std::string text, std::size_t units) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t needs = length == 4 ? 2 : 1;
    if (used + needs > units) {
      text.resize(i);
      break;
    }
    used += needs;
    i += length;
  }
  return text;
}

}  // namespace tray
