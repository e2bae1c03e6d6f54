#include "app/log_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>

#include "app/qt_text.h"
#include "views/line_search.h"

namespace lognex {
namespace {

const QColor kMarkBackground(255, 226, 84);

bool IsWordByte(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0xC0; }

}  // namespace

LogView::LogView(QWidget* parent)
    : QAbstractScrollArea(parent), lines_(std::make_shared<const LogLines>(LogLines::FromText(std::string()))) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    // Cells are whole pixels wide; a glyph's own advance is often not
    // (7.8 px), and text drawn at that advance drifts from the highlight and
    // selection cells a character every few dozen columns. Spacing the
    // letters by the difference makes the text keep to the cells.
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    font.setLetterSpacing(QFont::AbsoluteSpacing, std::max<qreal>(std::round(advance), 1) - advance);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    const QFontMetrics metrics(font);
    lineHeight_ = std::max(metrics.height(), 1);
    charWidth_ = static_cast<int>(std::max<qreal>(std::round(advance), 1));
    UpdateScrollRanges();
}

void LogView::SetLines(std::shared_ptr<const LogLines> lines) {
    lines_ = lines && lines->ViewLineCount() > 0 ? std::move(lines)
                                                 : std::make_shared<const LogLines>(LogLines::FromText(std::string()));
    longestLine_ = 0;
    for (std::size_t i = 0; i < lines_->ViewLineCount(); ++i) longestLine_ = std::max(longestLine_, LineLength(i));
    marks_ = nullptr;
    filtering_ = false;
    shown_ = {};
    anchor_ = caret_ = {};
    wantedColumn_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollRanges();
    viewport()->update();
    emit linesReplaced();
    emit caretMoved();
}

// ---- selection --------------------------------------------------------------

void LogView::Select(LogPosition anchor, LogPosition caret) {
    const auto clamp = [this](LogPosition p) {
        p.line = std::min(p.line, LineCount() - 1);
        p.column = std::min(p.column, LineLength(p.line));
        return p;
    };
    anchor_ = clamp(anchor);
    caret_ = clamp(caret);
    wantedColumn_ = caret_.column;
    viewport()->update();
    emit caretMoved();
}

void LogView::SelectLines(std::size_t first, std::size_t last) {
    last = std::min(last, LineCount() - 1);
    Select({first, 0}, {last, LineLength(last)});
}

void LogView::SelectAll() { Select({0, 0}, {LineCount() - 1, LineLength(LineCount() - 1)}); }

QString LogView::SelectedText() const {
    const LogPosition from = SelectionStart(), to = SelectionEnd();
    std::string text;
    for (std::size_t line = from.line; line <= to.line; ++line) {
        const std::string_view whole = lines_->FullLine(line);
        const std::size_t begin = line == from.line ? from.column : 0;
        const std::size_t end = line == to.line ? to.column : whole.size();
        if (line > from.line) text += '\n';
        text += whole.substr(begin, end - begin);
    }
    return FromAnsi(text);
}

void LogView::Copy() const {
    if (anchor_ != caret_) QApplication::clipboard()->setText(SelectedText());
}

// ---- rows and scrolling ---------------------------------------------------

std::size_t LogView::LineOfRow(std::size_t row) const { return filtering_ ? shown_[row] : row; }

std::size_t LogView::RowOfLine(std::size_t line) const {
    if (!filtering_) return line;
    return static_cast<std::size_t>(std::lower_bound(shown_.begin(), shown_.end(), line) - shown_.begin());
}

bool LogView::IsShown(std::size_t line) const {
    return !filtering_ || std::binary_search(shown_.begin(), shown_.end(), static_cast<std::uint32_t>(line));
}

std::size_t LogView::PageRows() const {
    return static_cast<std::size_t>(std::max(viewport()->height() / lineHeight_, 1));
}

void LogView::UpdateScrollRanges() {
    const std::size_t rows = RowCount();
    const std::size_t page = PageRows();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, static_cast<int>(rows > page ? rows - page : 0));
    vertical->setPageStep(static_cast<int>(page));
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    const qint64 width = static_cast<qint64>(longestLine_ + 1) * charWidth_;
    horizontal->setRange(0, static_cast<int>(std::clamp<qint64>(width - viewport()->width(), 0, INT_MAX)));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(charWidth_ * 4);
}

std::pair<std::size_t, std::size_t> LogView::LinesOnScreen() const {
    const std::size_t rows = RowCount();
    if (rows == 0) return {0, 0};
    const std::size_t top = std::min(static_cast<std::size_t>(verticalScrollBar()->value()), rows - 1);
    const std::size_t bottom = std::min(top + PageRows(), rows - 1);
    return {LineOfRow(top), LineOfRow(bottom)};
}

