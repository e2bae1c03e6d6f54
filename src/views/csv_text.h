// The pieces of the CSV files the batch tool writes: RFC 4180 fields in
// UTF-8 and numbers that read the same under every locale.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lognex {

// A Windows-1252 text as one UTF-8 CSV field, in double quotes (each quote
// doubled) when it holds a comma, a quote, a CR or an LF.
std::string CsvField(std::string_view ansiText);

// The fields joined by commas and ended by CR LF; the fields are ready-made.
std::string CsvRecord(const std::vector<std::string>& fields);

// value in fixed notation with `decimals` digits after a point, whatever
// LC_NUMERIC says; a value that rounds to zero has no minus sign.
std::string DecimalText(double value, int decimals);

}  // namespace lognex
