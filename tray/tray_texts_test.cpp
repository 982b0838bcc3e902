#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "link/ups_status.h"
#include "tray/status_text.h"
#include "tray/test_status_block.h"
#include "tray/tray_menu.h"

namespace tray {
namespace {

using namespace ups_link;

using testing::battery_block;

TEST(StatusText, OnBatteryWithAValidModelGivesTimeLoadInVaAndCharge) {
  EXPECT_EQ(status_text(battery_block(), true, false),
            "Питание от батареи (2 мин 5 сек)\nВход: 0.0 (В)\nВыход: 220.0 (В) 50.0 (Гц)\n"
            "Нагрузка: 35% (210 VA)\nБатарея: 12.5 (В) 80.0% (осталось 14 мин)");
}

TEST(StatusText, OnMainsWithoutAValidModelEndsTheLoadLineAndLeavesOutTheCharge) {
  ipc::UpsSharedBlock block = battery_block();
  block.status.status_bits = 0;
  block.status.input_voltage = 229.5f;
  block.capacity_valid = 0;
  EXPECT_EQ(status_text(block, true, true),
            "Питание от сети\nВход: 229.5 (В)\nВыход: 220.0 (В) 50.0 (Гц)\nНагрузка: 35%\nБатарея: 12.5 (В)"
            "\nТемпература: 31.5 (°C)");
}

TEST(StatusText, FlagsFollowInTheirOrderAndTheLastCommaGoes) {
  struct Case {
    std::uint32_t bits;
    const char* ending;
  };
  const Case cases[] = {
      {STATUS_BEEPER_ON, "\nИнфо: сигнал вкл"},
      {STATUS_BEEPER_ON | STATUS_BATTERY_LOW | STATUS_SHUTDOWN_ACTIVE,
       "\nИнфо: батарея разрядилась, вкл. отключение ИБП, сигнал вкл"},
      {STATUS_AVR | STATUS_UPS_FAULT, "\nИнфо: AVR, нужна замена батареи"},
      {STATUS_UTILITY_FAIL | STATUS_LINE_INTERACTIVE | STATUS_TEST, "(осталось 14 мин)"},
  };
  for (const Case& c : cases) {
    ipc::UpsSharedBlock block = battery_block();
    block.status.status_bits = c.bits | STATUS_UTILITY_FAIL;
    const std::string text = status_text(block, true, false);
    EXPECT_TRUE(text.ends_with(c.ending)) << text;
    EXPECT_EQ(text.find("Инфо") != std::string::npos, std::strstr(c.ending, "Инфо") != nullptr) << text;
  }
}

TEST(StatusText, NoServiceComesBeforeNoLink) {
  ipc::UpsSharedBlock block = battery_block();
  EXPECT_EQ(status_text(block, false, true), "Нет связи со службой");
  block.link_ok = 0;
  EXPECT_EQ(status_text(block, false, true), "Нет связи со службой");
  EXPECT_EQ(status_text(block, true, true), "Нет связи");
}

TEST(StatusText, AbsurdBlockValuesGiveABoundedTextWithinTheBalloon) {
  ipc::UpsSharedBlock block = battery_block();
  block.status.status_bits = 0xFFFFFFFF;
  block.time_in_state = -5000;
  block.load_va = NAN;
  block.runtime = 3e38f;
  block.status.output_voltage = -3e38f;
  block.status.temperature = 3e38f;
  const std::string text = status_text(block, true, true);
  EXPECT_TRUE(text.starts_with("Питание от батареи (0 мин 0 сек)")) << text;
  EXPECT_NE(text.find("(0 VA)"), std::string::npos) << "NaN converts to 0, not undefined";
  EXPECT_EQ(cut_to_utf16_units(text, kBalloonTextUnits), text);
  EXPECT_GT(text.size(), kBalloonTextUnits) << "the cut is counted in UTF-16 units, not bytes";
}

TEST(StatusText, CutCountsUtf16UnitsAndNeverSplitsACharacter) {
  EXPECT_EQ(cut_to_utf16_units("абв", 2), "аб");
  EXPECT_EQ(cut_to_utf16_units("a\xF0\x9F\x94\x8B" "b", 2), "a") << "a surrogate pair needs two units";
  EXPECT_EQ(cut_to_utf16_units("a\xF0\x9F\x94\x8B" "b", 3), "a\xF0\x9F\x94\x8B");
  EXPECT_EQ(cut_to_utf16_units("ab", 255), "ab");
}

TEST(StatusText, TitleAndFieldsWithoutTerminator) {
  ipc::UpsSharedBlock block{};
  std::memset(block.port, 'C', sizeof block.port);
  std::memcpy(block.model, "Varnelo 600", 12);
  EXPECT_EQ(block_field_text(block.port), "CCCCCC");
  EXPECT_EQ(balloon_title(block_field_text(block.model), "COM1"), "Состояние Varnelo 600 (COM1)");
  std::memset(block.model, 'x', sizeof block.model);
  EXPECT_EQ(balloon_title(block_field_text(block.model), "COM1"), "Состояние " + std::string(53, 'x'))
      << "cut at the title field's 63 units";
}

TEST(TrayLook, IconAndTipFollowLinkMainsAndAvr) {
  ipc::UpsSharedBlock block = battery_block();
  block.status.status_bits = STATUS_UTILITY_FAIL | STATUS_AVR;
  EXPECT_EQ(tray_look(block).icon, TrayIcon::on_battery);
  EXPECT_EQ(tray_look(block).tip, "Питание от батареи");
  block.status.status_bits = STATUS_AVR;
  EXPECT_EQ(tray_look(block).icon, TrayIcon::avr);
  EXPECT_EQ(tray_look(block).tip, "Питание от сети");
  block.status.status_bits = 0;
  EXPECT_EQ(tray_look(block).icon, TrayIcon::mains);
  block.link_ok = 0;
  block.status.status_bits = STATUS_UTILITY_FAIL;
  EXPECT_EQ(tray_look(block).icon, TrayIcon::no_link);
  EXPECT_EQ(tray_look(block).tip, "Нет связи с ИБП");
}

TEST(TrayMenu, ChecksFollowTheSwitchesAndStatisticsIsGreyedWhenRestricted) {
  ipc::UpsSharedBlock block{};
  block.action_blocked = 7;
  TrayMenu menu = build_tray_menu(block, true);
  ASSERT_EQ(menu.power.size(), 11u);
  EXPECT_TRUE(menu.power[0].checked) << "a value neither 0 nor 1 shows as checked";
  EXPECT_FALSE(menu.power[1].checked);
  EXPECT_TRUE(menu.power[2].separator() && menu.power[5].separator() && menu.power[8].separator());
  ASSERT_EQ(menu.main.size(), 4u);
  EXPECT_TRUE(menu.main[1].greyed);
  EXPECT_TRUE(menu.main[2].opens_power_menu);
  for (const MenuItem& item : menu.power) EXPECT_FALSE(item.greyed);
  EXPECT_FALSE(build_tray_menu(block, false).main[1].greyed);
}

TEST(TrayMenu, CommandsWriteTheBlock) {
  struct Case {
    unsigned id;
    std::uint32_t request;
  };
  const Case requests[] = {{kCmdShutdownTurnOff, 1}, {kCmdHibernateTurnOff, 2}, {kCmdReset, 3},
                           {kCmdSuspend, 4},         {kCmdShutdownTurnOn, 5},   {kCmdHibernateTurnOn, 6}};
  for (const Case& c : requests) {
    ipc::UpsSharedBlock block{};
    EXPECT_EQ(carry_out_menu_command(c.id, block, true), MenuEffect::none);
    EXPECT_EQ(block.action_request, c.request) << c.id;
  }
  ipc::UpsSharedBlock block{};
  block.turn_off_blocked = 0xFFFFFFFF;
  carry_out_menu_command(kCmdBlockTurnOff, block, false);
  carry_out_menu_command(kCmdBlockAction, block, false);
  EXPECT_EQ(block.turn_off_blocked, 0u);
  EXPECT_EQ(block.action_blocked, 1u);
  EXPECT_EQ(carry_out_menu_command(0, block, false), MenuEffect::none);
  EXPECT_EQ(block.action_request, 0u) << "no choice writes nothing";
  EXPECT_EQ(carry_out_menu_command(kCmdStatistics, block, true), MenuEffect::none);
  EXPECT_EQ(carry_out_menu_command(kCmdStatistics, block, false), MenuEffect::open_statistics);
  EXPECT_EQ(carry_out_menu_command(kCmdClose, block, true), MenuEffect::close);
}

}  // namespace
}  // namespace tray
