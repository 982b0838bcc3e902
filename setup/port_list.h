// The ports the UPS can hang on, as the setup dialog lists them, and which of them the dialog
// shows selected for the port stored in the registry.
//
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installation {

// "USB", then "COM1" … "COM9".
std::vector<std::wstring> port_entries();

// The first entry that begins with `stored` (ignoring ASCII case), searched from the second entry
// onwards and wrapping round to the first: an empty stored port thus selects "COM1", and "USB" is
// still found. Nothing when no entry matches.
std::optional<std::size_t> preselected_port(const std::vector<std::wstring>& entries, std::wstring_view stored);

}  // namespace installation
