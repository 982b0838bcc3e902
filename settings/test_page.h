// The test page: the minutes of the N-minute test ("testNUPS") and the pipe messages its buttons
// send at once.
#pragma once

#include <optional>

#include "core/config_store.h"
#include "ipc/pipe_message.h"
#include "settings/page_form.h"

namespace settings {

// "testNUPS" into the minutes edit; when it is missing or not a DWORD, 1 is written and shown.
PageForm load_test_page(core::ConfigStore& store);
// The minutes as typed, not clamped.
bool save_test_page(const PageForm& form, core::ConfigStore& store);

// The message a button of the page sends (the N-minute test's minutes clamped to 1..99, an empty
// field or 0 giving 1); none for other controls.
std::optional<ipc::PipeMessage> test_button_message(int control, const PageForm& form);

}  // namespace settings
