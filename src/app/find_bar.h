// The find bar under the pages: searches the text view of the page shown as
// the user types, highlights the matches, steps through them, and on the log
// view filters the entries down to those that match.
//
// On the log the bar searches the view's own lines, and a long log off the
// window's thread: matches stream in, the count grows, and the next
// keystroke cancels the search under way. On the summary it keeps the
// view's lines as bytes, taken again whenever the view's text changes.
// Highlights are drawn only for the lines on screen, so a search with
// thousands of matches costs no more to show than one with a few.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "logproc/log_lines.h"
#include "views/text_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolButton;

namespace lognex {

class BackgroundSearch;
class FindTarget;
class LogView;

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);
    ~FindBar() override;

    // The view to search, or none (the bar then stays out of sight until a
    // view is set again). The log view offers the "Filter" toggle, which
    // shows only the entries (pairs of lines) with a match.
    void SetTarget(LogView* view);
    void SetTarget(QPlainTextEdit* view);
    void ClearTarget();
    QWidget* Target() const;

    // Logs of more view lines than this are searched off the window's thread.
    static constexpr std::size_t kBackgroundLines = 20000;

    // Shows the bar with the cursor in its field, all of its text selected.
    // A selection within one line of the view becomes the text to find.
    void Open();
    // Hides the bar, removes the highlights, ends the filter; the current
    // match stays selected in the view, which gets the focus back.
    void Close();
    bool IsOpen() const { return open_; }

    // The next or previous match after or before the view's selection,
    // wrapping at the ends with a note in the status.
    void FindNext();
    void FindPrevious();

    // Ends the filter and selects the view's line under the caret in the
    // full view: how a line chosen in the filtered view is shown in context.
    void ShowCaretLineInFullView();

    int MatchCount() const { return static_cast<int>(matches_.size()); }
    // Index of the selected match, or -1.
    int CurrentMatch() const { return current_; }
    bool Filtering() const { return filtering_; }
    // A search is still going through the lines.
    bool Searching() const { return search_ != nullptr; }

    QLineEdit* Field() const { return field_; }
    QLabel* Status() const { return status_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QCheckBox* WholeWordsBox() const { return wholeWords_; }
    QCheckBox* RegexBox() const { return regex_; }
    QCheckBox* FilterBox() const { return filter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Attach(std::unique_ptr<FindTarget> target);
    void Attached();
    void RestartFilter();
    void Search();
    void TakeFound();
    void MatchesAdded(std::size_t first);
    void Step(bool forward);
    void SelectMatch(int index, const QString& note);
    void ShowStatus();
    void HighlightVisible();
    void SetFiltering(bool on);
    void CaretMoved();
    void Detach();
    bool SelectionIsAMatch() const;

    std::unique_ptr<FindTarget> view_;
    bool open_ = false;
    bool filtering_ = false;
    bool adjusting_ = false;  // the bar itself moves the caret

    TextPattern pattern_;
    std::vector<TextMatch> matches_;
    std::unique_ptr<BackgroundSearch> search_;
    QTimer* poll_ = nullptr;                     // takes in the matches of a background search
    bool placed_ = true;                         // the search has chosen its current match, or there is none to choose
    std::size_t fromLine_ = 0, fromColumn_ = 0;  // where typing keeps the place
    int current_ = -1;
    QString error_;
    QString note_;

    QLineEdit* field_ = nullptr;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* wholeWords_ = nullptr;
    QCheckBox* regex_ = nullptr;
    QCheckBox* filter_ = nullptr;
    QLabel* status_ = nullptr;
    QToolButton* close_ = nullptr;
};

}  // namespace lognex
