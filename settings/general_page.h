// The general page: power-failure policy, UPS turn-off and turn-on, beeper and its time window,
// the wait before an action, the keyboard LED. Loading and saving against the Config key, the
// enable rules, the up-down ranges and the MSG_SETTINGS record made from what was saved.
#pragma once

#include <string_view>
#include <vector>

#include "core/config_store.h"
#include "ipc/settings_message.h"
#include "settings/page_form.h"

namespace settings {

// The combos' items in index order: the critical action, the keyboard light.
const std::vector<const char*>& action_items();
const std::vector<const char*>& key_led_items();

// Every control of the page from the store: check boxes, number edits, the two combos' indices,
// and the beeper window "SignalTime" ("%d:%d-%d:%d") into the two pickers; a value that is
// missing or not a DWORD leaves its control empty ("", unchecked "0" for a check box; a combo also
// shows none for an index beyond its items); a window that does not parse leaves both pickers at
// "0:0".
PageForm load_general_page(core::ConfigStore& store);

// Writes every value in the page's order; "SignalTime" from the pickers without leading zeros.
// False when a write failed (the rest is still written).
bool save_general_page(const PageForm& form, core::ConfigStore& store);

// The arrows' ranges; the turn-on delay keeps to 1..255 for the vendor "Lunem", else 1..9999.
std::vector<UpDownRange> general_page_ranges(std::string_view vendor);

// Which controls are enabled: the capacity condition (check box and edit) only with a valid model,
// the beeper window (check box and both pickers) only while the beeper box is checked.
struct GeneralEnables {
  bool capacity_condition;
  bool signal_window;
};
GeneralEnables general_page_enables(const PageForm& form, bool capacity_valid);

// The record the service gets after a save, from the saved form (the beeper window in minutes of
// the day).
ipc::SettingsRecord settings_record_from_form(const PageForm& form);

}  // namespace settings
