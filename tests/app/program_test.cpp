// The lognex program itself, started as a shell or a desktop session starts it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/fresh_tables.h"
#include "common/temp_folder.h"
#include "logproc/error_tables_fixture.h"
#include "support/program_version.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

struct Finished {
    int status = -1;  // the exit status; -1 when a signal ended it or it did not end
    std::string out, err;
};

// Runs program with arguments and exactly the variables in environment,
// standard output and error going to files in folder. Waits at most limit
// for it to end (killing it after that); ready, when given, is called once
// it runs and may do what it likes with the process.
Finished RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment, const fs::path& folder,
                    const std::function<void(pid_t)>& ready = {}, std::chrono::seconds limit = 60s) {
    const std::string out = (folder / "stdout").string(), err = (folder / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv, envp;
    std::vector<std::string> args = arguments;
    args.insert(args.begin(), program);
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    Finished finished;
    if (spawned != 0) return finished;
    if (ready) ready(pid);
    int raw = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            break;
        }
        std::this_thread::sleep_for(50ms);
    }
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    finished.out = ReadFile(out);
    finished.err = ReadFile(err);
    return finished;
}

// Without any display, as from a terminal on a server: the two questions are
// answered on standard output; a log named like an option opens after "--".
TEST(Program, HelpAndVersionNeedNoDisplay) {
    TempFolder folder;
    struct Case {
        std::vector<std::string> arguments;
        std::string begin;  // what standard output begins with
    } cases[] = {
        {{"--help"}, "usage: lognex [LOGFILE] [/debug | -debug]\n"},
        {{"-h"}, "usage: lognex [LOGFILE] [/debug | -debug]\n"},
        {{"/debug", "--help"}, "usage: lognex"},
        {{"--version"}, "lognex " + std::string(ProgramVersionText()) + "\n"},
    };
    for (const Case& c : cases) {
        const Finished run =
            RunProgram(LOGNEX_EXE, c.arguments, {"PATH=/usr/bin:/bin", "ASAN_OPTIONS=detect_leaks=0"}, folder.Path());
        EXPECT_EQ(run.status, 0) << c.arguments.back() << "\n" << run.err;
        EXPECT_EQ(run.out.substr(0, c.begin.size()), c.begin) << c.arguments.back();
        if (c.begin.rfind("usage", 0) == 0) {
            for (const char* option : {"LOGFILE", "/debug", "--help", "--version"})
                EXPECT_NE(run.out.find(option), std::string::npos) << option;
        }
    }
}

// SIGTERM while the start-up's folder dialog waits ends the program as Exit
// does (settings written), at once, and the alias registry stays as it was.
TEST(Program, ASignalEndsItFromTheStartUpFolderDialog) {
    TempFolder program;
    const fs::path exe = program.Path() / "lognex";
    std::error_code ec;
    fs::create_hard_link(LOGNEX_EXE, exe, ec);
    if (ec) fs::copy_file(LOGNEX_EXE, exe);
    fs::create_directory(program.Path() / "run");
    fs::permissions(program.Path() / "run", fs::perms::owner_all);
    fs::create_directory(program.Path() / "home");
    const std::string registry = program / "lognex-aliases.cfg";
    const std::string aliases = "# mine\nEgErrors=" + (program / "gone") + "\n";
    WriteFile(registry, aliases);
    testing::MakeFreshTableFiles(program.Path());

    const auto signalOnceTheDialogIsDue = [&](pid_t pid) {
        // The help hook is made just before the tables are looked for.
        for (int i = 0;
             i < 1200 && ReadFile(program / "HHDebug.txt").find("THookHelpSystem created") == std::string::npos; ++i)
            std::this_thread::sleep_for(50ms);
        std::this_thread::sleep_for(1s);
        ::kill(pid, SIGTERM);
    };
    const Finished run =
        RunProgram(exe.string(), {"-debug"},
                   {"PATH=/usr/bin:/bin", "LC_ALL=C", "QT_QPA_PLATFORM=offscreen", "HOME=" + (program / "home"),
                    "XDG_RUNTIME_DIR=" + (program / "run"), "ASAN_OPTIONS=detect_leaks=0"},
                   program.Path(), signalOnceTheDialogIsDue, 30s);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(registry), aliases);
    EXPECT_NE(ReadFile(program / "LOGNEX.INI").find("[Main]"), std::string::npos);
}

// SIGTERM with the window up and a settings file that cannot be written (a
// FIFO): the failure goes to standard error, with the file and the cause,
// instead of a box nobody will close, and the program ends.
TEST(Program, ASignalEndsItThoughTheSettingsCannotBeWritten) {
    TempFolder program;
    const fs::path exe = program.Path() / "lognex";
    std::error_code ec;
    fs::create_hard_link(LOGNEX_EXE, exe, ec);
    if (ec) fs::copy_file(LOGNEX_EXE, exe);
    fs::create_directory(program.Path() / "run");
    fs::permissions(program.Path() / "run", fs::perms::owner_all);
    testing::MakeFreshTableFiles(program.Path());
    ASSERT_EQ(::mkfifo((program / "LOGNEX.INI").c_str(), 0600), 0);
    const auto signalOnceUp = [&](pid_t pid) {
        for (int i = 0;
             i < 1200 && ReadFile(program / "HHDebug.txt").find("THookHelpSystem created") == std::string::npos; ++i)
            std::this_thread::sleep_for(50ms);
        std::this_thread::sleep_for(2s);
        ::kill(pid, SIGTERM);
    };
    const Finished run =
        RunProgram(exe.string(), {"-debug"},
                   {"PATH=/usr/bin:/bin", "LC_ALL=C", "QT_QPA_PLATFORM=offscreen", "HOME=" + (program / "run"),
                    "XDG_RUNTIME_DIR=" + (program / "run"), "ASAN_OPTIONS=detect_leaks=0"},
                   program.Path(), signalOnceUp, 30s);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Lognex: Failed to write value to INI file\n" + (program / "LOGNEX.INI") +
                           ": It is a FIFO (named pipe), not a regular file."),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace lognex
