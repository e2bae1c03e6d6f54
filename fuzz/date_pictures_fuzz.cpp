// The date pictures in both directions on any picture and text: no crash, no
// undefined behaviour, and values read back lie in their ranges.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "support/date_pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lognex::fuzz::Input input(data, size);
    const lognex::LocaleFormat locale = lognex::CLocaleFormat();
    const lognex::CalendarDefaults defaults{static_cast<int>(input.Byte() % 14), 1990 + input.Byte()};
    const int epoch = 1900 + input.Byte();
    std::int32_t number = 0;
    for (int i = 0; i < 4; ++i)
        number = static_cast<std::int32_t>((static_cast<std::uint32_t>(number) << 8) | input.Byte());
    double dateTime = 0;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | input.Byte();
    std::memcpy(&dateTime, &bits, sizeof dateTime);
    const bool pack = (number & 1) != 0;
    const std::string_view picture = input.Piece();
    const std::string_view text = input.Rest();

    const lognex::DayNumber day = lognex::PictureToDayNumber(picture, text, epoch, defaults);
    if (day < lognex::InvalidDay) std::abort();
    const lognex::DaySeconds seconds = lognex::PictureToDaySeconds(picture, text);
    if (seconds < lognex::InvalidSeconds || seconds > 86399) std::abort();
    (void)lognex::DayNumberToPicture(picture, number, pack, locale);
    (void)lognex::DaySecondsToPicture(picture, number, pack, locale);
    (void)lognex::DayNumberToPicture(picture, day, pack, locale);
    (void)lognex::DaySecondsToPicture(picture, seconds, pack, locale);
    (void)lognex::FormatDateTimeText(picture, dateTime, locale);
    (void)lognex::FormatDateTimeText({}, dateTime, locale);
    (void)lognex::DateTimeToDayNumber(dateTime);
    (void)lognex::DateTimeToDaySeconds(dateTime);
    // Spans are taken between stamps read back from pictures: valid or invalid (-1).
    const lognex::DayNumber otherDay = number % 1'461'000;  // beyond the year 3999, both signs
    (void)lognex::SpanBetween({day, seconds}, {otherDay < 0 ? lognex::InvalidDay : otherDay, seconds});
    return 0;
}
