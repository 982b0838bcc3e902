// The text bases of the performance library in the registry: every language subkey of Perflib
// holds a "Counter" and a "Help" multi-string (title_base.h). Read and written through the wide
// registry calls: the bases are UTF-16 and carry Russian texts.
//
// Runs on the thread of whoever registers (the settings window); nothing is locked against other
// writers of the Perflib key. Failures are logged per base and never stop the other languages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "perf/counter_texts.h"

namespace perf {

// The highest indexes left in the bases after a clear; 0 when no base could be read.
struct HighestIndexes {
  std::uint32_t counter = 0;
  std::uint32_t help = 0;
};

// Appends (`index`, `text`) to the base `value_name` of the language key `language`. A base that
// does not exist, or is not a multi-string, is left alone and the call fails.
bool add_title_to_base(HKEY language, const char* value_name, std::uint32_t index, const char* utf8_text);

// Removes the pair of `index` from the base; true when the edited base was stored. `highest` is
// the highest index the base holds afterwards (with the pair, when it could not be stored), 0 when
// the base could not be read.
bool remove_title_from_base(HKEY language, const char* value_name, std::uint32_t index, std::uint32_t& highest);

// Adds the texts of `entry` (Russian for "019", English for the others) to every language.
void add_to_all_bases(HKEY perflib, const CounterTextEntry& entry, std::uint32_t counter_index,
                      std::uint32_t help_index);

// Removes the pair of `counter_index` from every "Counter" base and the pair of `help_index` from
// every "Help" base. The highest indexes that remain are taken over all the languages: a language
// with fewer texts, or one whose base could not be written, must not lower what the others or it
// still use.
HighestIndexes clear_from_all_bases(HKEY perflib, std::uint32_t counter_index, std::uint32_t help_index);

}  // namespace perf
