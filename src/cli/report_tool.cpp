#include "cli/report_tool.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <ostream>
#include <system_error>

#include "cli/interrupt_cleanup.h"
#include "cli/report_follow.h"
#include "cli/report_outputs.h"
#include "cli/report_paths.h"
#include "cli/report_range.h"
#include "cli/report_workbook.h"
#include "cli/several_logs.h"
#include "logproc/processing_run.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/program_version.h"
#include "support/temporary_folder.h"
#include "tables/database_folder.h"
#include "tables/error_tables.h"
#include "tables/sqlite_db.h"
#include "views/error_tree.h"
#include "views/export_rows.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: lognex-report [--summary FILE] [--tree FILE] [--excel FILE] [--timeline FILE.svg|FILE.csv] [--source] "
    "[--db DIR] [--xlsx FILE] [--errors FILE.csv] [--from WHEN] [--to WHEN] [--follow] LOGFILE\n"
    "       lognex-report --compare BASELINE LOGFILE [--out FILE.csv|FILE.txt]\n"
    "       lognex-report --fleet FILE.csv LOGFILE|FOLDER...\n"
    "       lognex-report --merge [--summary FILE] [--tree FILE] [--excel FILE] [--timeline FILE] [--source] "
    "LOGFILE...";
constexpr char kHelp[] =
    "Processes LOGFILE as the Lognex window does and writes its summary, error tree,\n"
    "Excel workbook and timeline. With none of --summary, --tree, --excel, --timeline,\n"
    "--xlsx and --errors the summary goes to standard output. Dates follow the locale\n"
    "(LC_ALL=C gives the C locale's formats).\n"
    "\n"
    "Options:\n"
    "  --summary FILE   write the summary to FILE, lines ended by CR LF\n"
    "  --tree FILE      write the error tree to FILE, one line per error and occurrence\n"
    "  --excel FILE     write the occurrences to FILE as an Excel 97 workbook\n"
    "  --timeline FILE  write the error timeline to FILE: a chart if FILE ends in .svg,\n"
    "                   its bins if FILE ends in .csv\n"
    "  --source         show each error's source location in the tree and the timeline\n"
    "  --db DIR         take the table files from DIR instead of the database folder\n"
    "  --xlsx FILE      write the error table and the occurrences to FILE as an .xlsx\n"
    "                   workbook (sheets Errors and Occurrences, dates as date cells)\n"
    "  --errors FILE    write the error table to FILE as CSV (UTF-8, ISO 8601 times)\n"
    "  --from WHEN      leave out what happened before WHEN\n"
    "  --to WHEN        leave out what happened from WHEN on; a date alone means the\n"
    "                   end of that day. WHEN is ISO 8601 in the log's own time:\n"
    "                   2007-04-17, 2007-04-17T21:40 or 2007-04-17T21:40:58[.250].\n"
    "                   --from and --to limit every output but the summary.\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "  --follow         go on reading the log as it grows: print a line for each new\n"
    "                   entry (date time  count  text  location) and rewrite the\n"
    "                   summary, tree and timeline after each batch; the workbook is\n"
    "                   written when following stops (SIGINT or SIGTERM, status 0)\n"
    "  --               end the options: a LOGFILE beginning with '-' may follow\n"
    "\n"
    "Several logs (read without the table files):\n"
    "  --compare BASELINE LOGFILE\n"
    "                   compare LOGFILE with BASELINE (before and after a repair): per\n"
    "                   error the count and rate per day in each, the change and its\n"
    "                   factor, new and gone errors marked; largest rise in rate first\n"
    "  --out FILE       write the comparison to FILE: CSV if it ends in .csv, text if\n"
    "                   it ends in .txt (without it, text on standard output)\n"
    "  --fleet FILE.csv LOGFILE|FOLDER...\n"
    "                   one row per error, one count and rate per day column pair per\n"
    "                   log, and a total, most frequent first; a FOLDER stands for the\n"
    "                   .rpt logs in it and below it; columns are named after the logs'\n"
    "                   files, or after their folders when the files share a name\n"
    "  --merge LOGFILE...\n"
    "                   the files of one log (err_log.rpt and its renamed predecessors)\n"
    "                   as one log in time order, with the outputs above; the tree\n"
    "                   names each occurrence's file and line (err_log.1.rpt line 311)\n"
    "A log that cannot be read is named with its reason and the others are reported.\n"
    "CSV files are UTF-8 with a point before decimals, whatever the locale.\n"
    "\n"
    "Exit status: 0 done, 1 the run or a write failed (no output file changed), or a\n"
    "log of several could not be read; 2 wrong arguments or no database files.\n";
