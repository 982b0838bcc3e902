// The modal property sheet "Статистика": totals by year and by month, a calendar of days marked
// by what happened, and one day's events and samples with their CSV export. Everything is read
// from the archive through stat_reader; nothing is written into it but the summaries that
// stat_reader keeps up to date. GUI thread.
#pragma once

#include <windows.h>

#include <functional>

#include "ipc/pipe_client_win.h"

namespace statsheet {

// What the pages need of the tray application.
struct StatSheetServices {
  ipc::PipeClient* pipe = nullptr;          // the flush request goes only while it is connected
  std::function<void(HWND)> frame_created;  // the sheet's frame window, to bring it forward
  // The page waiting for the service's flush answer (kMsgNewData is posted to it), or null.
  std::function<void(HWND)> flush_waiter;
};

// Runs the sheet modally, owned by `owner`; returns when it closes. Nothing is shown when the
// archive's root cannot be read from the Config key.
void run_statistics_sheet(HWND owner, const StatSheetServices& services);

}  // namespace statsheet
