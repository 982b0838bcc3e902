#include "core/event_report.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

using platform::EventLogKind;

TEST(EventReport, KindFollowsTheEventsMeaningAndUnknownCodesAreWarnings) {
  const struct {
    int code;
    EventLogKind kind;
  } cases[] = {
      {1, EventLogKind::information}, {2, EventLogKind::information},  {3, EventLogKind::information},
      {4, EventLogKind::information}, {18, EventLogKind::information}, {5, EventLogKind::warning},
      {17, EventLogKind::warning},    {21, EventLogKind::warning},     {22, EventLogKind::warning},
      {30, EventLogKind::warning},    {40, EventLogKind::warning},     {6, EventLogKind::error},
      {7, EventLogKind::error},       {14, EventLogKind::error},       {15, EventLogKind::error},
      {39, EventLogKind::error},      {41, EventLogKind::error},       {52, EventLogKind::error},
      {45, EventLogKind::error},      {46, EventLogKind::warning},     {47, EventLogKind::information},
      // Codes the table does not know, whoever adds them.
      {16, EventLogKind::warning},    {31, EventLogKind::warning},     {48, EventLogKind::warning},
      {99, EventLogKind::warning},    {0, EventLogKind::warning},      {-3, EventLogKind::warning},
  };
  for (const auto& c : cases) EXPECT_EQ(event_log_kind(c.code), c.kind) << "code " << c.code;
}

TEST(EventReport, TheTextIsTheMessageWithoutItsLineEnds) {
  const std::pair<std::string, std::string> cases[] = {
      {"Служба ИБП запущена\n", "Служба ИБП запущена"},
      {"Сбой питания. Действие выключение\n\n", "Сбой питания. Действие выключение"},
      {"windows line\r\n", "windows line"},
      {"first\nsecond\n", "first\nsecond"},
      {"no end", "no end"},
      {"\n", ""},
      {"", ""},
  };
  for (const auto& [message, text] : cases) EXPECT_EQ(event_report_text(message), text) << message;
}

}  // namespace
}  // namespace core
