#include "statsheet/calendar_ctrl_win.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/gdi_win.h"
#include "platform/module_win.h"
#include "platform/side_effects.h"
#include "platform/window_class_win.h"
#include "statsheet/calendar_layout.h"
#include "statsheet/month_popup_win.h"
#include "statsheet/user_locale_win.h"

namespace statsheet {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr COLORREF kSelectedText = RGB(17, 0, 0);
constexpr COLORREF kTodayFrame = RGB(128, 0, 0);
constexpr COLORREF kArrowColour = RGB(0, 0, 0);

enum FontSlot { kTitleFont, kWeekdayFont, kDayFont, kFlaggedFont, kFontSlots };

struct FontLook {
  const wchar_t* face;
  int points;
  int colour;  // system colour index
  bool bold, italic, underline;
};

constexpr std::array<FontLook, kFontSlots> kFontLooks{{
    {L"Tahoma", 10, COLOR_BTNTEXT, true, false, false},
    {L"Tahoma", 9, COLOR_BTNTEXT, false, false, false},
    {L"Tahoma", 9, COLOR_BTNTEXT, false, false, false},
    {L"Tahoma", 9, COLOR_HIGHLIGHT, true, false, false},
}};

HFONT make_font(const FontLook& look, int dots_per_inch) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(look.points, dots_per_inch, 72);
  font.lfWeight = look.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = look.italic;
  font.lfUnderline = look.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = PROOF_QUALITY;
  lstrcpynW(font.lfFaceName, look.face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

SIZE text_size(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

RECT to_rect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void fill(HDC dc, const PixelRect& area, COLORREF colour) {
  const RECT r = to_rect(area);
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// A one-pixel outline: top and left in one colour, bottom and right in another.
void outline(HDC dc, const PixelRect& r, COLORREF top_left, COLORREF bottom_right) {
  fill(dc, {r.left, r.top, r.right, r.top + 1}, top_left);
  fill(dc, {r.left, r.top, r.left + 1, r.bottom}, top_left);
  fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
  fill(dc, {r.right - 1, r.top, r.right, r.bottom}, bottom_right);
}

void draw_text(HDC dc, const std::wstring& text, const PixelRect& where, UINT format) {
  RECT r = to_rect(where);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_SINGLELINE | DT_NOPREFIX);
}

CalendarDate today() {
  const platform::LocalTime now = platform::side_effects().local_time();
  return {now.year, now.month, now.day};
}

std::optional<int> keyboard_setting(UINT action) {
  int value = 0;
  if (!SystemParametersInfoW(action, 0, &value, 0)) return std::nullopt;
  return value;
}

SYSTEMTIME to_system_time(const CalendarDate& date) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(date.year);
  time.wMonth = static_cast<WORD>(date.month);
  time.wDay = static_cast<WORD>(date.day);
  time.wDayOfWeek = static_cast<WORD>(std::max(day_of_week(date), 0));
  return time;
}

}  // namespace

struct CMiniCalendarCtrl::Window {
  explicit Window(CMiniCalendarCtrl& owner) : control(owner) {}

  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  bool make_fonts();
  void measure();
  void relayout();
  void apply(const CalendarReaction& reaction);
  LRESULT notify(NMHDR& header, int code);
  void ask_day_state();
  void tell_selection();
  void open_month_list();
  void mouse(UINT message, WPARAM wparam, LPARAM lparam);

  void paint(HDC target);
  void draw(HDC dc);
  void draw_frame(HDC dc) const;
  void draw_title(HDC dc) const;
  void draw_weekdays(HDC dc) const;
  bool draw_days(HDC dc);
  void draw_grid(HDC dc) const;
  int text_inset() const { return metrics.padding_x / 5 + 2; }

  CalendarModel& model() { return control.model_; }
  HWND hwnd() const { return control.hwnd_; }

  CMiniCalendarCtrl& control;
  // Cleared when the window goes: a parent's answer to a notification, or the month list's loop,
  // may destroy it (and this object with it) while its handler is still on the stack.
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);
  std::array<platform::UniqueGdiObject, kFontSlots> fonts;
  CalendarMetrics metrics;
  CalendarLayout layout{CalendarMetrics{}, false};
};

CMiniCalendarCtrl::CMiniCalendarCtrl() = default;

