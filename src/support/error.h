// Exceptions that carry the message a user sees.
//
// Every failure in Lognex travels as an exception whose what() is the text
// the window's error box (or the batch tool's standard error) shows, word for
// word. Modules derive their own kinds where a caller needs to tell them apart;
// nothing crosses a module line as an error code.
//
// what() is Windows-1252 text, the program's own encoding: a message quotes
// log and table texts byte for byte. A file path is the system's bytes
// (UTF-8 here), so an error that quotes one converts it where it is thrown
// (PathToAnsi, or CannotCreateFileText, which does it). Readers show what()
// as Windows-1252 text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lognex {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not read as the value it should be: "'%s' is not a valid
// time", "'%s' is not a valid integer value", "Invalid argument to date encode".
class ConversionError : public Error {
public:
    using Error::Error;
};

// The error box's rule, shared by the window and the batch tool: "." is
// appended to a message whose last character sorts after ".".
constexpr bool NeedsClosingPeriod(char32_t last) { return last > U'.'; }

// message as the error box shows it (Windows-1252 text).
inline std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && NeedsClosingPeriod(static_cast<unsigned char>(text.back()))) text += '.';
    return text;
}

}  // namespace lognex
