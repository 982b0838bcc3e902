#include "nut/quoted_words.h"

#include <gtest/gtest.h>

#include <string>

namespace nut {
namespace {

TEST(QuotedWordsTest, LinesSplitAsNutReadsThem) {
  struct Case {
    std::string line;
    Words words;
  };
  const Case cases[] = {
      {"GET VAR ups ups.status", {"GET", "VAR", "ups", "ups.status"}},
      {"  GET\tVAR  ups \r", {"GET", "VAR", "ups"}},
      {R"(SET VAR ups ups.id "My UPS")", {"SET", "VAR", "ups", "ups.id", "My UPS"}},
      {R"(PASSWORD "t\"q\\x")", {"PASSWORD", R"(t"q\x)"}},
      {R"(GET VAR u\ps ups\ status)", {"GET", "VAR", "ups", "ups status"}},
      {R"(USERNAME "")", {"USERNAME", ""}},
      {R"(a"b c")", {R"(a"b)", R"(c")"}},          // a quote inside a plain word is a character
      {R"("ab"cd)", {"ab", "cd"}},                  // a closing quote ends the word
      {R"(PASSWORD a#b=c)", {"PASSWORD", "a#b=c"}},  // no comments, no "=" words
      {R"(USERNAME "open ended)", {"USERNAME", "open ended"}},
      {R"(LOGIN ups\)", {"LOGIN", "ups"}},
      {"ups\xC3\xA9.st\x01" "atus\x7F", {"ups.status\x7F"}},  // non-ASCII and control bytes dropped
      {std::string("GET\0VAR", 7), {"GETVAR"}},
      {"\x01\x02 x", {"", "x"}},  // a word of dropped bytes stays an (empty) word, as in NUT
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(split_words(c.line), c.words);
  }
}

TEST(QuotedWordsTest, WordsBeyondTheLimitAreDropped) {
  std::string line;
  for (int i = 0; i < 40; ++i) line += "w" + std::to_string(i) + " ";
  const Words words = split_words(line);
  ASSERT_EQ(words.size(), kMaxWords);
  EXPECT_EQ(words.back(), "w31");
}

TEST(QuotedWordsTest, QuotedValuesReadBackAsTheyWereAndNeverEndTheLine) {
  struct Case {
    std::string value;
    std::string wire;
    std::string read_back;
  };
  const Case cases[] = {
      {"OL", R"("OL")", "OL"},
      {"", R"("")", ""},
      {R"(say "hi" \o/)", R"("say \"hi\" \\o/")", R"(say "hi" \o/)"},
      {"two\nlines\r\x01", R"("twolines")", "twolines"},
      {"a#b", R"("a#b")", "a#b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(quote_value(c.value), c.wire);
    EXPECT_EQ(split_words("VAR ups x " + quote_value(c.value)), (Words{"VAR", "ups", "x", c.read_back}));
  }
}

TEST(QuotedWordsTest, RequestWordsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(request_word("ups.status"), "ups.status");
  EXPECT_EQ(request_word("p#ss=w"), "p#ss=w");
  EXPECT_EQ(request_word("two words"), R"("two words")");
  EXPECT_EQ(request_word(R"(q"uote)"), R"("q\"uote")");
  EXPECT_EQ(request_word(R"(back\slash)"), R"("back\\slash")");
  EXPECT_EQ(request_word(""), R"("")");
  EXPECT_EQ(split_words(request_word("p\xC3\xA4ss")), Words{"pss"});
}

}  // namespace
}  // namespace nut
