// POSIX implementation of the locale readers of locale_format.h: the C
// library's locale through nl_langinfo.
#include <langinfo.h>

#include <ctime>

#include "support/locale_format.h"

namespace lognex {

RawLocaleInfo ReadProcessLocaleInfo() {
    static constexpr nl_item kAbMon[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                           ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item kMon[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                         MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    const auto text = [](nl_item item) {
        const char* s = nl_langinfo(item);
        return std::string(s != nullptr ? s : "");
    };
    RawLocaleInfo raw;
    raw.codeset = text(CODESET);
    for (std::size_t i = 0; i < 12; ++i) {
        raw.abbreviatedMonths[i] = text(kAbMon[i]);
        raw.months[i] = text(kMon[i]);
    }
    raw.dateFormat = text(D_FMT);
    raw.timeFormat = text(T_FMT);
    raw.decimalPoint = text(RADIXCHAR);
    raw.am = text(AM_STR);
    raw.pm = text(PM_STR);
    return raw;
}

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace lognex
