#include "tools/setup_answer/answer_options.h"

#include <gtest/gtest.h>

namespace setup_answer {
namespace {

TEST(AnswerOptions, FullAnswerIsParsed) {
  ParsedOptions parsed = parse_answer_options({L"--vendor", L"Orvik", L"--model", L"Varnelo 600", L"--port", L"COM1",
                                               L"--ui", L"on", L"--press", L"cancel", L"--timeout-s", L"5"});
  ASSERT_TRUE(parsed.options) << std::string(parsed.error.begin(), parsed.error.end());
  const AnswerOptions& options = *parsed.options;
  EXPECT_EQ(options.vendor, L"Orvik");
  EXPECT_EQ(options.model, L"Varnelo 600");
  EXPECT_EQ(options.port, L"COM1");
  EXPECT_EQ(options.tray_ui, true);
  EXPECT_EQ(options.press, Button::kCancel);
  EXPECT_EQ(options.timeout_s, 5);
}

TEST(AnswerOptions, TheServersFieldsChooseTheNetworkEntryUnlessAPortIsNamed) {
  ParsedOptions parsed = parse_answer_options(
      {L"--server", L"127.0.0.1:3493", L"--ups", L"ups", L"--user", L"orvik", L"--password", L"", L"--press", L"ok"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->port, L"Сеть (NUT)");
  EXPECT_EQ(parsed.options->server, L"127.0.0.1:3493");
  EXPECT_EQ(parsed.options->ups, L"ups");
  EXPECT_EQ(parsed.options->user, L"orvik");
  EXPECT_EQ(parsed.options->password, L"") << "an empty value clears the field";

  parsed = parse_answer_options({L"--port", L"COM2", L"--server", L"nas", L"--press", L"ok"});
  ASSERT_TRUE(parsed.options);
  EXPECT_EQ(parsed.options->port, L"COM2");
}

TEST(AnswerOptions, LeftOutChoicesStayUnset) {
  ParsedOptions parsed = parse_answer_options({L"--press", L"ok"});
  ASSERT_TRUE(parsed.options);
  EXPECT_FALSE(parsed.options->vendor);
  EXPECT_FALSE(parsed.options->port);
  EXPECT_FALSE(parsed.options->server);
  EXPECT_FALSE(parsed.options->tray_ui);
  EXPECT_EQ(parsed.options->press, Button::kOk);
  EXPECT_EQ(parsed.options->timeout_s, 30);
}

TEST(AnswerOptions, WrongCommandLinesAreRefusedWithTheReason) {
  const std::vector<std::pair<std::vector<std::wstring>, std::wstring>> cases = {
      {{L"--vendor", L"Orvik"}, L"--press is required"},
      {{L"--model", L"Other", L"--press", L"ok"}, L"--model needs --vendor"},
      {{L"--press", L"yes"}, L"--press takes ok, cancel or none"},
      {{L"--ui", L"1", L"--press", L"ok"}, L"--ui takes on or off"},
      {{L"--press", L"ok", L"--timeout-s", L"0"}, L"--timeout-s takes whole seconds from 1 to 3600"},
      {{L"--press", L"ok", L"--timeout-s", L"99999"}, L"--timeout-s takes whole seconds from 1 to 3600"},
      {{L"--press", L"ok", L"--timeout-s", L"-5"}, L"--timeout-s takes whole seconds from 1 to 3600"},
      {{L"--press", L"ok", L"--port"}, L"--port lacks its value"},
      {{L"--press", L"ok", L"--colour", L"red"}, L"unknown option --colour"},
  };
  for (const auto& [arguments, error] : cases) {
    ParsedOptions parsed = parse_answer_options(arguments);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.error, error);
  }
}

}  // namespace
}  // namespace setup_answer
