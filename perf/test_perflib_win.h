// Test helper: the prefix's Perflib key as the counter registration expects to find it, and put
// back exactly as it was when the tests end.
//
// Wine serves the English subkey "009" itself: its "Counter" and "Help" read as a fixed base
// ending at 1846 / 1847, and writes to them fail. It has no highest indexes in Perflib. Where they
// are missing the helper writes what goes with that base (1846 / 1847), and it adds two language
// subkeys of ordinary keys with small bases of their own: "007" (a language that gets the English
// texts) and "019" (Russian). Their highest indexes lie far below the English base's, so they show
// that a removal does not lower what another base still uses.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "perf/perf_registry.h"
#include "perf/title_base.h"
#include "platform/registry_win.h"

namespace perf::testing {

using namespace std::string_literals;

inline std::wstring wide_name(const char* name) {
  return std::wstring(name, name + std::char_traits<char>::length(name));
}

inline std::string language_path(const char* language) { return std::string(kPerflibKeyPath) + "\\" + language; }

inline platform::UniqueKey create_key(const std::string& path) {
  platform::UniqueKey key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, platform::kKeyReadWrite, nullptr, key.receive(),
                  nullptr);
  return key;
}

// A text base as the registry holds it; empty when the value is missing.
inline TextBase read_base(const char* language, const char* value) {
  platform::UniqueKey key = platform::open_key(language_path(language).c_str(), KEY_READ);
  DWORD size = 0;
  if (!key || RegQueryValueExW(key.get(), wide_name(value).c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return {};
  TextBase base(size / 2, u'\0');
  RegQueryValueExW(key.get(), wide_name(value).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(base.data()), &size);
  return base;
}

inline void write_base(const char* language, const char* value, const TextBase& base) {
  platform::UniqueKey key = create_key(language_path(language));
  RegSetValueExW(key.get(), wide_name(value).c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(base.data()),
                 static_cast<DWORD>(base.size() * 2));
}

// True when the base exists and can be stored (written back unchanged to find out).
inline bool base_writable(const char* language, const char* value) {
  const TextBase base = read_base(language, value);
  platform::UniqueKey key = platform::open_key(language_path(language).c_str());
  return !base.empty() && key &&
         RegSetValueExW(key.get(), wide_name(value).c_str(), 0, REG_MULTI_SZ,
                        reinterpret_cast<const BYTE*>(base.data()),
                        static_cast<DWORD>(base.size() * 2)) == ERROR_SUCCESS;
}

inline constexpr const char* kTestLanguages[] = {"007", "009", "019"};

inline std::uint32_t perflib_value(const char* name) {
  platform::UniqueKey key = platform::open_key(kPerflibKeyPath, KEY_READ);
  std::uint32_t value = 0;
  if (key) platform::read_dword_value(key.get(), name, value);
  return value;
}

// A DWORD value of the provider's Performance key; 0 when missing.
inline std::uint32_t performance_dword(const char* name) {
  platform::UniqueKey key = platform::open_key(kPerformanceKeyPath, KEY_READ);
  std::uint32_t value = 0;
  if (key) platform::read_dword_value(key.get(), name, value);
  return value;
}

// A text value of the provider's Performance key, read as the host reads it (wide); empty when missing.
inline std::wstring performance_text(const char* name) {
  platform::UniqueKey key = platform::open_key(kPerformanceKeyPath, KEY_READ);
  wchar_t text[MAX_PATH + 1] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (key) RegQueryValueExW(key.get(), wide_name(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  return text;
}

// Our value names and export names are ASCII.
inline std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class PerflibEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    for (const char* language : kTestLanguages)
      existed_.push_back(static_cast<bool>(platform::open_key(language_path(language).c_str(), KEY_READ)));
    for (const Place& place : kPlaces) saved_.push_back(save(place));
    prepare();
  }

  void TearDown() override {
    for (std::size_t i = 0; i < saved_.size(); ++i) restore(kPlaces[i], saved_[i]);
    for (std::size_t i = 0; i < existed_.size(); ++i)
      if (!existed_[i]) RegDeleteKeyA(HKEY_LOCAL_MACHINE, language_path(kTestLanguages[i]).c_str());
  }

 private:
  struct Place {
    std::string key;
    const char* value;
  };
  struct Saved {
    bool existed = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  inline static const Place kPlaces[] = {
      {kPerflibKeyPath, kLastCounterValue},      {kPerflibKeyPath, kLastHelpValue},
      {language_path("007"), kCounterBaseValue}, {language_path("007"), kHelpBaseValue},
      {language_path("009"), kCounterBaseValue}, {language_path("009"), kHelpBaseValue},
      {language_path("019"), kCounterBaseValue}, {language_path("019"), kHelpBaseValue},
  };

  static Saved save(const Place& place) {
    Saved saved;
    platform::UniqueKey key = platform::open_key(place.key.c_str(), KEY_READ);
    DWORD size = 0;
    if (!key || RegQueryValueExW(key.get(), wide_name(place.value).c_str(), nullptr, &saved.type, nullptr, &size) !=
                    ERROR_SUCCESS)
      return saved;
    saved.data.resize(size);
    saved.existed = RegQueryValueExW(key.get(), wide_name(place.value).c_str(), nullptr, &saved.type, saved.data.data(),
                                     &size) == ERROR_SUCCESS;
    return saved;
  }

  static void restore(const Place& place, const Saved& saved) {
    platform::UniqueKey key = platform::open_key(place.key.c_str());
    if (!key) return;
    if (!saved.existed) {
      RegDeleteValueW(key.get(), wide_name(place.value).c_str());
      return;
    }
    RegSetValueExW(key.get(), wide_name(place.value).c_str(), 0, saved.type, saved.data.data(),
                   static_cast<DWORD>(saved.data.size()));
  }

  static void prepare() {
    platform::UniqueKey perflib = create_key(kPerflibKeyPath);
    std::uint32_t value = 0;
    if (!platform::read_dword_value(perflib.get(), kLastCounterValue, value)) {
      platform::write_dword_value(perflib.get(), kLastCounterValue, 1846);
      platform::write_dword_value(perflib.get(), kLastHelpValue, 1847);
    }
    seed_language("007", u"2\0System\0\0"s, u"3\0System help\0\0"s);
    seed_language("019", u"2\0Система\0\0"s, u"3\0Справка системы\0\0"s);
  }

  static void seed_language(const char* language, const TextBase& counters, const TextBase& help) {
    if (!read_base(language, kCounterBaseValue).empty()) return;
    write_base(language, kCounterBaseValue, counters);
    write_base(language, kHelpBaseValue, help);
  }

  std::vector<bool> existed_;
  std::vector<Saved> saved_;
};

// One environment for the whole test program, whichever of its files are linked.
inline ::testing::Environment* const kPerflibEnvironment = ::testing::AddGlobalTestEnvironment(new PerflibEnvironment);

}  // namespace perf::testing
