#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "link/ups_status.h"
#include "settings/information_text.h"
#include "settings/settings_ids.h"
#include "tray/test_status_block.h"

namespace settings {
namespace {

using namespace ups_link;

ipc::UpsSharedBlock battery_block() {
  ipc::UpsSharedBlock block = tray::testing::battery_block();
  // Every other flag line set, so that a flag read from a neighbour's bit shows.
  block.status.status_bits =
      STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW | STATUS_UPS_FAULT | STATUS_BEEPER_ON | STATUS_LINE_INTERACTIVE;
  block.load_va = 300.9f;
  std::memcpy(block.model, "Varnelo 600", 12);
  std::memcpy(block.port, "COM1", 5);
  std::memcpy(block.raw_line, "(000.0 000.0 220.0 035 50.0 12.5 31.5 11010011", 47);
  return block;
}

TEST(InformationPage, OnBatteryWithAValidModelGivesVaWattsChargeAndTheFlags) {
  const PageForm page = information_page(battery_block(), true);
  EXPECT_EQ(page, (PageForm{
                      {IDC_INFO_MODEL, "Varnelo 600"},
                      {IDC_INFO_PORT, "COM1"},
                      {IDC_INFO_LINK, "установлена"},
                      {IDC_INFO_RAW, "(000.0 000.0 220.0 035 50.0 12.5 31.5 11010011"},
                      {IDC_INFO_TEXT,
                       "Питание от батареи (2 мин 5 сек)\nВход: 0.0 (В)\nВыход: 220.0 (В) 50.0 (Гц)\n"
                       "Нагрузка: 35% (300 VA / 212 Вт)\nБатарея: 12.5 (В) 80.0% (осталось 14 мин)\n"
                       "Температура: 31.5 (°C)\nИнфо:\nбатарея - разрядилась\nAVR - выкл\n"
                       "батарея нуждается в замене - да\nотключение ИБП активировано - нет\nсигнал - вкл\n"
                       "тест ИБП - выкл\nлинейно-интерактивный - да\n"},
                  }));
}

TEST(InformationPage, OnMainsWithoutAValidModelTheLoadLineJustEnds) {
  ipc::UpsSharedBlock block = battery_block();
  block.status.status_bits = STATUS_AVR | STATUS_SHUTDOWN_ACTIVE | STATUS_TEST;
  block.capacity_valid = 0;
  EXPECT_EQ(information_page(block, true).at(IDC_INFO_TEXT),
            "Питание от сети\nВход: 0.0 (В)\nВыход: 220.0 (В) 50.0 (Гц)\nНагрузка: 35%\nБатарея: 12.5 (В)\n"
            "Температура: 31.5 (°C)\nИнфо:\nбатарея - не разряжена\nAVR - вкл\n"
            "батарея нуждается в замене - нет\nотключение ИБП активировано - да\nсигнал - выкл\n"
            "тест ИБП - вкл\nлинейно-интерактивный - нет\n");
}

TEST(InformationPage, StaleDataIsFlaggedAndNoLinkLeavesTheTextsEmpty) {
  ipc::UpsSharedBlock block = battery_block();
  EXPECT_TRUE(information_page(block, false).at(IDC_INFO_TEXT).starts_with(
      "ВНИМАНИЕ! Нет связи со службой, данные устарели\nПитание от батареи"));
  block.link_ok = 0;
  std::memset(block.port, 'C', sizeof block.port);
  const PageForm page = information_page(block, false);
  EXPECT_EQ(page.at(IDC_INFO_LINK), "нет");
  EXPECT_EQ(page.at(IDC_INFO_RAW), "");
  EXPECT_EQ(page.at(IDC_INFO_TEXT), "");
  EXPECT_EQ(page.at(IDC_INFO_PORT), "CCCCCC") << "a field without terminator stops at its end";
}

TEST(InformationPage, NanOrHugeLoadConvertsWithoutUndefinedBehaviour) {
  ipc::UpsSharedBlock block = battery_block();
  for (const auto& [va, shown] : {std::pair{NAN, "(0 VA / 0 Вт)"}, std::pair{3e38f, "(2147483647 VA / 2147483647 Вт)"}}) {
    block.load_va = va;
    EXPECT_NE(information_page(block, true).at(IDC_INFO_TEXT).find(shown), std::string::npos) << shown;
  }
}

}  // namespace
}  // namespace settings
