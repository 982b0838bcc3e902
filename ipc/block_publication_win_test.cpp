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
#include "platform/test_trace_capture.h"
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

// Users get what the tray uses and nothing more: they read the block and never write it, and no
// user can change an object's owner or DACL.
TEST_F(Publication, BlockAndEventGrantInteractiveUsersOnlyWhatTheTrayUses) {
  ASSERT_TRUE(publisher_->open_block());
  ASSERT_TRUE(publisher_->create_new_data_event());
  const std::string block_name = "Global\\" + base_ + "_map";
  platform::UniqueHandle block(OpenFileMappingA(READ_CONTROL, FALSE, block_name.c_str()));
  platform::UniqueHandle event(OpenEventA(READ_CONTROL, FALSE, event_name_.c_str()));
  ASSERT_TRUE(block && event);
  EXPECT_EQ(dacl_entries(block.get()), service_object_dacl(SECTION_ALL_ACCESS, FILE_MAP_READ));
  EXPECT_EQ(dacl_entries(event.get()), service_object_dacl(EVENT_ALL_ACCESS, SYNCHRONIZE | platform::kEventQueryState));

  // A reader's handles carry just those rights: its view is read-only, and the mapping it holds
  // gives no writable view either.
  platform::SharedMemory memory;
  ASSERT_TRUE(open_shared_block(memory, false, base_.c_str()));
  publisher_->block()->action_blocked = 1;
  EXPECT_EQ(shared_block(memory)->action_blocked, 1u) << "the reader sees what the service writes";
  MEMORY_BASIC_INFORMATION view{};
  ASSERT_EQ(VirtualQuery(memory.data(), &view, sizeof view), sizeof view);
  EXPECT_EQ(view.Protect, static_cast<DWORD>(PAGE_READONLY));
  platform::UniqueView writable(MapViewOfFile(memory.mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(UpsSharedBlock)));
  EXPECT_FALSE(writable) << "a reader's handle maps no writable view";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  DWORD old_protection = 0;
  EXPECT_FALSE(VirtualProtect(memory.data(), sizeof(UpsSharedBlock), PAGE_READWRITE, &old_protection))
      << "nor can its view be made writable";

  // An interactive user who is no administrator cannot open it for writing at all.
  {
    platform::testing::LoweredToken lowered;
    ASSERT_TRUE(lowered.impersonate());
    platform::UniqueHandle as_user(OpenFileMappingA(FILE_MAP_WRITE, FALSE, block_name.c_str()));
    EXPECT_FALSE(as_user);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    platform::UniqueHandle reading(OpenFileMappingA(FILE_MAP_READ, FALSE, block_name.c_str()));
    EXPECT_TRUE(reading) << "reading stays open to users";
  }
  platform::SharedMemory administrator;
  ASSERT_TRUE(attach_shared_block_writable(administrator, base_.c_str())) << "administrators may write requests";
  shared_block(administrator)->action_request = 3;
  EXPECT_EQ(publisher_->block()->action_request, 3u);
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

// Objects another process made under the service's names before it started, with the security
// it chose. What a maker keeps through its own handles cannot be taken from it: the event's maker
// can only set or reset it, so the event is taken back; the block's maker could write requests, so
// another account's block is refused and the monitoring publishes to no one.
struct Planted {
  const char* what;
  const char* owner;  // null: this process's default owner, which the service trusts
  const char* dacl;   // null: no DACL
  platform::Adoption expected;
  const char* trace;
};

constexpr char kEveryoneMay[] = "(A;;GA;;;WD)";
constexpr char kEventDacl[] = "P(A;;0x1F0003;;;SY)(A;;0x1F0003;;;BA)(A;;0x100001;;;IU)";
constexpr char kBlockDacl[] = "P(A;;0xF001F;;;SY)(A;;0xF001F;;;BA)(A;;0x4;;;IU)";
using platform::Adoption;
using platform::testing::kStrangerSid;
using platform::testing::owner_sid;
using platform::testing::PlantedSecurity;

TEST_F(Publication, AnEventMadeFirstIsTakenBackUnlessItKeepsTheServiceOut) {
  const Planted cases[] = {
      {"the service's own list", nullptr, kEventDacl, Adoption::kept, ""},
      {"open to everyone", nullptr, nullptr, Adoption::taken_back, "with rights for others: taken back\n"},
      {"another account's", kStrangerSid, kEveryoneMay, Adoption::taken_back, "(owner S-1-5-21-1-2-3-1001)"},
      {"another account's, service kept out", kStrangerSid, "(A;;0x100000;;;WD)", Adoption::refused,
       "exists and keeps the service out: refused\n"},
  };
  for (const Planted& c : cases) {
    SCOPED_TRACE(c.what);
    PlantedSecurity security(c.owner, c.dacl);
    ASSERT_TRUE(security.made());
    platform::UniqueHandle planted(CreateEventA(security.attributes(), TRUE, TRUE, event_name_.c_str()));
    ASSERT_TRUE(planted);
    platform::TraceCapture trace;
    EXPECT_EQ(publisher_->create_new_data_event(), c.expected != Adoption::refused);
    EXPECT_EQ(publisher_->event_adoption(), c.expected);
    EXPECT_EQ(c.trace[0] == '\0', trace.joined().empty()) << trace.joined();
    EXPECT_TRUE(trace.contains(c.trace)) << trace.joined();
    if (c.expected != Adoption::refused) {
      EXPECT_EQ(dacl_entries(planted.get()), service_object_dacl(EVENT_ALL_ACCESS, SYNCHRONIZE | platform::kEventQueryState));
      EXPECT_NE(owner_sid(planted.get()), kStrangerSid);
      EXPECT_FALSE(signalled(planted.get())) << "reset: the service has not published yet";
    }
    publisher_->close();
  }
}

TEST_F(Publication, ABlockMadeFirstIsTakenBackOnlyFromTheServicesOwnAccount) {
  const Planted cases[] = {
      {"the service's own list", nullptr, kBlockDacl, Adoption::kept, ""},
      {"open to everyone", nullptr, nullptr, Adoption::taken_back, "with rights for others: taken back\n"},
      {"another account's", kStrangerSid, kEveryoneMay, Adoption::refused,
       "was made by another account (owner S-1-5-21-1-2-3-1001): refused\n"},
      {"another account's, service kept out", kStrangerSid, "(A;;0x4;;;WD)", Adoption::refused,
       "exists and keeps the service out: refused\n"},
  };
  const std::string name = "Global\\" + base_ + "_map";
  for (const Planted& c : cases) {
    SCOPED_TRACE(c.what);
    PlantedSecurity security(c.owner, c.dacl);
    ASSERT_TRUE(security.made());
    platform::UniqueHandle planted(
        CreateFileMappingA(INVALID_HANDLE_VALUE, security.attributes(), PAGE_READWRITE, 0, kSharedBlockSize, name.c_str()));
    ASSERT_TRUE(planted);
    platform::UniqueView view(MapViewOfFile(planted.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kSharedBlockSize));
    ASSERT_TRUE(view) << "its maker's view stays writable whatever the list says";
    platform::TraceCapture trace;
    ASSERT_TRUE(publisher_->open_block()) << "the monitoring goes on either way";
    EXPECT_EQ(publisher_->block_adoption(), c.expected);
    EXPECT_EQ(c.trace[0] == '\0', trace.joined().empty()) << trace.joined();
    EXPECT_TRUE(trace.contains(c.trace)) << trace.joined();

    publisher_->block()->time_in_state = 4242;
    auto* seen = static_cast<UpsSharedBlock*>(view.get());
    seen->action_request = 5;
    EXPECT_EQ(seen->time_in_state == 4242, c.expected != Adoption::refused) << "what readers see";
    EXPECT_EQ(publisher_->block()->action_request == 5, c.expected != Adoption::refused) << "requests taken";
    if (c.expected == Adoption::refused) EXPECT_EQ(owner_sid(planted.get()), kStrangerSid) << "left as it is";
    else EXPECT_EQ(dacl_entries(planted.get()), service_object_dacl(SECTION_ALL_ACCESS, FILE_MAP_READ));
    publisher_->close();
  }
  ASSERT_TRUE(publisher_->open_block());
  EXPECT_EQ(publisher_->block_adoption(), Adoption::created) << "once the other account has let go";
}

}  // namespace
}  // namespace ipc
