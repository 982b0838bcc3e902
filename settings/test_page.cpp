#include "settings/test_page.h"

#include <algorithm>
#include <string>

#include "settings/page_values.h"
#include "settings/settings_ids.h"

namespace settings {
namespace {

using namespace detail;

constexpr char kTestMinutes[] = "testNUPS";
constexpr std::uint32_t kDefaultMinutes = 1;
constexpr std::uint32_t kMaxMinutes = 99;  // two digits in the UPS's "T<nn>"

}  // namespace

PageForm load_test_page(core::ConfigStore& store) {
  std::uint32_t minutes = 0;
  if (!store.read_dword(kTestMinutes, minutes)) {
    minutes = kDefaultMinutes;
    store.write_dword(kTestMinutes, minutes);
  }
  return {{IDC_TEST_MINUTES, std::to_string(minutes)}};
}

bool save_test_page(const PageForm& form, core::ConfigStore& store) {
  return write_number(store, kTestMinutes, form, IDC_TEST_MINUTES);
}

std::optional<ipc::PipeMessage> test_button_message(int control, const PageForm& form) {
  switch (control) {
    case IDC_TEST_SHORT: return ipc::make_pipe_message(ipc::MSG_TEST_SHORT);
    case IDC_TEST_MINUTES_START: {
      const std::uint32_t minutes = std::clamp(typed_number(field(form, IDC_TEST_MINUTES)), kDefaultMinutes, kMaxMinutes);
      return ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, minutes);
    }
    case IDC_TEST_UNTIL_LOW: return ipc::make_pipe_message(ipc::MSG_TEST_UNTIL_LOW);
    case IDC_TEST_SHORT_CANCEL:
    case IDC_TEST_MINUTES_CANCEL:
    case IDC_TEST_UNTIL_LOW_CANCEL: return ipc::make_pipe_message(ipc::MSG_TEST_CANCEL);
    default: return std::nullopt;
  }
}

}  // namespace settings
