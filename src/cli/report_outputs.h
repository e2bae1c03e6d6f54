// The files a run over one log writes (summary, tree, workbook, timeline),
// made from its analysis and put in place together.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/report_tool.h"
#include "logproc/analysis.h"
#include "views/error_tree.h"
#include "views/export_rows.h"
#include "views/timeline_chart.h"

namespace lognex {

// What the outputs are made of.
struct ReportContent {
    const Analysis& analysis;
    std::function<std::string()> treeFile;  // made only when the tree is written
    // Told the workbook's rows before the workbook is made; may be empty.
    std::function<void(const std::vector<ExportRow>&)> exportRowsMade;
    // Where the .xlsx workbook is made before it is staged; empty: a
    // temporary folder of its own.
    std::filesystem::path scratchFolder;
};

// Writes the outputs the arguments name, every one or none (StagedOutputs),
// all but the summary limited to the arguments' range;
// with none named, the summary goes to out. Returns what could not be
// tidied away after success (lines for standard error). Throws Error when
// an output cannot be written or out fails.
std::vector<std::string> WriteReportOutputs(const ReportArguments& arguments, const ReportEnvironment& env,
                                            const ReportContent& content, std::ostream& out);

// The tree as a file: each error's line, then its occurrences' lines
// indented, CR LF after each.
std::string TreeFileBytes(const std::vector<TreeNode>& tree);

// The same straight from the analysis, as BuildTree would make the tree: its
// nodes would hold every occurrence's text once more beside the file's.
std::string TreeFileBytes(const Analysis& analysis, bool showSource, const LocaleFormat& locale);

// The tree file of the arguments' range of analysis, named as --source says.
std::string RangeTreeFileBytes(const Analysis& analysis, const ReportArguments& arguments, const LocaleFormat& locale);

// A message as the error box ends it, on its first line; the lines below it
// (which file, and why) as they are.
std::string MessageLines(std::string_view text);

// The file name's extension in lower case (".csv").
std::string LowerExtension(const std::string& file);

// The timeline's file format by the name's extension, in either case.
std::optional<TimelineFormat> TimelineFormatOf(const std::string& file);

}  // namespace lognex
