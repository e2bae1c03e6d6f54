// The window over the largest log: run, tree and summary, as "Open and Process
// Log" does them, on the offscreen platform. The log is made once per process
// by scripts/make-sample-log.py (32,768 lines, 16,384 entries, 300 errors).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/find_bar.h"
#include "app/main_dialogs.h"
#include "tables/folder_dialog.h"

namespace {

namespace fs = std::filesystem;

struct QuietDialogs : lognex::MainDialogs {
    std::optional<QString> ChooseLogFile(QWidget*, lognex::LogDialog, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> ChooseSummaryFile(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    void ShowError(QWidget*, const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
};

struct NoFolderDialog : lognex::FolderDialog {
    bool Execute(lognex::FolderDialogState&) override { return false; }
};

void BM_OpenLargestLogInTheWindow(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string programFolder = folder.path().toStdString();
    for (const char* table : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        fs::copy_file(fs::path(LOGNEX_PROGRAM_DIR) / table, fs::path(programFolder) / table);
    const std::string log = programFolder + "/largest.rpt";
    const std::string make =
        "/usr/bin/python3 " LOGNEX_SOURCE_DIR "/scripts/make-sample-log.py '" + log + "' --lines 32768 --distinct 300";
    if (std::system(make.c_str()) != 0) {
        state.SkipWithError("cannot make the log");
        return;
    }

    QuietDialogs dialogs;
    lognex::TdtmData data(programFolder, std::make_unique<NoFolderDialog>());
    lognex::TfrmErrorMain window(data, dialogs, lognex::CLocaleFormat(), lognex::CalendarDefaults{1, 2007},
                                 programFolder);
    window.FormCreate();
    window.SetLogCopy(false);
    window.show();
    for (auto _ : state) {
        window.OpenLogFile(QString::fromStdString(log));
        QApplication::processEvents();  // draw the result once, as the user sees it
    }
    state.counters["tree_nodes"] = window.findChild<QTreeWidget*>(QStringLiteral("treErrors"))->topLevelItemCount();
    window.FormDestroy();
}
BENCHMARK(BM_OpenLargestLogInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// One keystroke in the find bar over the largest log: search, select, highlight
// what is on screen, draw; with the entry filter on, also hide and show lines.
void BM_FindInLargestLog(benchmark::State& state) {
    const bool filter = state.range(0) != 0;
    QTemporaryDir folder;
    const std::string programFolder = folder.path().toStdString();
    for (const char* table : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        fs::copy_file(fs::path(LOGNEX_PROGRAM_DIR) / table, fs::path(programFolder) / table);
    const std::string log = programFolder + "/largest.rpt";
    const std::string make =
        "/usr/bin/python3 " LOGNEX_SOURCE_DIR "/scripts/make-sample-log.py '" + log + "' --lines 32768 --distinct 300";
    if (std::system(make.c_str()) != 0) {
        state.SkipWithError("cannot make the log");
        return;
    }
    QuietDialogs dialogs;
    lognex::TdtmData data(programFolder, std::make_unique<NoFolderDialog>());
    lognex::TfrmErrorMain window(data, dialogs, lognex::CLocaleFormat(), lognex::CalendarDefaults{1, 2007},
                                 programFolder);
    window.FormCreate();
    window.SetLogCopy(false);
    window.show();
    window.OpenLogFile(QString::fromStdString(log));
    window.findChild<QTabWidget*>(QStringLiteral("pgeMain"))
        ->setCurrentWidget(window.findChild<QPlainTextEdit*>(QStringLiteral("mmoLog")));
    auto* bar = window.findChild<lognex::FindBar*>();
    // The first Ctrl+F also reads the view's lines once.
    QElapsedTimer firstOpen;
    firstOpen.start();
    bar->Open();
    bar->Field()->setText(QStringLiteral("vacuum"));
    state.counters["first_search_ms"] = static_cast<double>(firstOpen.nsecsElapsed()) / 1e6;
    bar->FilterBox()->setChecked(filter);
    QApplication::processEvents();
    // Two patterns in turn, so every keystroke changes what is found and shown.
    const QString patterns[] = {QStringLiteral("vacuum"), QStringLiteral("chuck pins")};
    int i = 0;
    for (auto _ : state) {
        bar->Field()->setText(patterns[i++ % 2]);
        QApplication::processEvents();
    }
    state.counters["matches"] = bar->MatchCount();
    window.FormDestroy();
}
BENCHMARK(BM_FindInLargestLog)->Arg(0)->Arg(1)->ArgName("filter")->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
