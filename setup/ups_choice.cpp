#include "setup/ups_choice.h"

namespace installation {

std::optional<ModelPosition> find_model(const std::vector<VendorModels>& tree, std::wstring_view vendor,
                                        std::wstring_view model) {
  for (std::size_t v = 0; v < tree.size(); ++v) {
    if (tree[v].vendor != vendor) continue;
    for (std::size_t m = 0; m < tree[v].models.size(); ++m)
      if (tree[v].models[m] == model) return ModelPosition{v, m};
  }
  return std::nullopt;
}

ChosenUps chosen_ups(const std::optional<TreeSelection>& selection) {
  if (!selection) return {};
  switch (selection->kind) {
    case TreeEntryKind::kSwitchOff:
      return {};
    case TreeEntryKind::kVendor:
      return {selection->text, L""};
    case TreeEntryKind::kModel:
      return {selection->parent_text, selection->text};
  }
  return {};
}

int dialog_result(bool saved, std::wstring_view port, const ChosenUps& ups, bool tray_autostart) {
  if (!saved || port.empty() || ups.vendor.empty() || ups.model.empty()) return kResultNotSaved;
  return tray_autostart ? kResultSaved | kResultTrayAutostart : kResultSaved;
}

}  // namespace installation
