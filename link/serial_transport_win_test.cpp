// The serial transport on a real COM port under Wine, with the UPS simulator on COM1.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "link/command_sender.h"
#include "link/serial_port_win.h"
#include "link/serial_transport.h"
#include "link/status_reading.h"
#include "platform/test_trace_capture.h"
#include "platform/test_wine_env_win.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using platform::testing::env;
using platform::testing::wine_path;

std::string read_unix_file(const std::string& unix_path) {
  std::ifstream in(wine_path(unix_path), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Hands `command` to the simulator and returns once its log shows the command was run.
bool simulator_runs(const std::string& command) {
  const std::string log = env("ORVIK_SIM_LOG");
  const std::size_t seen = read_unix_file(log).size();
  std::ofstream(wine_path(env("ORVIK_SIM_CONTROL")), std::ios::app) << command << "\n";
  for (int i = 0; i < 100; ++i, Sleep(50)) {
    if (read_unix_file(log).find("cmd " + command + " (control)\n", seen) != std::string::npos) return true;
  }
  return false;
}

TEST(SerialLineSettings, OnlyTheUpsLineFieldsChange) {
  DCB before;
  std::memset(&before, 0xA5, sizeof before);
  DCB after = before;
  set_ups_line_settings(after);
  EXPECT_EQ(after.BaudRate, 2400u);
  EXPECT_EQ(after.ByteSize, 8);
  EXPECT_EQ(after.StopBits, ONESTOPBIT);
  EXPECT_EQ(after.fBinary, 0u);
  EXPECT_EQ(after.fParity, 0u);

  // Everything else (parity scheme, flow control, special characters) is the port's own.
  after.BaudRate = before.BaudRate;
  after.ByteSize = before.ByteSize;
  after.StopBits = before.StopBits;
  after.fBinary = before.fBinary;
  after.fParity = before.fParity;
  EXPECT_EQ(std::memcmp(&after, &before, sizeof before), 0);
}

TEST(SerialOpen, Com1IsLeftAt2400Baud8DataBitsOneStopBit) {
  Win32SerialPort port;
  SerialTransport serial(port);
  platform::TraceCapture trace;
  ASSERT_EQ(serial.open("COM1"), kSerialOpened);
  serial.close();
  EXPECT_THAT(trace.texts(), IsEmpty());

  platform::UniqueHandle raw(CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(raw);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(raw.get(), &dcb));
  EXPECT_EQ(dcb.BaudRate, 2400u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fParity, 0u);
}

TEST(SerialOpen, MissingPortGives5) {
  Win32SerialPort port;
  SerialTransport serial(port);
  platform::TraceCapture trace;
  EXPECT_EQ(serial.open("COM42"), kSerialOpenError);
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::COM open COM42 port error\n"));
}

class SerialWithSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(serial.open("COM1"), kSerialOpened);
    drain();
    recorded_before_ = read_unix_file(env("ORVIK_SIM_RECORD")).size();
  }
  // Bytes an earlier test left in the queue would spoil this one's first reply.
  void drain() {
    Sleep(100);
    std::size_t waiting = 0;
    std::string junk(4096, '\0');
    while (port.queue_status(waiting) && waiting > 0) port.read(junk.data(), std::min(waiting, junk.size()));
  }
  std::string recorded_since_setup() const {
    return read_unix_file(env("ORVIK_SIM_RECORD")).substr(recorded_before_);
  }

  Win32SerialPort port;
  SerialTransport serial{port};

 private:
  std::size_t recorded_before_ = 0;
};

TEST_F(SerialWithSimulator, FirstContactOnTheThirdAttempt) {
  ASSERT_TRUE(simulator_runs("ignore 2"));
  platform::TraceCapture trace;
  const auto line = serial.initial_contact("Q1\r");
  ASSERT_TRUE(line);
  EXPECT_TRUE(read_status(*line).answered) << *line;
  const auto texts = trace.texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], " UPS::Serial: data length after init:0 ()\n");
  EXPECT_EQ(texts[1], " UPS::Attempt 1 establish connect for serial\n");
  EXPECT_EQ(texts[3], " UPS::Attempt 3 establish connect for serial\n");
  EXPECT_EQ(texts[4], " UPS::first raw data:" + *line + "\n");
  EXPECT_EQ(recorded_since_setup(), "Q1\rQ1\rQ1\r");
}

