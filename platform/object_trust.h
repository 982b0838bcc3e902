// Whether an object that already existed is in safe hands: its owner and its access list, as read
// back from the system, judged against the rights the system's own list gives everyone but the
// service and the administrators. Used for the kernel objects the service shares with other
// sessions, the statistics archive's root and the folder of the debug trace, which another user
// may have made first, with rights of their own choosing.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The generic rights of an access mask and the specific rights each one stands for with one kind
// of object (its GENERIC_MAPPING).
inline constexpr std::uint32_t kGenericRead = 0x80000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kGenericExecute = 0x20000000;
inline constexpr std::uint32_t kGenericAll = 0x10000000;

struct GenericRights {
  std::uint32_t read;
  std::uint32_t write;
  std::uint32_t execute;
  std::uint32_t all;
};

// One entry of an access list.
struct AccessEntry {
  bool allows = true;    // false: a deny entry, which only ever takes rights away
  bool trusted = false;  // SYSTEM, Administrators, the service's own account, a creator placeholder
  std::uint32_t rights = 0;
};

// No list at all lets everybody do everything.
using AccessList = std::optional<std::vector<AccessEntry>>;

enum class ObjectTrust {
  trusted,         // the owner is trusted and no one else may do more than the system's list allows
  open_to_others,  // the owner is trusted, but the list lets others do more
  foreign_owner,   // someone else owns it, and so may rewrite its list at any time
};

// `others_may`: the specific rights the system's own list gives anyone but the trusted accounts.
// Rights an entry grants through generic bits count as the specific rights they map to; any
// right the mapping does not explain counts against the entry.
ObjectTrust judge_object(bool owner_trusted, const AccessList& list, std::uint32_t others_may,
                         const GenericRights& mapping);

// What the service does with a kernel object it found already made.
enum class Takeover {
  keep,       // trusted as it is
  take_back,  // owner and access list are set to the system's own
  refuse,     // not used at all
};

// An object that someone else created stays writable through the handles and views its creator
// already holds, whatever its list says afterwards: it is taken back only when those rights are
// harmless (`creator_rights_harmless`), and refused otherwise.
Takeover plan_takeover(ObjectTrust trust, bool creator_rights_harmless);

}  // namespace platform
