// Exceptions that carry the message a user sees.
//
// Every failure in Lognex travels as an exception whose what() is the text
// the window's error box (or the batch tool's standard error) shows, word for
// word. Modules derive their own kinds where a caller needs to tell them apart;
// nothing crosses a module line as an error code.
#pragma once

#include <stdexcept>
#include <string>

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

}  // namespace lognex
