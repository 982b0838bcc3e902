// Event texts: the Windows-1251 bytes of our UTF-8 messages, the event line, the cut of long ones.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "stats/event_line.h"
#include "stats/log_event.h"
#include "stats/windows1251.h"

namespace stats {
namespace {

TEST(Windows1251, CyrillicAndAsciiBecomeTheirCodePageBytes) {
  EXPECT_EQ(utf8_to_windows1251("Сбой в питании, переход на батарею\n"),
            "\xD1\xE1\xEE\xE9 \xE2 \xEF\xE8\xF2\xE0\xED\xE8\xE8, \xEF\xE5\xF0\xE5\xF5\xEE\xE4 \xED\xE0 "
            "\xE1\xE0\xF2\xE0\xF0\xE5\xFE\n");
  EXPECT_EQ(utf8_to_windows1251("АЯаяЁё"), "\xC0\xDF\xE0\xFF\xA8\xB8");
  EXPECT_EQ(utf8_to_windows1251("AVR вкл (%d)"), "AVR \xE2\xEA\xEB (%d)");
}

TEST(Windows1251, PunctuationOfTheUpperHalfIsMapped) {
  EXPECT_EQ(utf8_to_windows1251("№ «» — … € ™ ЂџЎ"), "\xB9 \xAB\xBB \x97 \x85 \x88 \x99 \x80\x9F\xA1");
}

TEST(Windows1251, WhatTheCodePageLacksBecomesAQuestionMark) {
  EXPECT_EQ(utf8_to_windows1251("ü漢😀"), "???");
  EXPECT_EQ(utf8_to_windows1251("a\x80z"), "a?z") << "a stray continuation byte";
  EXPECT_EQ(utf8_to_windows1251("a\xC3"), "a?") << "a sequence cut at the end";
  EXPECT_EQ(utf8_to_windows1251("\xC0\xAF"), "??") << "an overlong '/'";
  EXPECT_EQ(utf8_to_windows1251("\xED\xA0\x80"), "???") << "a surrogate";
  EXPECT_EQ(utf8_to_windows1251(std::string("a\0b", 3)), std::string("a\0b", 3));
}

platform::LocalTime at(int hour, int minute, int second) { return {2008, 3, 7, 5, hour, minute, second, 0}; }

TEST(EventLine, PrefixesTimeAndCodeToTheMessageAsGiven) {
  const EventLine line = build_event_line(at(9, 3, 7), 5, "msg\n");
  EXPECT_EQ(line.bytes, "09:03:07|05|msg\n");
  EXPECT_EQ(line.message_length, 4u);
  EXPECT_EQ(build_event_line(at(23, 59, 59), 52, "").bytes, "23:59:59|52|");
}

TEST(EventLine, ALongMessageIsCutToTheBufferAndStillEndsItsLine) {
  const std::string fits(kEventBufferSize - 1 - 12, 'x');
  EXPECT_EQ(build_event_line(at(1, 2, 3), 7, fits).bytes.size(), kEventBufferSize - 1);
  EXPECT_EQ(build_event_line(at(1, 2, 3), 7, fits).bytes.back(), 'x');

  const EventLine cut = build_event_line(at(1, 2, 3), 7, std::string(20000, 'y') + "\n");
  EXPECT_EQ(cut.bytes.size(), kEventBufferSize - 1);
  EXPECT_EQ(cut.message_length, kEventBufferSize - 1 - 12);
  EXPECT_EQ(cut.bytes.back(), '\n');
  EXPECT_EQ(cut.bytes[cut.bytes.size() - 2], 'y');
}

// Natively no configuration loads, so these only format; the Windows test sees the lines on disk.
TEST(LogEvent, ReturnsTheFormattedLength) {
  EXPECT_EQ(log_event(7, "Активирую выключение ИБП через %d сек\n", 60), 68);
  EXPECT_EQ(log_event(4, "%s", ""), 0);
}

TEST(LogEvent, AMessageTooLongIsCutAtAWholeCharacter) {
  const std::string ascii(9000, 'a');
  EXPECT_EQ(log_event(1, "%s\n", ascii.c_str()), 8191);
  // 'я' takes two bytes: 8190 bytes of them fill the room before the line feed exactly.
  std::string cyrillic;
  for (int i = 0; i < 5000; ++i) cyrillic += "я";
  EXPECT_EQ(log_event(1, "%s\n", cyrillic.c_str()), 8191);
  EXPECT_EQ(log_event(1, "x%s\n", cyrillic.c_str()), 8190) << "the half character at the cut is dropped";
}

struct HeardLines {
  static inline std::vector<std::pair<int, std::string>> lines;
  static void hear(int code, std::string_view message) { lines.emplace_back(code, message); }
};

// Whatever the recorder does with it, the listener hears each line as formatted.
TEST(LogEvent, TheListenerHearsEveryLineAsFormattedAndCut) {
  HeardLines::lines.clear();
  set_event_listener(HeardLines::hear);
  log_event(7, "Активирую выключение ИБП через %d сек\n", 60);
  log_event(1, "%s\n", std::string(9000, 'a').c_str());
  set_event_listener(nullptr);
  log_event(2, "not heard\n");
  ASSERT_EQ(HeardLines::lines.size(), 2u);
  EXPECT_EQ(HeardLines::lines[0], std::make_pair(7, std::string("Активирую выключение ИБП через 60 сек\n")));
  EXPECT_EQ(HeardLines::lines[1].first, 1);
  EXPECT_EQ(HeardLines::lines[1].second, std::string(8190, 'a') + "\n");
}

}  // namespace
}  // namespace stats
