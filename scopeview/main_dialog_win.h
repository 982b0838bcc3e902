// CMainDlg: the viewer's one modeless dialog, "UPS realtime graph". While running it takes one
// sample a second of four values of the status block into the sample store and hands them to the
// oscilloscope; stopped, the traces stay and can be zoomed. Window thread only.
#pragma once

#include <windows.h>

#include "scopeview/block_view_win.h"
#include "scopeview/osc_ctrl_win.h"
#include "scopeview/viewer_sampling.h"

namespace scopeview {

class CMainDlg {
 public:
  explicit CMainDlg(const BlockView& block) : block_(block) {}
  // The dialog, shown; null when it cannot be made.
  HWND create();
  HWND hwnd() const { return hwnd_; }
  // The idle update: which buttons may be pressed now.
  void update_controls();

 private:
  static INT_PTR CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool initialise();
  void load_controls_from_scope();
  void command(int id, int code);
  void toggle_setting(int id);
  void run();
  void stop();
  void tick();
  void take_last_points(bool rewrite);
  void exit();

  const BlockView& block_;
  HWND hwnd_ = nullptr;
  OscilloscopeCtrl scope_;
  ViewerSampling sampling_{scope_};
};

}  // namespace scopeview
