// The setup dialog's choices: port preselection, the stored model's entry, the fields, the result.
#include <gtest/gtest.h>

#include "setup/port_list.h"
#include "setup/ups_choice.h"

namespace installation {
namespace {

std::wstring preselected_entry(std::wstring_view stored) {
  std::vector<std::wstring> entries = port_entries();
  std::optional<std::size_t> index = preselected_port(entries, stored);
  return index ? entries[*index] : L"(none)";
}

TEST(PortPreselection, FindsTheStoredPortSearchingFromPortOneAndWrappingToUsb) {
  EXPECT_EQ(preselected_entry(L""), L"COM1") << "a fresh installation";
  EXPECT_EQ(preselected_entry(L"USB"), L"USB");
  EXPECT_EQ(preselected_entry(L"usb"), L"USB");
  EXPECT_EQ(preselected_entry(L"COM9"), L"COM9");
  EXPECT_EQ(preselected_entry(L"COM"), L"COM1");
  EXPECT_EQ(preselected_entry(L"U"), L"USB");
  EXPECT_EQ(preselected_entry(L"COM10"), L"(none)");
  EXPECT_EQ(preselected_entry(L"LPT1"), L"(none)");
}

const std::vector<VendorModels> kTree = {
    {L"Orvik", {L"Varnelo 400", L"Varnelo 600", L"Other"}},
    {L"Tavrel", {L"Tessalyn 424 USB", L"Other"}},
    {L"Lunem", {}},
};

TEST(StoredModel, IsFoundUnderItsOwnVendorOnly) {
  std::optional<ModelPosition> other = find_model(kTree, L"Tavrel", L"Other");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->vendor, 1u);
  EXPECT_EQ(other->model, 1u);

  std::optional<ModelPosition> first = find_model(kTree, L"Orvik", L"Varnelo 400");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->vendor, 0u);
  EXPECT_EQ(first->model, 0u);

  EXPECT_FALSE(find_model(kTree, L"Tavrel", L"Varnelo 600")) << "a model of another vendor";
  EXPECT_FALSE(find_model(kTree, L"Orvik", L"varnelo 600")) << "names compare exactly";
  EXPECT_FALSE(find_model(kTree, L"Lunem", L""));
  EXPECT_FALSE(find_model(kTree, L"", L""));
  EXPECT_FALSE(find_model({}, L"Orvik", L"Other"));
}

TEST(ChosenUps, FieldsFollowTheKindOfSelectedEntry) {
  ChosenUps model = chosen_ups(TreeSelection{TreeEntryKind::kModel, L"Other", L"Tavrel"});
  EXPECT_EQ(model.vendor, L"Tavrel");
  EXPECT_EQ(model.model, L"Other");

  ChosenUps vendor = chosen_ups(TreeSelection{TreeEntryKind::kVendor, L"Orvik", L""});
  EXPECT_EQ(vendor.vendor, L"Orvik");
  EXPECT_EQ(vendor.model, L"");

  ChosenUps off = chosen_ups(TreeSelection{TreeEntryKind::kSwitchOff, L"Выключить", L""});
  EXPECT_EQ(off.vendor, L"");
  EXPECT_EQ(off.model, L"");

  ChosenUps none = chosen_ups(std::nullopt);
  EXPECT_EQ(none.vendor, L"");
  EXPECT_EQ(none.model, L"");
}

TEST(DialogResult, OnlyACompleteSuccessfulSaveCounts) {
  const ChosenUps complete{L"Orvik", L"Varnelo 600"};
  EXPECT_EQ(dialog_result(true, L"COM1", complete, false), 1);
  EXPECT_EQ(dialog_result(true, L"COM1", complete, true), 0x801);
  EXPECT_EQ(dialog_result(true, L"", complete, true), 2);
  EXPECT_EQ(dialog_result(true, L"USB", {L"Orvik", L""}, true), 2);
  EXPECT_EQ(dialog_result(true, L"USB", {L"", L"Other"}, false), 2);
  EXPECT_EQ(dialog_result(false, L"COM1", complete, true), 2) << "a write that failed";
}

}  // namespace
}  // namespace installation
