#include "nut/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nut {
namespace {

std::vector<std::string> take_all(LineReader& reader) {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = reader.next_line()) lines.push_back(*line);
  return lines;
}

TEST(LineReaderTest, LinesArePiecedTogetherWhateverTheReadsCutThem) {
  const std::string stream = "VER\r\nGET VAR ups ups.status\nLIST UPS\r\n\nLOGOUT";
  const std::vector<std::string> expected = {"VER", "GET VAR ups ups.status", "LIST UPS", ""};
  for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
    SCOPED_TRACE(piece);
    LineReader reader(64);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      reader.feed(std::string_view(stream).substr(at, piece));
      for (std::string& line : take_all(reader)) lines.push_back(std::move(line));
    }
    EXPECT_EQ(lines, expected);  // "LOGOUT" has no LF yet
    EXPECT_FALSE(reader.overlong());
  }
}

TEST(LineReaderTest, OnlyTheCrRightBeforeTheLfIsDropped) {
  LineReader reader(64);
  reader.feed(std::string("a\rb\r\r\n\r\n\0x\n", 11));
  EXPECT_EQ(take_all(reader), (std::vector<std::string>{"a\rb\r", "", std::string("\0x", 2)}));
}

TEST(LineReaderTest, LineAtTheLimitPassesAndOneByteMoreIsOverlong) {
  LineReader exact(8);
  exact.feed("12345678\n");
  EXPECT_EQ(take_all(exact), std::vector<std::string>{"12345678"});
  EXPECT_FALSE(exact.overlong());

  LineReader longer(8);
  longer.feed("1234");
  longer.feed("56789");
  EXPECT_TRUE(longer.overlong());
  EXPECT_FALSE(longer.next_line());
}

TEST(LineReaderTest, OverlongComesAfterTheLinesBeforeItAndEndsTheStream) {
  LineReader reader(8);
  reader.feed("VER\nNETVER\n" + std::string(100, 'x') + "\nHELP\n");
  EXPECT_FALSE(reader.overlong());  // two complete lines still wait
  EXPECT_EQ(take_all(reader), (std::vector<std::string>{"VER", "NETVER"}));
  EXPECT_TRUE(reader.overlong());
  reader.feed("LIST UPS\n");
  EXPECT_FALSE(reader.next_line());
}

}  // namespace
}  // namespace nut
