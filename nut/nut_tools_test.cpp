// NUT's own programs against the protocol engine on 127.0.0.1: upsc reads the variables, upscmd
// runs instant commands, upsmon logs in as secondary or primary and shuts its computer down when the
// UPS says so. They are Debian's nut-client programs (tools/setup.sh installs them); without them the
// tests are skipped and say why.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "nut/served_variables.h"
#include "nut/test_loopback_server_native.h"
#include "nut/test_programs_native.h"
#include "nut/test_varnelo.h"

namespace nut {
namespace {

using namespace std::chrono_literals;

const char kUpsc[] = "/usr/bin/upsc";
const char kUpscmd[] = "/usr/bin/upscmd";
const char kUpsmon[] = "/lib/nut/upsmon";

// The variables of a Varnelo 600 after `status_line`, as the service would publish them.
VariableSnapshot varnelo_on(const char* status_line) {
  ipc::UpsSharedBlock block = block_after(status_line);
  block.capacity_valid = 1;
  block.capacity = 96.4f;
  block.runtime = 21.5f;
  return served_variables(block, varnelo_settings());
}

std::string upsc_listing(const VariableSnapshot& snapshot) {
  std::string text;
  for (const NutVariable& variable : snapshot.variables) text += variable.name + ": " + variable.value + "\n";
  return text;
}

class NutToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!program_exists(kUpsc) || !program_exists(kUpscmd)) {
      GTEST_SKIP() << "NUT's clients are not installed (Debian's nut-client; tools/setup.sh installs it)";
    }
    server.with_world([](TestServerWorld& world) {
      world.snapshot = varnelo_on("(229.0 229.0 229.0 023 50.0 13.4 27.2 00001001");
      world.users = UserTable({
          user_from_settings({"admin", "s3cret", "primary", {}, {"all"}}).user,
          user_from_settings({"mon", "pw2", "secondary", {}, {}}).user,
          user_from_settings({"tester", "t3st", "", {}, {"test.battery.start.quick"}}).user,
      });
    });
  }

  std::string ups() const { return "ups@127.0.0.1:" + std::to_string(server.port()); }

  VariableSnapshot snapshot() {
    VariableSnapshot copy;
    server.with_world([&](TestServerWorld& world) { copy = world.snapshot; });
    return copy;
  }

  LoopbackServer server;
};

TEST_F(NutToolsTest, UpscListsEveryVariableAndFollowsTheStatus) {
  ProgramRun run = run_program({kUpsc, ups()}, 10s);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, upsc_listing(snapshot()));
  EXPECT_NE(run.out.find("battery.runtime: 1290\n"), std::string::npos);

  for (const char* line : {"(000.0 000.0 220.0 023 50.0 12.1 27.2 10001001", "(000.0 000.0 220.0 023 50.0 10.9 27.2 11001001"}) {
    server.with_world([&](TestServerWorld& world) { world.snapshot = varnelo_on(line); });
    run = run_program({kUpsc, ups(), "ups.status"}, 10s);
    EXPECT_EQ(run.out, line[39] == '1' ? "OB LB\n" : "OB\n");
  }
}

TEST_F(NutToolsTest, UpscReportsStaleDataAndValuesAgainWhenTheLinkIsBack) {
  server.with_world([](TestServerWorld& world) { world.snapshot.stale = true; });
  ProgramRun run = run_program({kUpsc, ups(), "ups.status"}, 10s);
  EXPECT_NE(run.exit_code, 0);
  EXPECT_NE(run.err.find("Error: Data stale"), std::string::npos) << run.err;

  server.with_world([](TestServerWorld& world) { world.snapshot.stale = false; });
  run = run_program({kUpsc, ups(), "ups.status"}, 10s);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "OL\n");
}

TEST_F(NutToolsTest, UpscNamesTheUpsAndItsClients) {
  const std::string host = "127.0.0.1:" + std::to_string(server.port());
  EXPECT_EQ(run_program({kUpsc, "-l", host}, 10s).out, "ups\n");
  EXPECT_EQ(run_program({kUpsc, "-L", host}, 10s).out, "ups: Orvik Varnelo 600 (COM1)\n");
  EXPECT_EQ(run_program({kUpsc, "-c", ups()}, 10s).out, "");
}

TEST_F(NutToolsTest, UpscmdListsTheCommandsWithTheirDescriptions) {
  const ProgramRun run = run_program({kUpscmd, "-l", ups()}, 10s);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "Instant commands supported on UPS [ups]:\n\n"
            "beeper.toggle - Toggle the UPS beeper\n"
            "shutdown.return - Turn off the load and return when power is back\n"
            "shutdown.stop - Stop a shutdown in progress\n"
            "test.battery.start - Start a battery test\n"
            "test.battery.start.deep - Start a deep battery test\n"
            "test.battery.start.quick - Start a quick battery test\n"
            "test.battery.stop - Stop the battery test\n");
}

