// The "Error Log" page's view: draws the log's lines straight from the
// loaded LogLines, so a log of any size costs its bytes and its line index
// and nothing more. Only the lines on screen are widened from Windows-1252,
// in a fixed-pitch font, so a column is a character and a character a cell.
//
// It selects, scrolls, copies and takes the keyboard and the mouse as a
// read-only text view does; the find bar adds highlights and a filter that
// shows only some lines.
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "logproc/log_lines.h"
#include "views/text_search.h"

namespace lognex {

// A place in the log view: view line (from 0) and the character before
// which it lies (from 0; the line's length is its end).
struct LogPosition {
    std::size_t line = 0, column = 0;
    auto operator<=>(const LogPosition&) const = default;
};

class LogView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LogView(QWidget* parent = nullptr);

    // New content: the selection goes to the start, the filter and the
    // highlights end.
    void SetLines(std::shared_ptr<const LogLines> lines);
    const LogLines& Lines() const { return *lines_; }
    const std::shared_ptr<const LogLines>& SharedLines() const { return lines_; }
    // Lines the view shows, a last empty one included (at least one).
    std::size_t LineCount() const { return lines_->ViewLineCount(); }

    // The selection runs from the anchor to the caret (either may come first).
    void Select(LogPosition anchor, LogPosition caret);
    // Lines first to last whole, the caret at the end of the last.
    void SelectLines(std::size_t first, std::size_t last);
    LogPosition Anchor() const { return anchor_; }
    LogPosition Caret() const { return caret_; }
    LogPosition SelectionStart() const { return std::min(anchor_, caret_); }
    LogPosition SelectionEnd() const { return std::max(anchor_, caret_); }
    // The selected characters, lines joined by "\n".
    QString SelectedText() const;
    void Copy() const;
    void SelectAll();

    // Scrolls the least that shows the caret, or puts its line in the middle.
    void EnsureCaretVisible();
    void CenterCaret();
    // View lines of the first and last line on screen.
    std::pair<std::size_t, std::size_t> LinesOnScreen() const;
    // Where line's text starts in the viewport, and the place under a point.
    QPoint PointOf(LogPosition position) const;
    LogPosition PositionAt(QPoint point) const;

    // Highlights: every match of a sorted list that is on screen. The list
    // belongs to the caller, who calls viewport()->update() as it grows.
    void SetMarks(const std::vector<TextMatch>* marks);
    // The filter: only the lines added (ascending) are shown; the caret keys
    // move over those.
    void StartFilter();
    void AddToFilter(std::span<const TextMatch> matches);
    void EndFilter();
    bool Filtering() const { return filtering_; }
    bool IsShown(std::size_t line) const;
    std::size_t ShownLineCount() const { return filtering_ ? shown_.size() : LineCount(); }

signals:
    // The caret or the selection moved, by the user or by the program.
    void caretMoved();
    // SetLines gave the view new content.
    void linesReplaced();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::size_t LineLength(std::size_t line) const { return lines_->FullLine(line).size(); }
    std::size_t RowCount() const { return ShownLineCount(); }
    std::size_t LineOfRow(std::size_t row) const;
    std::size_t RowOfLine(std::size_t line) const;  // a hidden line: the row of the next shown one
    std::size_t PageRows() const;
    void MoveCaret(LogPosition to, bool extend);
    void UpdateScrollRanges();

    std::shared_ptr<const LogLines> lines_;
    std::size_t longestLine_ = 0;
    LogPosition anchor_, caret_;
    std::size_t wantedColumn_ = 0;  // where up and down aim, across shorter lines
    bool dragging_ = false;
    const std::vector<TextMatch>* marks_ = nullptr;
    bool filtering_ = false;
    std::vector<std::uint32_t> shown_;  // the filter's lines, ascending
    int lineHeight_ = 1, charWidth_ = 1;
};

}  // namespace lognex
