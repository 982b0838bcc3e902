#include "settings/information_text.h"

#include "link/ups_status.h"
#include "settings/settings_ids.h"
#include "tray/status_text.h"

namespace settings {
namespace {

using namespace ups_link;
using tray::append_format;

// Apparent power to active power at the power factor the load is assumed to have.
constexpr double kWattsPerVa = 0.7071;

struct FlagLine {
  std::uint32_t bit;
  const char* name;
  const char* set;
  const char* clear;
};
constexpr FlagLine kFlagLines[] = {
    {STATUS_BATTERY_LOW, "батарея", "разрядилась", "не разряжена"},
    {STATUS_AVR, "AVR", "вкл", "выкл"},
    {STATUS_UPS_FAULT, "батарея нуждается в замене", "да", "нет"},
    {STATUS_SHUTDOWN_ACTIVE, "отключение ИБП активировано", "да", "нет"},
    {STATUS_BEEPER_ON, "сигнал", "вкл", "выкл"},
    {STATUS_TEST, "тест ИБП", "вкл", "выкл"},
    {STATUS_LINE_INTERACTIVE, "линейно-интерактивный", "да", "нет"},
};

std::string status_details(const ipc::UpsSharedBlock& block, bool service_connected) {
  std::string text;
  if (!service_connected) text = "ВНИМАНИЕ! Нет связи со службой, данные устарели\n";
  text += tray::power_source_text(block);
  append_format(text, "Нагрузка: %d%%", static_cast<int>(block.status.load_percent));
  if (block.capacity_valid) {
    append_format(text, " (%d VA / %d Вт)\n", tray::saturated_int(block.load_va),
                  tray::saturated_int(static_cast<double>(block.load_va) * kWattsPerVa));
  } else {
    text += '\n';
  }
  append_format(text, "Батарея: %.1f (В)", block.status.battery_voltage);
  if (block.capacity_valid)
    append_format(text, " %.1f%% (осталось %d мин)", block.capacity, tray::saturated_int(block.runtime));
  append_format(text, "\nТемпература: %.1f (°C)", block.status.temperature);
  text += "\nИнфо:\n";
  for (const FlagLine& flag : kFlagLines)
    append_format(text, "%s - %s\n", flag.name, (block.status.status_bits & flag.bit) ? flag.set : flag.clear);
  return text;
}

}  // namespace

PageForm information_page(const ipc::UpsSharedBlock& block, bool service_connected) {
  const bool link = block.link_ok != 0;
  return {
      {IDC_INFO_MODEL, tray::block_field_text(block.model)},
      {IDC_INFO_PORT, tray::block_field_text(block.port)},
      {IDC_INFO_LINK, link ? "установлена" : "нет"},
      {IDC_INFO_RAW, link ? tray::block_field_text(block.raw_line) : std::string()},
      {IDC_INFO_TEXT, link ? status_details(block, service_connected) : std::string()},
  };
}

}  // namespace settings
