// The demo's eye on the tray application: at each turn of the story it clicks the tray icon (as a
// user would, through the icon's callback) and, once the balloon or notifier had time to appear,
// saves the whole desktop as a BMP file; at the end it looks at the day in the statistics sheet.
// Also closes the tray when the demo needs the pipe.
// One thread; nothing happens while no tray application runs.
#pragma once

#include <windows.h>

#include <string>

namespace demo {

class TrayPhotographer {
 public:
  // Pictures go to `directory` (empty: none are taken).
  explicit TrayPhotographer(std::string directory) : directory_(std::move(directory)) {}

  // Clicks the icon now; the picture "<n>-<what, as a file name>.bmp" is taken by the first tick
  // once what the click brought is out: 3 s later for a balloon, as soon as the notifier has slid
  // in. A picture still pending is taken first, when its balloon is out. False when no tray
  // application runs (or no pictures are wanted).
  bool click_and_photograph(const char* what);
  // Called every tenth of a second.
  void tick();
  // Takes a pending picture at once.
  void finish();
  // Opens "Статистика" from the tray's menu as a user would, photographs today on the day page,
  // then today's events and samples on the details page after its "Обновить" (the service's flush
  // answered), and closes the sheet. What happened, as a line for the story; empty when no tray
  // runs or no pictures are wanted.
  std::string photograph_statistics();

 private:
  std::string directory_;
  std::string pending_;
  DWORD due_ = 0;
  bool notifier_seen_ = false;
  int taken_ = 0;
};

}  // namespace demo
