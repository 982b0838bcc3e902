// CMonthPopupCtrl: the month list that drops down over the calendar's title bar. It captures
// the mouse and runs its own message loop until the left button is released (a month is taken),
// Escape is pressed or the capture is lost (nothing is taken). MonthListModel decides the rows,
// the highlight and the scrolling; this window measures, paints and feeds it the pointer.
//
// GUI thread of the calendar. The loop also ends, with nothing taken, when the calendar window
// goes away meanwhile (its parent closed while the list was open), and passes a WM_QUIT on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/gdi_win.h"
#include "statsheet/month_popup.h"

namespace statsheet {

inline constexpr wchar_t kMonthPopupWindowClass[] = L"MonthPopupCtrl";

class CMonthPopupCtrl {
 public:
  CMonthPopupCtrl() = default;
  ~CMonthPopupCtrl();
  CMonthPopupCtrl(const CMonthPopupCtrl&) = delete;
  CMonthPopupCtrl& operator=(const CMonthPopupCtrl&) = delete;

  // Shows the list centred on `title_bar` (screen coordinates), `title_width` wide, in a copy of
  // `title_font`, starting three months before `displayed`; returns when the list closes. The
  // chosen month, or nothing.
  std::optional<YearMonth> run(HWND calendar, const PixelRect& title_bar, HFONT title_font, int title_width,
                               const YearMonth& displayed);
  HWND hwnd() const { return hwnd_; }

 private:
  enum class Outcome { running, chosen, cancelled };

  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool open(HWND calendar, const PixelRect& title_bar, int title_width);
  void loop(HWND calendar);
  void track(int y);
  void track_cursor();
  void paint(HDC dc) const;

  HWND hwnd_ = nullptr;
  platform::UniqueGdiObject font_;
  int row_height_ = 1;
  std::optional<MonthListModel> list_;
  Outcome outcome_ = Outcome::cancelled;
};

}  // namespace statsheet
