#include "nut/server_address.h"

#include <gtest/gtest.h>

#include <string>

namespace nut {
namespace {

TEST(ServerAddressTest, ValuesAnAdministratorTypes) {
  struct Case {
    const char* port;
    const char* ups;
    const char* host;
    std::uint16_t number;
  };
  const Case cases[] = {
      {"NUT:ups@192.168.1.10", "ups", "192.168.1.10", 3493},
      {"nut:myups@nas.local:3494", "myups", "nas.local", 3494},
      {"Nut:UPS-1_a.b@router", "UPS-1_a.b", "router", 3493},
      {"NUT:ups@[::1]", "ups", "::1", 3493},
      {"NUT:ups@[fe80::1%eth0]:65535", "ups", "fe80::1%eth0", 65535},
      {"NUT:ups@[::ffff:10.0.0.1]:1", "ups", "::ffff:10.0.0.1", 1},
      {"NUT:ups@my_host-2.example.org", "ups", "my_host-2.example.org", 3493},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    const ParsedAddress parsed = parse_server_address(c.port);
    ASSERT_TRUE(parsed.address);
    EXPECT_EQ(parsed.error, AddressError::none);
    EXPECT_EQ(parsed.address->ups, c.ups);
    EXPECT_EQ(parsed.address->host, c.host);
    EXPECT_EQ(parsed.address->port, c.number);
  }
}

TEST(ServerAddressTest, EveryMistakeIsNamed) {
  struct Case {
    std::string port;
    AddressError error;
  };
  const Case cases[] = {
      {"COM1", AddressError::not_network},
      {"USB", AddressError::not_network},
      {"", AddressError::not_network},
      {"NU:ups@host", AddressError::not_network},
      {"NUT:", AddressError::no_ups_name},
      {"NUT:ups", AddressError::no_ups_name},
      {"NUT:@host", AddressError::no_ups_name},
      {"NUT:u p s@host", AddressError::bad_ups_name},
      {"NUT:ups\"@host", AddressError::bad_ups_name},
      {"NUT:a@b@host", AddressError::bad_host},
      {"NUT:ups@", AddressError::no_host},
      {"NUT:ups@:3493", AddressError::no_host},
      {"NUT:ups@[]", AddressError::bad_host},
      {"NUT:ups@ho st", AddressError::bad_host},
      {"NUT:ups@-host", AddressError::bad_host},
      {"NUT:ups@host..lan", AddressError::bad_host},
      {"NUT:ups@host.", AddressError::bad_host},
      {"NUT:ups@[::1", AddressError::bad_host},
      {"NUT:ups@[::1]3493", AddressError::bad_host},
      {"NUT:ups@[host]", AddressError::bad_host},
      {"NUT:ups@[::1%]", AddressError::bad_host},
      {"NUT:ups@::1", AddressError::unbracketed_ipv6},
      {"NUT:ups@fe80::1:3493", AddressError::unbracketed_ipv6},
      {"NUT:ups@host:", AddressError::bad_port},
      {"NUT:ups@host:0", AddressError::bad_port},
      {"NUT:ups@host:65536", AddressError::bad_port},
      {"NUT:ups@host:+80", AddressError::bad_port},
      {"NUT:ups@host:80x", AddressError::bad_port},
      {"NUT:ups@host:99999999999999999999", AddressError::bad_port},
      {"NUT:ups@" + std::string(254, 'a'), AddressError::too_long},
      {"NUT:ups@" + std::string(64, 'a') + ".lan", AddressError::bad_host},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    const ParsedAddress parsed = parse_server_address(c.port);
    EXPECT_FALSE(parsed.address);
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_STRNE(address_error_description(parsed.error), "unknown error");
  }
}

TEST(ServerAddressTest, TheLongestValueThatFitsIsTaken) {
  // 254 characters: the registry value the service reads has room for that and its terminator.
  const std::string host = std::string(60, 'a') + "." + std::string(60, 'b') + "." + std::string(60, 'c') + "." +
                           std::string(63, 'd');
  const std::string port = "NUT:ups@" + host;
  ASSERT_EQ(port.size(), 254u);
  EXPECT_EQ(parse_server_address(port).error, AddressError::none);
}

TEST(ServerAddressTest, TextAndLabelGiveTheAddressBack) {
  struct Case {
    ServerAddress address;
    const char* text;
    const char* label;
  };
  const Case cases[] = {
      {{"ups", "10.0.0.2", 3493}, "NUT:ups@10.0.0.2", "ups@10.0.0.2:3493"},
      {{"ups", "nas", 3494}, "NUT:ups@nas:3494", "ups@nas:3494"},
      {{"ups", "::1", 3493}, "NUT:ups@[::1]", "ups@[::1]:3493"},
      {{"ups", "fe80::1%2", 40000}, "NUT:ups@[fe80::1%2]:40000", "ups@[fe80::1%2]:40000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(server_address_text(c.address), c.text);
    EXPECT_EQ(server_address_label(c.address), c.label);
    EXPECT_EQ(parse_server_address(c.text).address, c.address);
  }
}

}  // namespace
}  // namespace nut
