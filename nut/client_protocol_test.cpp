#include "nut/client_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nut {
namespace {

TEST(ClientProtocolTest, RequestsQuoteOnlyWordsThatNeedIt) {
  EXPECT_EQ(request_line({"LIST", "VAR", "ups"}), "LIST VAR ups\n");
  EXPECT_EQ(request_line({"GET", "VAR", "ups", "ups.status"}), "GET VAR ups ups.status\n");
  EXPECT_EQ(request_line({"PASSWORD", "a b\"c"}), "PASSWORD \"a b\\\"c\"\n");
  EXPECT_EQ(request_line({"INSTCMD", "ups", "test.battery.start", "600"}), "INSTCMD ups test.battery.start 600\n");
  EXPECT_EQ(request_line({"USERNAME", ""}), "USERNAME \"\"\n");
}

TEST(ClientProtocolTest, ReplyLinesAreSortedByWhatTheySay) {
  struct Case {
    const char* line;
    Reply::Kind kind;
    const char* error;
  };
  const Case cases[] = {
      {"OK", Reply::Kind::ok, ""},
      {"OK Goodbye", Reply::Kind::ok, ""},
      {"OK PRIMARY-GRANTED", Reply::Kind::ok, ""},
      {"ERR DATA-STALE", Reply::Kind::error, "DATA-STALE"},
      {"ERR ACCESS-DENIED extra words", Reply::Kind::error, "ACCESS-DENIED"},
      {"ERR", Reply::Kind::error, "PROTOCOL-ERROR"},
      {"ERR \xB5\xB5 DATA-STALE", Reply::Kind::error, "PROTOCOL-ERROR"},
      {"VAR ups ups.status \"OB LB\"", Reply::Kind::variable, ""},
      {"VAR ups ups.status", Reply::Kind::other, ""},  // no value
      {"BEGIN LIST VAR ups", Reply::Kind::list_begin, ""},
      {"END LIST VAR ups", Reply::Kind::list_end, ""},
      {"BEGIN", Reply::Kind::other, ""},
      {"ok", Reply::Kind::other, ""},
      {"NUMLOGINS ups 2", Reply::Kind::other, ""},
      {"", Reply::Kind::other, ""},
      {"\x01\xFF\xFE", Reply::Kind::other, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Reply reply = parse_reply(c.line);
    EXPECT_EQ(reply.kind, c.kind);
    EXPECT_EQ(reply.error, c.error);
  }
}

TEST(ClientProtocolTest, AVariableIsReadOnlyFromTheReplyThatNamesIt) {
  std::string value = "untouched";
  EXPECT_TRUE(read_variable(parse_reply("VAR UPS UPS.STATUS \"OL \\\"x\\\"\""), "ups", "ups.status", value));
  EXPECT_EQ(value, "OL \"x\"");
  value = "untouched";
  EXPECT_FALSE(read_variable(parse_reply("VAR other ups.status \"OB\""), "ups", "ups.status", value));
  EXPECT_FALSE(read_variable(parse_reply("VAR ups ups.load \"OB\""), "ups", "ups.status", value));
  EXPECT_FALSE(read_variable(parse_reply("ERR DATA-STALE"), "ups", "ups.status", value));
  EXPECT_EQ(value, "untouched");
}

TEST(ClientProtocolTest, LoginFlowSendsUsernamePasswordAndLogin) {
  LoginFlow flow("mon", "p w", "ups");
  std::vector<std::string> sent;
  while (flow.state() == LoginFlow::State::sending) {
    sent.push_back(flow.request());
    flow.take(parse_reply("OK"));
  }
  EXPECT_EQ(sent, (std::vector<std::string>{"USERNAME mon\n", "PASSWORD \"p w\"\n", "LOGIN ups\n"}));
  EXPECT_EQ(flow.state(), LoginFlow::State::logged_in);
  EXPECT_TRUE(flow.request().empty());
}

TEST(ClientProtocolTest, LoginFlowStopsAtTheFirstRefusal) {
  struct Case {
    int oks_before;
    const char* reply;
    const char* refusal;
  };
  const Case cases[] = {
      {0, "ERR ALREADY-SET-USERNAME", "ALREADY-SET-USERNAME"},
      {1, "ERR INVALID-ARGUMENT", "INVALID-ARGUMENT"},
      {2, "ERR ACCESS-DENIED", "ACCESS-DENIED"},
      {2, "ERR UNKNOWN-UPS", "UNKNOWN-UPS"},
      {2, "VAR ups ups.status \"OL\"", "PROTOCOL-ERROR"},
      {0, "", "PROTOCOL-ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    LoginFlow flow("mon", "pw", "ups");
    for (int i = 0; i < c.oks_before; ++i) flow.take(parse_reply("OK"));
    EXPECT_EQ(flow.take(parse_reply(c.reply)), LoginFlow::State::refused);
    EXPECT_EQ(flow.refusal(), c.refusal);
    EXPECT_TRUE(flow.request().empty());
    EXPECT_EQ(flow.take(parse_reply("OK")), LoginFlow::State::refused);
  }
}

VariableListReader::State read_list(VariableListReader& reader, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) reader.take(parse_reply(line));
  return reader.state();
}

TEST(ClientProtocolTest, VariableListAsNutsServerSendsIt) {
  VariableListReader reader("ups");
  const std::vector<std::string> reply = {
      // Recorded from NUT 2.8.0's upsd serving nutdrv_qx (abridged).
      "BEGIN LIST VAR ups",
      "VAR ups battery.charge \"100\"",
      "VAR ups battery.voltage \"13.60\"",
      "VAR ups driver.version.usb \"libusb-1.0.26 (API: 0x1000109)\"",
      "VAR ups Ups.Status \"OL\"",
      "VAR UPS ups.type \"offline / line interactive\"",
      "END LIST VAR ups",
  };
  EXPECT_EQ(read_list(reader, reply), VariableListReader::State::complete);
  const ServerVariables expected = {{"battery.charge", "100"},
                                    {"battery.voltage", "13.60"},
                                    {"driver.version.usb", "libusb-1.0.26 (API: 0x1000109)"},
                                    {"ups.status", "OL"},
                                    {"ups.type", "offline / line interactive"}};
  EXPECT_EQ(reader.variables(), expected);
  reader.take(parse_reply("VAR ups ups.status \"OB\""));  // nothing is taken after the end
  EXPECT_EQ(reader.variables().at("ups.status"), "OL");
}

TEST(ClientProtocolTest, BrokenOrRefusedListsFailAndKeepNothing) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    const char* failure;
  };
  const Case cases[] = {
      {"stale", {"ERR DATA-STALE"}, "DATA-STALE"},
      {"unknown ups", {"ERR UNKNOWN-UPS"}, "UNKNOWN-UPS"},
      {"error inside the list", {"BEGIN LIST VAR ups", "VAR ups a \"1\"", "ERR DRIVER-NOT-CONNECTED"},
       "DRIVER-NOT-CONNECTED"},
      {"variable before the list", {"VAR ups a \"1\""}, "PROTOCOL-ERROR"},
      {"another list", {"BEGIN LIST RW ups"}, "PROTOCOL-ERROR"},
      {"another ups", {"BEGIN LIST VAR other"}, "PROTOCOL-ERROR"},
      {"another ups's variable", {"BEGIN LIST VAR ups", "VAR other a \"1\""}, "PROTOCOL-ERROR"},
      {"stray line", {"BEGIN LIST VAR ups", "OK"}, "PROTOCOL-ERROR"},
      {"wrong end", {"BEGIN LIST VAR ups", "END LIST VAR other"}, "PROTOCOL-ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VariableListReader reader("ups");
    EXPECT_EQ(read_list(reader, c.lines), VariableListReader::State::failed);
    EXPECT_EQ(reader.failure(), c.failure);
    EXPECT_TRUE(reader.variables().empty());
  }
}

TEST(ClientProtocolTest, EndlessListIsCutAtItsLimitEvenWhenItRepeatsOneName) {
  for (const char* name : {static_cast<const char*>("a"), static_cast<const char*>(nullptr)}) {
    VariableListReader reader("ups", 3);
    reader.take(parse_reply("BEGIN LIST VAR ups"));
    for (int i = 0; i < 3; ++i) {
      const std::string variable = name != nullptr ? name : "v" + std::to_string(i);
      EXPECT_EQ(reader.take(parse_reply("VAR ups " + variable + " \"1\"")), VariableListReader::State::reading);
    }
    EXPECT_EQ(reader.take(parse_reply("VAR ups more \"1\"")), VariableListReader::State::failed);
    EXPECT_EQ(reader.failure(), "PROTOCOL-ERROR");
  }
}

}  // namespace
}  // namespace nut