constexpr char kNoDatabaseFiles[] = "The database files cannot be found.";
constexpr std::string_view kTableNames[] = {"ErrorName", "ErrorOccur", "ForExcel"};

// Copies an installed table file to a new file of mode 0600: whatever the
// installed file's mode, the store must be able to write its copy. Throws
// Error("<file>: <reason>") naming the side that failed.
void CopyTableFile(const fs::path& from, const fs::path& to) {
    if (const std::optional<CopyFailure> failure = CopyToNewPrivateFile(from, to))
        throw Error(PathToAnsi(FullPath(PathText(failure->atSource ? from : to))) + ": " +
                    SystemErrorText(failure->errorNumber));
}

// A private copy of the table files in a temporary folder. The installed
// files stay as they are, and a window that has them open (the store holds
// them exclusively) neither blocks the tool nor has its tables emptied by it.
// The copies are registered for removal should a signal end the tool.
class PrivateTableFolder {
public:
    // Throws Error("<file>: <reason>") when the folder cannot be made or a
    // table file cannot be copied.
    explicit PrivateTableFolder(const fs::path& from) {
        InstallInterruptCleanup();
        try {
            folder_ = MakeTemporaryFolder("lognex-report-");
        } catch (const std::system_error& failure) {
            throw Error(PathToAnsi(FullPath(PathText(SystemTemporaryFolder()))) +
                        " (the temporary folder): " + SystemErrorText(failure.code().value()));
        }
        slots_.push_back(RegisterForRemoval(PathText(folder_), true));
        try {
            for (std::string_view table : kTableNames) {
                const std::string file = std::string(table) + std::string(kTableFileExtension);
                // The store's journal files appear beside the copies while it works.
                for (const char* suffix : {"", "-journal", "-wal", "-shm"})
                    slots_.push_back(RegisterForRemoval(PathText(folder_ / (file + suffix)), false));
                CopyTableFile(from / file, folder_ / file);
            }
        } catch (...) {
            Remove();  // the destructor does not run for a throwing constructor
            throw;
        }
    }
    ~PrivateTableFolder() { Remove(); }
    PrivateTableFolder(const PrivateTableFolder&) = delete;
    PrivateTableFolder& operator=(const PrivateTableFolder&) = delete;

    const fs::path& Folder() const { return folder_; }

    // Removes the folder and the copies in it (once); returns what is in the
    // way ("<folder>: <reason>") when that fails.
    std::optional<std::string> Remove() {
        if (folder_.empty()) return std::nullopt;
        std::error_code ec;
        fs::remove_all(folder_, ec);
        for (int slot : slots_) UnregisterForRemoval(slot);
        slots_.clear();
        const fs::path folder = std::exchange(folder_, {});
        if (!ec) return std::nullopt;
        return PathToAnsi(FullPath(PathText(folder))) + ": " + SystemErrorText(ec.value());
    }

private:
    fs::path folder_;
    std::vector<int> slots_;
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

// The tables closed and their private copies removed when a run ends,
// however it ends; told is given what keeps the copies from going.
class TableCopiesRemoval {
public:
    TableCopiesRemoval(std::unique_ptr<ErrorTables>& tables, std::unique_ptr<PrivateTableFolder>& folder,
                       std::function<void(const std::string&)> told)
        : tables_(tables), folder_(folder), told_(std::move(told)) {}
    ~TableCopiesRemoval() {
        tables_.reset();
        if (!folder_) return;
        if (const std::optional<std::string> problem = folder_->Remove()) told_(*problem);
    }
    TableCopiesRemoval(const TableCopiesRemoval&) = delete;
    TableCopiesRemoval& operator=(const TableCopiesRemoval&) = delete;

private:
    std::unique_ptr<ErrorTables>& tables_;
    std::unique_ptr<PrivateTableFolder>& folder_;
    std::function<void(const std::string&)> told_;
};

// The output named where one of the table files is, if any: writing it would
// destroy the tables this run and every later one read.
const std::string* OutputOverTableFile(const ReportArguments& arguments, const std::string& tableFolder) {
    for (const std::string* output : {&arguments.summaryFile, &arguments.treeFile, &arguments.excelFile,
                                      &arguments.timelineFile, &arguments.xlsxFile, &arguments.errorsFile}) {
        if (output->empty()) continue;
        for (std::string_view table : kTableNames)
            if (SameFile(*output,
                         PathText(fs::path(tableFolder) / (std::string(table) + std::string(kTableFileExtension)))))
                return output;
    }
    return nullptr;
}

// The run as the window does it with the Prompt option on and LOGFILE chosen
// in the dialog; progress goes to standard error when that is a terminal.
class ReportHost : public RunHost {
public:
    ReportHost(std::string logFile, std::ostream* bar) : logFile_(std::move(logFile)), bar_(bar) {}

