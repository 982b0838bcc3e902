#include "core/client_orders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace core {
namespace {

using nut::InstantCommand;

class RecordingOrderHooks final : public OrderHooks {
 public:
  bool ups_link_up() override { return link_up; }
  void flush_statistics() override { calls.push_back("flush"); }
  void send_ups_command(const char* command) override { calls.push_back(std::string("send ") + command); }
  void send_configured_turn_off() override { calls.push_back("turn off"); }
  void want_beeper_toggled() override { calls.push_back("beeper"); }

  bool link_up = true;
  std::vector<std::string> calls;
};

TEST(ClientOrders, EachCommandReachesTheUpsAsTheTraysButtonsWouldSendIt) {
  const struct {
    nut::InstantCommandRequest request;
    std::vector<std::string> calls;
  } cases[] = {
      {{InstantCommand::test_battery_start_quick, 0}, {"flush", "send T\r"}},
      {{InstantCommand::test_battery_start_deep, 0}, {"flush", "send TL\r"}},
      {{InstantCommand::test_battery_start, 7}, {"flush", "send T07\r"}},
      {{InstantCommand::test_battery_stop, 0}, {"send CT\r"}},
      {{InstantCommand::shutdown_stop, 0}, {"send C\r"}},
      {{InstantCommand::shutdown_return, 0}, {"turn off"}},
      {{InstantCommand::beeper_toggle, 0}, {"beeper"}},
  };
  for (const auto& c : cases) {
    RecordingOrderHooks hooks;
    EXPECT_TRUE(carry_out_order(c.request, hooks));
    EXPECT_EQ(hooks.calls, c.calls) << nut::instant_command_name(c.request.command);
  }
}

TEST(ClientOrders, WithoutAnAnswerFromTheUpsOnlyTheBeeperWishIsKept) {
  for (const nut::InstantCommandInfo& info : nut::instant_commands()) {
    RecordingOrderHooks hooks;
    hooks.link_up = false;
    const bool beeper = info.command == InstantCommand::beeper_toggle;
    EXPECT_EQ(carry_out_order({info.command, 1}, hooks), beeper) << info.name;
    EXPECT_EQ(hooks.calls, beeper ? std::vector<std::string>{"beeper"} : std::vector<std::string>{}) << info.name;
  }
}

}  // namespace
}  // namespace core
