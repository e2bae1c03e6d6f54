// The error tree of a log read from several files: each occurrence names its
// file and its line there.
#pragma once

#include <vector>

#include "logproc/merged_log.h"
#include "support/locale_format.h"
#include "views/error_tree.h"

namespace lognex {

// BuildTree's nodes, each child reading "%s - %s line %d" with the time, the
// file's name and the header line in that file ("... - err_log.1.rpt line 311").
std::vector<TreeNode> BuildMergedTree(const MergedLog& log, bool showSource, const LocaleFormat& locale);

}  // namespace lognex
