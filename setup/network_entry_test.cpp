#include "setup/network_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "nut/server_address.h"

namespace installation {
namespace {

TEST(NetworkEntry, FilledFieldsBecomeThePortValueAndTheLogin) {
  struct Case {
    NetworkEntry entry;
    const char* port;
  };
  const Case cases[] = {
      {{L"192.168.1.10", L"ups", L"orvik", L"s3cret pw"}, "NUT:ups@192.168.1.10"},
      {{L"nas.local:3494", L"myups", L"", L""}, "NUT:myups@nas.local:3494"},
      {{L"[fe80::1]:3493", L"ups", L"", L""}, "NUT:ups@[fe80::1]"},
      {{L"NAS", L"UPS.1", L"u", L"p"}, "NUT:UPS.1@NAS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    const NetworkEntryCheck check = check_network_entry(c.entry);
    ASSERT_TRUE(check.port);
    EXPECT_EQ(*check.port, c.port);
    EXPECT_EQ(std::wstring(check.user.begin(), check.user.end()), c.entry.user);
    EXPECT_EQ(std::wstring(check.password.begin(), check.password.end()), c.entry.password);
    EXPECT_TRUE(check.message.empty());
  }
}

TEST(NetworkEntry, EachMistakeNamesTheFieldToCorrect) {
  struct Case {
    NetworkEntry entry;
    NetworkField field;
    const wchar_t* words;  // a piece of the message
  };
  const Case cases[] = {
      {{L"", L"ups", L"", L""}, NetworkField::server, L"Укажите сервер"},
      {{L"nas", L"", L"", L""}, NetworkField::ups, L"Укажите имя ИБП"},
      {{L"nas", L"my ups", L"", L""}, NetworkField::ups, L"только латинские"},
      {{L"nas", L"ups@nas2", L"", L""}, NetworkField::ups, L"только латинские"},
      {{L"сервер", L"ups", L"", L""}, NetworkField::server, L"Сервер указан неверно"},
      {{L"::1", L"ups", L"", L""}, NetworkField::server, L"квадратных скобках"},
      {{L"nas:70000", L"ups", L"", L""}, NetworkField::server, L"от 1 до 65535"},
      {{L"nas", L"ups", L"orvik", L""}, NetworkField::password, L"укажите пароль"},
      {{L"nas", L"ups", L"", L"pw"}, NetworkField::user, L"без пользователя"},
      {{L"nas", L"ups", L"two words", L"pw"}, NetworkField::user, L"одно слово"},
      {{L"nas", L"ups", L"orvik", L"пароль"}, NetworkField::password, L"только латинские"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entry.server.begin(), c.entry.server.end()));
    const NetworkEntryCheck check = check_network_entry(c.entry);
    EXPECT_FALSE(check.port);
    EXPECT_EQ(check.field, c.field);
    EXPECT_NE(check.message.find(c.words), std::wstring::npos);
  }
}

TEST(NetworkEntry, AStoredValueFillsTheFieldsItCameFrom) {
  struct Case {
    const char* port;
    const wchar_t* server;
    const wchar_t* ups;
  };
  const Case cases[] = {
      {"NUT:ups@192.168.1.10", L"192.168.1.10", L"ups"},
      {"nut:myups@nas.local:3494", L"nas.local:3494", L"myups"},
      {"NUT:ups@[::1]:40000", L"[::1]:40000", L"ups"},
      {"COM1", L"", L""},
      {"NUT:broken", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    const NetworkEntry entry = network_entry_from(c.port, "orvik", "pw");
    EXPECT_EQ(entry.server, c.server);
    EXPECT_EQ(entry.ups, c.ups);
    EXPECT_EQ(entry.user, L"orvik");
    EXPECT_EQ(entry.password, L"pw");
    if (*c.server == L'\0') continue;
    // Saved again unchanged, the fields give the stored value in its own spelling.
    EXPECT_EQ(*check_network_entry(entry).port, nut::server_address_text(*nut::parse_server_address(c.port).address));
  }
}

}  // namespace
}  // namespace installation
