#include "service/uninstall_steps.h"

#include <gtest/gtest.h>

#include <string>

namespace service {
namespace {

class RecordedSteps final : public UninstallSteps {
 public:
  explicit RecordedSteps(bool stops) : stops_(stops) {}
  void request_gui_exit() override { done += "exit requested, "; }
  void delete_tray_autostart() override { done += "autostart deleted, "; }
  bool stop_service() override {
    done += stops_ ? "stopped, " : "not stopped, ";
    return stops_;
  }
  void wait_for_program_to_end() override { done += "waited, "; }
  void withdraw_gui_exit() override { done += "exit withdrawn, "; }
  void delete_service() override { done += "deleted"; }
  std::string done;

 private:
  bool stops_;
};

TEST(Uninstall, TheTraysExitRequestIsWithdrawnWhetherOrNotTheServiceStopped) {
  RecordedSteps stopping(true);
  EXPECT_TRUE(uninstall_system(stopping));
  EXPECT_EQ(stopping.done, "exit requested, autostart deleted, stopped, waited, exit withdrawn, deleted");

  RecordedSteps refusing(false);
  EXPECT_FALSE(uninstall_system(refusing));
  EXPECT_EQ(refusing.done, "exit requested, autostart deleted, not stopped, exit withdrawn, ");
}

}  // namespace
}  // namespace service
