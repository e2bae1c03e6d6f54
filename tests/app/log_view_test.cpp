// The log view, the find bar over it and the error tree's model, each
// through its real widgets but outside the window.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "app/error_tree_model.h"
#include "app/find_bar.h"
#include "app/log_view.h"
#include "app/tree_filter.h"
#include "find_log.h"
#include "logproc/pair_pass.h"
#include "views/error_tree.h"

using namespace lognex;

namespace {

const std::string& kLog = lognex::testing::kFindLog;

std::shared_ptr<const LogLines> Lines(std::string text) {
    return std::make_shared<const LogLines>(LogLines::FromText(std::move(text)));
}

// n entries; every tenth text line reads "Vacuum lost", the others "Align failed".
std::string LongLog(int entries) {
    std::string log;
    for (int i = 0; i < entries; ++i)
        log += "Wed Apr 18 01:00:00 2007 FILE: A.c at LINE: 1\r\n" +
               std::string(i % 10 == 0 ? "Vacuum lost" : "Align failed") + "\r\n";
    return log;
}

}  // namespace

class LogViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> window_;
    LogView* view_ = nullptr;
    FindBar* bar_ = nullptr;

    void Type(const QString& text) {
        bar_->Field()->clear();
        QTest::keyClicks(bar_->Field(), text);
    }

    // The colour drawn inside the cell of position, a few pixels in.
    QColor ColourAt(LogPosition position) {
        const QImage picture = view_->viewport()->grab().toImage();
        const QPoint at = view_->PointOf(position) + QPoint(1, 1);  // above the glyphs
        return picture.pixelColor(at * picture.devicePixelRatio());
    }

    QList<int> ShownLines() const {
        QList<int> lines;
        for (std::size_t i = 0; i < view_->LineCount(); ++i)
            if (view_->IsShown(i)) lines << static_cast<int>(i);
        return lines;
    }

