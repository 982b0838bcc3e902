#include "link/serial_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/test_scripted_serial_port.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ScriptedSerialPort;

const std::string kLine = "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001";

class SerialTransportTest : public ::testing::Test {
 protected:
  // A UPS that answers the status query, `delay` queries late.
  void answer_queries_after(int delay) {
    port.ups = [this, delay](const std::string& command) {
      return command == "Q1\r" && ++queries_ > delay ? kLine + "\r" : std::string();
    };
  }

  platform::TraceCapture trace;
  ScriptedSerialPort port;
  SerialTransport serial{port};

 private:
  int queries_ = 0;
};

TEST_F(SerialTransportTest, MissingPortGives5AtOnce) {
  port.open_fails = true;
  EXPECT_EQ(serial.open("COM7"), kSerialOpenError);
  EXPECT_THAT(port.calls, ElementsAre("open COM7"));
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::COM open COM7 port error\n"));
}

TEST_F(SerialTransportTest, UnreadableSettingsAreTriedTenTimesASecondApart) {
  port.settings_read_failures = 10;
  EXPECT_EQ(serial.open("COM1"), kSerialSetupError);
  EXPECT_EQ(port.calls_of("open").size(), 10u);
  EXPECT_EQ(port.calls_of("close").size(), 10u);
  EXPECT_EQ(port.calls_of("wait"), std::vector<std::string>(9, "wait 1000"));
  EXPECT_FALSE(port.is_open);
  const auto texts = trace.texts();
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts.front(), " UPS::COM GetCommState error try:1\n");
  EXPECT_EQ(texts.back(), " UPS::COM GetCommState error try:10\n");
}

TEST_F(SerialTransportTest, SettingsReadOnTheThirdOpenAreEnough) {
  port.settings_read_failures = 2;
  EXPECT_EQ(serial.open("COM1"), kSerialOpened);
  EXPECT_THAT(port.calls, ElementsAre("open COM1", "read settings", "close", "wait 1000",  //
                                      "open COM1", "read settings", "close", "wait 1000",  //
                                      "open COM1", "read settings", "apply settings"));
  EXPECT_THAT(trace.texts(),
              ElementsAre(" UPS::COM GetCommState error try:1\n", " UPS::COM GetCommState error try:2\n"));
}

TEST_F(SerialTransportTest, UnwritableSettingsGive6AtOnceAndClose) {
  port.settings_write_fails = true;
  EXPECT_EQ(serial.open("COM1"), kSerialSetupError);
  EXPECT_FALSE(port.is_open);
  EXPECT_THAT(port.calls_of("wait"), IsEmpty());
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::COM SetCommState error\n"));
}

TEST_F(SerialTransportTest, StatusQueryWaitsASecondThenReadsWhatArrived) {
  answer_queries_after(0);
  EXPECT_EQ(serial.status_exchange("Q1\r"), kLine);
  EXPECT_THAT(port.calls, ElementsAre("write Q1\r", "wait 1000", "status", "read 47"));
}

TEST(SerialStatusExchangeTest, NoAnswer) {
  using Fault = void (*)(ScriptedSerialPort&);
  const std::pair<const char*, Fault> cases[] = {
      {"silent UPS", [](ScriptedSerialPort& p) { p.ups = [](const std::string&) { return std::string(); }; }},
      {"nothing written", [](ScriptedSerialPort& p) { p.write_fails = true; }},
      {"queue status fails", [](ScriptedSerialPort& p) { p.status_fails = true; }},
      {"read fails", [](ScriptedSerialPort& p) { p.read_fails = true; }},
  };
  for (const auto& [what, fault] : cases) {
    SCOPED_TRACE(what);
    ScriptedSerialPort port;
    port.ups = [](const std::string&) { return kLine + "\r"; };
    fault(port);
    SerialTransport serial(port);
    EXPECT_EQ(serial.status_exchange("Q1\r"), std::nullopt);
    EXPECT_THAT(port.calls_of("wait"), ElementsAre("wait 1000"));  // whatever the write did
  }
}

TEST_F(SerialTransportTest, NinetyBytesAreReadWholeMoreAreDiscardedAndCounted) {
  port.ups = [](const std::string&) { return std::string(89, 'x') + "\r"; };
  EXPECT_EQ(serial.status_exchange("Q1\r"), std::string(89, 'x'));

  port.ups = [](const std::string&) { return std::string(90, 'x') + "\r"; };
  EXPECT_EQ(serial.status_exchange("Q1\r"), std::nullopt);
  EXPECT_EQ(port.calls.back(), "read 91");

  port.ups = [](const std::string&) { return std::string(); };
  port.queue = std::string(200, '\xA5');  // noise
  EXPECT_EQ(serial.status_exchange("Q1\r"), std::nullopt);
  EXPECT_THAT(port.queue, IsEmpty());
  EXPECT_THAT(trace.texts(),
              ElementsAre("error in serial queue data length:91\n", "error in serial queue data length:200\n"));
}

TEST_F(SerialTransportTest, FirstContactOnTheThirdAttempt) {
  port.queue = "junk\r";  // left by an earlier user of the port
  answer_queries_after(2);
  EXPECT_EQ(serial.initial_contact("Q1\r"), kLine);
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::Serial: data length after init:5 (junk)\n",
                                         " UPS::Attempt 1 establish connect for serial\n",
                                         " UPS::Attempt 2 establish connect for serial\n",
                                         " UPS::Attempt 3 establish connect for serial\n",
                                         " UPS::first raw data:" + kLine + "\n"));
  // Each attempt waits for its reply; the second and third are also paused a second before.
  EXPECT_THAT(port.calls, ElementsAre("status", "read 5",                                    //
                                      "write Q1\r", "wait 1000", "status",                   //
                                      "wait 1000", "write Q1\r", "wait 1000", "status",      //
                                      "wait 1000", "write Q1\r", "wait 1000", "status", "read 47"));
}

TEST_F(SerialTransportTest, FirstContactNeedsExactly47Bytes) {
  int replies = 0;
  port.ups = [&](const std::string&) { return ++replies % 2 ? kLine.substr(1) + "\r" : kLine + "0\r"; };
  EXPECT_EQ(serial.initial_contact("Q1\r"), std::nullopt);
  EXPECT_EQ(port.calls_of("write").size(), 5u);
  const auto texts = trace.texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), " UPS::first raw data:" + kLine.substr(1) + "\n"), 3);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), " UPS::first raw data:" + kLine + "0\n"), 2);
}

TEST_F(SerialTransportTest, OverlongLeftoversCountAsNone) {
  port.queue = std::string(100, 'n');
  answer_queries_after(0);
  EXPECT_EQ(serial.initial_contact("Q1\r"), kLine);
  EXPECT_EQ(trace.texts().at(1), " UPS::Serial: data length after init:0 ()\n");
}

}  // namespace
}  // namespace ups_link
