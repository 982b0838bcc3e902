// The new-data event "Global\newDataUPS": signalled while the service runs and the shared block is
// between two cycles' updates. The service creates it; readers open it and only test it.
#pragma once

#include <windows.h>

#include "ipc/cycle_publication.h"
#include "ipc/shared_block.h"
#include "platform/handles_win.h"
#include "platform/object_takeover_win.h"

namespace ipc {

// Manual reset, not signalled; interactive users may wait on it and query it. An event left behind by
// an earlier run of the service, still held open by a reader, is reset: the new run has not
// published yet. One that another account made first is taken back (object_takeover_win.h): its
// maker can only set or reset it, and readers never trust the block on the event alone. Empty
// when refused, and after "UPS::CreateEvent error: %u\n" on any other failure. `adoption` says
// what was found.
platform::UniqueHandle create_new_data_event(platform::Adoption& adoption, const char* name = kNewDataEventName);

// A reader's handle (wait and query only); empty while the service has not created the event.
platform::UniqueHandle open_new_data_event(const char* name = kNewDataEventName);

// The publisher's view of an event it holds.
class NewDataEvent final : public NewDataSignal {
 public:
  explicit NewDataEvent(HANDLE event) : event_(event) {}
  void reset() override { ResetEvent(event_); }
  void set() override { SetEvent(event_); }

 private:
  HANDLE event_;
};

}  // namespace ipc
