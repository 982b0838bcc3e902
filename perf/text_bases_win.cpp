#include "perf/text_bases_win.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "perf/perf_registry.h"
#include "perf/perflib_languages.h"
#include "perf/title_base.h"
#include "perf/utf16.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"

namespace perf {
namespace {

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

int byte_size(const TextBase& base) { return static_cast<int>(base.size() * sizeof(char16_t)); }

bool read_base(HKEY language, const std::u16string& name, TextBase& base) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(language, wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ)
    return false;
  base.assign(size / sizeof(char16_t), u'\0');
  if (RegQueryValueExW(language, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(base.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_MULTI_SZ)
    return false;
  base.resize(size / sizeof(char16_t));  // another writer may have shortened it in between
  return true;
}

bool write_base(HKEY language, const std::u16string& name, const TextBase& base) {
  const auto size = static_cast<DWORD>(base.size() * sizeof(char16_t));
  return RegSetValueExW(language, wide(name), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(base.data()), size) ==
         ERROR_SUCCESS;
}

std::vector<std::string> perflib_languages(HKEY perflib) {
  return language_subkeys([perflib](std::uint32_t index, std::string& name) {
    char buffer[256];
    DWORD chars = sizeof buffer;
    if (RegEnumKeyExA(perflib, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    name.assign(buffer, chars);
    return true;
  });
}

// Opens each language subkey in turn for `edit`; one that cannot be opened is skipped.
void for_each_language(HKEY perflib, const std::function<void(const std::string&, HKEY)>& edit) {
  debug_trace("RegistryWMI::updateAllBases begin\n");
  for (const std::string& language : perflib_languages(perflib)) {
    debug_trace("For lang:%s\n", language.c_str());
    platform::UniqueKey key = platform::open_key(language.c_str(), platform::kKeyReadWrite, perflib);
    if (!key) {
      debug_trace(" WMI::error open:%s, skip\n", language.c_str());
      continue;
    }
    edit(language, key.get());
  }
  debug_trace("RegistryWMI::updateAllBases end\n");
}

}  // namespace

bool add_title_to_base(HKEY language, const char* value_name, std::uint32_t index, const char* utf8_text) {
  debug_trace("RegistryWMI::addTitleToBase %s begin\n", value_name);
  const std::u16string name = utf8_to_utf16(value_name);
  const std::u16string text = utf8_to_utf16(utf8_text);
  TextBase base;
  if (!read_base(language, name, base)) return false;
  const int size = byte_size(base);
  debug_trace("size:%d\n", size);
  debug_trace("get base - ok\n");
  if (!add_title(base, index, text)) return false;
  debug_trace("add_size:%d\n", byte_size(base) - size);
  debug_trace("adding - ok\n");
  if (!write_base(language, name, base)) return false;
  debug_trace("save base - ok\n");
  debug_trace("RegistryWMI::addTitleToBase end\n");
  return true;
}

bool remove_title_from_base(HKEY language, const char* value_name, std::uint32_t index, std::uint32_t& highest) {
  highest = 0;
  const std::u16string name = utf8_to_utf16(value_name);
  TextBase base;
  if (!read_base(language, name, base)) return false;
  TextBase edited = base;
  remove_title(edited, index);
  const bool saved = write_base(language, name, edited);
  // What the base now holds: a base that cannot be written still holds the pair.
  highest = highest_title_index(saved ? edited : base);
  return saved;
}

void add_to_all_bases(HKEY perflib, const CounterTextEntry& entry, std::uint32_t counter_index,
                      std::uint32_t help_index) {
  for_each_language(perflib, [&](const std::string& language, HKEY key) {
    const TitleTexts& texts = texts_for_language(entry, language);
    debug_trace("Add - begin\n");
    if (!add_title_to_base(key, kCounterBaseValue, counter_index, texts.name))
      debug_trace(" WMI: error add for %s 'Counter': %d '%s'\n", language.c_str(), static_cast<int>(counter_index),
                  texts.name);
    if (!add_title_to_base(key, kHelpBaseValue, help_index, texts.help))
      debug_trace(" WMI: error add for %s 'Help': %d '%s'\n", language.c_str(), static_cast<int>(help_index),
                  texts.help);
    debug_trace("Add - end\n");
  });
}

HighestIndexes clear_from_all_bases(HKEY perflib, std::uint32_t counter_index, std::uint32_t help_index) {
  HighestIndexes highest;
  for_each_language(perflib, [&](const std::string&, HKEY key) {
    debug_trace("Clear - begin\n");
    std::uint32_t remaining = 0;
    remove_title_from_base(key, kCounterBaseValue, counter_index, remaining);
    highest.counter = std::max(highest.counter, remaining);
    remove_title_from_base(key, kHelpBaseValue, help_index, remaining);
    highest.help = std::max(highest.help, remaining);
    debug_trace("Clear - end\n");
  });
  return highest;
}

}  // namespace perf
