// The locale's date and time conventions as a spreadsheet's number format.
#pragma once

#include <string>

#include "support/locale_format.h"

namespace lognex {

// The locale's short date, a blank and its long time as an Office Open XML
// number format code in UTF-8 ("dd\.mm\.yyyy hh:mm:ss" for German): day,
// month and year fields with the locale's padding, month names as "mmm" or
// "mmmm", a 12-hour clock through "AM/PM", blanks and colons as they are,
// every other character an escaped literal. Flags and modifiers of the strftime conversions are followed where
// a spreadsheet can ("%-d" is "d"); case changes are not.
std::string ExcelDateTimeFormat(const LocaleFormat& locale);

}  // namespace lognex
