// The information page's texts: model, port, link state, the raw line and the long decoded status
// with every flag spelled out. Built from a copy of the shared block, trusted in nothing (see
// tray/status_text.h); UTF-8.
#pragma once

#include <string>

#include "ipc/shared_block.h"
#include "settings/page_form.h"

namespace settings {

// Controls 1002..1006 of the information page as they must read.
PageForm information_page(const ipc::UpsSharedBlock& block, bool service_connected);

}  // namespace settings
