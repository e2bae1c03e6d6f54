// Finding in the main window through its real widgets: the find bar on the
// log and the summary, the entry filter, the tree's filter, go to line.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>
#include <fstream>
#include <memory>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/error_tree_model.h"
#include "app/find_bar.h"
#include "app/log_view.h"
#include "app/main_dialogs.h"
#include "app/search_tools.h"
#include "app/tree_filter.h"
#include "find_log.h"
#include "tables/error_tables.h"
#include "tables/folder_dialog.h"
#include "window_parts.h"
#include "window_test_doubles.h"

using namespace lognex;

namespace {

using lognex::testing::NoFolderDialog;
using lognex::testing::PartOf;
using lognex::testing::RecordingDialogs;

const std::string& kLog = lognex::testing::kFindLog;

}  // namespace

class FindTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<RecordingDialogs> dialogs_;
    std::unique_ptr<TdtmData> data_;
    std::unique_ptr<TfrmErrorMain> window_;

    FindBar* Bar() const { return PartOf<FindBar>(*window_); }
    LogView* Log() const { return PartOf<LogView>(*window_, "mmoLog"); }
    QPlainTextEdit* Summary() const { return PartOf<QPlainTextEdit>(*window_, "mmoSum"); }
    QTabWidget* Pages() const { return PartOf<QTabWidget>(*window_, "pgeMain"); }

    QAction* EditCommand(const QString& text) const {
        for (QAction* action : PartOf<QMenu>(*window_, "mnuEdit")->actions())
            if (action->text() == text) return action;
        return nullptr;
    }

    void Process(const std::string& bytes) {
        const QString path = folder_.filePath(QStringLiteral("log.rpt"));
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        dialogs_->log = path;
        window_->SetPrompt(true);
        window_->btnOpenClick();
        QVERIFY2(dialogs_->errors.isEmpty(), qPrintable(dialogs_->errors.join('\n')));
    }

    // Types text key by key (QTest types ASCII only; other text is set whole).
    static void TypeInto(QLineEdit* field, const QString& text) {
        field->clear();
        bool ascii = true;
        for (QChar c : text) ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(field, text);
        else
            field->setText(text);
    }
    void Type(const QString& text) { TypeInto(Bar()->Field(), text); }

    QString Selected() const { return Log()->SelectedText(); }
    int SelectedLine() const { return static_cast<int>(Log()->Caret().line); }
    int LineCount() const { return static_cast<int>(Log()->LineCount()); }
    void ToStart() { Log()->Select({}, {}); }

    QList<int> VisibleLines() const {
        QList<int> lines;
        for (std::size_t i = 0; i < Log()->LineCount(); ++i)
            if (Log()->IsShown(i)) lines << static_cast<int>(i);
        return lines;
    }

    bool Highlighted(LogPosition at) const {
        const QImage picture = Log()->viewport()->grab().toImage();
        return picture.pixelColor((Log()->PointOf(at) + QPoint(1, 1)) * picture.devicePixelRatio()) ==
               QColor(255, 226, 84);
    }

    // The log lines with a highlight on screen.
    int HighlightedLinesOnScreen() const {
        const QImage picture = Log()->viewport()->grab().toImage();
        int lines = 0;
        const auto [top, bottom] = Log()->LinesOnScreen();
        for (std::size_t line = top; line <= bottom; ++line) {
            const QPoint at = Log()->PointOf({line, 0}) + QPoint(1, 1);
            for (int x = at.x(); x < picture.width() / picture.devicePixelRatio(); x += 3) {
                if (picture.pixelColor(QPoint(x, at.y()) * picture.devicePixelRatio()) == QColor(255, 226, 84)) {
                    ++lines;
                    break;
                }
            }
        }
        return lines;
    }

