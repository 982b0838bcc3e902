// scopeview: the diagnostic viewer. Plots the live values of the running service's status block;
// without the service there is nothing to show and it ends at once, silently.
#include <windows.h>
#include <commctrl.h>

#include "scopeview/block_view_win.h"
#include "scopeview/main_dialog_win.h"

namespace {

// The message loop, with the dialog's keys and an idle update of its buttons whenever the queue
// has run empty.
int run_dialog(scopeview::CMainDlg& dialog) {
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (dialog.hwnd() && IsDialogMessageW(dialog.hwnd(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (dialog.hwnd()) dialog.update_controls();
    WaitMessage();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  scopeview::BlockView block;
  if (!block.attach()) return 0;
  scopeview::CMainDlg dialog(block);
  if (!dialog.create()) return 1;
  return run_dialog(dialog);
}
