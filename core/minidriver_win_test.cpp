// The six minidriver exports driven exactly as a host drives them: the library loaded by name,
// the UPS simulator on COM1, the outcome read from the shared block, the registry status values,
// the event file, the debug trace and the bytes the simulator received.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/test_service_registry_win.h"
#include "core/ups_state.h"
#include "ipc/shared_block.h"
#include "platform/shared_memory_win.h"
#include "platform/system_function_win.h"
#include "platform/test_wine_env_win.h"
#include "stats/windows1251.h"

namespace core {
namespace {

using platform::testing::env;
using platform::testing::wine_path;
using namespace core::testing;

struct Exports {
  DWORD(WINAPI* init)();
  void(WINAPI* stop)();
  DWORD(WINAPI* get_state)();
  void(WINAPI* wait)(DWORD, DWORD);
  void(WINAPI* cancel_wait)();
  void(WINAPI* turn_off)(DWORD);
};

class Minidriver : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    stat_dir_ = temp_directory("orvik_minidriver_stats");
    trace_file_ = stat_dir_ + "\\trace.txt";
    install_service_keys("COM1", stat_dir_, trace_file_);
    library_ = LoadLibraryA((wine_path(env("ORVIK_BIN_DIR")) + "\\orvik_dll.dll").c_str());
    ASSERT_NE(library_, nullptr) << GetLastError();
    using platform::find_system_function;
    exports_.init = find_system_function<DWORD(WINAPI*)()>(library_, "UPSInit");
    exports_.stop = find_system_function<void(WINAPI*)()>(library_, "UPSStop");
    exports_.get_state = find_system_function<DWORD(WINAPI*)()>(library_, "UPSGetState");
    exports_.wait = find_system_function<void(WINAPI*)(DWORD, DWORD)>(library_, "UPSWaitForStateChange");
    exports_.cancel_wait = find_system_function<void(WINAPI*)()>(library_, "UPSCancelWait");
    exports_.turn_off = find_system_function<void(WINAPI*)(DWORD)>(library_, "UPSTurnOff");
    ASSERT_TRUE(exports_.init && exports_.stop && exports_.get_state && exports_.wait && exports_.cancel_wait &&
                exports_.turn_off);
  }

  void TearDown() override { simulator("mains on"); }

  static void simulator(const std::string& command) {
    std::ofstream control(wine_path(env("ORVIK_SIM_CONTROL")), std::ios::app | std::ios::binary);
    control << command << "\n";
    control.flush();
    Sleep(200);  // the simulator reads its control file every 50 ms
  }
  static std::string received() { return read_file(wine_path(env("ORVIK_SIM_RECORD"))); }
  static std::string trace() { return read_file(trace_file_); }

  static std::string todays_events() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return read_file(stat_dir_ + "\\" + std::to_string(now.wYear) + "\\" + std::to_string(now.wMonth) + "\\" +
                     std::to_string(now.wDay) + "_log.dat");
  }
  static bool has_event(int code, const char* utf8_text) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "|%02d|", code);
    return todays_events().find(prefix + stats::utf8_to_windows1251(utf8_text)) != std::string::npos;
  }

  static ipc::UpsSharedBlock* attach_block(platform::SharedMemory& memory) {
    if (!platform::open_shared_memory(memory, false, ipc::kSharedBlockBaseName, ipc::kSharedBlockSize)) return nullptr;
    return static_cast<ipc::UpsSharedBlock*>(memory.data());
  }

  // A second host thread, as a host may cancel a wait from any thread.
  static DWORD WINAPI cancel_after_a_moment(void*) {
    Sleep(1500);
    exports_.cancel_wait();
    return 0;
  }

  static inline HMODULE library_ = nullptr;
  static inline Exports exports_{};
  static inline std::string stat_dir_;
  static inline std::string trace_file_;
};

