// Rich text (RTF) read as plain text, for logs saved from a rich-text view.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// Turns rich text into plain text: control words, hidden groups (font and
// colour tables, pictures, ...) are dropped; \par and \line become breaks;
// \'hh escapes become their byte. Text only, no formatting.
std::string RtfToPlainText(std::string_view rtf);

}  // namespace lognex
