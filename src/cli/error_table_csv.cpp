#include "cli/error_table_csv.h"

#include <charconv>

#include "support/ansi_text.h"
#include "views/timeline.h"

namespace lognex {
namespace {

void AppendField(std::string& out, std::string_view ansi) {
    const std::string text = AnsiToUtf8(ansi);
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendTime(std::string& out, DateTime when) {
    if (when != 0) out += IsoDateTime(ToMilliseconds(when));
}

void AppendNumber(std::string& out, double value) {
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
    out.append(digits, result.ptr);
}

}  // namespace

std::string ErrorTableCsv(const ErrorTable& table, const Analysis& analysis) {
    std::string out = "Count,Error,Location,First,Last,Per day,Share (%)\r\n";
    for (const ErrorRow& row : table.rows) {
        out += std::to_string(row.count);
        out += ',';
        AppendField(out, analysis.Errors()[row.error].text);
        out += ',';
        AppendField(out, LocationCellText(row, analysis));
        out += ',';
        AppendTime(out, row.first);
        out += ',';
        AppendTime(out, row.last);
        out += ',';
        AppendNumber(out, row.perDay);
        out += ',';
        AppendNumber(out, row.share);
        out += "\r\n";
    }
    return out;
}

}  // namespace lognex
