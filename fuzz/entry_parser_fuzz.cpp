// The entry parser on any header and text line, under a few locales: it
// either gives an entry or a conversion error, and its messages never carry
// raw control bytes.
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "logproc/log_entry_parser.h"
#include "support/error.h"
#include "support/locale_format.h"

namespace {

bool HasControlByte(std::string_view text) {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lognex::fuzz::Input input(data, size);
    lognex::LocaleFormat locale = lognex::CLocaleFormat();
    const std::uint8_t choice = input.Byte();
    if (choice & 1) {  // a locale with other separators and designators
        locale.timeSeparator = '.';
        locale.decimalSeparator = ',';
        locale.amDesignator = "vorm.";
        locale.pmDesignator = "";
    }
    if (choice & 2) locale.shortMonthNames[0] = std::string(input.Piece());
    const std::string_view header = input.Piece();
    const std::string_view text = input.Rest();
    try {
        const lognex::LogEntry entry = lognex::ParseLogEntry(header, text, locale);
        if (entry.text != text) std::abort();
        if (!entry.location.empty() && header.substr(header.size() - entry.location.size()) != entry.location)
            std::abort();
    } catch (const lognex::ConversionError& e) {
        if (HasControlByte(e.what())) std::abort();
    }
    return 0;
}
