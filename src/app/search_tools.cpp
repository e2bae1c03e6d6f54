#include "app/search_tools.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeView>
#include <algorithm>
#include <climits>

#include "app/find_bar.h"
#include "app/log_view.h"
#include "app/tree_filter.h"

namespace lognex {

SearchTools::SearchTools(QWidget* window, QTabWidget* pages, LogView* log, QPlainTextEdit* summary, QTreeView* tree)
    : QObject(window), window_(window), pages_(pages), log_(log), summary_(summary) {
    bar_ = new FindBar(window);
    filter_ = new TreeFilter(tree, pages);
    connect(pages_, &QTabWidget::currentChanged, this, [this] { FollowPage(); });
}

SearchTools::~SearchTools() {
    pages_->disconnect(this);
    bar_->ClearTarget();
}

QWidget* SearchTools::TreePage() const { return filter_; }

void SearchTools::AddCommands(QMenu* edit) {
    QAction* find = edit->addAction(QStringLiteral("&Find..."));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, [this] { Find(); });
    QAction* next = edit->addAction(QStringLiteral("Find &Next"));
    next->setShortcut(QKeySequence(Qt::Key_F3));
    connect(next, &QAction::triggered, this, [this] { FindNext(); });
    QAction* previous = edit->addAction(QStringLiteral("Find &Previous"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(previous, &QAction::triggered, this, [this] { FindPrevious(); });
    edit->addSeparator();
    QAction* line = edit->addAction(QStringLiteral("&Go to Line..."));
    line->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(line, &QAction::triggered, this, [this] { AskLineNumber(); });
}

void SearchTools::FollowPage() {
    QWidget* page = pages_->currentWidget();
    if (page == log_)
        bar_->SetTarget(log_);
    else if (page == summary_)
        bar_->SetTarget(summary_);
    else
        bar_->ClearTarget();
}

void SearchTools::Find() {
    FollowPage();
    if (bar_->Target())
        bar_->Open();
    else if (pages_->currentWidget() == filter_)
        filter_->Focus();
}

void SearchTools::FindNext() {
    FollowPage();
    if (bar_->Target()) bar_->FindNext();
}

void SearchTools::FindPrevious() {
    FollowPage();
    if (bar_->Target()) bar_->FindPrevious();
}

void SearchTools::AskLineNumber() {
    auto* dialog = new QInputDialog(window_);
    dialog->setObjectName(QStringLiteral("dlgGoToLine"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Go to Line"));
    dialog->setMinimumWidth(300);
    const int lines = static_cast<int>(std::min<std::size_t>(log_->LineCount(), INT_MAX));
    dialog->setInputMode(QInputDialog::IntInput);
    dialog->setLabelText(QStringLiteral("Log line number (1 to %1):").arg(lines));
    dialog->setIntRange(1, lines);
    dialog->setIntValue(static_cast<int>(std::min<std::size_t>(log_->Caret().line + 1, INT_MAX)));
    connect(dialog, &QInputDialog::intValueSelected, this, [this](int number) { GoToLine(number); });
    dialog->open();
}

void SearchTools::GoToLine(int number) {
    pages_->setCurrentWidget(log_);
    const std::size_t line = std::min(static_cast<std::size_t>(std::max(number, 1)) - 1, log_->LineCount() - 1);
    log_->SelectLines(line, line);  // a line the filter hides ends the filter
    log_->CenterCaret();
    log_->setFocus(Qt::OtherFocusReason);
}

void SearchTools::TreeRebuilt() { filter_->Apply(); }

}  // namespace lognex
