// Conversions between the program's single-byte text and UTF-16.
//
// Text inside Lognex is bytes in the ANSI code page, which for this program is
// Windows-1252. The window and the workbook need UTF-16; these are the only
// places where the two meet.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lognex {

// Each byte becomes its Windows-1252 character. The five bytes that code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the
// same value, as Windows itself does.
std::u16string WidenAnsi(std::string_view text);

// Each UTF-16 unit becomes its Windows-1252 byte; a character the code page
// cannot hold becomes '?'.
std::string NarrowToAnsi(std::u16string_view text);

// Appends the UTF-8 bytes of one UTF-16 unit (a surrogate is written as it
// stands; Windows-1252 text never holds one).
void AppendUtf8(std::string& out, char16_t unit);

// Windows-1252 text as UTF-8, for a terminal or a file that expects it.
std::string AnsiToUtf8(std::string_view text);

// The Windows-1252 bytes of text, or nothing when a character is not one of
// that code page's own (the five undefined bytes' C1 controls included).
std::optional<std::string> NarrowToAnsiExactly(std::u16string_view text);
// A file path as the system names it (UTF-8 bytes) turned into Windows-1252
// text for a message: each UTF-8 character becomes its Windows-1252 byte,
// '?' when the code page cannot hold it; a byte that does not read as UTF-8
// is kept as it is.
std::string PathToAnsi(std::string_view path);

}  // namespace lognex
