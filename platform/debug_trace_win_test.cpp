#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/debug_trace.h"
#include "platform/privilege_win.h"
#include "platform/registry_win.h"
#include "platform/test_security_win.h"
#include "platform/test_trace_capture.h"
#include "platform/test_wine_env_win.h"
#include "platform/trace_file_win.h"

namespace platform {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

class TraceFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    path_ = std::string(dir) + "orvik_trace_" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(path_.c_str());
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kConfigKeyPath, 0, nullptr, 0, kKeyReadWrite, nullptr,
                              config_.receive(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegDeleteValueA(config_.get(), kTraceFileValue);
    reload_trace_file_setting();
    DeleteFileA(path_.c_str());
  }
  std::string path_;
  UniqueKey config_;
};

TEST_F(TraceFile, TextsAreAppendedToTheNamedFileAsTheyWereTraced) {
  ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, path_.c_str()));
  reload_trace_file_setting();
  debug_trace(" UPS::openSharedMemory - ");
  debug_trace("OK\n");
  debug_trace(" UPS::COM open %s port error\n", "COM9");
  EXPECT_EQ(read_file(path_), " UPS::openSharedMemory - OK\n UPS::COM open COM9 port error\n");
}

// trace_probe, tracing `lines` numbered lines as writer `writer`.
std::string trace_probe_line(int writer, int lines) {
  const std::string probe = testing::wine_path(testing::env("ORVIK_BIN_DIR")) + "\\trace_probe.exe";
  return "\"" + probe + "\" " + std::to_string(writer) + " " + std::to_string(lines);
}

// How many of the lines of `writers` trace_probes of `lines` lines each the file holds whole, and
// how many lines it holds in all.
std::pair<std::size_t, std::size_t> probe_lines_in(const std::string& file, int writers, int lines) {
  std::istringstream traced(read_file(file));
  std::set<std::string> found;
  std::size_t count = 0;
  for (std::string line; std::getline(traced, line); ++count) found.insert(line);
  std::size_t kept = 0;
  for (int writer = 0; writer < writers; ++writer)
    for (int line = 0; line < lines; ++line)
      kept += found.count("trace_probe " + std::to_string(writer) + " line " + std::to_string(line));
  return {kept, count};
}

// The service, the command line and an administrator's tray trace into the same file, often at
// the same moment: each process's lines are all kept, whole.
TEST_F(TraceFile, LinesOfProcessesTracingAtOnceAreAllKept) {
  constexpr int kWriters = 4;
  constexpr int kLines = 500;
  ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, path_.c_str()));
  std::vector<UniqueHandle> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    writers.push_back(testing::start_process(trace_probe_line(writer, kLines)));
    ASSERT_TRUE(writers.back());
  }
  for (const UniqueHandle& writer : writers) ASSERT_EQ(testing::wait_for_exit(writer.get(), 60000), 0);
  const auto [kept, count] = probe_lines_in(path_, kWriters, kLines);
  EXPECT_EQ(kept, static_cast<std::size_t>(kWriters * kLines)) << "lines lost or cut";
  EXPECT_EQ(count, static_cast<std::size_t>(kWriters * kLines)) << "lines mixed into others";
}

// A program that took the turn at the file and never gives it back (hung, or not ours) holds a
// tracing process up once, not at every line: 100 lines are traced well within the minute.
TEST_F(TraceFile, ATurnNeverGivenBackHoldsUpATracingProcessOnce) {
  constexpr int kLines = 100;
  ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, path_.c_str()));
  UniqueHandle turns(CreateMutexA(nullptr, FALSE, "Global\\UPS_traceFile"));
  ASSERT_TRUE(turns);
  ASSERT_EQ(WaitForSingleObject(turns.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(testing::run_process(trace_probe_line(0, kLines), 60000), 0);
  EXPECT_EQ(probe_lines_in(path_, 1, kLines).first, static_cast<std::size_t>(kLines));
  ReleaseMutex(turns.get());
}

// Run by tools/wine/planted_links.sh, which first plants trace.log as a link to another file: the
// trace goes nowhere rather than into that file.
TEST_F(TraceFile, ALinkPlantedAtTheTracePathIsNotFollowed) {
  const std::string planted = testing::env("ORVIK_PLANTED_LINK");
  if (planted.empty()) GTEST_SKIP() << "needs the link that planted_links_win_test plants";
  const std::string base = testing::wine_path(planted);
  ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, (base + "\\trace.log").c_str()));
  reload_trace_file_setting();
  debug_trace("through the link\n");
  EXPECT_EQ(read_file(base + "\\spoil\\trace.log"), "precious\n");
}

// The service and the administrators' programs write the configured file only in a folder that no
// one else may change (under Wine: whose Unix mode lets no one else write), and never through a
// second name another user gave a file there.
TEST_F(TraceFile, AnAdministratorWritesNothingWhereOthersCouldPlantALink) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string open_folder = std::string(temp) + "orvik_open_" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(open_folder.c_str(), nullptr));
  testing::PlantedSecurity everyone_may_change(nullptr, "(A;OICI;FA;;;WD)");
  ASSERT_TRUE(SetFileSecurityA(open_folder.c_str(), DACL_SECURITY_INFORMATION,
                               everyone_may_change.attributes()->lpSecurityDescriptor));
  const std::string precious = path_ + ".precious";
  std::ofstream(precious, std::ios::binary) << "precious\n";
  ASSERT_TRUE(CreateHardLinkA(path_.c_str(), precious.c_str(), nullptr));
  for (const std::string& trace_file : {open_folder + "\\trace.txt", path_}) {
    SCOPED_TRACE(trace_file);
    ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, trace_file.c_str()));
    reload_trace_file_setting();
    debug_trace("where others could plant a link\n");
  }
  EXPECT_EQ(GetFileAttributesA((open_folder + "\\trace.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(read_file(precious), "precious\n");
  DeleteFileA(precious.c_str());
  RemoveDirectoryA(open_folder.c_str());
}

// A tray runs with an ordinary user's token: it writes a file of the same name in a folder of its
// own user, never the one the service writes. Shown with this thread's token restricted so that
// the Administrators group only denies.
TEST_F(TraceFile, AnOrdinaryUsersProcessWritesAFileOfItsOwn) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string own_file = std::string(temp) + "orvik_trace_" + std::to_string(GetCurrentProcessId()) + ".txt";
  ASSERT_EQ(own_file, path_) << "the test's file lies in this user's temporary folder";
  const std::string configured = std::string(temp) + "orvik_configured\\orvik_trace_" +
                                 std::to_string(GetCurrentProcessId()) + ".txt";
  ASSERT_TRUE(write_string_value(config_.get(), kTraceFileValue, configured.c_str()));
  ASSERT_TRUE(testing::impersonate_without_administrators());
  reload_trace_file_setting();
  debug_trace("a tray's line\n");
  RevertToSelf();
  EXPECT_EQ(read_file(path_), "a tray's line\n");
}

TEST_F(TraceFile, NoValueNoFile) {
  RegDeleteValueA(config_.get(), kTraceFileValue);
  reload_trace_file_setting();
  debug_trace("nothing to see\n");
  EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Privilege, EnablesAKnownPrivilege) {
  EXPECT_TRUE(enable_privilege("SeCreateGlobalPrivilege"));
}

TEST(Privilege, UnknownPrivilegeFailsWithTheSystemErrorLogged) {
  TraceCapture capture;
  EXPECT_FALSE(enable_privilege("SeNoSuchPrivilege"));
  EXPECT_EQ(capture.joined(), "SetPrivilege::LookupPrivilegeValue error: 1313\n");
}

}  // namespace
}  // namespace platform