CMiniCalendarCtrl::~CMiniCalendarCtrl() {
  if (hwnd_) DestroyWindow(hwnd_);
  // The library may be loaded again elsewhere: a class left behind would name the old procedure.
  // Fails harmlessly while another calendar still has a window.
  UnregisterClassW(kCalendarWindowClass, platform::this_module());
}

HWND CMiniCalendarCtrl::create(HWND parent, int x, int y, int id, unsigned style_bits) {
  if (hwnd_) return nullptr;
  if (!platform::register_window_class(kCalendarWindowClass, Window::proc, nullptr, 0)) return nullptr;
  window_ = std::make_unique<Window>(*this);
  const DWORD style = WS_CHILD | WS_VISIBLE | (style_bits & kCalendarStyleMask);
  CreateWindowExW(0, kCalendarWindowClass, L"", style, x, y, 0, 0, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), platform::this_module(), window_.get());
  if (!hwnd_ || !window_->make_fonts()) {
    if (hwnd_) DestroyWindow(hwnd_);
    window_.reset();
    return nullptr;
  }
  Window& window = *window_;
  window.measure();
  model_.set_arrow_repeat(
      arrow_repeat(keyboard_setting(SPI_GETKEYBOARDDELAY), keyboard_setting(SPI_GETKEYBOARDSPEED)));
  window.apply(model_.create(style_bits, today()));
  return hwnd_;
}

bool CMiniCalendarCtrl::set_selected_date(const CalendarDate& date) {
  CalendarReaction reaction;
  if (!model_.set_selected_date(date, reaction)) return false;
  if (window_) window_->apply(reaction);
  return true;
}

void CMiniCalendarCtrl::set_style(unsigned style_bits) {
  const CalendarReaction reaction = model_.set_style(style_bits);
  if (!hwnd_) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(kCalendarStyleMask);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style | (style_bits & kCalendarStyleMask));
  window_->apply(reaction);
}

void CMiniCalendarCtrl::redraw() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK CMiniCalendarCtrl::Window::proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = platform::window_owner<Window>(hwnd, message, lparam);
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) {
    self->control.hwnd_ = hwnd;
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->control.hwnd_ = nullptr;
    *self->alive = false;
  }
  return self->handle(hwnd, message, wparam, lparam);
}

LRESULT CMiniCalendarCtrl::Window::handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      platform::PaintingDc dc(hwnd);
      paint(dc.get());
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      mouse(message, wparam, lparam);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd) apply(model().button_up());
      return 0;
    case WM_TIMER:
      if (wparam == kRepeatTimer) apply(model().repeat_timer());
      return 0;
    // Colours, fonts, the display or today's date may have changed.
    case WM_SYSCOLORCHANGE:
    case WM_DEVMODECHANGE:
    case WM_FONTCHANGE:
    case WM_TIMECHANGE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool CMiniCalendarCtrl::Window::make_fonts() {
  HDC screen = GetDC(nullptr);
  const int dots_per_inch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  for (int slot = 0; slot < kFontSlots; ++slot) {
    fonts[slot].reset(make_font(kFontLooks[slot], dots_per_inch));
    if (!fonts[slot]) return false;
  }
  return true;
}

void CMiniCalendarCtrl::Window::measure() {
  CalendarMetrics measured;
  HDC dc = GetDC(hwnd());
  for (const int slot : {kDayFont, kFlaggedFont}) {
    platform::SelectedObject font(dc, fonts[slot].get());
    for (int day = 10; day <= 31; ++day) {
      const SIZE size = text_size(dc, std::to_wstring(day));
      measured.day_width = std::max<int>(measured.day_width, size.cx);
      measured.day_height = std::max<int>(measured.day_height, size.cy);
    }
  }
  {
    platform::SelectedObject font(dc, fonts[kWeekdayFont].get());
    for (const wchar_t letter : std::wstring(L"SMTWF")) {
      const SIZE size = text_size(dc, std::wstring(1, letter));
      measured.day_width = std::max<int>(measured.day_width, size.cx);
      measured.weekday_height = std::max<int>(measured.weekday_height, size.cy);
    }
  }
  {
    platform::SelectedObject font(dc, fonts[kTitleFont].get());
    for (int year = 1990; year <= 2019; ++year)
      for (int month = 1; month <= 12; ++month) {
        const SIZE size = text_size(dc, month_title_text({year, month}));
        measured.title_width = std::max<int>(measured.title_width, size.cx);
        measured.title_text_height = std::max<int>(measured.title_text_height, size.cy);
      }
  }
  ReleaseDC(hwnd(), dc);
  metrics = measured;
}

