// Drives a running setup dialog by window messages, from its own process or from another one:
// finds it by title, finds tree entries by their texts, selects an entry, a port and the tray
// box, and presses a button. The dialog reacts as to a user: a selected entry fills its fields.
//
// The tree's texts are read through a buffer inside the dialog's process, so the driver must be
// of the same bitness as that process. One driver per dialog; use it from one thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "platform/handles_win.h"

namespace setup_answer {

class SetupDialogDriver {
 public:
  // Waits up to `timeout_ms` for a visible setup dialog that answers messages.
  static std::optional<SetupDialogDriver> attach(DWORD timeout_ms);

  HWND dialog() const { return dialog_; }

  // The top-level entry with text `top`; with `child`, that entry's child with text `child`.
  HTREEITEM find_entry(const std::wstring& top, const std::wstring* child) const;
  std::optional<std::wstring> entry_text(HTREEITEM item) const;
  HTREEITEM selected_entry() const;
  bool select_entry(HTREEITEM item) const;

  // Selects the port entry whose text is `port` (ignoring case), as a click does; false when there
  // is none.
  bool select_port(const std::wstring& port) const;
  std::wstring selected_port() const;

  void set_tray_box(bool checked) const;
  bool tray_box() const;

  // The text of a field or other control of the dialog.
  std::wstring control_text(int id) const;
  // Types `text` into an edit field of the dialog; true when the field shows it.
  bool set_field(int id, const std::wstring& text) const;
  bool field_enabled(int id) const;

  // Presses OK (IDOK) or Cancel (IDCANCEL); true once the dialog has handled it.
  bool press(int button) const;

  // Presses OK and sees what follows: the dialog closes, or it refuses with a message box, whose
  // text is returned after the box has been answered (the dialog then stays open).
  struct Outcome {
    bool closed = false;
    std::wstring refusal;
  };
  Outcome press_ok(DWORD timeout_ms) const;

 private:
  SetupDialogDriver(HWND dialog, HWND tree, platform::UniqueHandle process);

  bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result = nullptr) const;
  HTREEITEM next(UINT relation, HTREEITEM item) const;

  HWND dialog_;
  HWND tree_;
  platform::UniqueHandle process_;  // the dialog's, for the text buffer
};

}  // namespace setup_answer
