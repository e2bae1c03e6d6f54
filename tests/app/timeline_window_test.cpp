// The main window's "Timeline" page after a run: bars, tooltip, and the way
// between the bars and the tree.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>

#include "app/data_module.h"
#include "app/error_main.h"
#include "app/main_dialogs.h"
#include "app/search_tools.h"
#include "app/timeline_page.h"
#include "app/tree_filter.h"
#include "tables/error_tables.h"
#include "tables/folder_dialog.h"
#include "window_parts.h"
#include "window_test_doubles.h"

using namespace lognex;
namespace fs = std::filesystem;

namespace {

using lognex::testing::NoFolderDialog;
using lognex::testing::PartOf;
using lognex::testing::RecordingDialogs;

// Two errors; the 10:00 minute holds the first of each, in log lines 1 and 3.
const std::string kLog =
    "Tue Apr 17 10:00:05 2007 FILE: Chuck.c\r\n"
    "Vacuum lost\r\n"
    "Tue Apr 17 10:00:40 2007 FILE: Align.c\r\n"
    "Align failed\r\n"
    "Tue Apr 17 10:05:00 2007 FILE: Chuck.c\r\n"
    "Vacuum lost\r\n"
    "Tue Apr 17 11:00:00 2007 FILE: Align.c\r\n"
    "Align failed\r\n"
    "Tue Apr 17 11:30:00 2007 FILE: Chuck.c\r\n"
    "Vacuum lost\r\n";

}  // namespace

class TimelineWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    RecordingDialogs dialogs_;
    std::unique_ptr<TdtmData> data_;
    std::unique_ptr<TfrmErrorMain> window_;

    TimelinePage* Page() const { return PartOf<TimelinePage>(*window_); }
    QTabWidget* Pages() const { return PartOf<QTabWidget>(*window_, "pgeMain"); }

    // The point in the middle of a bin's bar.
    QPoint BarPoint(std::size_t bin) const {
        const TimelineChart& chart = Page()->Chart();
        const ChartBox& column = chart.columns.at(bin);
        return QPoint(static_cast<int>(column.x + column.w / 2), static_cast<int>(column.y + column.h - 2));
    }

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        const fs::path dir = folder_.path().toStdString();
        CreateErrorTableFiles(dir);
        std::ofstream(dir / "log.rpt", std::ios::binary) << kLog;
        dialogs_.log = folder_.filePath(QStringLiteral("log.rpt"));
        data_ = std::make_unique<TdtmData>(dir.string(), std::make_unique<NoFolderDialog>());
        window_ =
            std::make_unique<TfrmErrorMain>(*data_, dialogs_, CLocaleFormat(), CalendarDefaults{1, 2007}, dir.string());
        QVERIFY(window_->FormCreate());
        window_->SetLogCopy(false);
        window_->SetPrompt(true);
        window_->resize(700, 480);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_->FormDestroy();
        window_.reset();
        data_.reset();
    }

    void timelineIsTheFourthPage() {
        QTabWidget* pages = Pages();
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(2), QStringLiteral("Tree View"));
        QCOMPARE(pages->tabText(3), QStringLiteral("Timeline"));
        QCOMPARE(pages->widget(3), static_cast<QWidget*>(Page()));
        QCOMPARE(Page()->CurrentTimeline().binCount, std::size_t{0});
    }

    void runFillsThePage() {
        window_->btnOpenClick();
        QVERIFY2(dialogs_.errors.isEmpty(), qPrintable(dialogs_.errors.join('\n')));
        QCOMPARE(Pages()->currentWidget(),
                 PartOf<QPlainTextEdit>(*window_, "mmoSum"));  // a run still ends on the summary
        const Timeline& t = Page()->CurrentTimeline();
        QCOMPARE(t.widthName, std::string("1 minute"));
        QCOMPARE(t.binCount, std::size_t{91});  // 10:00 to 11:30
        QCOMPARE(std::accumulate(t.binTotals.begin(), t.binTotals.end(), 0), 5);
        QCOMPARE(Page()->SeriesNames(), (std::vector<std::string>{"Vacuum lost", "Align failed", "Other"}));
        QVERIFY(Page()->BinToolTip(0).contains(QStringLiteral("04/17/07 10:00:00 to 04/17/07 10:01:00\n2 errors")));

        Pages()->setCurrentWidget(Page());
        QVERIFY(!Page()->grab().isNull());  // paints
        QVERIFY(!Page()->Chart().segments.empty());

        // The Source option renames the series at once.
        window_->SetSource(true);
        QCOMPARE(Page()->SeriesNames().front(), std::string("Vacuum lost - FILE: Chuck.c"));
    }

    void clickingABarSelectsItsOccurrences() {
        window_->btnOpenClick();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Pages()->setCurrentWidget(Page());
        QApplication::processEvents();
        QTest::mouseClick(Page(), Qt::LeftButton, {}, BarPoint(0));

        QTreeWidget* tree = PartOf<QTreeWidget>(*window_, "treErrors");
        QCOMPARE(Pages()->tabText(Pages()->currentIndex()), QStringLiteral("Tree View"));
        QVERIFY(tree->isVisible());
        QStringList selected;
        for (QTreeWidgetItem* item : tree->selectedItems()) selected << item->text(0);
        selected.sort();
        QCOMPARE(selected, (QStringList{QStringLiteral("04/17/07 10:00:05 - Log File line 1"),
                                        QStringLiteral("04/17/07 10:00:40 - Log File line 3")}));
        // The first in log order is current, and selected in the log view.
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("04/17/07 10:00:05 - Log File line 1"));
        QCOMPARE(
            PartOf<QPlainTextEdit>(*window_, "mmoLog")->textCursor().selectedText(),
            QStringLiteral("Tue Apr 17 10:00:05 2007 FILE: Chuck.c") + QChar(0x2029) + QStringLiteral("Vacuum lost"));
        // The keys work in the tree at once: Down moves on, Enter shows the log.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tree));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("04/17/07 10:05:00 - Log File line 5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(Pages()->currentWidget(), PartOf<QPlainTextEdit>(*window_, "mmoLog"));

        // A click beside the bars selects nothing new.
        Pages()->setCurrentWidget(Page());
        QTest::mouseClick(Page(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(Pages()->currentWidget(), static_cast<QWidget*>(Page()));
    }

    // The filter hid one of the bar's errors: it is cleared, and says so.
    void aBarClickShowsTheErrorsTheFilterHid() {
        window_->btnOpenClick();
        TreeFilter* filter = PartOf<TreeFilter>(*window_);
        QTreeWidget* tree = PartOf<QTreeWidget>(*window_, "treErrors");
        for (const auto& [bin, cleared] : {std::pair{std::size_t{5}, false}, std::pair{std::size_t{0}, true}}) {
            filter->Field()->setText(QStringLiteral("vacuum"));  // hides "Align failed"
            Pages()->setCurrentWidget(Page());
            QApplication::processEvents();
            QTest::mouseClick(Page(), Qt::LeftButton, {}, BarPoint(bin));
            QCOMPARE(tree->selectedItems().size(), cleared ? 2 : 1);
            for (QTreeWidgetItem* item : tree->selectedItems()) {
                QVERIFY(!item->parent()->isHidden());
                QVERIFY(!tree->visualItemRect(item).isEmpty());
            }
            QCOMPARE(filter->Field()->text().isEmpty(), cleared);
            QCOMPARE(filter->Count()->text(),
                     cleared ? QStringLiteral("2 errors - filter cleared to show the bar's occurrences")
                             : QStringLiteral("1 of 2 errors"));
        }
        filter->Field()->setText(QStringLiteral("align"));  // typing again counts as before
        QCOMPARE(filter->Count()->text(), QStringLiteral("1 of 2 errors"));
    }

    // After a new run the tree has no current node until the user picks one,
    // so returning to the tree highlights nothing on the timeline.
    void onlyTheUsersChoiceHighlights() {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTabWidget* pages = Pages();
        QTreeWidget* tree = PartOf<QTreeWidget>(*window_, "treErrors");
        window_->btnOpenClick();
        pages->setCurrentIndex(2);  // "Tree View"
        tree->setFocus();
        tree->setCurrentItem(tree->topLevelItem(1)->child(0));
        QCOMPARE(Page()->HighlightedError(), std::optional<int>(1));
        window_->btnOpenClick();    // ends on the summary
        pages->setCurrentIndex(2);  // back in the tree, which gets the focus again
        QVERIFY(tree->hasFocus());
        QCOMPARE(tree->currentItem(), nullptr);
        QCOMPARE(Page()->HighlightedError(), std::nullopt);
        QTest::keyClick(tree, Qt::Key_Down);  // a choice of the user's highlights
        QCOMPARE(Page()->HighlightedError(), std::optional<int>(0));
    }

    void choosingAnErrorHighlightsItsSeries() {
        window_->btnOpenClick();
        QTreeWidget* tree = PartOf<QTreeWidget>(*window_, "treErrors");
        tree->setCurrentItem(tree->topLevelItem(0));  // "[2] Align failed"
        QCOMPARE(Page()->HighlightedError(), std::optional<int>(0));
        QVERIFY(!Page()->Chart().highlight.empty());
        QCOMPARE(Page()->Chart().highlight.front().series, std::size_t{1});  // Align failed is the second series
        tree->setCurrentItem(tree->topLevelItem(1)->child(2));
        QCOMPARE(Page()->HighlightedError(), std::optional<int>(1));
        window_->btnOpenClick();  // a new run starts without a highlight
        QCOMPARE(Page()->HighlightedError(), std::nullopt);
    }
};

QTEST_MAIN(TimelineWindowTest)
#include "timeline_window_test.moc"
