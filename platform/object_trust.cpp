#include "platform/object_trust.h"

namespace platform {
namespace {

std::uint32_t specific_rights(std::uint32_t rights, const GenericRights& mapping) {
  std::uint32_t specific = rights & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
  if (rights & kGenericRead) specific |= mapping.read;
  if (rights & kGenericWrite) specific |= mapping.write;
  if (rights & kGenericExecute) specific |= mapping.execute;
  if (rights & kGenericAll) specific |= mapping.all;
  return specific;
}

bool grants_others_more(const AccessEntry& entry, std::uint32_t others_may, const GenericRights& mapping) {
  return entry.allows && !entry.trusted && (specific_rights(entry.rights, mapping) & ~others_may) != 0;
}

}  // namespace

ObjectTrust judge_object(bool owner_trusted, const AccessList& list, std::uint32_t others_may,
                         const GenericRights& mapping) {
  if (!owner_trusted) return ObjectTrust::foreign_owner;
  if (!list) return ObjectTrust::open_to_others;
  for (const AccessEntry& entry : *list)
    if (grants_others_more(entry, others_may, mapping)) return ObjectTrust::open_to_others;
  return ObjectTrust::trusted;
}

Takeover plan_takeover(ObjectTrust trust, bool creator_rights_harmless) {
  switch (trust) {
    case ObjectTrust::trusted:
      return Takeover::keep;
    case ObjectTrust::open_to_others:
      return Takeover::take_back;
    case ObjectTrust::foreign_owner:
      return creator_rights_harmless ? Takeover::take_back : Takeover::refuse;
  }
  return Takeover::refuse;
}

}  // namespace platform
