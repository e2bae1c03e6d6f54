#include "cli/report_tool.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "logproc/processing_run.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "tables/error_tables.h"
#include "views/error_tree.h"
#include "views/export_rows.h"
#include "views/summary_report.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: lognex-report [--summary FILE] [--tree FILE] [--excel FILE] [--source] [--db DIR] LOGFILE";
constexpr char kNoDatabaseFiles[] = "The database files cannot be found.";
constexpr std::string_view kTableNames[] = {"ErrorName", "ErrorOccur", "ForExcel"};

class UsageError : public Error {
public:
    using Error::Error;
};

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    // Neither need exist yet: compare the absolute paths with links resolved where they can be.
    const fs::path canonicalA = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    const fs::path canonicalB = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && canonicalA == canonicalB;
}

// A private copy of the table files in a temporary folder. The installed
// files stay as they are, and a window that has them open (the store holds
// them exclusively) neither blocks the tool nor has its tables emptied by it.
class PrivateTableFolder {
public:
    // Throws Error(kNoDatabaseFiles) when a table file cannot be copied.
    explicit PrivateTableFolder(const fs::path& from) {
        std::string pattern = (fs::temp_directory_path() / "lognex-report-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw Error(kNoDatabaseFiles);
        folder_ = pattern;
        for (std::string_view table : kTableNames) {
            const std::string file = std::string(table) + std::string(kTableFileExtension);
            std::error_code ec;
            if (!fs::copy_file(from / file, folder_ / file, ec) || ec) {
                fs::remove_all(folder_, ec);  // the destructor does not run for a throwing constructor
                throw Error(kNoDatabaseFiles);
            }
        }
    }
    ~PrivateTableFolder() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    PrivateTableFolder(const PrivateTableFolder&) = delete;
    PrivateTableFolder& operator=(const PrivateTableFolder&) = delete;

    const fs::path& Folder() const { return folder_; }

private:
    fs::path folder_;
};

// The folder the table files come from: DIR of --db, else the one the alias
// names, the alias being registered with the program folder when absent.
std::string DatabaseFolder(const ReportArguments& arguments, const std::string& programFolder) {
    if (!arguments.dbFolder.empty()) return arguments.dbFolder;
    AliasRegistry aliases(fs::path(programFolder) / kAliasRegistryFileName);
    if (!aliases.IsAlias(kDatabaseAlias)) aliases.AddAlias(kDatabaseAlias, programFolder);
    return aliases.FolderOf(kDatabaseAlias).value_or(programFolder);
}

// Output files written next to their targets first and put in place only
// when every one of them was written, so a failure changes no output file.
class StagedOutputs {
public:
    StagedOutputs() = default;
    StagedOutputs(const StagedOutputs&) = delete;
    StagedOutputs& operator=(const StagedOutputs&) = delete;
    ~StagedOutputs() {
        for (const Staged& s : staged_) {
            std::error_code ec;
            fs::remove(s.staging, ec);
        }
    }

    // Writes bytes for target; throws Error "Cannot create file "%s". %s".
    void AddText(const std::string& target, std::string_view bytes) {
        const std::string staging = Stage(target, [&](const std::string& failure) {
            return CannotCreateFileText(FullPath(target), failure);
        });
        try {
            WriteFileWhole(staging, bytes);
        } catch (const std::system_error& failure) {
            throw Error(CannotCreateFileText(FullPath(target), SystemErrorText(failure.code().value())));
        }
    }

    // Writes the workbook for target; its failures carry the writer's message.
    void AddWorkbook(const std::string& target, const std::string& spanText, const std::vector<ExportRow>& rows) {
        const std::string staging = Stage(target, [](const std::string& failure) { return failure; });
        WriteWorkbook(spanText, rows, staging);
    }

    // Puts every staged file in place.
    void Commit() {
        for (Staged& s : staged_) {
            if (::rename(s.staging.c_str(), s.target.c_str()) != 0)
                throw Error(CannotCreateFileText(FullPath(s.target), SystemErrorText(errno)));
            s.staging.clear();
        }
    }

private:
    struct Staged {
        std::string target, staging;
    };

    template <typename Message>
    std::string Stage(const std::string& target, Message message) {
        std::error_code ec;
        // A folder cannot be replaced by a file; say so before anything is written.
        if (fs::is_directory(target, ec)) throw Error(message(SystemErrorText(EISDIR)));
        const fs::path path(target);
        const std::string staging =
            (path.parent_path() / ("." + path.filename().string() + ".lognex-report-" +
                                   std::to_string(::getpid()) + "-" + std::to_string(staged_.size()) + ".part"))
                .string();
        staged_.push_back({target, staging});
        return staging;
    }

    std::vector<Staged> staged_;
};

// The run as the window does it with the Prompt option on and LOGFILE chosen
// in the dialog; progress goes to standard error when that is a terminal.
class ReportHost : public RunHost {
public:
    ReportHost(std::string logFile, std::ostream* bar) : logFile_(std::move(logFile)), bar_(bar) {}