TEST_F(NutToolsTest, UpscmdStartsATestForAPermittedUserOnly) {
  ProgramRun run = run_program({kUpscmd, "-u", "tester", "-p", "t3st", ups(), "test.battery.start.quick"}, 10s);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("OK\n"), std::string::npos) << run.err;  // upscmd reports on stderr

  run = run_program({kUpscmd, "-u", "mon", "-p", "pw2", ups(), "test.battery.start.quick"}, 10s);
  EXPECT_NE(run.exit_code, 0);
  EXPECT_NE(run.err.find("ERR ACCESS-DENIED"), std::string::npos) << run.err;

  run = run_program({kUpscmd, "-u", "admin", "-p", "s3cret", ups(), "test.battery.start", "300"}, 10s);
  EXPECT_EQ(run.exit_code, 0) << run.err;

  server.with_world([](TestServerWorld& world) {
    ASSERT_EQ(world.commands.size(), 2u);
    EXPECT_EQ(world.commands[0].command, InstantCommand::test_battery_start_quick);
    EXPECT_EQ(world.command_senders[0], "tester@127.0.0.1");
    EXPECT_EQ(world.commands[1].command, InstantCommand::test_battery_start);
    EXPECT_EQ(world.commands[1].test_minutes, 5u);
  });
}

// A private upsmon: its configuration and files in a scratch folder. Run as root it would keep its
// pid file in /run/nut, shared by the whole machine, and refuse to start beside another upsmon; run
// as nobody it cannot, and does without.
class Upsmon {
 public:
  Upsmon(const std::string& monitor_line, int port, int hostsync_seconds) {
    char pattern[] = "/tmp/nut-upsmon.XXXXXX";
    dir_ = ::mkdtemp(pattern);
    std::filesystem::permissions(dir_, std::filesystem::perms::all);
    std::ofstream conf(dir_ + "/upsmon.conf");
    conf << "MONITOR ups@127.0.0.1:" << port << " 1 " << monitor_line << "\n"
         << "MINSUPPLIES 1\n"
         << "SHUTDOWNCMD \"/bin/touch " << shutdown_file() << "\"\n"
         << "POLLFREQ 1\nPOLLFREQALERT 1\nDEADTIME 15\nFINALDELAY 0\n"
         << "HOSTSYNC " << hostsync_seconds << "\n"
         << "POWERDOWNFLAG " << dir_ << "/killpower\n";
    conf.close();
    std::vector<std::string> command = {kUpsmon, "-D", "-p"};
    if (::geteuid() == 0) {
      command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    }
    program_ = std::make_unique<BackgroundProgram>(
        command, std::vector<std::string>{"NUT_CONFPATH=" + dir_, "NUT_STATEPATH=" + dir_, "NUT_ALTPIDPATH=" + dir_},
        log_file());
  }
  ~Upsmon() {
    program_.reset();
    std::filesystem::remove_all(dir_);
  }

  bool shut_down() const { return std::filesystem::exists(shutdown_file()); }
  std::string log() const {
    std::ifstream in(log_file());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string shutdown_file() const { return dir_ + "/shutdown-ran"; }
  std::string log_file() const { return dir_ + "/upsmon.log"; }

  std::string dir_;
  std::unique_ptr<BackgroundProgram> program_;
};

class UpsmonTest : public NutToolsTest {
 protected:
  void SetUp() override {
    NutToolsTest::SetUp();
    if (IsSkipped()) return;
    if (!program_exists(kUpsmon)) GTEST_SKIP() << "NUT's upsmon is not installed (Debian's nut-client)";
  }

  std::size_t logins() {
    std::size_t count = 0;
    server.with_world([&](TestServerWorld& world) { count = world.logins.count(); });
    return count;
  }
};

TEST_F(UpsmonTest, SecondaryLogsInAndShutsDownAndLeavesOnFsd) {
  Upsmon upsmon("mon pw2 secondary", server.port(), 3);
  ASSERT_TRUE(wait_until([&] { return logins() == 1; }, 20s)) << upsmon.log();
  EXPECT_FALSE(upsmon.shut_down());

  server.with_world([](TestServerWorld& world) { world.snapshot.forced_shutdown = true; });
  EXPECT_TRUE(wait_until([&] { return upsmon.shut_down(); }, 20s)) << upsmon.log();
  EXPECT_TRUE(wait_until([&] { return logins() == 0; }, 20s)) << upsmon.log();
}

// The primary waits up to HOSTSYNC (60 s) for the secondaries to leave; it shuts down well before
// that only if NUMLOGINS drops when the secondary goes.
TEST_F(UpsmonTest, PrimarySetsFsdOnLowBatteryWaitsForSecondariesAndShutsDown) {
  Upsmon primary("admin s3cret primary", server.port(), 60);
  Upsmon secondary("mon pw2 secondary", server.port(), 3);
  ASSERT_TRUE(wait_until([&] { return logins() == 2; }, 20s)) << primary.log() << secondary.log();

  server.with_world([](TestServerWorld& world) {
    world.snapshot = varnelo_on("(000.0 000.0 220.0 023 50.0 10.9 27.2 11001001");
  });
  ASSERT_TRUE(wait_until([&] { return primary.shut_down(); }, 40s)) << primary.log();
  server.with_world([](TestServerWorld& world) {
    EXPECT_EQ(world.forced_by, std::vector<std::string>{"admin@127.0.0.1"});
  });
  EXPECT_TRUE(secondary.shut_down()) << "the primary shut down before its secondary";
}

}  // namespace
}  // namespace nut