    std::optional<std::string> ChooseLogFile(const std::string&) override { return logFile_; }
    void ShowLines(const LogLines&) override {}
    void BeginPairLoop() override { Draw(); }
    void ShowProgress(std::size_t done, std::size_t total) override {
        const int position = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (position == position_) return;
        position_ = position;
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

}  // namespace

ReportArguments ParseReportArguments(const std::vector<std::string>& args) {
    ReportArguments arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const char* what = "a file name") -> std::string {
            if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError(arg + " needs " + what);
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
            if (!TimelineFormatOf(arguments.timelineFile))
                throw UsageError(arg + " needs a file ending in .svg or .csv");
        } else if (!optionsEnded && arg == "--db") {
            arguments.dbFolder = value();
        } else if (!optionsEnded && arg == "--source") {
            arguments.source = true;
        } else if (!optionsEnded && arg == "--xlsx") {
            if (!XlsxUnavailableReason().empty()) throw UsageError(std::string(XlsxUnavailableReason()));
            arguments.xlsxFile = value();
        } else if (!optionsEnded && arg == "--errors") {
            arguments.errorsFile = value();
        } else if (!optionsEnded && (arg == "--from" || arg == "--to")) {
            (arg == "--from" ? arguments.from : arguments.to) = value("a date or a date and time");
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            arguments.help = true;
        } else if (!optionsEnded && arg == "--version") {
            arguments.version = true;
        } else if (!optionsEnded && arg == "--follow") {
            arguments.follow = true;
        } else if (!optionsEnded && IsSeveralLogOption(arg)) {
            TakeSeveralLogOption(arguments, arg, value);
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (!arg.empty()) {
            arguments.logFiles.push_back(arg);
        } else {
            throw UsageError("one log file, please");
        }
    }
    if (arguments.help || arguments.version) return arguments;
    if (arguments.follow && arguments.mode != ReportMode::Single) throw UsageError("--follow follows one log");
    if (arguments.mode != ReportMode::Single) {
        CheckSeveralLogArguments(arguments);
    } else {
        if (!arguments.outFile.empty()) throw UsageError("--out goes with --compare");
        if (arguments.logFiles.size() > 1) throw UsageError("one log file, please");
        if (arguments.logFiles.empty()) throw UsageError("no log file given");
        arguments.logFile = arguments.logFiles.front();
    }
    try {
        arguments.range = ReportRange(arguments.from, arguments.to);
    } catch (const Error& failure) {
        throw UsageError(failure.what());
    }

