#include "cli/report_outputs.h"

#include <cctype>
#include <filesystem>
#include <ostream>

#include "cli/error_table_csv.h"
#include "cli/report_workbook.h"
#include "cli/staged_outputs.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/platform_files.h"
#include "views/error_table.h"
#include "views/summary_report.h"
#include "xls/compound_file.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

// The workbook file's bytes, laid out as the window's export lays them out.
std::string WorkbookBytes(const std::string& spanText, const std::vector<ExportRow>& rows) {
    WorkbookWriter xls;
    LayOutExportSheet(xls, spanText, rows);
    return BuildCompoundFile(u"Workbook", xls.WorkbookStream());
}

}  // namespace

std::string TreeFileBytes(const std::vector<TreeNode>& tree) {
    std::string bytes;
    for (const TreeNode& node : tree) {
        bytes.append(node.text).append("\r\n");
        for (const std::string& child : node.children) bytes.append("  ").append(child).append("\r\n");
    }
    return bytes;
}

std::string TreeFileBytes(const Analysis& analysis, bool showSource, const LocaleFormat& locale) {
    const std::vector<AnalysisEntry>& entries = analysis.Entries();
    std::string bytes;
    // Room for a little more than every line needs at once, so that the
    // text is not copied as it grows; what is not written is never touched.
    if (!entries.empty())
        bytes.reserve(entries.size() * (OccurrenceNodeText(entries.back(), locale).size() + 16) +
                      analysis.Errors().size() * (2 * kErrorWordsWidth + 32));
    for (ErrorId id : ErrorsByTextAndLocation(analysis)) {
        const DistinctError& error = analysis.Errors()[id];
        bytes.append(ErrorNodeText(error, showSource)).append("\r\n");
        for (std::uint32_t at : error.occurrences)
            bytes.append("  ").append(OccurrenceNodeText(entries[at], locale)).append("\r\n");
    }
    return bytes;
}

std::string RangeTreeFileBytes(const Analysis& analysis, const ReportArguments& arguments, const LocaleFormat& locale) {
    if (arguments.range.IsWholeLog()) return TreeFileBytes(analysis, arguments.source, locale);
    return TreeFileBytes(BuildTree(LimitToRange(analysis, arguments.range), arguments.source, locale));
}

std::string MessageLines(std::string_view text) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return ErrorBoxText(text);
    return ErrorBoxText(text.substr(0, end)) + std::string(text.substr(end));
}

std::string LowerExtension(const std::string& file) {
    std::string extension = std::filesystem::path(file).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::optional<TimelineFormat> TimelineFormatOf(const std::string& file) {
    const std::string extension = LowerExtension(file);
    if (extension == ".svg") return TimelineFormat::Svg;
    if (extension == ".csv") return TimelineFormat::Csv;
    return std::nullopt;
}

std::vector<std::string> WriteReportOutputs(const ReportArguments& arguments, const ReportEnvironment& env,
                                            const ReportContent& content, std::ostream& out) {
    const Analysis& analysis = content.analysis;
    // Everything is computed before the first file is touched.
    const SummaryReport summary = BuildSummary(analysis, env.locale, env.calendar);
    const bool anyFile = !arguments.summaryFile.empty() || !arguments.treeFile.empty() ||
                         !arguments.excelFile.empty() || !arguments.timelineFile.empty() ||
                         !arguments.xlsxFile.empty() || !arguments.errorsFile.empty();
    if (!anyFile) {
        out << SummaryViewText(summary) << std::flush;
        if (!out) throw Error("Cannot write to standard output");
        return {};
    }

    // Every output but the summary shows the range.
    const AnalysisInRange value = LimitToRange(analysis, arguments.range);
    StagedOutputs outputs;
    if (!arguments.summaryFile.empty()) outputs.Add(arguments.summaryFile, SummaryFileBytes(SummaryViewText(summary)));
    if (!arguments.treeFile.empty()) outputs.Add(arguments.treeFile, content.treeFile());
    if (!arguments.timelineFile.empty())
        outputs.Add(arguments.timelineFile,
                    TimelineFileText(value, *TimelineFormatOf(arguments.timelineFile), arguments.source));
    if (!arguments.errorsFile.empty() || !arguments.xlsxFile.empty()) {
        const ErrorTable table = BuildErrorTable(value, RankErrorTexts(analysis), false);
        if (!arguments.errorsFile.empty()) outputs.Add(arguments.errorsFile, ErrorTableCsv(table, analysis));
        if (!arguments.xlsxFile.empty()) {
            const std::string log = arguments.logFiles.empty() ? arguments.logFile : arguments.logFiles.front();
            outputs.Add(
                arguments.xlsxFile,
                XlsxFileBytes(value, table, "Lognex - " + PathToAnsi(PathText(std::filesystem::path(log).filename())),
                              env.locale, content.scratchFolder));
        }
    }
    if (!arguments.excelFile.empty()) {
        const std::vector<ExportRow> rows = ExportRows(value, env.locale);
        if (content.exportRowsMade) content.exportRowsMade(rows);
        outputs.Add(arguments.excelFile, WorkbookBytes(summary.spanText, rows));
    }
    return outputs.Commit();
}

}  // namespace lognex
