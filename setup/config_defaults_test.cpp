#include "setup/config_defaults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/test_config_store.h"

namespace installation {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

TEST(ConfigDefaultsTest, ReadableSettingsSurviveAndOnlyUnreadableOnesAreWritten) {
  core::FakeConfigStore config;
  config.set_dword("TurnUPSOffWait", 300);
  config.set_string("TurnUPSOnWait", "5");  // a DWORD stored as text
  config.set_mistyped("KeyLedNum");
  const std::string longest_path(254, 'p');
  config.set_string("stat_path", longest_path);
  config.set_string("Model", std::string(255, 'm'));  // no room left for the terminator
  write_missing_defaults(config, config_defaults());

  EXPECT_EQ(config.writes().size(), 26u) << "all 28 but the two readable ones";
  EXPECT_THAT(config.dword("TurnUPSOffWait"), Optional(300u));
  EXPECT_THAT(config.dword("TurnUPSOnWait"), Optional(1u));
  EXPECT_THAT(config.dword("KeyLedNum"), Optional(0u));
  EXPECT_THAT(config.dword("ShutdownOnBatteryWait"), Optional(3u));
  EXPECT_THAT(config.dword("stat_rate"), Optional(1u));
  EXPECT_THAT(config.string("SignalTime"), Optional(std::string("00:00-00:00")));
  EXPECT_THAT(config.string("stat_path"), Optional(longest_path));
  EXPECT_THAT(config.string("Model"), Optional(std::string()));

  const std::size_t settled = config.writes().size();
  write_missing_defaults(config, config_defaults());
  EXPECT_EQ(config.writes().size(), settled) << "a second run finds nothing to repair";
}

TEST(ConfigDefaultsTest, ServiceKeepsItsPortAndGetsTheDescription) {
  core::FakeConfigStore service;
  service.set_string("Port", "COM3");
  write_missing_defaults(service, service_defaults());
  EXPECT_THAT(service.writes(), ElementsAre("Description"));
  EXPECT_THAT(service.string("Port"), Optional(std::string("COM3")));
}

}  // namespace
}  // namespace installation
