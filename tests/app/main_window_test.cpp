// The main window driven through its commands, with the dialogs answered by script.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <climits>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/main_dialogs.h"
#include "app/progress_steps.h"
#include "app/shell/help_system.h"
#include "app/window_bounds.h"
#include "support/app_paths.h"
#include "support/process_info.h"
#include "tables/error_tables.h"
#include "tables/folder_dialog.h"
#include "window_parts.h"

using namespace lognex;
using lognex::testing::PartOf;
namespace fs = std::filesystem;

namespace {

// The next scripted answer, nullopt when none is left. The optional is
// never copied whole: GCC 12 at -O2 takes a copy of an empty
// optional<QString> for a read of uninitialised memory (-Wmaybe-uninitialized).
template <typename T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    const bool given = answers.front().has_value();
    T answer = given ? std::move(*answers.front()) : T();
    answers.pop_front();
    if (!given) return std::nullopt;
    return answer;
}

struct ScriptedDialogs : MainDialogs {
    std::deque<std::optional<QString>> logFiles;
    std::deque<std::optional<QString>> summaryFiles;
    QStringList errors;
    QStringList messages;
    QString lastLogFolder;
    QString lastLogName;
    std::optional<LogDialog> lastLogPurpose;

    std::optional<QString> ChooseLogFile(QWidget*, LogDialog purpose, const QString& folder,
                                         const QString& proposedName) override {
        lastLogPurpose = purpose;
        lastLogFolder = folder;
        lastLogName = proposedName;
        return TakeFront(logFiles);
    }
    std::optional<QString> ChooseSummaryFile(QWidget*, const QString&, const QString&) override {
        return TakeFront(summaryFiles);
    }
    void ShowError(QWidget*, const QString& message) override { errors << message; }
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        messages << caption + QStringLiteral(": ") + text;
    }
};

// Answers the database folder dialog: nullopt cancels, a text confirms that folder.
struct ScriptedFolderDialog : FolderDialog {
    std::deque<std::optional<std::string>> answers;
    int shown = 0;
    std::vector<std::string> preselected;

