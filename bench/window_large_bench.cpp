// The window over a large log, as a user meets it: how soon the log shows
// after "Open and Process Log", when the pages are ready, how long a frame
// of scrolling, paging and jumping to an occurrence takes, how soon find
// shows its first matches and counts them all, and the process's memory
// beside the log's size. Runs on the offscreen platform; prints the figures.
//
//   bench_window_large LOG
#include <sys/resource.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/error_tree_model.h"
#include "app/find_bar.h"
#include "app/log_view.h"
#include "app/main_dialogs.h"
#include "tables/folder_dialog.h"

namespace {

namespace fs = std::filesystem;

struct OneLogDialogs : lognex::MainDialogs {
    QString log;
    std::optional<QString> ChooseLogFile(QWidget*, lognex::LogDialog, const QString&, const QString&) override {
        return log;
    }
    std::optional<QString> ChooseSummaryFile(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    void ShowError(QWidget*, const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
    void ShowMessage(QWidget*, const QString&, const QString&) override {}
};

struct NoFolderDialog : lognex::FolderDialog {
    bool Execute(lognex::FolderDialogState&) override { return false; }
};

// Notes the first time its widget paints.
struct FirstPaint : QObject {
    QElapsedTimer* clock = nullptr;
    qint64 at = -1;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && at < 0) at = clock->elapsed();
        return false;
    }
};

double Milliseconds(qint64 nanoseconds) { return static_cast<double>(nanoseconds) / 1e6; }

struct Frames {
    std::vector<qint64> times;
    void Report(const char* what) {
        std::sort(times.begin(), times.end());
        std::printf("%-34s median %.2f ms, 90th %.2f ms, max %.2f ms a frame (%zu frames)\n", what,
                    Milliseconds(times[times.size() / 2]), Milliseconds(times[times.size() * 9 / 10]),
                    Milliseconds(times.back()), times.size());
    }
};

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_large LOG\n");
        return 2;
    }
    const std::string log = fs::absolute(argv[1]).string();
    const double logMegabytes = static_cast<double>(fs::file_size(log)) / (1 << 20);
    QTemporaryDir folder;
    const std::string programFolder = folder.path().toStdString();
    for (const char* table : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        fs::copy_file(fs::path(LOGNEX_PROGRAM_DIR) / table, fs::path(programFolder) / table);

    OneLogDialogs dialogs;
    dialogs.log = QString::fromStdString(log);
    lognex::TdtmData data(programFolder, std::make_unique<NoFolderDialog>());
    lognex::TfrmErrorMain window(data, dialogs, lognex::CLocaleFormat(), lognex::CalendarDefaults{1, 2007},
                                 programFolder);
    window.FormCreate();
    window.SetLogCopy(false);
    window.SetPrompt(true);
    window.resize(1000, 740);
    window.show();
    QApplication::processEvents();
    const long baseKilobytes = ResidentKilobytes();

    QElapsedTimer clock;
    FirstPaint painted;
    painted.clock = &clock;
    lognex::LogView* view = window.findChild<lognex::LogView*>(QStringLiteral("mmoLog"));
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("pgeMain"));
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("treErrors"));
    auto* model = qobject_cast<lognex::ErrorTreeModel*>(tree->model());
    auto* bar = window.findChild<lognex::FindBar*>();
    view->viewport()->installEventFilter(&painted);
    clock.start();
    window.btnOpenClick();
    const qint64 ready = clock.elapsed();
    QApplication::processEvents();
    view->viewport()->removeEventFilter(&painted);
    std::printf("log: %zu lines, %.0f MB\n", view->LineCount(), logMegabytes);
    std::printf("%-34s %lld ms\n", "log visible after opening", static_cast<long long>(painted.at));
    std::printf("%-34s %lld ms\n", "tree, summary, timeline ready", static_cast<long long>(ready));
    rusage afterRun{};
    getrusage(RUSAGE_SELF, &afterRun);
    std::printf("memory after the run: %.0f MB resident, peak %.0f MB\n", ResidentKilobytes() / 1024.0,
                afterRun.ru_maxrss / 1024.0);

    pages->setCurrentWidget(view);
    QApplication::processEvents();
    QElapsedTimer frame;
    Frames scroll, page, jump;
    for (int i = 0; i < 200; ++i) {
        frame.start();
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 3);
        view->viewport()->repaint();
        scroll.times.push_back(frame.nsecsElapsed());
    }
    view->setFocus();
    for (int i = 0; i < 200; ++i) {
        frame.start();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &down);
        view->viewport()->repaint();
        page.times.push_back(frame.nsecsElapsed());
    }
    for (int i = 0; i < 100; ++i) {
        const int error = i % std::max(model->rowCount(), 1);
        const QModelIndex errorRow = model->index(error, 0);
        frame.start();
        tree->setCurrentIndex(model->OccurrenceRow(error, (i * 7919) % std::max(model->rowCount(errorRow), 1)));
        view->viewport()->repaint();
        jump.times.push_back(frame.nsecsElapsed());
    }
    scroll.Report("scroll (3 lines)");
    page.Report("page down");
    jump.Report("jump to an occurrence");

    for (const char* pattern : {"vacuum", "LINE: 3580", "e"}) {
        bar->Open();
        bar->Field()->clear();
        QApplication::processEvents();
        clock.restart();
        bar->Field()->setText(QString::fromLatin1(pattern));
        qint64 first = -1;
        while (bar->Searching() || first < 0) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            if (first < 0 && bar->MatchCount() > 0) first = clock.elapsed();
            if (!bar->Searching() && bar->MatchCount() == 0) break;
        }
        std::printf("find \"%s\": first matches %lld ms, all %d counted %lld ms\n", pattern,
                    static_cast<long long>(first), bar->MatchCount(), static_cast<long long>(clock.elapsed()));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "memory: %.0f MB resident after the run and searches (%.0f MB before the run), peak %.0f MB;"
        " goal 2 x log + 100 MB = %.0f MB\n",
        ResidentKilobytes() / 1024.0, baseKilobytes / 1024.0, usage.ru_maxrss / 1024.0, 2 * logMegabytes + 100);
    window.FormDestroy();
    return 0;
}
