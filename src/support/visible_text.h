// Text from a file made safe to quote in a message.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// text with its control bytes shown: NUL as \0, the others below 0x20 and DEL
// as \xHH (ESC is \x1B). Everything else, Windows-1252 letters and signs
// 0x80-0xFF included, stays as it is. A message built from it can neither be
// cut short by a NUL nor drive a terminal with escape sequences.
std::string VisibleControlBytes(std::string_view text);

// VisibleControlBytes(text) between single quotes, as conversion messages
// quote the offending word: '%s' is not a valid time.
std::string QuotedForMessage(std::string_view text);

}  // namespace lognex