private slots:
    void init() {
        window_ = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(window_.get());
        view_ = new LogView(window_.get());
        bar_ = new FindBar(window_.get());
        column->addWidget(view_);
        column->addWidget(bar_);
        window_->resize(600, 400);
        view_->SetLines(Lines(kLog));
        bar_->SetTarget(view_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        view_->setFocus();
    }

    void cleanup() { window_.reset(); }

    void selectsCopiesAndMovesByKeyAndMouse() {
        QVERIFY(QFontInfo(view_->font()).fixedPitch());
        // The text keeps to the cells that highlights and selections fill:
        // a glyph advance of 7.8 px put column 42's text a cell to the left.
        const QFontMetrics metrics(view_->viewport()->font());
        QCOMPARE(metrics.horizontalAdvance(QString(100, QLatin1Char('M'))),
                 view_->PointOf({0, 100}).x() - view_->PointOf({0, 0}).x());
        QCOMPARE(view_->LineCount(), std::size_t{11});  // and the empty line after the last break
        view_->SelectLines(4, 5);                       // an entry: its header, the break and its text
        QCOMPARE(view_->SelectedText(),
                 QStringLiteral("Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580\nWafer not sensed"));
        QCOMPARE(view_->Caret(), (LogPosition{5, 16}));
        QTest::keyClick(view_, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), view_->SelectedText());

        // The caret keys, with Shift extending from where the selection began.
        view_->Select({1, 2}, {1, 2});
        QTest::keyClick(view_, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(view_, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(view_->SelectedText(),
                 QStringLiteral("fer not sensed\nTue Apr 17 21:45:00 2007 FILE: Align.c at LINE: 12"));
        QTest::keyClick(view_, Qt::Key_Down);  // to a shorter line: its end; back up: the column aimed at
        QCOMPARE(view_->Caret(), (LogPosition{3, 12}));
        QTest::keyClick(view_, Qt::Key_Up);
        QCOMPARE(view_->Caret(), (LogPosition{2, 50}));
        QTest::keyClick(view_, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view_->Caret(), (LogPosition{0, 0}));

        // Pressing, dragging and releasing the mouse; a double-click takes a word. The
        // text is widened from Windows-1252.
        QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, view_->PointOf({6, 31}) + QPoint(1, 3));
        QMouseEvent drag(QEvent::MouseMove, QPointF(view_->PointOf({6, 37}) + QPoint(1, 3)), QPointF(), Qt::LeftButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(view_->viewport(), &drag);
        QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, view_->PointOf({6, 37}) + QPoint(1, 3));
        QCOMPARE(view_->SelectedText(), QStringLiteral("Caf\u00E9.c"));
        QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, view_->PointOf({7, 15}) + QPoint(1, 3));
        QCOMPARE(view_->SelectedText(), QStringLiteral("wafer_2"));
    }

    void scrollsSoThatTheSelectionShows() {
        view_->SetLines(Lines(LongLog(5000)));
        view_->SelectLines(6000, 6001);
        view_->EnsureCaretVisible();
        auto [top, bottom] = view_->LinesOnScreen();
        QVERIFY2(top <= 6001 && 6001 <= bottom, qPrintable(QStringLiteral("%1-%2").arg(top).arg(bottom)));
        QVERIFY(bottom - 6001 <= 1);  // the least scrolling: at the bottom edge
        view_->CenterCaret();
        std::tie(top, bottom) = view_->LinesOnScreen();
        QVERIFY(top < 6001 && 6001 - top >= (bottom - top) / 2 - 1);
        QTest::keyClick(view_, Qt::Key_PageDown);
        QVERIFY(view_->Caret().line > 6001);
        std::tie(top, bottom) = view_->LinesOnScreen();
        QVERIFY(top <= view_->Caret().line && view_->Caret().line <= bottom);
        QTest::keyClick(view_, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view_->Caret().line, std::size_t{10000});
        QCOMPARE(view_->verticalScrollBar()->value(), view_->verticalScrollBar()->maximum());
    }

    void findsHighlightsAndStepsWithWrapping() {
        bar_->Open();
        Type(QStringLiteral("wafer"));
        QCOMPARE(bar_->Status()->text(), QStringLiteral("1 of 3 matches"));
        QCOMPARE(view_->SelectedText(), QStringLiteral("Wafer"));
        QCOMPARE(view_->Caret().line, std::size_t{1});
        // The other matches on screen are highlighted; other text is not.
        QCOMPARE(ColourAt({5, 0}), QColor(255, 226, 84));
        QCOMPARE(ColourAt({7, 14}), QColor(255, 226, 84));
        QVERIFY(ColourAt({5, 7}) != QColor(255, 226, 84));
        QTest::keyClick(bar_->Field(), Qt::Key_Return);
        QTest::keyClick(bar_->Field(), Qt::Key_Return);
        QTest::keyClick(bar_->Field(), Qt::Key_Return);
        QCOMPARE(bar_->Status()->text(), QStringLiteral("1 of 3 matches (continued from the top)"));
        Type(QStringLiteral("lost;"));
        QCOMPARE(bar_->Status()->text(), QStringLiteral("1 of 1 match"));
        QTest::keyClick(bar_->Field(), Qt::Key_Escape);
        QCOMPARE(ColourAt({5, 0}), view_->palette().color(QPalette::Base));  // closed: no highlights
        QCOMPARE(view_->SelectedText(), QStringLiteral("lost;"));
    }

    void filterShowsMatchingEntriesAndAChosenLineInTheFullView() {
        bar_->Open();
        Type(QStringLiteral("wafer"));
        bar_->FilterBox()->setChecked(true);
        QCOMPARE(ShownLines(), (QList<int>{0, 1, 4, 5, 6, 7}));  // a match in a header counts too
        Type(QStringLiteral("no such text"));
        QVERIFY(ShownLines().isEmpty());
        Type(QString());
        QCOMPARE(ShownLines().size(), 11);
        Type(QStringLiteral("align"));
        QCOMPARE(ShownLines(), (QList<int>{2, 3, 8, 9}));

        view_->Select({3, 0}, {3, 0});
        QTest::keyClick(view_, Qt::Key_Down);  // over the shown lines only
        QCOMPARE(view_->Caret().line, std::size_t{8});
        QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, view_->PointOf({9, 2}) + QPoint(1, 3));
        QVERIFY(!bar_->Filtering());
        QCOMPARE(ShownLines().size(), 11);
        QCOMPARE(view_->SelectedText(), QStringLiteral("Align failed"));

        // A caret put on a hidden line (go to line, a chosen occurrence) ends the filter.
        bar_->FilterBox()->setChecked(true);
        view_->SelectLines(4, 5);
        QVERIFY(!bar_->FilterBox()->isChecked());
        QCOMPARE(ShownLines().size(), 11);
    }

    // A long log is searched off the window's thread: the count grows to the
    // whole, in the desktop's grouping, and the next keystroke starts over.
    void aLongLogIsSearchedInTheBackground() {
        view_->SetLines(Lines(LongLog(60000)));  // 120,000 lines
        bar_->Open();
        bar_->FilterBox()->setChecked(true);
        Type(QStringLiteral("vacuum"));
        QVERIFY(bar_->Searching());
        QTRY_VERIFY(!bar_->Searching());
        QCOMPARE(bar_->Status()->text(), QStringLiteral("1 of 6,000 matches"));
        QCOMPARE(view_->SelectedText(), QStringLiteral("Vacuum"));
        QCOMPARE(view_->ShownLineCount(), std::size_t{12000});
        QTest::keyClicks(bar_->Field(), QStringLiteral(" x"));  // cancels the search under way, if any
        QTRY_VERIFY(!bar_->Searching());
        QCOMPARE(bar_->Status()->text(), QStringLiteral("No matches"));
        QCOMPARE(view_->ShownLineCount(), std::size_t{0});
        Type(QStringLiteral("failed"));
        QTRY_COMPARE(bar_->Status()->text(), QStringLiteral("1 of 54,000 matches"));
    }

    // The tree over the analysis value reads as the tree's texts, fetches an
    // error's occurrences when it is expanded, and carries what each row
    // stands for in its item data.
    void treeModelShowsTheTreesTextsAndCarriesIdsAndLines() {
        const LogLines lines = LogLines::FromText(kLog);
        auto analysis = std::make_shared<Analysis>();
        CountPairs(*analysis, lines, 0, CLocaleFormat());
        ErrorTreeModel model(CLocaleFormat());
        auto* view = new QTreeView;
        QTreeView& tree = *view;
        tree.setModel(&model);
        TreeFilter filter(view);  // takes the tree
        model.SetAnalysis(analysis, false);
        filter.Apply();
        filter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));

        for (const bool source : {false, true}) {
            model.SetShowSource(source);
            const std::vector<TreeNode> nodes = BuildTree(*analysis, source, CLocaleFormat());
            QCOMPARE(model.rowCount(), static_cast<int>(nodes.size()));
            for (int i = 0; i < model.rowCount(); ++i) {
                const QModelIndex error = model.index(i, 0);
                QCOMPARE(error.data().toString(), QString::fromLatin1(nodes[i].text));
                QCOMPARE(error.data(kErrorIdRole).toUInt(), nodes[i].error);
                QVERIFY(model.hasChildren(error));
                QCOMPARE(model.rowCount(error), 0);  // not yet expanded
                tree.expand(error);                  // fetched when the tree lays out next
                QTRY_COMPARE(model.rowCount(error), static_cast<int>(nodes[i].children.size()));
                for (int j = 0; j < model.rowCount(error); ++j) {
                    const QModelIndex occurrence = model.index(j, 0, error);
                    QCOMPARE(occurrence.data().toString(), QString::fromLatin1(nodes[i].children[j]));
                    QCOMPARE(ErrorTreeModel::HeaderLineOf(occurrence), nodes[i].lines[j].number);
                    QVERIFY(!(occurrence.flags() & Qt::ItemIsEditable));
                }
            }
        }
        QCOMPARE(ErrorTreeModel::HeaderLineOf(model.OccurrenceRow(2, 1)), 5u);  // "Wafer not sensed", second

        // The filter hides the errors without the words, in the text or the location.
        filter.Field()->setText(QStringLiteral("cvt.c"));
        QCOMPARE(filter.Count()->text(), QStringLiteral("1 of 3 errors"));
        QVERIFY(tree.isRowHidden(0, QModelIndex()));
        QVERIFY(!tree.isRowHidden(2, QModelIndex()));
        model.SetAnalysis(nullptr, false);
        filter.Apply();
        QCOMPARE(filter.Count()->text(), QStringLiteral("0 of 0 errors"));
    }
};

QTEST_MAIN(LogViewTest)
#include "log_view_test.moc"
