// The main window's tree, summary and export commands: what a run leaves
// to read, save and export.
#include "app/error_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "app/data_module.h"
#include "app/find_bar.h"
#include "app/main_dialogs.h"
#include "app/message_boxes.h"
#include "app/qt_text.h"
#include "app/search_tools.h"
#include "app/shell/about_box.h"
#include "app/shell/help_system.h"
#include "app/shell/program_folder.h"
#include "app/timeline_page.h"
#include "app/tree_filter.h"
#include "app/window_bounds.h"
#include "support/error.h"
#include "support/text_routines.h"
#include "views/error_tree.h"
#include "views/summary_report.h"

namespace lognex {
namespace {}  // namespace

// ---- tree and summary -----------------------------------------------------

void TfrmErrorMain::RebuildTree() {
    const std::vector<TreeNode> nodes = session_.Tree();
    treErrors_->setUpdatesEnabled(false);
    struct Resume {
        QTreeWidget* tree;
        ~Resume() { tree->setUpdatesEnabled(true); }
    } resume{treErrors_};
    treErrors_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(nodes.size()));
    for (const TreeNode& node : nodes) {
        auto* item = new QTreeWidgetItem(QStringList(FromAnsi(node.text)));
        item->setData(0, kErrorWordsRole, FromAnsi(node.errorText + '\n' + node.errorLoc));
        item->setData(0, kErrorIdRole, node.error);
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            auto* child = new QTreeWidgetItem(item, QStringList(FromAnsi(node.children[i])));
            child->setData(0, kHeaderLineRole, node.lines[i].number);
        }
        items.append(item);
    }
    treErrors_->addTopLevelItems(items);
    // Without a current node set, the tree would make its first node current
    // when it next gets the focus, and that error would look chosen.
    treErrors_->setCurrentItem(nullptr);
    search_->TreeRebuilt();
}

void TfrmErrorMain::treErrorsChange(QTreeWidgetItem* node) {
    if (!node || !node->parent()) return;
    // The label is for people; the line comes from the item's data.
    const QVariant line = node->data(0, kHeaderLineRole);
    if (!line.isValid()) return;
    const LogSelection selection = SelectionForLine(HeaderLine{line.toUInt()}, session_.Lines());
    QTextDocument* document = mmoLog_->document();
    const QTextBlock first = document->findBlockByNumber(static_cast<int>(selection.firstLine.index));
    const QTextBlock last = document->findBlockByNumber(static_cast<int>(selection.lastLine.index));
    if (!first.isValid()) return;
    QTextCursor cursor(document);
    cursor.setPosition(first.position());
    const QTextBlock end = last.isValid() ? last : document->lastBlock();
    cursor.setPosition(end.position() + end.length() - 1, QTextCursor::KeepAnchor);
    mmoLog_->setTextCursor(cursor);
    mmoLog_->ensureCursorVisible();
}

void TfrmErrorMain::treErrorsActivate(QTreeWidgetItem* node) {
    if (!node || !node->parent()) return;
    treErrorsChange(node);
    pgeMain_->setCurrentWidget(mmoLog_);
    mmoLog_->setFocus();
}

void TfrmErrorMain::ShowSummary() {
    const SummaryReport report = session_.Summary();
    QString text;
    for (std::size_t i = 0; i < report.lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += FromAnsi(report.lines[i]);
    }
    mmoSum_->setPlainText(text);
    mmoSum_->moveCursor(QTextCursor::Start);
    mmoSum_->ensureCursorVisible();
}

void TfrmErrorMain::mniFileSaveSummaryClick() {
    if (mmoSum_->document()->isEmpty()) return;
    mmoSum_->selectAll();
    QApplication::clipboard()->clear();
    mmoSum_->copy();
    mmoSumTemp_->clear();
    mmoSumTemp_->paste();
    const auto chosen = dialogs_.ChooseSummaryFile(this, QStringLiteral("."), proposedSummaryName_);
    if (!chosen) return;
    proposedSummaryName_ = *chosen;
    // The view's plain text has no break after its last line; the saved file
    // ends every line with one, and drops only a single trailing empty line.
    session_.SaveSummary(ToPath(*chosen), ToAnsi(mmoSumTemp_->toPlainText() + QLatin1Char('\n')));
}

// ---- export ----------------------------------------------------------------

void TfrmErrorMain::mniExportExcelClick() {
    // A program started from the desktop menu runs in the home folder or in
    // "/": when the current folder cannot be written, the file goes beside
    // the log, else into the documents folder, and the message names the
    // full path so the user can find it.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString shown = FromPath(session_.ExportWorkbook(ToPath(documents)));
    dialogs_.ShowMessage(this, QStringLiteral("Export Complete"),
                         QStringLiteral("Data has been exported to '") + shown + QStringLiteral("'"));
}

}  // namespace lognex