void CMiniCalendarCtrl::Window::relayout() {
  layout = CalendarLayout(metrics, (model().style() & kCalendarFrame) != 0);
  SetWindowPos(hwnd(), nullptr, 0, 0, layout.width(), layout.height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMiniCalendarCtrl::Window::apply(const CalendarReaction& reaction) {
  const HWND window = hwnd();
  if (!window) return;
  const std::shared_ptr<bool> living = alive;
  if (reaction.capture) SetCapture(window);
  if (reaction.release_capture && GetCapture() == window) ReleaseCapture();
  if (reaction.stop_timer) KillTimer(window, kRepeatTimer);
  if (reaction.start_timer_ms > 0) SetTimer(window, kRepeatTimer, static_cast<UINT>(reaction.start_timer_ms), nullptr);
  if (reaction.get_day_state) {
    ask_day_state();
    if (!*living) return;
  }
  if (reaction.selection_changed) {
    tell_selection();
    if (!*living) return;
  }
  if (reaction.open_month_list) {
    open_month_list();
    if (!*living) return;
  }
  if (reaction.relayout) relayout();
  if (reaction.redraw) InvalidateRect(window, nullptr, FALSE);
}

LRESULT CMiniCalendarCtrl::Window::notify(NMHDR& header, int code) {
  const HWND window = hwnd();
  const int id = GetDlgCtrlID(window);
  header.hwndFrom = window;
  header.idFrom = static_cast<UINT_PTR>(id);
  header.code = static_cast<UINT>(code);
  return SendMessageW(GetParent(window), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
}

void CMiniCalendarCtrl::Window::ask_day_state() {
  const YearMonth shown = model().displayed();
  CalendarDayState request{{}, shown.month, shown.year, 0};
  const std::shared_ptr<bool> living = alive;
  const LRESULT answer = notify(request.header, CMN_GETDAYSTATE);
  // The answer is for the month asked about; a parent may have moved the view meanwhile.
  if (*living && answer > 0 && model().displayed() == shown) model().set_day_state(request.mask);
}

void CMiniCalendarCtrl::Window::tell_selection() {
  CalendarSelChange change{{}, to_system_time(model().selection_start()), to_system_time(model().selection_end())};
  notify(change.header, CMN_SELCHANGE);
}

void CMiniCalendarCtrl::Window::open_month_list() {
  RECT title = to_rect(layout.title());
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&title), 2);
  CMonthPopupCtrl list;
  const std::shared_ptr<bool> living = alive;
  const std::optional<YearMonth> chosen =
      list.run(hwnd(), {title.left, title.top, title.right, title.bottom},
               static_cast<HFONT>(fonts[kTitleFont].get()), metrics.title_width, model().displayed());
  if (*living && chosen) apply(model().show_month(*chosen));
}

void CMiniCalendarCtrl::Window::mouse(UINT message, WPARAM wparam, LPARAM lparam) {
  const CalendarHit hit = layout.hit(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
  if (message == WM_LBUTTONDOWN) apply(model().button_down(hit, (wparam & MK_SHIFT) != 0));
  else if (message == WM_MOUSEMOVE) apply(model().mouse_move(hit));
  else apply(model().button_up());
}

void CMiniCalendarCtrl::Window::paint(HDC target) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  platform::UniqueMemoryDc memory(CreateCompatibleDC(target));
  platform::UniqueGdiObject bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!memory || !bitmap) return;  // out of GDI resources: the control stays as it was
  const std::shared_ptr<bool> living = alive;
  platform::SelectedObject canvas(memory.get(), bitmap.get());
  draw(memory.get());
  if (*living) BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void CMiniCalendarCtrl::Window::draw(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  fill(dc, layout.block(), GetSysColor(COLOR_WINDOW));
  if (model().style() & kCalendarFrame) draw_frame(dc);
  draw_title(dc);
  draw_weekdays(dc);
  if (!draw_days(dc)) return;
  draw_grid(dc);
}

void CMiniCalendarCtrl::Window::draw_frame(HDC dc) const {
  static constexpr std::array<std::array<int, 2>, kCalendarFrameWidth> kPairs{{
      {COLOR_BTNFACE, COLOR_BTNTEXT},
      {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {COLOR_BTNFACE, COLOR_BTNFACE},
      {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
  }};
  PixelRect ring{0, 0, layout.width(), layout.height()};
  for (const auto& pair : kPairs) {
    outline(dc, ring, GetSysColor(pair[0]), GetSysColor(pair[1]));
    ring = {ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1};
  }
}

void CMiniCalendarCtrl::Window::draw_title(HDC dc) const {
  const PixelRect bar = layout.title();
  fill(dc, bar, GetSysColor(COLOR_BTNFACE));
  outline(dc, bar, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
  {
    platform::SelectedObject font(dc, fonts[kTitleFont].get());
    SetTextColor(dc, GetSysColor(kFontLooks[kTitleFont].colour));
    draw_text(dc, month_title_text(control.model_.displayed()), bar, DT_CENTER | DT_VCENTER);
  }
  platform::UniqueGdiObject brush(CreateSolidBrush(kArrowColour));
  platform::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, kArrowColour));
  platform::SelectedObject with_brush(dc, brush.get());
  platform::SelectedObject with_pen(dc, pen.get());
  for (const auto& arrow : {layout.previous_arrow(), layout.next_arrow()}) {
    const POINT corners[3] = {{arrow[0].x, arrow[0].y}, {arrow[1].x, arrow[1].y}, {arrow[2].x, arrow[2].y}};
    Polygon(dc, corners, 3);
  }
}

void CMiniCalendarCtrl::Window::draw_weekdays(HDC dc) const {
  platform::SelectedObject font(dc, fonts[kWeekdayFont].get());
  SetTextColor(dc, GetSysColor(kFontLooks[kWeekdayFont].colour));
  for (int column = 0; column < kGridColumns; ++column) {
    PixelRect where = layout.weekday_cell(column);
    where.right -= text_inset();
    draw_text(dc, weekday_name(column), where, DT_RIGHT | DT_VCENTER);
  }
}

// False when the parent destroyed the control while drawing a cell.
bool CMiniCalendarCtrl::Window::draw_days(HDC dc) {
  const CalendarDate now = today();
  const CalendarCells cells = control.model_.cells(now);
  const std::shared_ptr<bool> living = alive;
  for (int i = 0; i < kGridCells; ++i) {
    const CalendarCell& cell = cells[i];
    const PixelRect area = layout.day_cell(i);
    const int slot = cell.flagged ? kFlaggedFont : kDayFont;
    platform::SelectedObject font(dc, fonts[slot].get());
    COLORREF text = cell.day.in_month ? GetSysColor(kFontLooks[slot].colour) : GetSysColor(COLOR_GRAYTEXT);
    if (cell.selected) {
      fill(dc, area, GetSysColor(COLOR_BTNFACE));
      text = kSelectedText;
    }
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    // A cell that shows no day is still handed over, as an invalid date, so that the parent
    // never keeps a drawing of the month before in it.
    const bool dated = cell.shown;
    CalendarDrawDay request{{},
                            i % kGridColumns,
                            i / kGridColumns,
                            dated ? cell.day.date.day : -1,
                            dated ? cell.day.date.month : -1,
                            dated ? cell.day.date.year : -1,
                            to_rect(area),
                            dc,
                            cell.selected};
    const LRESULT drawn = notify(request.header, CMN_DRAWDAY);
    if (!*living) return false;
    if (!drawn && dated) {
      const PixelRect corner{area.left, area.top, area.right - text_inset(), area.bottom - 4};
      draw_text(dc, std::to_wstring(cell.day.date.day), corner, DT_RIGHT | DT_BOTTOM);
    }
    if (cell.today) {
      const PixelRect frame = layout.today_frame(area);
      outline(dc, frame, kTodayFrame, kTodayFrame);
    }
  }
  return true;
}

void CMiniCalendarCtrl::Window::draw_grid(HDC dc) const {
  const COLORREF colour = GetSysColor(COLOR_BTNSHADOW);
  const int left = layout.day_cell(0).left;
  const int right = layout.day_cell(kGridColumns - 1).right;
  for (int row = 0; row < kGridRows; ++row) {
    const int y = layout.week_line_y(row);
    fill(dc, {left, y, right, y + 1}, colour);
  }
  const int top = layout.weekday_cell(0).top;
  const int bottom = layout.day_cell(kGridCells - 1).bottom;
  for (int between = 0; between < kGridColumns - 1; ++between) {
    const int x = layout.column_line_x(between);
    fill(dc, {x, top, x + 1, bottom}, colour);
  }
}

}  // namespace statsheet
