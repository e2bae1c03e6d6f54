#include "views/csv_text.h"

#include <charconv>

#include "support/ansi_text.h"

namespace lognex {

std::string CsvField(std::string_view ansiText) {
    const std::string text = AnsiToUtf8(ansiText);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) record += ',';
        record += fields[i];
    }
    return record + "\r\n";
}

std::string DecimalText(double value, int decimals) {
    char text[400];  // the largest double in fixed form, and its decimals
    const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    std::string s(text, static_cast<std::size_t>(end - text));
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

}  // namespace lognex
