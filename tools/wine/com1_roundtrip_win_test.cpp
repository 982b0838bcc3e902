// A Windows program under Wine talks to the UPS simulator through COM1: the proof that the harness
// maps the port and that a status query and its answer cross the line unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/handles_win.h"
#include "platform/test_wine_env_win.h"

namespace {

using platform::UniqueHandle;
using platform::testing::env;

std::string read_unix_file(const std::string& path) {
  std::ifstream in(platform::testing::wine_path(path), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

UniqueHandle open_com1_at_2400() {
  UniqueHandle port(CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!port) return port;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port.get(), &dcb)) return UniqueHandle();
  dcb.BaudRate = CBR_2400;
  dcb.ByteSize = 8;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = FALSE;
  dcb.fParity = FALSE;
  if (!SetCommState(port.get(), &dcb)) return UniqueHandle();
  return port;
}

DWORD bytes_waiting(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

TEST(Com1, StatusQueryAndItsAnswerRoundTrip) {
  UniqueHandle port = open_com1_at_2400();
  ASSERT_TRUE(port) << "COM1 did not open: error " << GetLastError();
  std::size_t recorded_before = read_unix_file(env("ORVIK_SIM_RECORD")).size();

  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port.get(), "Q1\r", 3, &written, nullptr));
  ASSERT_EQ(written, 3u);
  Sleep(1000);

  ASSERT_EQ(bytes_waiting(port.get()), 47u);
  char answer[47];
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(port.get(), answer, sizeof answer, &read, nullptr));
  ASSERT_EQ(read, 47u);
  std::string line(answer, 46);
  EXPECT_EQ(line[0], '(');
  EXPECT_EQ(answer[46], '\r');
  EXPECT_EQ(line.find('\r'), std::string::npos);
  EXPECT_EQ(bytes_waiting(port.get()), 0u);

  EXPECT_EQ(read_unix_file(env("ORVIK_SIM_RECORD")).substr(recorded_before), "Q1\r")
      << "the simulator received exactly the query";
}

TEST(Com1, CommandThatTheUpsDoesNotAnswerLeavesTheQueueEmpty) {
  UniqueHandle port = open_com1_at_2400();
  ASSERT_TRUE(port);
  std::size_t recorded_before = read_unix_file(env("ORVIK_SIM_RECORD")).size();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port.get(), "Q\r", 2, &written, nullptr));
  Sleep(1000);
  EXPECT_EQ(bytes_waiting(port.get()), 0u);
  EXPECT_EQ(read_unix_file(env("ORVIK_SIM_RECORD")).substr(recorded_before), "Q\r");
}

}  // namespace
