// The files a run over one log writes (summary, tree, workbook, timeline),
// made from its analysis and put in place together.
#pragma once

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
    std::function<std::vector<TreeNode>()> tree;  // built only when the tree is written
    // Told the workbook's rows before the workbook is made; may be empty.
    std::function<void(const std::vector<ExportRow>&)> exportRowsMade;
};

// Writes the outputs the arguments name, every one or none (StagedOutputs);
// with none named, the summary goes to out. Returns what could not be
// tidied away after success (lines for standard error). Throws Error when
// an output cannot be written or out fails.
std::vector<std::string> WriteReportOutputs(const ReportArguments& arguments, const ReportEnvironment& env,
                                            const ReportContent& content, std::ostream& out);

// A message as the error box ends it, on its first line; the lines below it
// (which file, and why) as they are.
std::string MessageLines(std::string_view text);

// The file name's extension in lower case (".csv").
std::string LowerExtension(const std::string& file);

// The timeline's file format by the name's extension, in either case.
std::optional<TimelineFormat> TimelineFormatOf(const std::string& file);

}  // namespace lognex
