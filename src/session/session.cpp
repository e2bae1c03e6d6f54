#include "session/session.h"

#include <filesystem>
#include <system_error>

#include "support/app_paths.h"
#include "support/text_routines.h"
#include "views/export_rows.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

// A run given its log: the dialog is not shown, the given file is the choice.
class GivenChoice : public RunHost {
public:
    GivenChoice(RunHost& host, std::optional<std::string> chosen) : host_(host), chosen_(std::move(chosen)) {}

    std::optional<std::string> ChooseLogFile(const std::string& initialFolder) override {
        return chosen_ ? chosen_ : host_.ChooseLogFile(initialFolder);
    }
    void ShowLines(const LogLines& lines) override { host_.ShowLines(lines); }
    void BeginPairLoop() override { host_.BeginPairLoop(); }
    void ShowProgress(std::size_t done, std::size_t total) override { host_.ShowProgress(done, total); }
    void EndPairLoop() override { host_.EndPairLoop(); }

private:
    RunHost& host_;
    std::optional<std::string> chosen_;
};

}  // namespace

Session::Session(ErrorTables& tables, LocaleFormat locale, CalendarDefaults calendar, std::string copyFolder,
                 LogLoadLimits load)
    : tables_(tables),
      locale_(std::move(locale)),
      calendar_(calendar),
      copyFolder_(std::move(copyFolder)),
      load_(load) {}

void Session::Forget() {
    sourcePath_.clear();
    lines_ = LogLines();
    analysis_ = Analysis();
    completed_ = false;
}

RunOutcome Session::Run(RunHost& host, std::optional<std::string> chosenFile) {
    RunOptions run;
    run.prompt = options_.prompt || chosenFile.has_value();
    run.logCopy = options_.logCopy;
    run.errPath = options_.errPath;
    run.programFolder = copyFolder_;
    run.proberLog = options_.proberLog;
    run.load = load_;
    GivenChoice chooser(host, std::move(chosenFile));

    // ErrPath follows the dialog at once, also when the run then fails.
    struct ErrPathFollows {
        SessionOptions& options;
        const RunOptions& run;
        ~ErrPathFollows() { options.errPath = run.errPath; }
    } follows{options_, run};

    std::optional<RunSource> source;
    try {
        source = ChooseSource(run, chooser);
    } catch (...) {
        if (!run.sourcePath.empty()) Forget();  // a log was chosen, and refused
        throw;
    }
    if (!source) return RunOutcome::Cancelled;

    // From here on nothing of the run before stays: its lines and value would
    // describe another log than the one the user just chose.
    Forget();
    lines_ = LoadLogLines(source->processedPath, source->sourcePath, load_);
    sourcePath_ = source->sourcePath;
    host.ShowLines(lines_);
    ResetTables(tables_);

    PairLoopScope loop(host);
    CountPairsIntoTables(tables_, analysis_, lines_, 0, locale_,
                         [&host](std::size_t done, std::size_t total) { host.ShowProgress(done, total); });
    completed_ = true;
    return RunOutcome::Completed;
}

SummaryReport Session::Summary() const {
    if (!completed_) return {};
    return BuildSummary(analysis_, locale_, calendar_);
}

std::vector<TreeNode> Session::Tree() const {
    if (!completed_) return {};
    return BuildTree(analysis_, options_.source, locale_);
}

TimelineSource Session::Timeline() const {
    if (!completed_) return {};
    return ReadTimelineSource(analysis_);
}

void Session::SaveSummary(const std::string& path, std::string_view viewText) const { SaveSummaryFile(path, viewText); }

std::string Session::ExportWorkbook(const std::string& documentsFolder) const {
    const std::vector<ExportRow> rows = ExportRows(analysis_, locale_);
    FillExportTable(tables_, rows);
    const std::string logFolder = sourcePath_.empty() ? std::string() : FolderOfPath(sourcePath_);
    const std::string folder = ChooseOutputFolder(logFolder, documentsFolder);
    std::string shown = kWorkbookName;
    if (!folder.empty()) {
        std::error_code ignored;  // a folder that cannot be made fails the write, by its name
        std::filesystem::create_directories(folder, ignored);
        shown = (std::filesystem::absolute(folder, ignored) / kWorkbookName).string();
    }
    WriteWorkbook(Summary().spanText, rows, shown);
    return shown;
}

}  // namespace lognex
