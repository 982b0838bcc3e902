// CTaskbarNotifier: the tray's pop-up notifier, a skinned, semi-transparent, topmost window
// (class "UPSTaskbarNotifier") that slides out of the screen edge where the taskbar is, shows a
// text for a few seconds and slides back. A click on it posts kMsgShowSettings to its owner; the
// text is underlined in the hover colour while the mouse is over it. Every decision (edge, steps,
// timers, when to redraw) is NotifierMotion's; this class carries them out with Win32 and GDI.
//
// Window thread only: create, the setters and show run on the thread that pumps the owner's
// messages. Neither copyable nor movable: the window keeps the object's address.
// Invariants: hwnd() is null before create and once the window is gone; the window (and with it
// its timers) goes with the object, or earlier with its owner, after which the object no longer
// touches it. The window's size while out is the skin's. Skin and fonts are owned here.
#pragma once

#include <windows.h>

#include <string>

#include "platform/gdi_win.h"
#include "tray/notifier_motion.h"

namespace tray {

class CTaskbarNotifier {
 public:
  CTaskbarNotifier() = default;
  ~CTaskbarNotifier();
  CTaskbarNotifier(const CTaskbarNotifier&) = delete;
  CTaskbarNotifier& operator=(const CTaskbarNotifier&) = delete;

  // The hidden pop-up owned by `owner`; false when the window cannot be made.
  bool create(HWND owner);
  // Loads the bitmap resource `bitmap_id` of this library: the window takes its size and the
  // text may use all of it. False (and the earlier skin kept) when there is no such bitmap.
  bool set_skin(UINT bitmap_id);
  // The same with a bitmap the caller made; the notifier owns it from here on.
  bool adopt_skin(HBITMAP bitmap);
  // `face` at `size` tenths of a point, regular; the hover font is the same, underlined.
  bool set_text_font(const wchar_t* face, int size);
  void set_text_colours(COLORREF normal, COLORREF hover);
  // Where the text goes, in window coordinates.
  void set_text_rect(const RECT& rect);
  // Slides out with `text`, or replaces the text of a notifier that is already out.
  void show(const std::wstring& text);

  HWND hwnd() const { return hwnd_; }
  // The skin's size, which is the window's while it is out; 0 × 0 without a skin.
  int width() const { return motion_.width(); }
  int height() const { return motion_.height(); }
  NotifierState state() const { return motion_.state(); }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void on_create();
  void erase(HDC dc) const;
  void paint(HDC dc) const;
  void track_mouse() const;
  void hover(bool on);
  void apply(const NotifierActions& actions);
  void redraw() const;

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  platform::UniqueGdiObject font_;
  platform::UniqueGdiObject hover_font_;
  platform::UniqueGdiObject skin_;
  COLORREF text_colour_ = RGB(133, 146, 181);
  COLORREF hover_colour_ = RGB(10, 36, 106);
  COLORREF background_ = RGB(58, 122, 180);  // without a skin, inside a 1-px black frame
  HCURSOR hand_ = nullptr;                   // the system's shared cursor: never destroyed
  RECT text_rect_{};
  UINT text_format_ = 0;  // DrawText flags
  NotifierMotion motion_;
};

}  // namespace tray
