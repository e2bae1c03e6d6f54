// --xlsx of the batch tool: the error table and the occurrences as an .xlsx
// workbook, where the build has libxlsxwriter.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "support/locale_format.h"
#include "views/error_table.h"
#include "views/time_range.h"

namespace lognex {

// Why --xlsx cannot be used in this build, or empty when it can.
std::string_view XlsxUnavailableReason();

// The workbook's bytes, made in scratchFolder (its file registered for
// removal should the tool be interrupted meanwhile).
std::string XlsxFileBytes(const AnalysisInRange& value, const ErrorTable& table, std::string_view title,
                          const LocaleFormat& locale, const std::filesystem::path& scratchFolder);

}  // namespace lognex
