// The three kinds of entry the Windows Event Log shows, as the system reports them.
#pragma once

namespace platform {

enum class EventLogKind { information, warning, error };

}  // namespace platform