    bool Execute(FolderDialogState& state) override {
        ++shown;
        preselected.push_back(state.selectedFolder);
        if (answers.empty()) throw std::runtime_error("the folder dialog was not expected");
        auto answer = answers.front();
        answers.pop_front();
        if (!answer) return false;
        state.selectedFolder = *answer;
        return true;
    }
};

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kLog =
    "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n"
    "Tue Apr 17 21:45:00 2007 FILE: Align.c at LINE: 12\r\n"
    "Align failed\r\n"
    "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n";

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TdtmData> data_;
    std::unique_ptr<TfrmErrorMain> window_;

    QString Path(const QString& name) const { return folder_.filePath(name); }

    // The window's parts by what they are.
    QPlainTextEdit* Log() const { return PartOf<QPlainTextEdit>(*window_, "mmoLog"); }
    QPlainTextEdit* Summary() const { return PartOf<QPlainTextEdit>(*window_, "mmoSum"); }
    QTreeWidget* Tree() const { return PartOf<QTreeWidget>(*window_, "treErrors"); }
    QTabWidget* Pages() const { return PartOf<QTabWidget>(*window_, "pgeMain"); }
    QProgressBar* ProgressBar() const { return PartOf<QProgressBar>(*window_, "barProcess"); }
    QPushButton* OpenButton() const { return PartOf<QPushButton>(*window_, "btnOpen"); }
    QPushButton* ExitButton() const { return PartOf<QPushButton>(*window_, "btnExit"); }
    QWidget* BottomPanel() const { return PartOf<QWidget>(*window_, "pnlBottom"); }
    QAction* PromptEntry() const { return PartOf<QAction>(*window_, "mniConfigPrompt"); }
    QAction* CopyEntry() const { return PartOf<QAction>(*window_, "mniConfigCopy"); }
    QAction* SourceEntry() const { return PartOf<QAction>(*window_, "mniSource"); }
    const SessionOptions& Options() const { return window_->CurrentSession().Options(); }

    ScriptedFolderDialog* folderDialog_ = nullptr;

    // Creates the data module and the window; returns what FormCreate says.
    // paths, when given, are those of an installed copy.
    bool CreateWindow(std::deque<std::optional<std::string>> folderAnswers = {},
                      std::optional<AppPaths> paths = std::nullopt) {
        dialogs_ = std::make_unique<ScriptedDialogs>();
        auto folderDialog = std::make_unique<ScriptedFolderDialog>();
        folderDialog->answers = std::move(folderAnswers);
        folderDialog_ = folderDialog.get();
        const std::string programFolder = folder_.path().toStdString();
        data_ = paths ? std::make_unique<TdtmData>(paths->configFolder, paths->dataFolder, std::move(folderDialog))
                      : std::make_unique<TdtmData>(programFolder, std::move(folderDialog));
        window_ = std::make_unique<TfrmErrorMain>(*data_, *dialogs_, CLocaleFormat(), CalendarDefaults{1, 2007},
                                                  programFolder);
        if (paths) window_->SetAppPaths(*paths);
        return window_->FormCreate();
    }

    void StartWindow() {
        QVERIFY(CreateWindow());
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void StopWindow() {
        window_->FormDestroy();
        window_.reset();
        data_.reset();
    }

    void RunOn(const QString& log) {
        window_->SetPrompt(true);
        dialogs_->logFiles.push_back(log);
        window_->btnOpenClick();
    }

    // The same, through the button, whose guard shows a failure in the error box.
    void ClickOpenOn(const QString& log) {
        window_->SetPrompt(true);
        dialogs_->logFiles.push_back(log);
        QTest::mouseClick(OpenButton(), Qt::LeftButton);
    }

    QStringList TreeTexts() const {
        QStringList texts;
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = Tree()->topLevelItem(i);
            texts << item->text(0);
            for (int j = 0; j < item->childCount(); ++j) texts << QStringLiteral("  ") + item->child(j)->text(0);
        }
        return texts;
    }

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        CreateErrorTableFiles(folder_.path().toStdString());
        WriteFile(Path("good.rpt"), kLog);
        WriteFile(Path("bad.rpt"), "Tue Apr 17 21:40:58 2007 FILE: a.c\r\nx\r\nnot a header\r\ny\r\n");
        StartWindow();
        window_->SetLogCopy(false);
    }

    void cleanup() {
        StopWindow();
        QDir(folder_.path()).removeRecursively();
        QDir().mkpath(folder_.path());
    }

    void runFillsThePagesAndShowsTheSummary() {
        QCOMPARE(Pages()->currentWidget(), Log());
        RunOn(Path("good.rpt"));
        QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
        QCOMPARE(Pages()->currentWidget(), Summary());
        QCOMPARE(Log()->document()->blockCount(), 7);
        QCOMPARE(Log()->document()->findBlockByNumber(3).text(), QStringLiteral("Align failed"));
        QCOMPARE(TreeTexts(),
                 (QStringList{
                     QStringLiteral("[1] Align failed"), QStringLiteral("  04/17/07 21:45:00 - Log File line 3"),
                     QStringLiteral("[2] Wafer not sensed"), QStringLiteral("  04/17/07 21:40:58 - Log File line 1"),
                     QStringLiteral("  04/18/07 - Log File line 5")}));
        const QStringList summary = Summary()->toPlainText().split('\n');
        QCOMPARE(summary.value(0), QStringLiteral("First log entry is on 04/17/07 21:40:58"));
        QCOMPARE(summary.value(2), QStringLiteral("The log spans 0 days, 2 hours, 19 minutes, and 2 seconds"));
        QCOMPARE(summary.value(6), QStringLiteral("2 - Wafer not sensed"));
        QCOMPARE(summary.value(7), QStringLiteral("1 - Align failed"));
        QCOMPARE(Options().errPath, folder_.path().toStdString());
        QVERIFY(window_->windowTitle().contains(QStringLiteral("good.rpt")));
        QVERIFY(ProgressBar()->isHidden());
        QCOMPARE(ProgressBar()->value(), 35);  // 6 lines: step 1, advanced 7 times
    }

    void progressBarAdvancesAboutTwentyTimesPerRun() {
        // A log of n lines: n + 1 loop steps, an advance at every (n / 20 + 1)-th from the first.
        const struct { std::size_t lines, advances; } cases[] = {{0, 1}, {6, 7}, {99, 20}, {100, 17}, {32768, 20}};
        for (const auto& c : cases) QCOMPARE(BarAdvancesDue(c.lines + 1, c.lines + 1), c.advances);
        // A run of 100 lines stopped at the pair of line 40: the advances at steps 0, 6, ..., 36.
        QCOMPARE(BarAdvancesDue(40, 101), std::size_t{7});
    }

    void cancelledDialogChangesNothing() {
        RunOn(Path("good.rpt"));
        Pages()->setCurrentIndex(2);  // "Tree View"
        const QString log = Log()->toPlainText();
        window_->SetPrompt(true);
        window_->btnOpenClick();  // no answer scripted: cancelled
        QCOMPARE(Log()->toPlainText(), log);
        QCOMPARE(Pages()->currentIndex(), 2);
        QCOMPARE(TreeTexts().size(), 5);
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void failingLogClearsTheViewsThatDescribeTheLastOne() {
        RunOn(Path("good.rpt"));
        Pages()->setCurrentWidget(Log());
        // Commands are run through the same guard the buttons use.
        dialogs_->logFiles.push_back(Path("bad.rpt"));
        QTest::mouseClick(OpenButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("'' is not a valid time")});
        // The log view holds bad.rpt now: a tree of good.rpt would select unrelated lines.
        QCOMPARE(Log()->document()->findBlockByNumber(2).text(), QStringLiteral("not a header"));
        QCOMPARE(Tree()->topLevelItemCount(), 0);
        QVERIFY(Summary()->toPlainText().isEmpty());
        QVERIFY(window_->CurrentSession().Summary().spanText.empty());
        QCOMPARE(window_->windowTitle(), QStringLiteral("Lognex - ") + Path("bad.rpt"));
        QCOMPARE(Pages()->currentWidget(), Log());
        QVERIFY(ProgressBar()->isHidden());
    }

    // A log that cannot be read is a failed run, with Copy Error Log on or
    // off: the box names the log, the previous results are cleared, and with
    // the copy on the earlier run's copy is neither processed nor replaced.
    void aLogThatCannotBeReadClearsThePreviousResults() {
        for (const bool copy : {false, true}) {
            window_->SetLogCopy(copy);
            RunOn(Path("good.rpt"));
            QCOMPARE(window_->windowTitle(), QStringLiteral("Lognex - ") + Path("good.rpt"));  // not the copy
            dialogs_->errors.clear();
            ClickOpenOn(Path("missing.rpt"));
            QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("Cannot open file \"") + Path("missing.rpt") +
                                                   QStringLiteral("\". No such file or directory")});
            QCOMPARE(TreeTexts(), QStringList());
            QVERIFY(Log()->toPlainText().isEmpty());
            QVERIFY(Summary()->toPlainText().isEmpty());
            QCOMPARE(window_->windowTitle(), QStringLiteral("Lognex"));
            if (copy) QCOMPARE(ReadFile(Path("err_log.rpt")), kLog);
            // Nor does the export list the earlier log's occurrences.
            const QString previous = QDir::currentPath();
            QDir::setCurrent(folder_.path());
            window_->mniExportExcelClick();
            QDir::setCurrent(previous);
            QCOMPARE(data_->tblExcel().RecordCount(), std::int64_t{0});
        }
    }

    // The copy is staged and put in place only when whole: past a file-size
    // limit the run fails by the copy's name and the earlier copy stays.
    void aCopyCutShortIsNeverProcessed() {
        window_->SetLogCopy(true);
        RunOn(Path("good.rpt"));
        std::string big;
        while (big.size() < 256 * 1024) big += kLog;
        WriteFile(Path("big.rpt"), big);
        dialogs_->errors.clear();
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        IgnoreFileSizeSignal();
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        ClickOpenOn(Path("big.rpt"));
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("Cannot create file \"") + Path("err_log.rpt") +
                                               QStringLiteral("\". File too large")});
        QCOMPARE(ReadFile(Path("err_log.rpt")), kLog);
        QCOMPARE(TreeTexts(), QStringList());
        QCOMPARE(QDir(folder_.path()).entryList({QStringLiteral(".lognex-copy-*")}, QDir::Hidden | QDir::Files),
                 QStringList());
        RunOn(Path("big.rpt"));  // without the limit the whole copy replaces the earlier one
        QCOMPARE(ReadFile(Path("err_log.rpt")), big);
    }

    // The same on a full disk: a small file system of its own, mounted in a
    // mount namespace of a child process running this test function.
    void aFullDiskFailsTheCopyAndKeepsTheEarlierOne() {
        const QString disk = qEnvironmentVariable("LOGNEX_TEST_SMALL_DISK");
        if (disk.isEmpty()) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            const QString mountPoint = Path("disk");
            QDir().mkpath(mountPoint);
            environment.insert(QStringLiteral("LOGNEX_TEST_SMALL_DISK"), mountPoint);
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            // root mounts in a namespace of its own; anyone else as root of a user namespace.
            QStringList arguments{QStringLiteral("--mount")};
            if (::geteuid() != 0)
                arguments = QStringList{QStringLiteral("--user"), QStringLiteral("--map-root-user")} + arguments;
            arguments << QStringLiteral("sh") << QStringLiteral("-c")
                      << QStringLiteral("mount -t tmpfs -o size=64k lognex-small \"$1\" || exit 77; exec \"$2\" \"$3\"")
                      << QStringLiteral("sh") << mountPoint << QCoreApplication::applicationFilePath()
                      << QStringLiteral("aFullDiskFailsTheCopyAndKeepsTheEarlierOne");
            child.start(QStringLiteral("unshare"), arguments);
            if (!child.waitForStarted()) QSKIP("unshare is not available");
            QVERIFY(child.waitForFinished(120000));
            const QByteArray output = child.readAll();
            if (child.exitCode() == 77 || output.startsWith("unshare:"))
                QSKIP("no small file system can be mounted here");
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
            return;
        }
        StopWindow();
        AppPaths paths = ProgramFolderPaths(folder_.path().toStdString());
        paths.perUser = true;
        paths.configFolder = Path("config").toStdString();
        paths.dataFolder = disk.toStdString();
        // The tables stay in the program folder: only the copy goes to the small disk.
        QDir().mkpath(Path("config"));
        WriteFile(Path("config/lognex-aliases.cfg"), "EgErrors=" + folder_.path().toStdString() + "\n");
        QVERIFY(CreateWindow({}, paths));
        window_->SetLogCopy(true);
        RunOn(Path("good.rpt"));
        std::string big;
        while (big.size() < 256 * 1024) big += kLog;
        WriteFile(Path("big.rpt"), big);
        dialogs_->errors.clear();
        ClickOpenOn(Path("big.rpt"));
        QCOMPARE(dialogs_->errors, QStringList{QStringLiteral("Cannot create file \"") + disk +
                                               QStringLiteral("/err_log.rpt\". No space left on device")});
        QCOMPARE(ReadFile(disk + QStringLiteral("/err_log.rpt")), kLog);
        QCOMPARE(QDir(disk).entryList({QStringLiteral(".lognex-copy-*")}, QDir::Hidden | QDir::Files), QStringList());
        StopWindow();
        StartWindow();
    }

    void aLogPastTheWindowsBoundIsRefusedByNameAndBound() {
        RunOn(Path("good.rpt"));
        dialogs_->errors.clear();
        // Sparse: 32 MB that take no disk, past what the log page may hold.
        WriteFile(Path("huge.rpt"), "");
        std::filesystem::resize_file(Path("huge.rpt").toStdString(), std::uintmax_t{32} << 20);
        ClickOpenOn(Path("huge.rpt"));
        QCOMPARE(dialogs_->errors,
                 QStringList{QStringLiteral("The log \"") + Path("huge.rpt") +
                             QStringLiteral("\" is too large for the window, which holds at most 24 MB of a log and "
                                            "its line index; lognex-report reads larger logs")});
        // Like any log that cannot be read, it leaves no results of the log before.
        QCOMPARE(TreeTexts(), QStringList());
    }

    void messagesDecodeLogBytesAsWindows1252AndPathsAsTheFileSystemDoes() {
        // A 0xE9 byte in a header word is é in the log, as everywhere else.
        WriteFile(Path("accent.rpt"), "Tue Apr 17 21:4\xE9:58 2007 FILE: a.c\r\nx\r\n");
        ClickOpenOn(Path("accent.rpt"));
        // A file name is UTF-8 here.
        ClickOpenOn(Path(QStringLiteral("fich\u00e9 absent.rpt")));
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(dialogs_->errors[0], QStringLiteral("'21:4\u00e9:58' is not a valid time"));
        QVERIFY2(dialogs_->errors[1].contains(QStringLiteral("fich\u00e9 absent.rpt")),
                 qPrintable(dialogs_->errors[1]));
    }

    void choosingAnOccurrenceSelectsItsTwoLines() {
        RunOn(Path("good.rpt"));
        QTreeWidgetItem* wafer = Tree()->topLevelItem(1);
        Tree()->setCurrentItem(wafer->child(1));
        const QTextCursor cursor = Log()->textCursor();
        QCOMPARE(cursor.selectedText(), QStringLiteral("Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580") +
                                            QChar(QChar::ParagraphSeparator) + QStringLiteral("Wafer not sensed"));
        QCOMPARE(cursor.position(), cursor.selectionEnd());
        QCOMPARE(Pages()->currentWidget(), Summary());

        Tree()->setCurrentItem(wafer);  // a top-level node changes nothing
        QCOMPARE(Log()->textCursor().selectedText(), cursor.selectedText());

        // The line comes from the item's data, never from its label: a label
        // that names another line still leads to the occurrence's own.
        wafer->child(0)->setText(0, QStringLiteral("04/17/07 21:45:00 - Log File line 3"));
        Tree()->setCurrentItem(wafer->child(0));
        QCOMPARE(Log()->textCursor().selectedText(),
                 QStringLiteral("Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580") +
                     QChar(QChar::ParagraphSeparator) + QStringLiteral("Wafer not sensed"));
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void enterOrDoubleClickOnAnOccurrenceShowsItsLinesInTheLog() {
        RunOn(Path("good.rpt"));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        const QString expected = QStringLiteral("Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580") +
                                 QChar(QChar::ParagraphSeparator) + QStringLiteral("Wafer not sensed");
        QTreeWidget* tree = Tree();
        for (const bool doubleClick : {true, false}) {
            Pages()->setCurrentIndex(2);  // "Tree View"
            tree->expandAll();
            QTreeWidgetItem* occurrence = tree->topLevelItem(1)->child(1);
            tree->setCurrentItem(occurrence);
            Log()->moveCursor(QTextCursor::Start);  // forget the selection
            if (doubleClick) {
                const QPoint at = tree->visualItemRect(occurrence).center();
                // A double-click is a click and then the double-click event.
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
            } else {
                tree->setFocus();
                QTest::keyClick(tree, Qt::Key_Return);
            }
            QVERIFY2(Pages()->currentWidget() == Log(), doubleClick ? "double-click" : "Enter");
            QCOMPARE(Log()->textCursor().selectedText(), expected);
        }
        // Enter on an error (not an occurrence) stays in the tree.
        Pages()->setCurrentIndex(2);  // "Tree View"
        tree->setCurrentItem(tree->topLevelItem(0));
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(Pages()->currentIndex(), 2);
        QVERIFY(dialogs_->errors.isEmpty());
        window_->hide();
    }

    // Neither a slow second click on a chosen node nor F2 opens an editor:
    // an edited label would no longer lead to its line.
    void treeLabelsAreReadOnly() {
        RunOn(Path("good.rpt"));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        Pages()->setCurrentIndex(2);  // "Tree View"
        QTreeWidget* tree = Tree();
        tree->expandAll();
        for (QTreeWidgetItem* node : {tree->topLevelItem(1), tree->topLevelItem(1)->child(1)}) {
            const QString label = node->text(0);
            const QPoint at = tree->visualItemRect(node).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            QVERIFY2(!tree->findChild<QLineEdit*>(), "slow second click");
            tree->setFocus();
            QTest::keyClick(tree, Qt::Key_F2);
            QVERIFY2(!tree->findChild<QLineEdit*>(), "F2");
            QVERIFY(!(node->flags() & Qt::ItemIsEditable));
            QCOMPARE(node->text(0), label);
        }
        QVERIFY(dialogs_->errors.isEmpty());
        window_->hide();
    }

    void showSourceInfoRebuildsTheTree() {
        RunOn(Path("good.rpt"));
        SourceEntry()->trigger();
        QVERIFY(Options().source);
        QVERIFY(SourceEntry()->isChecked());
        QCOMPARE(Tree()->topLevelItem(0)->text(0), QStringLiteral("[1] Align failed - FILE: Align.c at LINE: 12"));
        SourceEntry()->trigger();
        QCOMPARE(Tree()->topLevelItem(0)->text(0), QStringLiteral("[1] Align failed"));
    }

    // A FIFO or folder chosen as the log is refused by name instead of
    // blocking the window, with LogCopy on or off; log bytes in a message
    // are shown visibly; Save Summary onto a link writes the linked file.
    void hostileLogsAndSaveTargetsKeepTheWindowUsable() {
        QVERIFY(::mkfifo(Path("fifo.rpt").toLocal8Bit().constData(), 0600) == 0);
        WriteFile(Path("escape.rpt"), "Tue Apr 17 \x1b]0;owned\x07 2007\r\ntext\r\n");
        for (bool copy : {false, true}) {
            window_->SetLogCopy(copy);
            RunOn(Path("good.rpt"));
            dialogs_->errors.clear();
            // Refused before anything is loaded, as a log that cannot be read.
            dialogs_->logFiles.push_back(Path("fifo.rpt"));
            QTest::mouseClick(OpenButton(), Qt::LeftButton);
            QCOMPARE(TreeTexts(), QStringList());
            dialogs_->logFiles.push_back(Path("escape.rpt"));
            QTest::mouseClick(OpenButton(), Qt::LeftButton);
            QCOMPARE(dialogs_->errors,
                     (QStringList{QStringLiteral("Cannot open file \"") + Path("fifo.rpt") +
                                      QStringLiteral("\". It is a FIFO (named pipe), not a regular file"),
                                  QStringLiteral("'\\x1B]0;owned\\x07' is not a valid time")}));
        }
        window_->SetLogCopy(false);
        RunOn(Path("good.rpt"));
        dialogs_->errors.clear();

        WriteFile(Path("real.txt"), "old");
        QVERIFY(QFile::link(QStringLiteral("real.txt"), Path("link.txt")));
        dialogs_->summaryFiles.push_back(Path("link.txt"));
        window_->mniFileSaveSummaryClick();
        QVERIFY(dialogs_->errors.isEmpty());
        QVERIFY(QFileInfo(Path("link.txt")).isSymLink());
        QVERIFY(ReadFile(Path("real.txt")).rfind("First log entry is on", 0) == 0);
    }

    void saveSummaryWritesTheFileAndTheClipboard() {
        window_->mniFileSaveSummaryClick();  // nothing to save yet: no dialog
        QVERIFY(dialogs_->summaryFiles.empty());
        RunOn(Path("good.rpt"));
        Summary()->appendPlainText(QStringLiteral("typed by the user"));
        dialogs_->summaryFiles.push_back(Path("summary.txt"));
        window_->mniFileSaveSummaryClick();
        QVERIFY(dialogs_->errors.isEmpty());
        const std::string saved = ReadFile(Path("summary.txt"));
        QVERIFY(saved.rfind("First log entry is on 04/17/07 21:40:58\r\n", 0) == 0);
        QVERIFY(saved.find("\r\n\r\nTotal number of occurrences for each error:\r\n\r\n") != std::string::npos);
        QVERIFY(saved.size() > 20 && saved.substr(saved.size() - 19) == "typed by the user\r\n");
        QCOMPARE(QApplication::clipboard()->text(), Summary()->toPlainText());
    }

    void savedSummaryOfALogWithoutEntriesKeepsItsLastEmptyLine() {
        WriteFile(Path("empty.rpt"), "");
        RunOn(Path("empty.rpt"));
        dialogs_->summaryFiles.push_back(Path("empty-summary.txt"));
        window_->mniFileSaveSummaryClick();
        const std::string saved = ReadFile(Path("empty-summary.txt"));
        const std::string tail = "\r\n\r\nTotal number of occurrences for each error:\r\n\r\n";
        QVERIFY(saved.size() > tail.size());
        QCOMPARE(saved.substr(saved.size() - tail.size()), tail);
        QVERIFY(saved.rfind("First log entry is on 12/30/99\r\n", 0) == 0);
    }

    void exportWritesTheWorkbookAndSaysSo() {
        RunOn(Path("good.rpt"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder_.path());
        window_->mniExportExcelClick();
        QDir::setCurrent(previous);
        QCOMPARE(dialogs_->messages,
                 QStringList{QStringLiteral("Export Complete: Data has been exported to 'Error Log.xls'")});
        const std::string workbook = ReadFile(Path("Error Log.xls"));
        QVERIFY(workbook.size() > 512);
        QCOMPARE(workbook.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    }

    void exportGoesBesideTheLogWhenTheCurrentFolderTakesNoFiles() {
        RunOn(Path("good.rpt"));
        // A current folder that has been deleted takes no files, whoever runs the test.
        const QString previous = QDir::currentPath();
        QDir(folder_.path()).mkdir(QStringLiteral("gone"));
        QDir::setCurrent(Path("gone"));
        QDir(folder_.path()).rmdir(QStringLiteral("gone"));
        window_->mniExportExcelClick();
        QDir::setCurrent(previous);
        QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
        QCOMPARE(dialogs_->messages, QStringList{QStringLiteral("Export Complete: Data has been exported to '") +
                                                 Path("Error Log.xls") + QStringLiteral("'")});
        QVERIFY(ReadFile(Path("Error Log.xls")).size() > 512);
    }

    void anInstalledCopyKeepsItsFilesInTheUsersFolders() {
        StopWindow();
        for (const char* name : {"LOGNEX.INI", "lognex-aliases.cfg"}) QFile::remove(Path(name));
        AppPaths paths = ProgramFolderPaths(folder_.path().toStdString());
        paths.perUser = true;
        paths.configFolder = Path("config").toStdString();
        paths.dataFolder = Path("data").toStdString();
        paths.installedTableFolder = Path("installed").toStdString();
        fs::create_directory(paths.installedTableFolder);
        CreateErrorTableFiles(paths.installedTableFolder);
        paths.logDialogFolder = Path("home").toStdString();
        PrepareUserFolders(paths);
        QVERIFY(CreateWindow({}, paths));
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(Options().errPath, paths.logDialogFolder);
        QVERIFY(Options().logCopy);
        RunOn(Path("good.rpt"));
        QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
        QCOMPARE(TreeTexts().size(), 5);
        QCOMPARE(ReadFile(Path("data/err_log.rpt")), kLog);
        StopWindow();
        QVERIFY(ReadFile(Path("config/LOGNEX.INI")).find("[Main]") != std::string::npos);
        QVERIFY(ReadFile(Path("config/lognex-aliases.cfg")).find("EgErrors=" + paths.dataFolder) != std::string::npos);
        // Nothing went to the program folder.
        for (const char* name : {"LOGNEX.INI", "lognex-aliases.cfg", "err_log.rpt"})
            QVERIFY2(!QFile::exists(Path(name)), name);
        StartWindow();
    }

    void optionsSurviveARestartAndExtraKeysStay() {
        StopWindow();
        QFile::remove(Path("LOGNEX.INI"));
        WriteFile(Path("lognex.ini"), "[Other]\r\nmine=1\r\n[Main]\r\nExtra=kept\r\nPrompt=FALSE\r\n");
        StartWindow();
        QVERIFY(!Options().prompt);
        QVERIFY(Options().logCopy);
        PromptEntry()->trigger();  // the entry checks itself, then the option follows
        QVERIFY(Options().prompt);
        CopyEntry()->trigger();
        QVERIFY(!Options().logCopy);
        StopWindow();

        const std::string ini = ReadFile(Path("lognex.ini"));
        QVERIFY(ini.find("mine=1") != std::string::npos);
        QVERIFY(ini.find("Extra=kept") != std::string::npos);
        QVERIFY(ini.find("Prompt=TRUE") != std::string::npos);
        StartWindow();
        QVERIFY(Options().prompt);
        QVERIFY(PromptEntry()->isChecked());
        QVERIFY(!Options().logCopy);
        QVERIFY(!CopyEntry()->isChecked());
    }

    void startUpAsksForTheFolderUntilOneIsConfirmed() {
        StopWindow();
        const std::string tables = folder_.path().toStdString();
        WriteFile(Path("lognex-aliases.cfg"), "EgErrors=" + tables + "/deleted-folder\n");
        QVERIFY(CreateWindow({std::nullopt, std::nullopt, tables}));  // cancelled twice, then confirmed
        QCOMPARE(folderDialog_->shown, 3);
        QVERIFY(dialogs_->errors.isEmpty());
        QVERIFY(data_->tblError().IsOpen() && data_->tblOccur().IsOpen() && data_->tblExcel().IsOpen());
        QVERIFY(ReadFile(Path("lognex-aliases.cfg")).find("EgErrors=" + tables) != std::string::npos);
        RunOn(Path("good.rpt"));
        QCOMPARE(TreeTexts().size(), 5);
    }

    void startUpGivesUpWhenTheConfirmedFolderLacksTheFiles() {
        StopWindow();
        QDir(folder_.path()).mkdir(QStringLiteral("empty"));
        WriteFile(Path("lognex-aliases.cfg"), "EgErrors=" + folder_.path().toStdString() + "/deleted-folder\n");
        QVERIFY(!CreateWindow({Path("empty").toStdString()}));
        QVERIFY(!data_->tblError().IsOpen());
        QVERIFY(!data_->tblOccur().IsOpen());
        // The alias already names the confirmed folder, so the next start asks again.
        QVERIFY(ReadFile(Path("lognex-aliases.cfg")).find("/empty") != std::string::npos);
    }

    void shutdownWritesTheSettingsAndClosesTheTables() {
        window_->SetSource(true);
        window_->FormDestroy();
        QVERIFY(!data_->tblError().IsOpen());
        QVERIFY(!data_->tblOccur().IsOpen());
        QVERIFY(!data_->tblExcel().IsOpen());
        const std::string ini = ReadFile(Path("LOGNEX.INI"));
        const char* keys[] = {"[Main]",        "Left=",
                              "Top=",          "Height=",
                              "Width=",        "Prompt=FALSE",
                              "LogCopy=FALSE", "ErrPath=",
                              "Source=TRUE",   "ProberLog=C:\\Comander\\EG_Root\\Machine\\err_log.rpt"};
        std::size_t at = 0;
        for (const char* key : keys) {
            at = ini.find(key, at);
            QVERIFY2(at != std::string::npos, key);
        }
        window_.reset();
        data_.reset();
        StartWindow();
        QVERIFY(Options().source);
        QVERIFY(SourceEntry()->isChecked());
    }

    void proberLogFileIsASettingPickedInTheLogDialog() {
        // With the default options a run reads the prober's path.
        window_->SetPrompt(false);
        QTest::mouseClick(OpenButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->errors.size(), 1);
        QVERIFY(dialogs_->errors[0].contains(QStringLiteral("C:\\Comander\\EG_Root\\Machine\\err_log.rpt")));

        QAction* command = nullptr;
        const auto configurationMenu = [this] {
            for (QAction* menu : window_->menuBar()->actions())
                if (menu->text() == QStringLiteral("&Configuration")) return menu->menu();
            return static_cast<QMenu*>(nullptr);
        };
        QMenu* configuration = configurationMenu();
        QVERIFY(configuration);
        const QList<QAction*> entries = configuration->actions();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0], PromptEntry());
        QCOMPARE(entries[1], CopyEntry());
        command = entries[2];
        QCOMPARE(command->text(), QStringLiteral("Prober &Log File..."));
        command->trigger();  // cancelled: nothing changes
        QCOMPARE(dialogs_->lastLogPurpose, LogDialog::ProberLog);
        QCOMPARE(Options().proberLog, std::string("C:\\Comander\\EG_Root\\Machine\\err_log.rpt"));
        QCOMPARE(dialogs_->lastLogFolder, folder_.path());  // the prober's folder is not here: ErrPath
        QCOMPARE(dialogs_->lastLogName, QStringLiteral("err_log.rpt"));
        dialogs_->logFiles.push_back(Path("good.rpt"));
        command->trigger();
        QCOMPARE(Options().proberLog, Path("good.rpt").toStdString());
        QVERIFY(!Options().prompt);

        QTest::mouseClick(OpenButton(), Qt::LeftButton);  // no dialog: the prober log is read
        QCOMPARE(dialogs_->errors.size(), 1);
        QCOMPARE(TreeTexts().size(), 5);
        QCOMPARE(QString::fromStdString(window_->CurrentSession().SourcePath()), Path("good.rpt"));

        StopWindow();
        const std::string ini = ReadFile(Path("LOGNEX.INI"));
        const std::size_t source = ini.find("Source=");
        QVERIFY(source != std::string::npos);
        QVERIFY(ini.find("ProberLog=" + Path("good.rpt").toStdString(), source) != std::string::npos);
        StartWindow();
        QCOMPARE(Options().proberLog, Path("good.rpt").toStdString());
        command = configurationMenu()->actions().at(2);
        command->trigger();  // opens at the prober log's own folder and name
        QCOMPARE(dialogs_->lastLogFolder, folder_.path());
        QCOMPARE(dialogs_->lastLogName, QStringLiteral("good.rpt"));
    }

    // Each log dialog says what it is for; both offer every file after the logs.
    void logDialogsNameTheirPurposeAndOfferAllFiles() {
        RunOn(Path("good.rpt"));
        QCOMPARE(dialogs_->lastLogPurpose, LogDialog::OpenLog);
        struct Case {
            LogDialog purpose;
            QString title;
        };
        const Case cases[] = {{LogDialog::OpenLog, QStringLiteral("Open Prober Error Log")},
                              {LogDialog::ProberLog, QStringLiteral("Choose the Prober's Error Log")}};
        for (const Case& test : cases) {
            const auto dialog = MakeLogFileDialog(nullptr, test.purpose, folder_.path(), QStringLiteral("good.rpt"));
            QCOMPARE(dialog->windowTitle(), test.title);
            QCOMPARE(dialog->nameFilters(),
                     (QStringList{QStringLiteral("Error log files (*.rpt)"), QStringLiteral("All files (*)")}));
            QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Error log files (*.rpt)"));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        }
    }

    void aDroppedFileIsProcessedAsIfChosen() {
        window_->SetPrompt(false);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(Path("good.rpt"))});
        QVERIFY(!window_->OpenDroppedFile(QMimeData()));
        QVERIFY(window_->OpenDroppedFile(mime));
        QVERIFY(dialogs_->errors.isEmpty());
        QCOMPARE(TreeTexts().size(), 5);
        QCOMPARE(Pages()->currentWidget(), Summary());
        QCOMPARE(Options().errPath, folder_.path().toStdString());
        QVERIFY(!Options().prompt);  // the option itself is left alone
    }

    void helpOpensViewersThatCloseAtShutdown() {
        window_->mniHelpHelpClick();
        QCOMPARE(OpenHelpWindowCount(), 1);
        CloseAllHelpWindows();
        QCOMPARE(OpenHelpWindowCount(), 0);
        QMenu* file = window_->menuBar()->actions().first()->menu();
        file->popup(QPoint(0, 0));
        QTest::keyClick(file, Qt::Key_F1);  // F1 with a menu open asks for context 0
        QCOMPARE(OpenHelpWindowCount(), 1);
        file->hide();
        window_->FormDestroy();
        QCOMPARE(OpenHelpWindowCount(), 0);
        window_.reset();
        data_.reset();
        StartWindow();
    }

    void closingTheWindowEndsTheProgramWhileHelpIsOpen() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->mniHelpHelpClick();
        QCOMPARE(OpenHelpWindowCount(), 1);
        QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
        // Should the loop go on, this ends it with another status.
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, qApp, [] {
            CloseAllHelpWindows();
            QCoreApplication::exit(7);
        });
        safety.start(5000);
        QCOMPARE(QApplication::exec(), 0);  // ended by the closed window, not by the safety
        window_->FormDestroy();
        QCOMPARE(OpenHelpWindowCount(), 0);
        window_.reset();
        data_.reset();
        StartWindow();
    }

    void boundsSurviveARestartWithTheFrameCounted() {
        StopWindow();
        WriteFile(Path("LOGNEX.INI"), "[Main]\r\nLeft=100\r\nTop=80\r\nHeight=450\r\nWidth=640\r\n");
        for (int start = 0; start < 2; ++start) {
            StartWindow();
            window_->show();
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
            QTRY_COMPARE(window_->frameGeometry(), QRect(100, 80, 640, 450));
            StopWindow();
            const std::string ini = ReadFile(Path("LOGNEX.INI"));
            for (const char* key : {"Left=100\r\n", "Top=80\r\n", "Height=450\r\n", "Width=640\r\n"})
                QVERIFY2(ini.find(key) != std::string::npos, key);
        }
        StartWindow();
    }

    // Stored bounds that fit the screen are kept; others are shrunk to it and
    // moved onto it, so Exit stays in reach. The test runs again under
    // QT_SCALE_FACTOR=2, where the screen is half as large.
    void restoredFrameLiesWhollyOnOneScreen() {
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        struct Case {
            const char* ini;
            QPoint at;
            QSize size;  // empty: no size to keep
        };
        const Case cases[] = {
            {"Left=30\r\nTop=10\r\nHeight=450\r\nWidth=640", {30, 10}, {640, 450}},
            {"Left=300\r\nTop=250\r\nHeight=427\r\nWidth=602", {300, 250}, {602, 427}},  // off right and bottom
            {"Left=2147483647\r\nTop=2147483647\r\nHeight=2147483647\r\nWidth=2147483647",
             {INT_MAX, INT_MAX},
             {INT_MAX, INT_MAX}},
            {"Left=2147483648\r\nTop=2147483648\r\nHeight=500\r\nWidth=4294967289", {}, {}},  // negative
        };
        for (const Case& test : cases) {
            StopWindow();
            WriteFile(Path("LOGNEX.INI"), std::string("[Main]\r\n") + test.ini + "\r\n");
            StartWindow();
            window_->show();
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
            QApplication::processEvents();
            const QRect frame = window_->frameGeometry();
            const QRect exit(ExitButton()->mapToGlobal(QPoint(0, 0)), ExitButton()->size());
            QVERIFY2(room.contains(frame), test.ini);
            QVERIFY2(room.contains(exit), test.ini);
            if (test.size.isEmpty()) continue;
            const bool fits = test.size.width() <= room.width() && test.size.height() <= room.height() &&
                              room.contains(QRect(test.at, test.size));
            if (fits) {
                QCOMPARE(frame, QRect(test.at, test.size));
                continue;
            }
            QCOMPARE(frame.width(), std::clamp(test.size.width(), std::min(400, room.width()), room.width()));
            QCOMPARE(frame.height(), std::clamp(test.size.height(), std::min(413, room.height()), room.height()));
        }
    }

    void fittingPutsTheFrameOnOneScreen() {
        const std::vector<QRect> screens{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
        struct Case {
            WindowBounds stored, fitted;
        };
        const Case cases[] = {
            {{192, 220, 602, 427}, {192, 220, 602, 427}},    // fits: kept
            {{1100, 100, 800, 600}, {1100, 100, 800, 600}},  // fits the second screen
            {{900, 100, 800, 600}, {1024, 100, 800, 600}},   // mostly on the second screen
            {{600, 500, 602, 427}, {422, 341, 602, 427}},    // off the right and bottom edges
            {{-4, -4, 1032, 776}, {0, 0, 1024, 768}},        // a maximised window's bounds
            {{-700, 760, 700, 300}, {0, 468, 700, 300}},     // on no screen: the primary
            {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {0, 0, 1024, 768}},
            {{INT_MIN, INT_MIN, -5, INT_MIN}, {0, 0, 0, 0}},
            {{INT_MIN, 0, 500, 500}, {0, 0, 500, 500}},
        };
        for (const Case& test : cases) {
            const WindowBounds fitted = FitOnOneScreen(test.stored, screens);
            QCOMPARE(QRect(fitted.left, fitted.top, fitted.width, fitted.height),
                     QRect(test.fitted.left, test.fitted.top, test.fitted.width, test.fitted.height));
        }
        QCOMPARE(FitOnOneScreen({INT_MAX, 1, 2, 3}, {}).left, INT_MAX);  // no screen known
    }

    void resizeRulePlacesTheButtonAndTheBar() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->resize(200, 150);
        QApplication::processEvents();
        QVERIFY(window_->frameGeometry().width() >= 400);
        QVERIFY(window_->frameGeometry().height() >= 413);
        window_->resize(700, 500);
        QApplication::processEvents();
        const int panel = BottomPanel()->width();
        QCOMPARE(ExitButton()->x(), panel - 88);
        const int openRight = OpenButton()->x() + OpenButton()->width();
        const int gap = ExitButton()->x() - openRight - ProgressBar()->width();
        QCOMPARE(ProgressBar()->x(), openRight + gap / 2);
        window_->hide();
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
