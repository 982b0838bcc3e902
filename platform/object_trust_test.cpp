#include "platform/object_trust.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

// A section's generic mapping and the rights interactive users have on the block.
constexpr GenericRights kSection{0x20005, 0x20002, 0x20008, 0xF001F};
constexpr std::uint32_t kUsersMay = 0x4 | 0x2;

AccessEntry allow(std::uint32_t rights, bool trusted = false) { return {true, trusted, rights}; }
AccessEntry deny(std::uint32_t rights) { return {false, false, rights}; }

TEST(ObjectTrust, JudgesOwnerAndEveryAllowingEntry) {
  struct Case {
    const char* what;
    bool owner_trusted;
    AccessList list;
    ObjectTrust expected;
  };
  const Case cases[] = {
      {"the system's own list", true, std::vector{allow(0xF001F, true), allow(0xF001F, true), allow(kUsersMay)},
       ObjectTrust::trusted},
      {"less than the system's list", true, std::vector{allow(0x4)}, ObjectTrust::trusted},
      {"an empty list: nobody may do anything", true, std::vector<AccessEntry>{}, ObjectTrust::trusted},
      {"no list at all", true, std::nullopt, ObjectTrust::open_to_others},
      {"one specific right too many", true, std::vector{allow(kUsersMay | 0x40000 /* WRITE_DAC */)},
       ObjectTrust::open_to_others},
      {"a right beyond the mapping", true, std::vector{allow(0x02000000 /* MAXIMUM_ALLOWED */)},
       ObjectTrust::open_to_others},
      {"generic read maps to rights users lack", true, std::vector{allow(kGenericRead)}, ObjectTrust::open_to_others},
      {"generic all", true, std::vector{allow(kGenericAll)}, ObjectTrust::open_to_others},
      {"a deny entry takes rights away only", true, std::vector{deny(0xFFFFFFFF), allow(0x4)}, ObjectTrust::trusted},
      {"a trusted account may do everything", true, std::vector{allow(0xFFFFFFFF, true)}, ObjectTrust::trusted},
      {"a foreign owner, whatever the list", false, std::vector{allow(0x4)}, ObjectTrust::foreign_owner},
      {"a foreign owner without a list", false, std::nullopt, ObjectTrust::foreign_owner},
  };
  for (const Case& c : cases) EXPECT_EQ(judge_object(c.owner_trusted, c.list, kUsersMay, kSection), c.expected) << c.what;
}

TEST(ObjectTrust, GenericRightsCountAsWhatTheyMapTo) {
  // A folder: read and execute are what users may do with the archive.
  constexpr GenericRights kFile{0x120089, 0x120116, 0x1200A0, 0x1F01FF};
  constexpr std::uint32_t kReadAndTraverse = 0x1200A9;
  EXPECT_EQ(judge_object(true, std::vector{allow(kGenericRead | kGenericExecute)}, kReadAndTraverse, kFile),
            ObjectTrust::trusted);
  EXPECT_EQ(judge_object(true, std::vector{allow(kGenericWrite)}, kReadAndTraverse, kFile),
            ObjectTrust::open_to_others);
}

TEST(ObjectTrust, AForeignObjectIsTakenBackOnlyWhereItsCreatorsRightsAreHarmless) {
  EXPECT_EQ(plan_takeover(ObjectTrust::trusted, false), Takeover::keep);
  EXPECT_EQ(plan_takeover(ObjectTrust::open_to_others, false), Takeover::take_back);
  EXPECT_EQ(plan_takeover(ObjectTrust::foreign_owner, true), Takeover::take_back);
  EXPECT_EQ(plan_takeover(ObjectTrust::foreign_owner, false), Takeover::refuse);
}

}  // namespace
}  // namespace platform
