// Registering and unregistering the counters against the Perflib keys of the Wine prefix: the
// provider entries, the allocated indexes, the English and Russian texts in every language base,
// and everything put back by the removal.
#include "perf/counter_registration_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "perf/counter_texts.h"
#include "perf/test_perflib_win.h"
#include "perf/utf16.h"
#include "platform/test_trace_capture.h"

namespace perf {
namespace {

using namespace perf::testing;

struct Indexes {
  std::uint32_t counter;
  std::uint32_t help;
};

Indexes system_last_indexes() { return {perflib_value(kLastCounterValue), perflib_value(kLastHelpValue)}; }

bool key_exists(const char* path) { return static_cast<bool>(platform::open_key(path, KEY_READ)); }

// `before` with the pairs of every text entry appended, as the registration leaves a base.
TextBase with_our_titles(TextBase before, std::uint32_t first_index, const char* language, bool help) {
  for (const CounterTextEntry& entry : kCounterTexts) {
    const TitleTexts& texts = texts_for_language(entry, language);
    add_title(before, first_index + entry.offset, utf8_to_utf16(help ? texts.help : texts.name));
  }
  return before;
}

class CounterRegistration : public ::testing::Test {
 protected:
  void TearDown() override {
    unregister_counters();
    if (HasFailure()) std::printf("--- debug trace\n%s", trace_.joined().c_str());
  }
  platform::TraceCapture trace_;
  HMODULE module_ = GetModuleHandleW(nullptr);
};

// The four bases of one language as they read now.
struct LanguageBases {
  const char* language;
  TextBase counters;
  TextBase help;
  bool writable;
};

std::vector<LanguageBases> read_all_bases() {
  std::vector<LanguageBases> all;
  for (const char* language : kTestLanguages)
    all.push_back({language, read_base(language, kCounterBaseValue), read_base(language, kHelpBaseValue),
                   base_writable(language, kCounterBaseValue)});
  return all;
}

std::u16string pair_text(std::uint32_t index, const char16_t* text) {
  return u"\0"s + utf8_to_utf16(std::to_string(index)) + u"\0"s + text + u"\0"s;
}

TEST_F(CounterRegistration, RegistersAboveTheSystemsIndexesAndUnregistersWithoutTrace) {
  const Indexes before = system_last_indexes();
  ASSERT_NE(before.counter, 0u);
  const std::vector<LanguageBases> bases_before = read_all_bases();
  ASSERT_EQ(query_counters_state(), 0);

  ASSERT_EQ(register_counters(module_), 1);
  EXPECT_EQ(query_counters_state(), 1);
  wchar_t own_path[MAX_PATH];
  GetModuleFileNameW(module_, own_path, MAX_PATH);
  EXPECT_EQ(performance_text(kLibraryValue), own_path);
  EXPECT_EQ(performance_text(kOpenValue), L"OpenPD");
  EXPECT_EQ(performance_text(kCloseValue), L"ClosePD");
  EXPECT_EQ(performance_text(kCollectValue), L"CollectPD");
  EXPECT_EQ(performance_dword(kFirstCounterValue), before.counter + 2);
  EXPECT_EQ(performance_dword(kFirstHelpValue), before.help + 2);
  EXPECT_EQ(performance_dword(kLastCounterValue), before.counter + 20);
  EXPECT_EQ(performance_dword(kLastHelpValue), before.help + 20);
  EXPECT_EQ(system_last_indexes().counter, before.counter + 20);
  EXPECT_EQ(system_last_indexes().help, before.help + 20);

  // Bases that cannot be written (Wine's own English base) stay as they were.
  for (const LanguageBases& b : bases_before) {
    SCOPED_TRACE(b.language);
    const TextBase counters =
        b.writable ? with_our_titles(b.counters, before.counter + 2, b.language, false) : b.counters;
    const TextBase help = b.writable ? with_our_titles(b.help, before.help + 2, b.language, true) : b.help;
    EXPECT_EQ(read_base(b.language, kCounterBaseValue), counters);
    EXPECT_EQ(read_base(b.language, kHelpBaseValue), help);
    ::testing::Test::RecordProperty(std::string("base_writable_") + b.language, b.writable ? "yes" : "no");
  }
  EXPECT_NE(read_base("019", kCounterBaseValue).find(pair_text(before.counter + 2, u"ИБП")), std::u16string::npos);
  EXPECT_NE(read_base("019", kHelpBaseValue).find(pair_text(before.help + 14, u"Температура (°C)")),
            std::u16string::npos);
  EXPECT_NE(read_base("007", kHelpBaseValue).find(pair_text(before.help + 14, u"Temperature (°C)")),
            std::u16string::npos);

  EXPECT_EQ(ensure_counters_registered(module_), 0) << "already registered";

  ASSERT_EQ(unregister_counters(), 1);
  EXPECT_EQ(query_counters_state(), 0);
  EXPECT_FALSE(key_exists(kPerformanceKeyPath));
  EXPECT_EQ(system_last_indexes().counter, before.counter);
  EXPECT_EQ(system_last_indexes().help, before.help);
  for (const LanguageBases& b : bases_before) {
    SCOPED_TRACE(b.language);
    EXPECT_EQ(read_base(b.language, kCounterBaseValue), b.counters);
    EXPECT_EQ(read_base(b.language, kHelpBaseValue), b.help);
  }
}

TEST_F(CounterRegistration, WithoutTheSystemsHighestIndexesNothingIsAllocated) {
  const Indexes before = system_last_indexes();
  const TextBase base_before = read_base("007", kCounterBaseValue);
  {
    platform::UniqueKey perflib = platform::open_key(kPerflibKeyPath);
    RegDeleteValueA(perflib.get(), kLastCounterValue);
  }
  EXPECT_EQ(register_counters(module_), 0);
  EXPECT_EQ(read_base("007", kCounterBaseValue), base_before);
  EXPECT_EQ(performance_dword(kFirstCounterValue), 0u);

  platform::UniqueKey perflib = platform::open_key(kPerflibKeyPath);
  platform::write_dword_value(perflib.get(), kLastCounterValue, before.counter);
  EXPECT_EQ(unregister_counters(), 1) << "the half-made registration is removed";
  EXPECT_FALSE(key_exists(kPerformanceKeyPath));
  EXPECT_EQ(system_last_indexes().help, before.help);
}

TEST_F(CounterRegistration, EnsureRegisteredRegistersOnlyOnce) {
  const Indexes before = system_last_indexes();
  EXPECT_EQ(ensure_counters_registered(module_), 1);
  EXPECT_EQ(ensure_counters_registered(module_), 0);
  EXPECT_EQ(system_last_indexes().counter, before.counter + 20) << "no second allocation";
}

TEST_F(CounterRegistration, UnregisterWithoutIndexesOnlyDeletesTheKey) {
  const Indexes before = system_last_indexes();
  const TextBase base_before = read_base("007", kCounterBaseValue);
  {
    platform::UniqueKey performance = create_key(kPerformanceKeyPath);
    platform::write_dword_value(performance.get(), kFirstCounterValue, 2);
    platform::write_dword_value(performance.get(), kFirstHelpValue, 3);
  }
  EXPECT_EQ(query_counters_state(), 1);
  EXPECT_EQ(unregister_counters(), 1);
  EXPECT_FALSE(key_exists(kPerformanceKeyPath));
  EXPECT_EQ(read_base("007", kCounterBaseValue), base_before) << "the system's index 2 stays";
  EXPECT_EQ(system_last_indexes().counter, before.counter);
  EXPECT_EQ(unregister_counters(), 0) << "nothing left to remove";
}

TEST_F(CounterRegistration, QueryRemovesTheOlderProviderKey) {
  const std::string older = std::string(kServicesKeyPath) + "\\" + kOlderProviderKeyName;
  {
    platform::UniqueKey performance = create_key(kOlderPerformanceKeyPath);
    platform::UniqueKey below = create_key(std::string(kOlderPerformanceKeyPath) + "\\Linkage");
    platform::write_string_value(performance.get(), kOpenValue, "OpenPD");
  }
  EXPECT_EQ(query_counters_state(), 0);
  EXPECT_FALSE(key_exists(older.c_str()));
}

}  // namespace
}  // namespace perf
