// The find bar under the pages: searches the text view of the page shown as
// the user types, highlights the matches, steps through them, and on the log
// view filters the entries down to those that match.
//
// The bar keeps no copy of the text beyond the view's lines as bytes, taken
// again whenever the view's text changes. Highlights are drawn only for the
// lines on screen, so a search with thousands of matches costs no more to
// show than one with a few.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "views/text_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace lognex {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    // The view to search, or none (the bar then stays out of sight until a
    // view is set again). canFilter offers the "Filter" toggle, which shows
    // only the entries (pairs of lines) with a match.
    void SetTarget(QPlainTextEdit* view, bool canFilter);
    QPlainTextEdit* Target() const { return view_; }

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

    QLineEdit* Field() const { return field_; }
    QLabel* Status() const { return status_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QCheckBox* WholeWordsBox() const { return wholeWords_; }
    QCheckBox* RegexBox() const { return regex_; }
    QCheckBox* FilterBox() const { return filter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Search();
    void Step(bool forward);
    void SelectMatch(int index, const QString& note);
    void ShowStatus();
    void HighlightVisible();
    void ApplyFilter();
    void ShowAllLines();
    void ReadLines();
    void Detach();
    bool SelectionIsAMatch() const;

    QPlainTextEdit* view_ = nullptr;
    bool canFilter_ = false;
    bool open_ = false;
    bool filtering_ = false;
    bool linesStale_ = true;
    bool adjusting_ = false;
    bool marked_ = false;  // the view shows highlights of the bar  // the bar itself moves the caret or relays the view

    std::vector<std::string> lines_;  // the view's lines as Windows-1252 bytes
    TextPattern pattern_;
    std::vector<TextMatch> matches_;
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
