#include "settings/statistics_page.h"

#include <algorithm>
#include <limits>
#include <string>

#include "settings/page_values.h"
#include "settings/settings_ids.h"
#include "stats/stat_config.h"

namespace settings {
namespace {

using namespace detail;
namespace names = stats::config_value;

// The rate is stored as a signed number in a DWORD; beyond 32 signed bits it keeps to the nearest end,
// so that what is saved reads back as typed.
std::uint32_t typed_signed(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::int64_t magnitude = typed_number(text);
  const std::int64_t value = negative ? -magnitude : magnitude;
  const std::int64_t limited = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max());
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(limited));
}

std::string signed_text(core::ConfigStore& store, const char* name) {
  std::uint32_t value = 0;
  return store.read_dword(name, value) ? std::to_string(static_cast<std::int32_t>(value)) : std::string();
}

}  // namespace

PageForm load_statistics_page(core::ConfigStore& store) {
  return {
      {IDC_STAT_ON, check_text(store, names::kStatOn)},
      {IDC_STAT_DATA, check_text(store, names::kStatData)},
      {IDC_STAT_RATE, signed_text(store, names::kStatRate)},
      {IDC_STAT_FLUSH_FORCE, check_text(store, names::kStatFlushForce)},
      {IDC_STAT_PATH, string_text(store, names::kStatPath, stats::kStatPathBufferSize)},
  };
}

bool save_statistics_page(const PageForm& form, core::ConfigStore& store) {
  // A longer path would read as none and turn recording off; cut it as the field would.
  const std::string path = cut_to_bytes(field(form, IDC_STAT_PATH), stats::kStatPathBufferSize - 1);
  const bool results[] = {
      write_check(store, names::kStatOn, form, IDC_STAT_ON),
      write_check(store, names::kStatData, form, IDC_STAT_DATA),
      store.write_dword(names::kStatRate, typed_signed(field(form, IDC_STAT_RATE))),
      write_check(store, names::kStatFlushForce, form, IDC_STAT_FLUSH_FORCE),
      store.write_string(names::kStatPath, path.c_str()),
  };
  for (const bool written : results)
    if (!written) return false;
  return true;
}

}  // namespace settings
