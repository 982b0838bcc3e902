// The statistics page: recording on, raw data, the sampling rate (signed), the forced flush on a
// failure and the archive's folder "stat_path".
#pragma once

#include "core/config_store.h"
#include "settings/page_form.h"

namespace settings {

PageForm load_statistics_page(core::ConfigStore& store);
bool save_statistics_page(const PageForm& form, core::ConfigStore& store);

}  // namespace settings
