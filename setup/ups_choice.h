// What the setup dialog offers and decides about the UPS: the vendor and model tree, the entry that
// shows the stored choice, what the vendor and model fields show for a tree selection, and the
// dialog's result.
//
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installation {

// One vendor of the tree with its models, both in the registry's enumeration order.
struct VendorModels {
  std::wstring vendor;
  std::vector<std::wstring> models;
};

// A model entry of the tree: indices into the vendor list and that vendor's models.
struct ModelPosition {
  std::size_t vendor;
  std::size_t model;
};

// The model named `model` under the vendor named `vendor` (exact texts). Model names repeat across
// vendors ("Other" is under every one), so the vendor decides.
std::optional<ModelPosition> find_model(const std::vector<VendorModels>& tree, std::wstring_view vendor,
                                        std::wstring_view model);

// The three kinds of tree entry: the top entry that switches monitoring off, vendors, models.
enum class TreeEntryKind { kSwitchOff, kVendor, kModel };

// The selected entry as the tree reports it.
struct TreeSelection {
  TreeEntryKind kind;
  std::wstring text;
  std::wstring parent_text;  // a model's vendor; empty otherwise
};

// The texts of the vendor and model fields.
struct ChosenUps {
  std::wstring vendor;
  std::wstring model;
};

// Nothing selected or the switch-off entry: both empty; a vendor: the vendor alone; a model: both.
ChosenUps chosen_ups(const std::optional<TreeSelection>& selection);

// What the tray-autostart box adds to a complete save.
inline constexpr int kResultSaved = 0x1;
inline constexpr int kResultTrayAutostart = 0x800;
inline constexpr int kResultNotSaved = 2;

// 1 (0x801 with the box checked) when the save succeeded with port, vendor and model all given;
// 2 otherwise, so that the caller neither starts monitoring nor touches the autostart.
int dialog_result(bool saved, std::wstring_view port, const ChosenUps& ups, bool tray_autostart);

}  // namespace installation