    // An output over the log or over another output would lose one of them.
    const std::string* outputs[] = {&arguments.summaryFile,  &arguments.treeFile, &arguments.excelFile,
                                    &arguments.timelineFile, &arguments.outFile,  &arguments.xlsxFile,
                                    &arguments.errorsFile};
    for (std::size_t a = 0; a < std::size(outputs); ++a) {
        if (outputs[a]->empty()) continue;
        for (const std::string& log : arguments.logFiles)
            if (SameFile(*outputs[a], log)) throw UsageError(PathToAnsi(*outputs[a]) + " is the log file");
        for (std::size_t b = a + 1; b < std::size(outputs); ++b)
            if (!outputs[b]->empty() && SameFile(*outputs[a], *outputs[b]))
                throw UsageError(PathToAnsi(*outputs[a]) + " is named for two outputs");
    }
    return arguments;
}

int RunReport(const std::vector<std::string>& args, const ReportEnvironment& env, std::ostream& out,
              std::ostream& err) {
    const auto message = [&env](std::string_view text) {
        return env.utf8Messages ? AnsiToUtf8(text) : std::string(text);
    };
    ReportArguments arguments;
    try {
        arguments = ParseReportArguments(args);
    } catch (const UsageError& failure) {
        err << "lognex-report: " << message(failure.what()) << "\n" << kUsage << "\n";
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
    // Several logs are read without the tables.
    if (arguments.mode != ReportMode::Single) return RunSeveralLogs(arguments, env, out, err);

    std::unique_ptr<PrivateTableFolder> tableFolder;
    AliasRegistry privateAliases;  // in memory: the tool changes no registry but the program folder's
    std::unique_ptr<ErrorTables> tables;
    // However the run ends, the tables close and then their copies go; copies
    // that cannot be removed are said, and the exit status stays.
    const TableCopiesRemoval removal(tables, tableFolder, [&](const std::string& problem) {
        err << "lognex-report: cannot remove the table copies: " << message(problem) << "\n";
    });
    try {
        const std::string installedFolder = DatabaseFolder(arguments, env);
        if (const std::string* output = OutputOverTableFile(arguments, installedFolder)) {
            err << "lognex-report: " << message(PathToAnsi(*output)) << " is a table file\n" << kUsage << "\n";
            return kExitUsage;
        }
        tableFolder = std::make_unique<PrivateTableFolder>(installedFolder);
        privateAliases.AddAlias(kDatabaseAlias, PathText(tableFolder->Folder()));
        tables = std::make_unique<ErrorTables>(privateAliases);
        for (Table* table : {&tables->errorNames, &tables->occurrences, &tables->exportRows}) {
            try {
                table->Open();
            } catch (const std::exception& failure) {
                throw Error(TableOpenFailure(installedFolder, *table, failure));
            }
        }
    } catch (const std::exception& failure) {
        // What failed and where, below the window's words.
        err << kNoDatabaseFiles << "\n" << message(failure.what()) << "\n";
        return kExitUsage;
    }

    try {
        Analysis analysis;
        RunOptions options;
        options.prompt = true;
        options.logCopy = false;
        options.programFolder = env.programFolder;
        if (arguments.follow) return FollowReport(arguments, env, *tables, out, err);
        ReportHost host(FullPath(arguments.logFile), env.progressBar ? &err : nullptr);
        ProcessLog(*tables, analysis, options, host, env.locale);

        const auto treeBytes = [&] { return RangeTreeFileBytes(analysis, arguments, env.locale); };
        const ReportContent content{analysis, treeBytes,
                                    [&](const std::vector<ExportRow>& rows) { FillExportTable(*tables, rows); },
                                    tableFolder->Folder()};
        for (const std::string& leftOver : WriteReportOutputs(arguments, env, content, out))
            err << "lognex-report: " << message(leftOver) << "\n";
        return kExitDone;
    } catch (const StoreError& failure) {
        std::string text = failure.what();
        // A file operation beneath the store failed (a file-size limit, a full
        // disk): where the tables are, and why.
        if (failure.SystemErrorNumber() != 0)
            text += "\n" + PathToAnsi(FullPath(PathText(tableFolder->Folder()))) +
                    " (the table copies): " + SystemErrorText(failure.SystemErrorNumber());
        err << message(MessageLines(text)) << "\n";
        return kExitFailed;
    } catch (const std::bad_alloc&) {
        err << message(MessageLines("Out of memory\n" + PathToAnsi(FullPath(arguments.logFile)) + ": " +
                                    SystemErrorText(ENOMEM)))
            << "\n";
        return kExitFailed;
    } catch (const std::exception& failure) {
        err << message(MessageLines(failure.what())) << "\n";
        return kExitFailed;
    }
}

}  // namespace lognex