private slots:
    void init() {
        CreateErrorTableFiles(folder_.path().toStdString());
        dialogs_ = std::make_unique<RecordingDialogs>();
        data_ = std::make_unique<TdtmData>(folder_.path().toStdString(), std::make_unique<NoFolderDialog>());
        window_ = std::make_unique<TfrmErrorMain>(*data_, *dialogs_, CLocaleFormat(), CalendarDefaults{1, 2007},
                                                  folder_.path().toStdString());
        QVERIFY(window_->FormCreate());
        window_->SetLogCopy(false);
        window_->resize(700, 500);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Process(kLog);
        Pages()->setCurrentWidget(Log());
    }

    void cleanup() {
        window_->FormDestroy();
        window_.reset();
        data_.reset();
        for (const QString& name : QDir(folder_.path()).entryList(QDir::Files)) QFile::remove(folder_.filePath(name));
    }

    void editMenuSitsBetweenFileAndConfiguration() {
        QStringList menus;
        for (QAction* action : window_->menuBar()->actions()) menus << action->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Configuration", "   ", "&Help"}));
        const struct {
            const char* text;
            QKeySequence keys;
        } commands[] = {{"&Find...", QKeySequence(Qt::CTRL | Qt::Key_F)},
                        {"Find &Next", QKeySequence(Qt::Key_F3)},
                        {"Find &Previous", QKeySequence(Qt::SHIFT | Qt::Key_F3)},
                        {"&Go to Line...", QKeySequence(Qt::CTRL | Qt::Key_G)}};
        for (const auto& command : commands) {
            QAction* action = EditCommand(QString::fromLatin1(command.text));
            QVERIFY2(action, command.text);
            QCOMPARE(action->shortcut(), command.keys);
        }
    }

    void anOpenBarLeavesTheWindowsMinimumSizeAlone() {
        EditCommand(QStringLiteral("&Find..."))->trigger();
        window_->resize(200, 150);
        QApplication::processEvents();
        QCOMPARE(window_->frameGeometry().width(), 400);
    }

    void findBarSearchesAsYouTypeAndStepsWithWrapping() {
        QVERIFY(Bar()->isHidden());
        QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(Bar()->isVisible());
        QVERIFY(Bar()->Field()->hasFocus());

        QTest::keyClicks(Bar()->Field(), QStringLiteral("wafer"));
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("1 of 3 matches"));
        QCOMPARE(Selected(), QStringLiteral("Wafer"));
        QCOMPARE(SelectedLine(), 1);
        QCOMPARE(HighlightedLinesOnScreen(), 2);  // every other match on screen is highlighted

        QTest::keyClick(Bar()->Field(), Qt::Key_Return);
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("2 of 3 matches"));
        QCOMPARE(SelectedLine(), 5);
        QTest::keyClick(window_.get(), Qt::Key_F3);
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("3 of 3 matches"));
        QCOMPARE(Selected(), QStringLiteral("wafer"));
        QTest::keyClick(Bar()->Field(), Qt::Key_Return);  // past the last: quietly from the top
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("1 of 3 matches (continued from the top)"));
        QTest::keyClick(Bar()->Field(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("3 of 3 matches (continued from the bottom)"));
        QTest::keyClick(window_.get(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("2 of 3 matches"));

        // Typing on keeps the place where possible.
        QTest::keyClicks(Bar()->Field(), QStringLiteral(" not"));
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("2 of 2 matches"));
        QTest::keyClicks(Bar()->Field(), QStringLiteral("x"));
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("No matches"));
        QCOMPARE(HighlightedLinesOnScreen(), 0);

        QTest::keyClick(Bar()->Field(), Qt::Key_Backspace);
        QCOMPARE(HighlightedLinesOnScreen(), 1);
        QTest::keyClick(Bar()->Field(), Qt::Key_Escape);
        QVERIFY(Bar()->isHidden());
        QCOMPARE(HighlightedLinesOnScreen(), 0);            // closing removes the highlights
        QCOMPARE(Selected(), QStringLiteral("Wafer not"));  // the last match found stays selected
    }

    void optionsAndPatternsReachTheStatus() {
        EditCommand(QStringLiteral("&Find..."))->trigger();
        const struct {
            QCheckBox* box;
            const char* pattern;
            const char* status;
        } cases[] = {
            {nullptr, "align", "1 of 4 matches"},
            {Bar()->MatchCaseBox(), "align", "No matches"},
            {Bar()->WholeWordsBox(), "wafer", "1 of 2 matches"},  // "wafer_2" is one word
            {Bar()->RegexBox(), "LINE: [0-9]{2}$", "1 of 2 matches"},
            {Bar()->RegexBox(), "(wafer", "Invalid regular expression: missing ): (wafer"},
            {nullptr, "Caf\u00E9", "1 of 1 match"},  // byte 0xE9 of the log
            {nullptr, "Caf\u03A9", "No matches"},    // not in the code page: never the '?' it would become
            {Bar()->RegexBox(), "\u03A9?", "No matches"},
            {nullptr, "", ""},
        };
        for (const auto& c : cases) {
            for (QCheckBox* box : {Bar()->MatchCaseBox(), Bar()->WholeWordsBox(), Bar()->RegexBox()})
                box->setChecked(box == c.box);
            ToStart();  // each search starts from the top
            Type(QString::fromUtf8(c.pattern));
            QCOMPARE(Bar()->Status()->text(), QString::fromUtf8(c.status));
        }
        // Reopening the bar keeps the expression; a selection of the user's own becomes the text.
        Bar()->RegexBox()->setChecked(true);
        Type(QStringLiteral("LINE: [0-9]+"));
        QCOMPARE(Selected(), QStringLiteral("LINE: 3580"));
        EditCommand(QStringLiteral("&Find..."))->trigger();
        QCOMPARE(Bar()->Field()->text(), QStringLiteral("LINE: [0-9]+"));
        Log()->Select({3, 0}, {3, 5});
        EditCommand(QStringLiteral("&Find..."))->trigger();
        QCOMPARE(Bar()->Field()->text(), QStringLiteral("Align"));
        Bar()->RegexBox()->setChecked(false);

        // Changing an option searches again at once.
        ToStart();
        Type(QStringLiteral("align"));
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("1 of 4 matches"));
        QTest::mouseClick(Bar()->MatchCaseBox(), Qt::LeftButton);
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("No matches"));
    }

    void highlightsOnlyWhatIsOnScreen() {
        std::string log;
        for (int i = 0; i < 2000; ++i) log += "Wed Apr 18 01:00:00 2007 FILE: A.c at LINE: 1\r\nVacuum lost\r\n";
        Process(log);
        Pages()->setCurrentWidget(Log());
        EditCommand(QStringLiteral("&Find..."))->trigger();
        Type(QStringLiteral("vacuum"));
        QCOMPARE(Bar()->MatchCount(), 2000);
        const int shown = HighlightedLinesOnScreen();
        QVERIFY2(shown > 0 && shown < 40, qPrintable(QString::number(shown)));
        Log()->verticalScrollBar()->setValue(Log()->verticalScrollBar()->maximum());
        QVERIFY(HighlightedLinesOnScreen() > 0);  // the marks follow the view
        QCOMPARE(Log()->LinesOnScreen().second, std::size_t{4000});
        QVERIFY(Highlighted({3999, 0}));
    }

    void filterShowsMatchingEntriesAndAChosenLineInTheFullView() {
        EditCommand(QStringLiteral("&Find..."))->trigger();
        QVERIFY(Bar()->FilterBox()->isVisible());
        Type(QStringLiteral("wafer"));
        Bar()->FilterBox()->setChecked(true);
        QVERIFY(Bar()->Filtering());
        // Both lines of each entry whose header or text matches; a match in a header counts too.
        QCOMPARE(VisibleLines(), (QList<int>{0, 1, 4, 5, 6, 7}));
        Type(QStringLiteral("Caf\u00E9"));
        QCOMPARE(VisibleLines(), (QList<int>{6, 7}));
        Type(QString());
        QCOMPARE(VisibleLines().size(), LineCount());
        Type(QStringLiteral("no such text"));
        QVERIFY(VisibleLines().isEmpty());
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("No matches"));
        Type(QStringLiteral("align"));
        QCOMPARE(VisibleLines(), (QList<int>{2, 3, 8, 9}));

        // The caret keys move over the shown lines only.
        Log()->Select({3, 0}, {3, 0});
        QTest::keyClick(Log(), Qt::Key_Down);
        QVERIFY(Bar()->Filtering());
        QCOMPARE(SelectedLine(), 8);

        // Double-clicking a line of the filtered view shows it selected in the full view.
        QTest::mouseDClick(Log()->viewport(), Qt::LeftButton, {}, Log()->PointOf({9, 3}) + QPoint(1, 3));
        QVERIFY(!Bar()->Filtering());
        QVERIFY(!Bar()->FilterBox()->isChecked());
        QCOMPARE(VisibleLines().size(), LineCount());
        QCOMPARE(SelectedLine(), 9);
        QCOMPARE(Selected(), QStringLiteral("Align failed"));

        // Enter on a line does the same; Esc closes the bar and ends the filter.
        Bar()->FilterBox()->setChecked(true);
        QCOMPARE(VisibleLines(), (QList<int>{2, 3, 8, 9}));
        QTest::keyClick(Log(), Qt::Key_Return);
        QCOMPARE(VisibleLines().size(), LineCount());
        Bar()->FilterBox()->setChecked(true);
        QTest::keyClick(Bar()->Field(), Qt::Key_Escape);
        QCOMPARE(VisibleLines().size(), LineCount());
    }

    void summaryHasTheSameBarWithoutTheFilter() {
        Pages()->setCurrentWidget(Summary());
        EditCommand(QStringLiteral("&Find..."))->trigger();
        QCOMPARE(Bar()->Target(), static_cast<QWidget*>(Summary()));
        QVERIFY(Bar()->FilterBox()->isHidden());
        Type(QStringLiteral("align failed"));
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("1 of 1 match"));
        QCOMPARE(Summary()->textCursor().selectedText(), QStringLiteral("Align failed"));
        // The summary is editable: what the user types is searched too.
        Summary()->appendPlainText(QStringLiteral("align failed again"));
        QCOMPARE(Bar()->MatchCount(), 2);
        // The tree's page has no bar; coming back finds it open on the log.
        Pages()->setCurrentIndex(2);
        QVERIFY(Bar()->isHidden());
        Pages()->setCurrentWidget(Log());
        QVERIFY(Bar()->isVisible());
        QCOMPARE(Bar()->Target(), static_cast<QWidget*>(Log()));
        QCOMPARE(Bar()->MatchCount(), 2);
    }

    void treeFilterNarrowsTheErrorsByTextOrLocation() {
        Pages()->setCurrentIndex(2);
        TreeFilter* filter = PartOf<TreeFilter>(*window_);
        QTreeView* tree = PartOf<QTreeView>(*window_, "treErrors");
        auto* model = qobject_cast<ErrorTreeModel*>(tree->model());
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(filter->Count()->text(), QStringLiteral("3 errors"));
        EditCommand(QStringLiteral("&Find..."))->trigger();  // Find on this page goes to the filter
        QVERIFY(filter->Field()->hasFocus());
        const struct {
            const char* words;
            QList<bool> shown;  // Align failed, Vacuum lost, Wafer not sensed
            const char* count;
        } cases[] = {
            {"WAFER", {false, true, true}, "2 of 3 errors"},   // "wafer_2" holds it too
            {"cvt.c", {false, false, true}, "1 of 3 errors"},  // the location, not shown in the node
            {"lost caf\u00E9", {false, true, false}, "1 of 3 errors"},
            {"align 12", {true, false, false}, "1 of 3 errors"},
            {"wafer align", {false, false, false}, "0 of 3 errors"},
            {"  ", {true, true, true}, "3 errors"},
        };
        for (const auto& c : cases) {
            TypeInto(filter->Field(), QString::fromUtf8(c.words));
            QList<bool> shown;
            for (int i = 0; i < model->rowCount(); ++i) shown << !tree->isRowHidden(i, QModelIndex());
            QCOMPARE(shown, c.shown);
            QCOMPARE(filter->Count()->text(), QString::fromUtf8(c.count));
        }

        // Occurrences stay under their error and still lead to the log; a rebuild keeps the filter.
        filter->Field()->setText(QStringLiteral("align"));
        window_->SetSource(true);
        QCOMPARE(filter->Count()->text(), QStringLiteral("1 of 3 errors"));
        QVERIFY(!tree->isRowHidden(0, QModelIndex()));
        const QModelIndex second = model->OccurrenceRow(0, 1);
        QCOMPARE(model->rowCount(model->index(0, 0)), 2);
        tree->setCurrentIndex(second);
        QCOMPARE(SelectedLine(), 9);
        QCOMPARE(Log()->SelectionStart(), (LogPosition{8, 0}));
        filter->Field()->setFocus();
        QTest::keyClick(filter->Field(), Qt::Key_Escape);
        QCOMPARE(filter->Count()->text(), QStringLiteral("3 errors"));
    }

    void goToLineSelectsTheLineAndEndsAFilterThatHidesIt() {
        EditCommand(QStringLiteral("&Find..."))->trigger();
        Type(QStringLiteral("align"));
        Bar()->FilterBox()->setChecked(true);
        Pages()->setCurrentWidget(Summary());

        QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
        auto* dialog = window_->findChild<QInputDialog*>(QStringLiteral("dlgGoToLine"));
        QVERIFY(dialog);
        QCOMPARE(dialog->intMaximum(), 11);  // ten lines and the empty one after the last break
        dialog->setIntValue(6);
        dialog->accept();
        QCOMPARE(Pages()->currentWidget(), static_cast<QWidget*>(Log()));
        QCOMPARE(SelectedLine(), 5);
        QCOMPARE(Selected(), QStringLiteral("Wafer not sensed"));
        QVERIFY(!Bar()->Filtering());  // line 6 was hidden by the filter
        QCOMPARE(VisibleLines().size(), LineCount());
        QCOMPARE(Bar()->Status()->text(), QStringLiteral("4 matches"));  // no current match any more

        PartOf<SearchTools>(*window_)->GoToLine(500);  // past the end: the last line
        QCOMPARE(SelectedLine(), 10);
    }
};

QTEST_MAIN(FindTest)
#include "find_test.moc"