TEST_F(Minidriver, StartsPublishesAndStopsAgainstTheUps) {
  ASSERT_EQ(exports_.init(), UPS_INITOK);
  EXPECT_EQ(exports_.get_state(), UPS_ONLINE);
  Sleep(2500);  // a couple of polling cycles

  platform::SharedMemory memory;
  ipc::UpsSharedBlock* block = attach_block(memory);
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block->port, "COM1");
  EXPECT_STREQ(block->vendor, "Orvik");
  EXPECT_STREQ(block->model, kTestModel);
  EXPECT_EQ(block->link_ok, 1);
  EXPECT_EQ(block->capacity_valid, 1);
  EXPECT_EQ(block->raw_line[0], '(');
  EXPECT_EQ(status_value("CommStatus"), 1u);
  EXPECT_EQ(status_value("BatteryStatus"), 1u);
  EXPECT_GT(status_value("BatteryCapacity"), 0u);

  exports_.stop();
  std::string sent = received();
  EXPECT_NE(sent.find("Q1\r"), std::string::npos);
  EXPECT_NE(sent.find("C\r"), std::string::npos) << "a turn-off left from an earlier run is cancelled";
  std::string log = trace();
  EXPECT_NE(log.find("UPS::UPSInit(void)==UPS_INITOK\n"), std::string::npos);
  EXPECT_NE(log.find(" UPS::Thread query UPS - closed\n"), std::string::npos);
  EXPECT_NE(log.find(" UPS::Thread monitorWindow - closed\n"), std::string::npos);
  EXPECT_NE(log.find("UPS::UPSStop - END\n"), std::string::npos);
  EXPECT_TRUE(has_event(1, "Служба ИБП запущена\n"));
  EXPECT_TRUE(has_event(2, "Останов мониторинга ИБП\n"));
}

TEST_F(Minidriver, PowerFailureAndReturnWakeTheHostsWait) {
  ASSERT_EQ(exports_.init(), UPS_INITOK);
  ASSERT_EQ(exports_.get_state(), UPS_ONLINE);
  simulator("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY);
  EXPECT_TRUE(has_event(5, "Сбой в питании, переход на батарею\n"));

  simulator("mains on");
  exports_.wait(UPS_ONBATTERY, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_ONLINE);
  EXPECT_TRUE(has_event(4, "Питание восстановлено\n"));
  exports_.stop();
}

TEST_F(Minidriver, UpsOwnBatteryLowIsReportedWithItsVoltage) {
  ASSERT_EQ(exports_.init(), UPS_INITOK);
  simulator("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  simulator("lowbat on");
  exports_.wait(UPS_ONBATTERY, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
  EXPECT_NE(todays_events().find("|17|"), std::string::npos);
  simulator("lowbat off");
  exports_.stop();
}

TEST_F(Minidriver, CancelWaitEndsAWaitWithoutALimit) {
  ASSERT_EQ(exports_.init(), UPS_INITOK);
  HANDLE canceller = CreateThread(nullptr, 0, cancel_after_a_moment, nullptr, 0, nullptr);
  DWORD started = GetTickCount();
  exports_.wait(UPS_ONLINE, INFINITE);
  EXPECT_LT(GetTickCount() - started, 10000u);
  WaitForSingleObject(canceller, INFINITE);
  CloseHandle(canceller);
  exports_.stop();
}

TEST_F(Minidriver, TurnOffSendsTheCommandAndASecondStartWorks) {
  ASSERT_EQ(exports_.init(), UPS_INITOK);
  std::size_t before = received().size();
  exports_.turn_off(120);
  EXPECT_NE(received().substr(before).find("S02R0000\r"), std::string::npos);
  exports_.stop();
  EXPECT_NE(trace().find("UPS::UPSTurnOff delay 120 sec\n"), std::string::npos);

  ASSERT_EQ(exports_.init(), UPS_INITOK) << "the library starts again after a stop";
  exports_.stop();
}

TEST_F(Minidriver, StartUpResults) {
  platform::UniqueKey service = create_key(platform::kServiceKeyPath);
  platform::UniqueKey config = create_key(platform::kConfigKeyPath);

  platform::write_string_value(service.get(), "Port", "COM7");
  EXPECT_EQ(exports_.init(), UPS_INITCOMMOPENERROR) << "a port that does not exist";
  platform::write_string_value(service.get(), "Port", "USB");
  EXPECT_EQ(exports_.init(), UPS_INITREGISTRYERROR) << "USB configured, no USB UPS attached";
  platform::write_string_value(service.get(), "Port", "COM1");

  RegDeleteValueA(config.get(), "Model");
  EXPECT_EQ(exports_.init(), UPS_INITREGISTRYERROR) << "no model";
  platform::write_string_value(config.get(), "Model", kTestModel);

  simulator("silence on");
  EXPECT_EQ(exports_.init(), UPS_INITUNKNOWNERROR) << "a UPS that does not answer";
  simulator("silence off");
  EXPECT_EQ(exports_.init(), UPS_INITOK) << "failed starts released what they held";
  exports_.stop();
}

}  // namespace
}  // namespace core