    std::optional<std::string> ChooseLogFile(const std::string&) override { return logFile_; }
    void ShowLines(const LogLines&) override {}
    void BeginPairLoop() override { Draw(); }
    void AdvanceProgress() override {
        position_ += 5;
        if (position_ > 100) position_ -= 100;
        Draw();
    }
    void EndPairLoop() override {
        if (bar_) *bar_ << '\r' << std::string(40, ' ') << '\r' << std::flush;
    }

private:
    void Draw() {
        if (!bar_) return;
        const int filled = position_ / 5;
        *bar_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(20 - filled), ' ') << "] " << position_ << '%' << std::flush;
    }

    std::string logFile_;
    std::ostream* bar_;
    int position_ = 0;
};

std::string TreeFileBytes(const std::vector<TreeNode>& tree) {
    std::string bytes;
    for (const TreeNode& node : tree) {
        bytes.append(node.text).append("\r\n");
        for (const std::string& child : node.children) bytes.append("  ").append(child).append("\r\n");
    }
    return bytes;
}

}  // namespace

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

ReportArguments ParseReportArguments(const std::vector<std::string>& args) {
    ReportArguments arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError(arg + " needs a file name");
            return args[++i];
        };
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--summary") {
            arguments.summaryFile = value();
        } else if (!optionsEnded && arg == "--tree") {
            arguments.treeFile = value();
        } else if (!optionsEnded && arg == "--excel") {
            arguments.excelFile = value();
        } else if (!optionsEnded && arg == "--db") {
            arguments.dbFolder = value();
        } else if (!optionsEnded && arg == "--source") {
            arguments.source = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (arguments.logFile.empty() && !arg.empty()) {
            arguments.logFile = arg;
        } else {
            throw UsageError("one log file, please");
        }
    }
    if (arguments.logFile.empty()) throw UsageError("no log file given");

    // An output over the log or over another output would lose one of them.
    const std::string* outputs[] = {&arguments.summaryFile, &arguments.treeFile, &arguments.excelFile};
    for (std::size_t a = 0; a < 3; ++a) {
        if (outputs[a]->empty()) continue;
        if (SameFile(*outputs[a], arguments.logFile)) throw UsageError(PathToAnsi(*outputs[a]) + " is the log file");
        for (std::size_t b = a + 1; b < 3; ++b)
            if (!outputs[b]->empty() && SameFile(*outputs[a], *outputs[b]))
                throw UsageError(PathToAnsi(*outputs[a]) + " is named for two outputs");
    }
    return arguments;
}

int RunReport(const std::vector<std::string>& args, const ReportEnvironment& env, std::ostream& out,
              std::ostream& err) {
    ReportArguments arguments;
    try {
        arguments = ParseReportArguments(args);
    } catch (const UsageError& failure) {
        err << "lognex-report: " << failure.what() << "\n" << kUsage << "\n";
        return kExitUsage;
    }

    std::unique_ptr<PrivateTableFolder> tableFolder;
    AliasRegistry privateAliases;  // in memory: the tool changes no registry but the program folder's
    std::unique_ptr<ErrorTables> tables;
    try {
        tableFolder = std::make_unique<PrivateTableFolder>(DatabaseFolder(arguments, env.programFolder));
        privateAliases.AddAlias(kDatabaseAlias, tableFolder->Folder().string());
        tables = std::make_unique<ErrorTables>(privateAliases);
        tables->Open();
    } catch (const std::exception&) {
        err << kNoDatabaseFiles << "\n";
        return kExitUsage;
    }

    try {
        EntryTimes times;
        RunOptions options;
        options.prompt = true;
        options.logCopy = false;
        options.programFolder = env.programFolder;
        ReportHost host(FullPath(arguments.logFile), env.progressBar ? &err : nullptr);
        ProcessLog(*tables, times, options, host, env.locale);

        // Everything is computed before the first file is touched.
        const SummaryReport summary = BuildSummary(*tables, times, env.locale, env.calendar);
        const bool anyFile = !arguments.summaryFile.empty() || !arguments.treeFile.empty() || !arguments.excelFile.empty();
        if (!anyFile) {
            out << SummaryViewText(summary) << std::flush;
            if (!out) throw Error("Cannot write to standard output");
            return kExitDone;
        }

        StagedOutputs outputs;
        if (!arguments.summaryFile.empty())
            outputs.AddText(arguments.summaryFile, SummaryFileBytes(SummaryViewText(summary)));
        if (!arguments.treeFile.empty())
            outputs.AddText(arguments.treeFile, TreeFileBytes(BuildTree(*tables, arguments.source, env.locale)));
        if (!arguments.excelFile.empty()) {
            FillExportTable(*tables, env.locale);
            outputs.AddWorkbook(arguments.excelFile, summary.spanText, ReadExportRows(*tables));
        }
        outputs.Commit();
        return kExitDone;
    } catch (const std::exception& failure) {
        err << ErrorBoxText(failure.what()) << "\n";
        return kExitFailed;
    }
}

}  // namespace lognex
