// Edits of the performance library's text bases, the choice of their languages and the texts
// that go into them, as the registration applies them to the registry.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "perf/counter_texts.h"
#include "perf/perflib_languages.h"
#include "perf/title_base.h"
#include "perf/utf16.h"

namespace perf {
namespace {

using namespace std::string_literals;

TEST(TitleBase, RemovingAnIndexLeavesTheOthersAndReportsTheHighest) {
  TextBase base =
      u"1848\0UPS\0"
      u"1850\0Uin\0"
      u"1852\0Uout\0\0"s;
  EXPECT_TRUE(remove_title(base, 1850));
  EXPECT_EQ(base,
            u"1848\0UPS\0"
            u"1852\0Uout\0\0"s);
  EXPECT_EQ(highest_title_index(base), 1852u);

  EXPECT_TRUE(remove_title(base, 1852));
  EXPECT_EQ(highest_title_index(base), 1848u);
  EXPECT_TRUE(remove_title(base, 1848));
  EXPECT_EQ(base, u"\0"s);
  EXPECT_EQ(highest_title_index(base), 0u) << "nothing left";
}

TEST(TitleBase, RemovalMatchesIndexesNotTexts) {
  // The system's base begins with the pair (1, "1847"): a text that looks like an index.
  TextBase base =
      u"1\0"
      u"1850\0"
      u"1850\0Uin\0"
      u"1850\0Again\0\0"s;
  EXPECT_TRUE(remove_title(base, 1850));
  EXPECT_EQ(base,
            u"1\0"
            u"1850\0"
            u"1850\0Again\0\0"s)
      << "only the first pair of that index";
  EXPECT_EQ(highest_title_index(u"1\0"
                                u"1850\0\0"s),
            1u)
      << "a text is no index";

  TextBase unknown = u"2\0System\0\0"s;
  EXPECT_FALSE(remove_title(unknown, 1850));
  EXPECT_EQ(unknown, u"2\0System\0\0"s);
}

TEST(TitleBase, IndexStringsReadAsDecimalNumbersOnly) {
  TextBase base =
      u"01850\0A\0"
      u"1852x\0B\0"
      u"99999999999\0C\0"
      u"7\0D\0\0"s;
  EXPECT_TRUE(remove_title(base, 1850)) << "leading zeros read as the number";
  EXPECT_EQ(highest_title_index(base), 7u) << "neither a string with letters nor one beyond 32 bits is an index";
  EXPECT_FALSE(remove_title(base, 1852));
}

TEST(TitleBase, AddedPairsGoAfterTheLastPair) {
  TextBase base =
      u"1\0"
      u"1847\0"
      u"2\0System\0\0"s;
  ASSERT_TRUE(add_title(base, 1848, u"UPS"));
  ASSERT_TRUE(add_title(base, 4294967295u, u"Uin"));
  EXPECT_EQ(base,
            u"1\0"
            u"1847\0"
            u"2\0System\0"
            u"1848\0UPS\0"
            u"4294967295\0Uin\0\0"s);

  EXPECT_EQ(highest_title_index(base), 4294967295u);
  ASSERT_TRUE(remove_title(base, 4294967295u));
  ASSERT_TRUE(remove_title(base, 1848));
  EXPECT_EQ(base,
            u"1\0"
            u"1847\0"
            u"2\0System\0\0"s)
      << "adding and removing give the base back";
}

TEST(TitleBase, IrregularValuesAreReadAsTheirStrings) {
  const std::map<TextBase, const char*> irregular = {
      {u""s, "no data at all"},
      {u"\0"s, "only the closing empty string"},
      {u"\0\0\0"s, "several"},
  };
  for (const auto& [value, why] : irregular) {
    TextBase base = value;
    ASSERT_TRUE(add_title(base, 1848, u"UPS")) << why;
    EXPECT_EQ(base, u"1848\0UPS\0\0"s) << why;
  }
  TextBase unterminated = u"2\0System"s;
  ASSERT_TRUE(add_title(unterminated, 1848, u"UPS"));
  EXPECT_EQ(unterminated,
            u"2\0System\0"
            u"1848\0UPS\0\0"s);

  TextBase after_the_end =
      u"2\0System\0\0"
      u"9\0Stale\0\0"s;
  ASSERT_TRUE(add_title(after_the_end, 1848, u"UPS"));
  EXPECT_EQ(after_the_end,
            u"2\0System\0"
            u"1848\0UPS\0\0"s)
      << "the base ends at its first empty string";

  TextBase dangling =
      u"2\0System\0"
      u"4\0\0"s;
  ASSERT_TRUE(add_title(dangling, 1848, u"UPS"));
  EXPECT_EQ(dangling,
            u"2\0System\0"
            u"1848\0UPS\0\0"s)
      << "an index without text would shift the pairs";
}

TEST(TitleBase, TextsThatWouldBreakTheBaseAreRefused) {
  TextBase base = u"2\0System\0\0"s;
  EXPECT_FALSE(add_title(base, 1848, u""));
  EXPECT_FALSE(add_title(base, 1848, u"U\0S"s));
  EXPECT_EQ(base, u"2\0System\0\0"s);
}

TEST(Utf16, ConvertsOurTextsAndReplacesMalformedSequences) {
  EXPECT_EQ(utf8_to_utf16("Мониторинг ИБП"), u"Мониторинг ИБП");
  EXPECT_EQ(utf8_to_utf16("Temperature (°C)"), u"Temperature (°C)");
  EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x94\x8B"), u"\U0001F50B") << "beyond the basic plane: a surrogate pair";
  EXPECT_EQ(utf8_to_utf16(std::string("a\0b", 3)), u"a\0b"s);
  EXPECT_EQ(utf8_to_utf16("\x80x"), u"\uFFFDx") << "a lone continuation byte";
  EXPECT_EQ(utf8_to_utf16("\xD0"), u"\uFFFD") << "a sequence cut short";
  EXPECT_EQ(utf8_to_utf16("\xD0x"), u"\uFFFDx");
  EXPECT_EQ(utf8_to_utf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "an overlong form";
  EXPECT_EQ(utf8_to_utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "an encoded surrogate";
  EXPECT_EQ(utf8_to_utf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "beyond U+10FFFF";
}

TEST(PerflibLanguages, EnumerationEndsAtALongNameOrAMissingIndex) {
  const auto languages_of = [](std::vector<std::string> subkeys) {
    return language_subkeys([&subkeys](std::uint32_t index, std::string& name) {
      if (index >= subkeys.size()) return false;
      name = subkeys[index];
      return true;
    });
  };
  EXPECT_EQ(languages_of({"009", "019", "CurrentLanguage", "07"}), (std::vector<std::string>{"009", "019"}));
  EXPECT_EQ(languages_of({"009", "7", "019"}), (std::vector<std::string>{"009", "7", "019"}));
  EXPECT_EQ(languages_of({"0009", "019"}), std::vector<std::string>{});
  EXPECT_EQ(languages_of({}), std::vector<std::string>{});
}

TEST(CounterTexts, RussianForRussianOnlyAndOffsetsTwoApart) {
  EXPECT_STREQ(texts_for_language(kCounterTexts[0], "019").name, "ИБП");
  EXPECT_STREQ(texts_for_language(kCounterTexts[0], "019").help, "Мониторинг ИБП");
  for (const char* language : {"009", "007", "01", "0019"})
    EXPECT_STREQ(texts_for_language(kCounterTexts[0], language).name, "UPS") << language;
  // Counter k's definition names the indexes 2k above the object's: the texts must lie there.
  for (std::size_t k = 0; k < kTextEntryCount; ++k) EXPECT_EQ(kCounterTexts[k].offset, 2 * k);
  EXPECT_STREQ(kCounterTexts[7].english.name, "Plug") << "counter 7 is the connection";
}

}  // namespace
}  // namespace perf