TEST_F(SerialWithSimulator, NoiseIsReadDiscardedAndCounted) {
  ASSERT_TRUE(simulator_runs("ignore 1"));
  ASSERT_TRUE(simulator_runs("noise 200"));
  platform::TraceCapture trace;
  EXPECT_EQ(serial.status_exchange("Q1\r"), std::nullopt);
  EXPECT_THAT(trace.texts(), ElementsAre("error in serial queue data length:200\n"));
  EXPECT_TRUE(read_status(serial.status_exchange("Q1\r").value_or("")).answered) << "the line is clean again";
}

TEST_F(SerialWithSimulator, NinetyByteReplyIsReadWholeNinetyOneIsDiscarded) {
  ASSERT_TRUE(simulator_runs("overlong 90"));
  const auto whole = serial.status_exchange("Q1\r");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->size(), 89u);
  EXPECT_EQ(whole->front(), '(');

  ASSERT_TRUE(simulator_runs("overlong 91"));
  platform::TraceCapture trace;
  EXPECT_EQ(serial.status_exchange("Q1\r"), std::nullopt);
  EXPECT_THAT(trace.texts(), ElementsAre("error in serial queue data length:91\n"));
}

TEST_F(SerialWithSimulator, CommandAnsweredWithALoneCarriageReturnIsSilent) {
  ASSERT_TRUE(simulator_runs("cr-reply on"));
  const std::size_t log_before = read_unix_file(env("ORVIK_SIM_LOG")).size();
  platform::TraceCapture trace;
  EXPECT_TRUE(send_command(serial, "CT\r"));
  EXPECT_THAT(trace.texts(), IsEmpty());
  EXPECT_NE(read_unix_file(env("ORVIK_SIM_LOG")).find("tx \\r\n", log_before), std::string::npos)
      << "the simulator did send its carriage return";
  ASSERT_TRUE(simulator_runs("cr-reply off"));
}

TEST_F(SerialWithSimulator, EveryCommandReachesTheUpsByteForByte) {
  // "Q\r" twice leaves the beeper as it was, "C\r" takes the turn-off back. The two queries draw
  // an answer: to the command sender they are commands the UPS did not take.
  const std::pair<const char*, bool> commands[] = {
      {"T\r", true}, {"T05\r", true},       {"TL\r", true}, {"CT\r", true},  {"Q\r", true},
      {"Q\r", true}, {"S02R0000\r", true}, {"C\r", true},  {"I\r", false}, {"Q1\r", false},
  };
  std::string sent;
  platform::TraceCapture trace;
  for (const auto& [command, silent] : commands) {
    EXPECT_EQ(send_command(serial, command), silent) << command;
    sent += command;
  }
  EXPECT_EQ(recorded_since_setup(), sent);
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::wrong cmd I\r\n", "UPS::wrong cmd Q1\r\n"));
}

TEST_F(SerialWithSimulator, StatusLinesOfSuccessiveCyclesParse) {
  for (int cycle = 0; cycle < 5; ++cycle) {
    const auto text = serial.status_exchange("Q1\r");
    ASSERT_TRUE(text) << "cycle " << cycle;
    const StatusReading reading = read_status(*text);
    ASSERT_TRUE(reading.answered) << *text;
    EXPECT_EQ(reading.raw_line, *text);
    EXPECT_NEAR(reading.status.input_voltage, 230.0f, 1.0f);
    EXPECT_EQ(reading.status.status_bits & STATUS_UTILITY_FAIL, 0u);
  }
}

}  // namespace
}  // namespace ups_link
