#include "statsheet/user_locale_win.h"

#include <windows.h>

#include "platform/wide_text_win.h"
#include "statsheet/sheet_texts.h"

namespace statsheet {
namespace {

std::wstring user_locale_text(LCTYPE what) {
  wchar_t text[80] = {};
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, what, text, 80);
  return length > 1 ? std::wstring(text, length - 1) : std::wstring();
}

}  // namespace

std::wstring month_title_text(const YearMonth& month) {
  if (!is_valid_month(month)) return {};
  return user_locale_text(LOCALE_SMONTHNAME1 + month.month - 1) + L" " + std::to_wstring(month.year);
}

std::wstring weekday_name(int weekday) {
  // The system counts from Monday (LOCALE_SABBREVDAYNAME1) to Sunday (…7).
  return user_locale_text(LOCALE_SABBREVDAYNAME1 + (weekday + 6) % 7);
}

char user_decimal_point() { return decimal_point_from_locale(platform::to_utf8(user_locale_text(LOCALE_SDECIMAL))); }

}  // namespace statsheet
