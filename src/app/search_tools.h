// Finding things in the main window: the find bar under the pages, the
// filter above the error tree, go to line, and the Edit menu's commands.
//
// The window hands over its views once; from then on the find bar follows the
// page shown: the log view on "Error Log" (with the entry filter), the summary
// on "Summary", none elsewhere, where "Find" goes to the tree's filter.
#pragma once

#include <QObject>

class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTreeView;
class QWidget;

namespace lognex {

class FindBar;
class LogView;
class TreeFilter;

class SearchTools : public QObject {
    Q_OBJECT
public:
    SearchTools(QWidget* window, QTabWidget* pages, LogView* log, QPlainTextEdit* summary, QTreeView* tree);
    // Lets go of the views: delete it before them.
    ~SearchTools() override;

    // The "Tree View" page: the tree under its filter row.
    QWidget* TreePage() const;
    // The find bar, to be placed under the pages.
    FindBar* Bar() const { return bar_; }
    TreeFilter* Filter() const { return filter_; }

    // "&Find...", "Find &Next", "Find &Previous", "&Go to Line..." with
    // Ctrl+F, F3, Shift+F3 and Ctrl+G.
    void AddCommands(QMenu* edit);

    // Opens the find bar, or on the tree's page puts the cursor in its filter.
    void Find();
    void FindNext();
    void FindPrevious();
    // Asks for a log line number in the dialog "dlgGoToLine" (open, not
    // waited for); the answer goes to GoToLine.
    void AskLineNumber();
    // Shows the "Error Log" page with log line number (from 1) selected and
    // in the middle of the view. A number past the end selects the last line.
    void GoToLine(int number);
    // The tree was rebuilt: filter it again.
    void TreeRebuilt();

private:
    void FollowPage();

    QWidget* window_;
    QTabWidget* pages_;
    LogView* log_;
    QPlainTextEdit* summary_;
    FindBar* bar_;
    TreeFilter* filter_;
};

}  // namespace lognex
