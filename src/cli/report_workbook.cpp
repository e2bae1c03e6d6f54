#include "cli/report_workbook.h"

#include "cli/interrupt_cleanup.h"
#include "support/error.h"
#include "support/platform_files.h"

#if LOGNEX_HAS_XLSX
#include "xlsx/error_workbook.h"
#endif

namespace lognex {

#if LOGNEX_HAS_XLSX

std::string_view XlsxUnavailableReason() { return {}; }

std::string XlsxFileBytes(const AnalysisInRange& value, const ErrorTable& table, std::string_view title,
                          const LocaleFormat& locale, const std::filesystem::path& scratchFolder) {
    const std::filesystem::path scratch = scratchFolder / "workbook.xlsx";
    const int slot = RegisterForRemoval(PathText(scratch), false);
    struct Forget {
        int slot;
        ~Forget() { UnregisterForRemoval(slot); }
    } forget{slot};
    return ErrorWorkbookBytes(value, table, title, locale, scratch);
}

#else

std::string_view XlsxUnavailableReason() {
    return "--xlsx is not available in this build: it was made without libxlsxwriter";
}

std::string XlsxFileBytes(const AnalysisInRange&, const ErrorTable&, std::string_view, const LocaleFormat&,
                          const std::filesystem::path&) {
    throw Error(std::string(XlsxUnavailableReason()));
}

#endif

}  // namespace lognex
