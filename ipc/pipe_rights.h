// Who may ask what of the service over the pipe. One table for both ends: the service checks every
// request against the rights of the caller's own token before it does anything, and the tray greys
// what its own user may not ask.
//
// A power action needs the shutdown privilege, as the system's own shutdown does; whatever switches
// the UPS output off (requests 1 and 2), the two protection switches, settings, the statistics
// reload and battery tests need the Administrators group enabled as well. Flushing the statistics
// and reading stay open to every user who may open the pipe.
#pragma once

#include <cstdint>
#include <string>

#include "ipc/pipe_message.h"

namespace ipc {

// Rights as bits; a set of them is held by a token or needed by a request.
inline constexpr std::uint32_t kRightShutdown = 1;        // SeShutdownPrivilege in the token
inline constexpr std::uint32_t kRightAdministrators = 2;  // the Administrators group enabled in it
inline constexpr std::uint32_t kAllRights = kRightShutdown | kRightAdministrators;

// What power-action request `request` (1..6; anything else counts as the strictest) needs.
std::uint32_t power_request_rights(std::uint32_t request);
// What a request needs; 0 for requests open to all and for messages the service does not take.
std::uint32_t rights_needed(const PipeMessage& message);
// What the protection switches need, on the tray's menu as over the pipe.
inline constexpr std::uint32_t kSwitchRights = kRightAdministrators;

inline std::uint32_t missing_rights(std::uint32_t needed, std::uint32_t held) { return needed & ~held; }

// What the asking side tells its user about a refused request ("Служба ИБП отклонила запрос: ...").
std::string refusal_text(std::uint32_t missing);
// The rights in the service's event line ("права администратора", ...).
std::string rights_text(std::uint32_t rights);

}  // namespace ipc
