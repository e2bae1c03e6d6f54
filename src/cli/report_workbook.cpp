#include "cli/report_workbook.h"

#include "cli/interrupt_cleanup.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/temporary_folder.h"

#if LOGNEX_HAS_XLSX
#include "xlsx/error_workbook.h"
#endif

namespace lognex {

#if LOGNEX_HAS_XLSX

std::string_view XlsxUnavailableReason() { return {}; }

std::string XlsxFileBytes(const AnalysisInRange& value, const ErrorTable& table, std::string_view title,
                          const LocaleFormat& locale, const std::filesystem::path& scratchFolder) {
    // Without a folder of the caller's, one of its own, removed afterwards.
    struct OwnFolder {
        std::filesystem::path path;
        int slot = -1;
        ~OwnFolder() {
            if (path.empty()) return;
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            UnregisterForRemoval(slot);
        }
    } own;
    std::filesystem::path folder = scratchFolder;
    if (folder.empty()) {
        try {
            own.path = folder = MakeTemporaryFolder("lognex-xlsx-");
        } catch (const std::system_error& failure) {
            throw Error(PathToAnsi(PathText(SystemTemporaryFolder())) +
                        " (the temporary folder): " + SystemErrorText(failure.code().value()));
        }
        own.slot = RegisterForRemoval(PathText(folder), true);
    }
    const std::filesystem::path scratch = folder / "workbook.xlsx";
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
