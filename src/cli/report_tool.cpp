#include "cli/report_tool.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "logproc/processing_run.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/process_info.h"
#include "support/temporary_folder.h"
#include "support/program_version.h"
#include "tables/error_tables.h"
#include "views/error_tree.h"
#include "views/export_rows.h"
#include "views/summary_report.h"
#include "views/timeline_chart.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: lognex-report [--summary FILE] [--tree FILE] [--excel FILE] [--timeline FILE.svg|FILE.csv] [--source] "
    "[--db DIR] LOGFILE";
constexpr char kHelp[] =
    "Processes LOGFILE as the Lognex window does and writes its summary, error tree,\n"
    "Excel workbook and timeline. With none of --summary, --tree, --excel and --timeline\n"
    "the summary goes to standard output. Dates follow the locale (LC_ALL=C gives the C\n"
    "locale's formats).\n"
    "\n"
    "Options:\n"
    "  --summary FILE   write the summary to FILE, lines ended by CR LF\n"
    "  --tree FILE      write the error tree to FILE, one line per error and occurrence\n"
    "  --excel FILE     write the occurrences to FILE as an Excel 97 workbook\n"
    "  --timeline FILE  write the error timeline to FILE: a chart if FILE ends in .svg,\n"
    "                   its bins if FILE ends in .csv\n"
    "  --source         show each error's source location in the tree and the timeline\n"
    "  --db DIR         take the table files from DIR instead of the database folder\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "  --               end the options: a LOGFILE beginning with '-' may follow\n"
    "\n"
    "Exit status: 0 done, 1 the run or a write failed (no output file changed),\n"
    "2 wrong arguments or no database files.\n";
constexpr char kNoDatabaseFiles[] = "The database files cannot be found.";
constexpr std::string_view kTableNames[] = {"ErrorName", "ErrorOccur", "ForExcel"};

class UsageError : public Error {
public:
    using Error::Error;
};

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return DisplayPath(ec ? path : PathText(full.lexically_normal()), NativePathSyntax());
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    // Neither need exist yet: compare the absolute paths with links resolved where they can be.
    const fs::path canonicalA = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    const fs::path canonicalB = fs::weakly_canonical(fs::absolute(b, ec), ec);
    // Windows file names compare without case: OUT.txt and out.txt are one file.
    return !ec && SamePathText(PathText(canonicalA), PathText(canonicalB), NativePathSyntax());
}

// A private copy of the table files in a temporary folder. The installed
// files stay as they are, and a window that has them open (the store holds
// them exclusively) neither blocks the tool nor has its tables emptied by it.
class PrivateTableFolder {
public:
    // Throws Error(kNoDatabaseFiles) when a table file cannot be copied.
    explicit PrivateTableFolder(const fs::path& from) {
        try {
            folder_ = MakeTemporaryFolder("lognex-report-");
        } catch (const std::exception&) {
            throw Error(kNoDatabaseFiles);
        }
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
// names, the alias being registered with the table folder (the program
// folder, or the user's data folder for an installed copy) when absent.
std::string DatabaseFolder(const ReportArguments& arguments, const ReportEnvironment& env) {
    if (!arguments.dbFolder.empty()) return arguments.dbFolder;
    if (env.paths.perUser) PrepareUserFolders(env.paths);
    const std::string& aliasFolder = env.paths.perUser ? env.paths.configFolder : env.programFolder;
    const std::string& tableFolder = env.paths.perUser ? env.paths.dataFolder : env.programFolder;
    AliasRegistry aliases(fs::path(aliasFolder) / kAliasRegistryFileName);
    if (!aliases.IsAlias(kDatabaseAlias)) aliases.AddAlias(kDatabaseAlias, tableFolder);
    return aliases.FolderOf(kDatabaseAlias).value_or(tableFolder);
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
            return "Cannot create file \"" + FullPath(target) + "\". " + failure;
        });
        try {
            WriteFileWhole(staging, bytes);
        } catch (const std::system_error& failure) {
            throw Error("Cannot create file \"" + FullPath(target) + "\". " +
                        SystemErrorText(failure.code().value()));
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
            try {
                RenameOver(s.staging, s.target);
            } catch (const std::system_error& failure) {
                throw Error("Cannot create file \"" + FullPath(s.target) + "\". " +
                            SystemErrorText(failure.code().value()));
            }
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
            PathText(path.parent_path() / ("." + PathText(path.filename()) + ".lognex-report-" +
                                           std::to_string(ProcessId()) + "-" + std::to_string(staged_.size()) +
                                           ".part"));
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

// The timeline's file format by the name's extension, in either case.
std::optional<TimelineFormat> TimelineFormatOf(const std::string& file) {
    std::string extension = fs::path(file).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".svg") return TimelineFormat::Svg;
    if (extension == ".csv") return TimelineFormat::Csv;
    return std::nullopt;
}

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
        } else if (!optionsEnded && arg == "--timeline") {
            arguments.timelineFile = value();
            if (!TimelineFormatOf(arguments.timelineFile)) throw UsageError(arg + " needs a file ending in .svg or .csv");
        } else if (!optionsEnded && arg == "--db") {
            arguments.dbFolder = value();
        } else if (!optionsEnded && arg == "--source") {
            arguments.source = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            arguments.help = true;
        } else if (!optionsEnded && arg == "--version") {
            arguments.version = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (arguments.logFile.empty() && !arg.empty()) {
            arguments.logFile = arg;
        } else {
            throw UsageError("one log file, please");
        }
    }
    if (arguments.help || arguments.version) return arguments;
    if (arguments.logFile.empty()) throw UsageError("no log file given");

    // An output over the log or over another output would lose one of them.
    const std::string* outputs[] = {&arguments.summaryFile, &arguments.treeFile, &arguments.excelFile,
                                    &arguments.timelineFile};
    for (std::size_t a = 0; a < std::size(outputs); ++a) {
        if (outputs[a]->empty()) continue;
        if (SameFile(*outputs[a], arguments.logFile)) throw UsageError(*outputs[a] + " is the log file");
        for (std::size_t b = a + 1; b < std::size(outputs); ++b)
            if (!outputs[b]->empty() && SameFile(*outputs[a], *outputs[b]))
                throw UsageError(*outputs[a] + " is named for two outputs");
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
    if (arguments.help || arguments.version) {
        if (arguments.help)
            out << kUsage << "\n\n" << kHelp;
        else
            out << "lognex-report " << ProgramVersionText() << "\n";
        out.flush();
        if (out) return kExitDone;
        err << "lognex-report: cannot write to standard output\n";
        return kExitFailed;
    }

    std::unique_ptr<PrivateTableFolder> tableFolder;
    AliasRegistry privateAliases;  // in memory: the tool changes no registry but the program folder's
    std::unique_ptr<ErrorTables> tables;
    try {
        tableFolder = std::make_unique<PrivateTableFolder>(DatabaseFolder(arguments, env));
        privateAliases.AddAlias(kDatabaseAlias, PathText(tableFolder->Folder()));
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
        const bool anyFile = !arguments.summaryFile.empty() || !arguments.treeFile.empty() ||
                             !arguments.excelFile.empty() || !arguments.timelineFile.empty();
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
        if (!arguments.timelineFile.empty())
            outputs.AddText(arguments.timelineFile,
                            TimelineFileText(*tables, *TimelineFormatOf(arguments.timelineFile), arguments.source));
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
