// The published block, its new-data event and the action request between two processes.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>
#include <string>
#include <vector>

#include "ipc/new_data_event_win.h"
#include "ipc/shared_block_win.h"
#include "ipc/status_publisher_win.h"
#include "ipc/test_cycle_pattern.h"
#include "platform/registry_win.h"
#include "platform/security_win.h"
#include "platform/test_security_win.h"
#include "platform/test_wine_env_win.h"

namespace ipc {
namespace {

using platform::testing::env;
using platform::testing::start_process;
using platform::testing::wait_for_exit;
using platform::testing::wine_path;

class RecordingStarter : public PowerActionStarter {
 public:
  void start_power_action(std::uint32_t action_code) override { codes.push_back(action_code); }
  std::vector<std::uint32_t> codes;
};

bool signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

using platform::testing::AceEntry;
using platform::testing::dacl_entries;
using platform::testing::kAdministratorsSid;
using platform::testing::kInteractiveSid;
using platform::testing::kSystemSid;

// SYSTEM and Administrators in full, interactive users with `user_access` only.
std::vector<AceEntry> service_object_dacl(DWORD all_access, DWORD user_access) {
  return {{"A", kSystemSid, all_access}, {"A", kAdministratorsSid, all_access}, {"A", kInteractiveSid, user_access}};
}

// A service side under test names of its own, with a Status key of its own.
class Publication : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string id = std::to_string(GetCurrentProcessId()) + "_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    base_ = "OrvikTest_ipc_" + id;
    event_name_ = "Global\\OrvikTest_newData_" + id;
    key_path_ = "SOFTWARE\\OrvikTest\\ipc_" + id;
    status_path_ = key_path_ + "\\Status";
    platform::UniqueKey status;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, status_path_.c_str(), 0, nullptr, 0, platform::kKeyReadWrite,
                              nullptr, status.receive(), nullptr),
              ERROR_SUCCESS);
    publisher_ = std::make_unique<StatusPublisher>(
        PublicationNames{base_.c_str(), event_name_.c_str(), status_path_.c_str()});
  }
  void TearDown() override {
    publisher_.reset();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, status_path_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_path_.c_str());
  }
  std::uint32_t status_value(const char* name) {
    std::uint32_t value = 0xDEADBEEF;
    platform::UniqueKey key = platform::open_key(status_path_.c_str());
    EXPECT_TRUE(platform::read_dword_value(key.get(), name, value)) << name;
    return value;
  }

  void publish_for_reader(const char* bin_dir_variable);

  std::string base_, event_name_, key_path_, status_path_;
  std::unique_ptr<StatusPublisher> publisher_;
};

// Users get what the tray uses and nothing more: no user can change an object's owner or DACL.
TEST_F(Publication, BlockAndEventGrantInteractiveUsersOnlyWhatTheTrayUses) {
  ASSERT_TRUE(publisher_->open_block());
  ASSERT_TRUE(publisher_->create_new_data_event());
  platform::UniqueHandle block(OpenFileMappingA(READ_CONTROL, FALSE, ("Global\\" + base_ + "_map").c_str()));
  platform::UniqueHandle event(OpenEventA(READ_CONTROL, FALSE, event_name_.c_str()));
  ASSERT_TRUE(block && event);
  EXPECT_EQ(dacl_entries(block.get()), service_object_dacl(SECTION_ALL_ACCESS, FILE_MAP_READ | FILE_MAP_WRITE));
  EXPECT_EQ(dacl_entries(event.get()), service_object_dacl(EVENT_ALL_ACCESS, SYNCHRONIZE | platform::kEventQueryState));

  // A reader's handles carry just those rights, and serve it.
  platform::SharedMemory memory;
  ASSERT_TRUE(open_shared_block(memory, false, base_.c_str()));
  shared_block(memory)->action_blocked = 1;
  EXPECT_EQ(publisher_->block()->action_blocked, 1u);
  platform::UniqueHandle reader = open_new_data_event(event_name_.c_str());
  ASSERT_TRUE(reader);
  EXPECT_FALSE(signalled(reader.get()));
  EXPECT_FALSE(ResetEvent(reader.get())) << "a reader cannot touch the event's state";
}

TEST_F(Publication, NewDataEventStartsUnsignalledAndEndsUnsignalled) {
  ASSERT_TRUE(publisher_->open_block());
  ASSERT_TRUE(publisher_->create_new_data_event());
  platform::UniqueHandle reader = open_new_data_event(event_name_.c_str());
  ASSERT_TRUE(reader);
  EXPECT_FALSE(signalled(reader.get()));

  const std::string line = testing::pattern_raw_line(1);
  publisher_->publish_cycle(testing::pattern_cycle(1, line), testing::pattern_model());
  EXPECT_TRUE(signalled(reader.get()));
  EXPECT_TRUE(signalled(reader.get())) << "manual reset: testing does not consume the signal";

  publisher_->close();
  EXPECT_FALSE(signalled(reader.get())) << "a stopped service leaves no signalled event behind";
  platform::UniqueHandle leftover(OpenEventA(EVENT_MODIFY_STATE, FALSE, event_name_.c_str()));
  SetEvent(leftover.get());  // as a run that ended without closing would leave it
  ASSERT_TRUE(publisher_->create_new_data_event());
  EXPECT_FALSE(signalled(reader.get())) << "a new run has not published yet";
}

// Publishes cycles until the reader program of `bin_dir_variable`'s build has seen enough.
void Publication::publish_for_reader(const char* bin_dir_variable) {
  ASSERT_TRUE(publisher_->open_block());
  ASSERT_TRUE(publisher_->create_new_data_event());
  const std::string reader_program = wine_path(env(bin_dir_variable)) + "\\ipc_block_reader.exe";
  platform::UniqueHandle reader = start_process(reader_program + " " + base_ + " " + event_name_ + " 200");
  ASSERT_TRUE(reader);

  RecordingStarter starter;
  const core::ModelRecord model = testing::pattern_model();
  std::int32_t cycle = 0;
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(reader.get(), 0) == WAIT_TIMEOUT && GetTickCount() - start < 90000) {
    publisher_->take_action_request(starter);
    const std::string line = testing::pattern_raw_line(++cycle);
    publisher_->publish_cycle(testing::pattern_cycle(cycle, line), model);
    Sleep(1);
  }
  EXPECT_EQ(wait_for_exit(reader.get(), 1000), 0) << "after " << cycle << " cycles; exit codes in the reader";
  EXPECT_EQ(starter.codes, std::vector<std::uint32_t>{2}) << "request 3 starts the restart, once";
  EXPECT_EQ(publisher_->block()->action_request, 0u);
  EXPECT_EQ(status_value("CommStatus"), 1u);
  EXPECT_EQ(status_value("BatteryCapacity"), 50u) << "12 V between 10 and 14 V";
}

TEST_F(Publication, ReaderInAnotherProcessSeesOnlyWholeCyclesAndItsRequestIsTakenOnce) {
  publish_for_reader("ORVIK_BIN_DIR");
}

TEST_F(Publication, A32BitReaderSeesTheSameLayout) {
  if (env("ORVIK_CAN_RUN_32BIT") != "1") {
    GTEST_SKIP() << "this machine cannot execute 32-bit programs, so Wine cannot run the i686 build";
  }
  publish_for_reader("ORVIK_WIN32_BIN_DIR");
}

}  // namespace
}  // namespace ipc