void LogView::EnsureCaretVisible() {
    const std::size_t row = RowOfLine(caret_.line);
    const std::size_t top = static_cast<std::size_t>(verticalScrollBar()->value());
    const std::size_t page = PageRows();
    if (row < top)
        verticalScrollBar()->setValue(static_cast<int>(row));
    else if (row >= top + page)
        verticalScrollBar()->setValue(static_cast<int>(row - page + 1));
    const qint64 x = static_cast<qint64>(caret_.column) * charWidth_;
    const int left = horizontalScrollBar()->value();
    const int width = viewport()->width();
    if (x < left)
        horizontalScrollBar()->setValue(static_cast<int>(std::max<qint64>(x - width / 4, 0)));
    else if (x + charWidth_ > left + width)
        horizontalScrollBar()->setValue(static_cast<int>(std::min<qint64>(x - width * 3 / 4, INT_MAX)));
}

void LogView::CenterCaret() {
    const std::size_t row = RowOfLine(caret_.line);
    const std::size_t half = PageRows() / 2;
    verticalScrollBar()->setValue(static_cast<int>(row > half ? row - half : 0));
    EnsureCaretVisible();
}

QPoint LogView::PointOf(LogPosition position) const {
    const qint64 row = static_cast<qint64>(RowOfLine(position.line)) - verticalScrollBar()->value();
    return {static_cast<int>(static_cast<qint64>(position.column) * charWidth_ - horizontalScrollBar()->value()),
            static_cast<int>(row * lineHeight_)};
}

LogPosition LogView::PositionAt(QPoint point) const {
    const std::size_t rows = RowCount();
    if (rows == 0) return caret_;
    const qint64 row =
        std::clamp<qint64>(verticalScrollBar()->value() + point.y() / lineHeight_ - (point.y() < 0 ? 1 : 0), 0,
                           static_cast<qint64>(rows) - 1);
    const std::size_t line = LineOfRow(static_cast<std::size_t>(row));
    const qint64 x = std::max<qint64>(point.x() + horizontalScrollBar()->value(), 0);
    const std::size_t column = static_cast<std::size_t>((x + charWidth_ / 2) / charWidth_);
    return {line, std::min(column, LineLength(line))};
}

// ---- highlights and filter ---------------------------------------------------

void LogView::SetMarks(const std::vector<TextMatch>* marks) {
    marks_ = marks;
    viewport()->update();
}

void LogView::StartFilter() {
    filtering_ = true;
    shown_.clear();
    UpdateScrollRanges();
    viewport()->update();
}

void LogView::AddToFilter(std::span<const TextMatch> matches) {
    if (!filtering_ || matches.empty()) return;
    const std::size_t before = shown_.size();
    AddEntryLines(matches, LineCount(), shown_);
    if (shown_.size() == before) return;
    UpdateScrollRanges();
    viewport()->update();
}

void LogView::EndFilter() {
    if (!filtering_) return;
    filtering_ = false;
    shown_ = {};
    UpdateScrollRanges();
    viewport()->update();
}

// ---- drawing ----------------------------------------------------------------

void LogView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette colours = palette();
    const std::size_t rows = RowCount();
    const std::size_t top = static_cast<std::size_t>(verticalScrollBar()->value());
    const int left = horizontalScrollBar()->value();
    const std::size_t firstColumn = static_cast<std::size_t>(left / charWidth_);
    const std::size_t columns = static_cast<std::size_t>(viewport()->width() / charWidth_ + 2);
    const int ascent = painter.fontMetrics().ascent();
    const LogPosition from = SelectionStart(), to = SelectionEnd();
    const auto cellX = [&](std::size_t column) {
        return static_cast<int>(static_cast<qint64>(column) * charWidth_ - left);
    };
    const auto span = [&](std::size_t begin, std::size_t end, int y) {
        return QRect(cellX(begin), y, static_cast<int>((end - begin) * static_cast<std::size_t>(charWidth_)),
                     lineHeight_);
    };
    for (std::size_t row = top; row < rows && row <= top + PageRows(); ++row) {
        const std::size_t line = LineOfRow(row);
        const int y = static_cast<int>(row - top) * lineHeight_;
        const std::string_view whole = lines_->FullLine(line);
        if (marks_) {
            auto mark = std::lower_bound(marks_->begin(), marks_->end(), line,
                                         [](const TextMatch& m, std::size_t l) { return m.line < l; });
            for (; mark != marks_->end() && mark->line == line; ++mark) {
                if (mark->start > firstColumn + columns) break;
                painter.fillRect(span(mark->start, mark->start + mark->length, y), kMarkBackground);
            }
        }
        const bool selected = from != to && line >= from.line && line <= to.line;
        QRect selection;
        if (selected) {
            const std::size_t begin = line == from.line ? from.column : 0;
            // A selection that goes on past the line covers its break as one cell.
            const std::size_t end = line == to.line ? to.column : whole.size() + 1;
            selection = span(begin, end, y);
            painter.fillRect(selection, colours.color(QPalette::Highlight));
        }
        if (firstColumn < whole.size()) {
            const QString text = FromAnsi(whole.substr(firstColumn, columns));
            const QPoint at(cellX(firstColumn), y + ascent);
            painter.setPen(colours.color(QPalette::Text));
            painter.drawText(at, text);
            if (selected) {
                painter.save();
                painter.setClipRect(selection);
                painter.setPen(colours.color(QPalette::HighlightedText));
                painter.drawText(at, text);
                painter.restore();
            }
        }
    }
    if (hasFocus() && IsShown(caret_.line)) {
        const QPoint caret = PointOf(caret_);
        painter.fillRect(QRect(caret.x(), caret.y(), 1, lineHeight_), colours.color(QPalette::Text));
    }
}

void LogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void LogView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LogView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- keyboard and mouse -------------------------------------------------------

void LogView::MoveCaret(LogPosition to, bool extend) {
    Select(extend ? anchor_ : to, to);
    EnsureCaretVisible();
}

void LogView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        Copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        SelectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const std::size_t rows = RowCount();
    if (rows == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const std::size_t row = std::min(RowOfLine(caret_.line), rows - 1);
    const auto toRow = [&](std::size_t target) {
        const std::size_t line = LineOfRow(std::min(target, rows - 1));
        const std::size_t wanted = wantedColumn_;
        MoveCaret({line, std::min(wanted, LineLength(line))}, extend);
        wantedColumn_ = wanted;
    };
    const std::size_t page = PageRows();
    switch (event->key()) {
        case Qt::Key_Up: toRow(row > 0 ? row - 1 : 0); break;
        case Qt::Key_Down: toRow(row + 1); break;
        case Qt::Key_PageUp:
            verticalScrollBar()->setValue(verticalScrollBar()->value() - static_cast<int>(page));
            toRow(row > page ? row - page : 0);
            break;
        case Qt::Key_PageDown:
            verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(page));
            toRow(row + page);
            break;
        case Qt::Key_Home:
            if (control)
                MoveCaret({LineOfRow(0), 0}, extend);
            else
                MoveCaret({caret_.line, 0}, extend);
            break;
        case Qt::Key_End:
            if (control) {
                const std::size_t last = LineOfRow(rows - 1);
                MoveCaret({last, LineLength(last)}, extend);
            } else {
                MoveCaret({caret_.line, LineLength(caret_.line)}, extend);
            }
            break;
        case Qt::Key_Left:
            if (caret_.column > 0)
                MoveCaret({caret_.line, caret_.column - 1}, extend);
            else if (row > 0)
                MoveCaret({LineOfRow(row - 1), LineLength(LineOfRow(row - 1))}, extend);
            break;
        case Qt::Key_Right:
            if (caret_.column < LineLength(caret_.line))
                MoveCaret({caret_.line, caret_.column + 1}, extend);
            else if (row + 1 < rows)
                MoveCaret({LineOfRow(row + 1), 0}, extend);
            break;
        default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void LogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    const LogPosition at = PositionAt(event->position().toPoint());
    Select((event->modifiers() & Qt::ShiftModifier) ? anchor_ : at, at);
}

void LogView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    MoveCaret(PositionAt(event->position().toPoint()), true);
}

void LogView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    if (QApplication::clipboard()->supportsSelection() && anchor_ != caret_)
        QApplication::clipboard()->setText(SelectedText(), QClipboard::Selection);
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The word under the pointer.
    const LogPosition at = PositionAt(event->position().toPoint());
    const std::string_view line = lines_->FullLine(at.line);
    std::size_t begin = at.column, end = at.column;
    while (begin > 0 && IsWordByte(static_cast<unsigned char>(line[begin - 1]))) --begin;
    while (end < line.size() && IsWordByte(static_cast<unsigned char>(line[end]))) ++end;
    Select({at.line, begin}, {at.line, end});
}

void LogView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"), this, [this] { Copy(); });
    copy->setEnabled(anchor_ != caret_);
    menu.addAction(QStringLiteral("Select &All"), this, [this] { SelectAll(); });
    menu.exec(event->globalPos());
}

}  // namespace lognex
