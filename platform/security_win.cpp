#include "platform/security_win.h"

#include <sddl.h>

#include "platform/debug_trace.h"

namespace platform {
namespace {

// SY SYSTEM, BA Administrators, IU interactive users, NU network logons. Full control is written
// as each object type's own all-access mask, so the DACL reads back as written.
const wchar_t* descriptor_text(SystemObject object) {
  switch (object) {
    case SystemObject::shared_block:
      return L"D:P(A;;0xF001F;;;SY)(A;;0xF001F;;;BA)(A;;0x4;;;IU)";
    case SystemObject::new_data_event:
      return L"D:P(A;;0x1F0003;;;SY)(A;;0x1F0003;;;BA)(A;;0x100001;;;IU)";
    case SystemObject::pipe:
      // The deny entry keeps remote administrators out where the pipe cannot reject remote clients
      // itself (before Vista).
      return L"D:P(D;;0x1F01FF;;;NU)(A;;0x1F01FF;;;SY)(A;;0x1F01FF;;;BA)(A;;0x12008B;;;IU)";
    case SystemObject::archive_root:
      // BU Users: read and traverse (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE); OICI: inherited.
      return L"D:P(A;OICI;0x1F01FF;;;SY)(A;OICI;0x1F01FF;;;BA)(A;OICI;0x1200A9;;;BU)";
    case SystemObject::admin_only_key:
      // KEY_ALL_ACCESS, handed down to subkeys.
      return L"D:P(A;CI;0xF003F;;;SY)(A;CI;0xF003F;;;BA)";
    case SystemObject::trace_file_turns:
      return L"D:P(A;;0x1F0001;;;SY)(A;;0x1F0001;;;BA)";
  }
  return nullptr;
}

static_assert(kBlockUserAccess == 0x4 && kEventUserAccess == 0x100001 && kPipeUserAccess == 0x12008B,
              "the descriptors' texts grant these");
static_assert((kPipeUserAccess & FILE_CREATE_PIPE_INSTANCE) == 0, "users never create an instance of the pipe");
static_assert(SECTION_ALL_ACCESS == 0xF001F && EVENT_ALL_ACCESS == 0x1F0003 && FILE_ALL_ACCESS == 0x1F01FF &&
              KEY_ALL_ACCESS == 0xF003F && MUTEX_ALL_ACCESS == 0x1F0001);

}  // namespace

ObjectSecurity::ObjectSecurity(SystemObject object) {
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor_text(object), SDDL_REVISION_1, &descriptor_,
                                                            nullptr)) {
    debug_trace("UPS::error:InitializeSecurityDescriptor\n");
    descriptor_ = nullptr;
    return;
  }
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

ObjectSecurity::~ObjectSecurity() {
  if (descriptor_) LocalFree(descriptor_);
}

}  // namespace platform
