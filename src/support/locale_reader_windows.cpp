// Windows implementation of the locale readers of locale_format.h: the
// user's locale through GetLocaleInfoEx, its UTF-16 texts passed on as UTF-8.
#include <windows.h>

#include "support/locale_format.h"
#include "support/windows_date_pictures.h"
#include "support/windows_errors.h"

namespace lognex {
namespace {

std::string LocaleText(LCTYPE item) {
    wchar_t buffer[128] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
    if (length <= 1) return {};
    return Utf8FromWide(std::wstring(buffer, static_cast<std::size_t>(length - 1)));
}

}  // namespace

RawLocaleInfo ReadProcessLocaleInfo() {
    static constexpr LCTYPE kAbMon[12] = {
        LOCALE_SABBREVMONTHNAME1, LOCALE_SABBREVMONTHNAME2,  LOCALE_SABBREVMONTHNAME3,  LOCALE_SABBREVMONTHNAME4,
        LOCALE_SABBREVMONTHNAME5, LOCALE_SABBREVMONTHNAME6,  LOCALE_SABBREVMONTHNAME7,  LOCALE_SABBREVMONTHNAME8,
        LOCALE_SABBREVMONTHNAME9, LOCALE_SABBREVMONTHNAME10, LOCALE_SABBREVMONTHNAME11, LOCALE_SABBREVMONTHNAME12};
    static constexpr LCTYPE kMon[12] = {LOCALE_SMONTHNAME1,  LOCALE_SMONTHNAME2,  LOCALE_SMONTHNAME3,
                                        LOCALE_SMONTHNAME4,  LOCALE_SMONTHNAME5,  LOCALE_SMONTHNAME6,
                                        LOCALE_SMONTHNAME7,  LOCALE_SMONTHNAME8,  LOCALE_SMONTHNAME9,
                                        LOCALE_SMONTHNAME10, LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};
    RawLocaleInfo raw;
    raw.codeset = "UTF-8";
    for (std::size_t i = 0; i < 12; ++i) {
        raw.abbreviatedMonths[i] = LocaleText(kAbMon[i]);
        raw.months[i] = LocaleText(kMon[i]);
    }
    raw.dateFormat = StrftimeFromWindowsPicture(LocaleText(LOCALE_SSHORTDATE));
    raw.timeFormat = StrftimeFromWindowsPicture(LocaleText(LOCALE_STIMEFORMAT));
    raw.decimalPoint = LocaleText(LOCALE_SDECIMAL);
    raw.am = LocaleText(LOCALE_S1159);
    raw.pm = LocaleText(LOCALE_S2359);
    return raw;
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

}  // namespace lognex
