#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ipc/pipe_rights.h"
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

TEST(TrayMenu, ChecksFollowTheSwitches) {
  ipc::UpsSharedBlock block{};
  block.action_blocked = 7;
  TrayMenu menu = build_tray_menu(block, ipc::kAllRights);
  ASSERT_EQ(menu.power.size(), 11u);
  EXPECT_TRUE(menu.power[0].checked) << "a value neither 0 nor 1 shows as checked";
  EXPECT_FALSE(menu.power[1].checked);
  EXPECT_TRUE(menu.power[2].separator() && menu.power[5].separator() && menu.power[8].separator());
  ASSERT_EQ(menu.main.size(), 4u);
  EXPECT_TRUE(menu.main[2].opens_power_menu);
  for (const MenuItem& item : menu.power) EXPECT_FALSE(item.greyed);
}

// The tray greys by the same table the service decides by.
TEST(TrayMenu, RequestsTheUserMayNotAskAreGreyed) {
  struct Case {
    unsigned id;
    bool greyed_without_admin, greyed_without_shutdown;
  };
  const Case cases[] = {
      {kCmdBlockAction, true, false},      {kCmdBlockTurnOff, true, false},   {kCmdShutdownTurnOff, true, true},
      {kCmdHibernateTurnOff, true, true},  {kCmdShutdownTurnOn, false, true}, {kCmdHibernateTurnOn, false, true},
      {kCmdReset, false, true},            {kCmdSuspend, false, true},
  };
  const ipc::UpsSharedBlock block{};
  auto greyed = [&](unsigned id, std::uint32_t rights) {
    for (const MenuItem& item : build_tray_menu(block, rights).power)
      if (item.id == id) return item.greyed;
    ADD_FAILURE() << id << " not in the menu";
    return false;
  };
  for (const Case& c : cases) {
    EXPECT_EQ(greyed(c.id, ipc::kRightShutdown), c.greyed_without_admin) << c.id;
    EXPECT_EQ(greyed(c.id, ipc::kRightAdministrators), c.greyed_without_shutdown) << c.id;
    EXPECT_TRUE(greyed(c.id, 0)) << c.id << ": nothing can be asked without the pipe";
    EXPECT_FALSE(greyed(c.id, ipc::kAllRights)) << c.id;
  }
  for (const MenuItem& item : build_tray_menu(block, 0).main) EXPECT_FALSE(item.greyed) << item.id;
}

TEST(TrayMenu, CommandsBecomeRequestsToTheService) {
  struct Case {
    unsigned id;
    std::uint32_t cmd, word;
  };
  ipc::UpsSharedBlock block{};
  block.turn_off_blocked = 0xFFFFFFFF;
  const Case cases[] = {
      {kCmdShutdownTurnOff, ipc::MSG_POWER_ACTION, 0}, {kCmdHibernateTurnOff, ipc::MSG_POWER_ACTION, 1},
      {kCmdReset, ipc::MSG_POWER_ACTION, 2},           {kCmdSuspend, ipc::MSG_POWER_ACTION, 3},
      {kCmdShutdownTurnOn, ipc::MSG_POWER_ACTION, 4},  {kCmdHibernateTurnOn, ipc::MSG_POWER_ACTION, 5},
      {kCmdBlockAction, ipc::MSG_BLOCK_ACTION, 1},     {kCmdBlockTurnOff, ipc::MSG_BLOCK_TURN_OFF, 0}};
  for (const Case& c : cases) {
    const MenuChoice choice = carry_out_menu_command(c.id, block, true);
    EXPECT_EQ(choice.effect, MenuEffect::send_request) << c.id;
    EXPECT_EQ(choice.request.size, ipc::kPipeWordMessageSize) << c.id;
    EXPECT_EQ(choice.request.cmd, c.cmd) << c.id;
    EXPECT_EQ(choice.request.payload_word(), c.word) << c.id;
  }
  EXPECT_EQ(carry_out_menu_command(0, block, false).effect, MenuEffect::none);
  EXPECT_EQ(carry_out_menu_command(kCmdClose, block, true).effect, MenuEffect::close);
  // A restricted tray cannot write the settings: the sheets open elevated, never in the tray.
  struct Sheet {
    unsigned id;
    bool restricted;
    MenuEffect effect;
  } const sheets[] = {{kCmdSettings, false, MenuEffect::open_settings},
                      {kCmdSettings, true, MenuEffect::elevate_settings},
                      {kCmdStatistics, false, MenuEffect::open_statistics},
                      {kCmdStatistics, true, MenuEffect::elevate_statistics}};
  for (const Sheet& s : sheets)
    EXPECT_EQ(carry_out_menu_command(s.id, block, s.restricted).effect, s.effect) << s.id << " " << s.restricted;
}

}  // namespace
}  // namespace tray
