#include "app/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QToolButton>
#include <algorithm>

#include "app/qt_text.h"

namespace lognex {
namespace {

const QColor kMatchBackground(255, 226, 84);
const QColor kNothingFoundBase(255, 222, 222);
const QColor kErrorText(176, 0, 0);

// A place in the view: line (block) number and position inside it.
struct Spot {
    std::size_t line = 0, column = 0;
};

bool StartsBefore(const TextMatch& match, Spot spot) {
    return match.line < spot.line || (match.line == spot.line && match.start < spot.column);
}

bool StartsAfter(const TextMatch& match, Spot spot) {
    return match.line > spot.line || (match.line == spot.line && match.start > spot.column);
}

Spot SelectionStart(const QPlainTextEdit& view) {
    const int start = view.textCursor().selectionStart();
    const QTextBlock block = view.document()->findBlock(start);
    return {static_cast<std::size_t>(std::max(block.blockNumber(), 0)),
            static_cast<std::size_t>(std::max(start - block.position(), 0))};
}

QTextCursor CursorOver(QTextDocument* document, const TextMatch& match) {
    const QTextBlock block = document->findBlockByNumber(static_cast<int>(match.line));
    QTextCursor cursor(document);
    cursor.setPosition(block.position() + static_cast<int>(match.start));
    cursor.setPosition(block.position() + static_cast<int>(match.start + match.length), QTextCursor::KeepAnchor);
    return cursor;
}

// Block numbers of the first and last lines on screen.
std::pair<int, int> LinesOnScreen(QPlainTextEdit& view) {
    const int top = view.cursorForPosition(QPoint(0, 0)).blockNumber();
    const int bottom = view.cursorForPosition(QPoint(0, view.viewport()->height())).blockNumber();
    return {top, bottom};
}

QCheckBox* MakeToggle(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setFocusPolicy(Qt::TabFocus);  // a click leaves the cursor in the field
    return box;
}

QToolButton* MakeButton(const QString& text, const QString& tip, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("barFind"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 3, 6, 3);
    row->setSpacing(6);

    // Close comes first so that it stays in reach however narrow the window.
    close_ = MakeButton(QString(QChar(0x2715)), QStringLiteral("Close (Esc)"), "btnFindClose", this);
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("edtFind"));
    field_->setMinimumWidth(100);
    field_->setMaximumWidth(260);
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);
    label->setBuddy(field_);
    previous_ = MakeButton(QString(QChar(0x25B2)), QStringLiteral("Previous match (Shift+F3, Shift+Enter)"),
                           "btnFindPrevious", this);
    next_ = MakeButton(QString(QChar(0x25BC)), QStringLiteral("Next match (F3, Enter)"), "btnFindNext", this);
    matchCase_ = MakeToggle(QStringLiteral("C&ase"), "chkMatchCase", this);
    matchCase_->setToolTip(QStringLiteral("Match case"));
    wholeWords_ = MakeToggle(QStringLiteral("&Words"), "chkWholeWords", this);
    wholeWords_->setToolTip(QStringLiteral("Whole words only"));
    regex_ = MakeToggle(QStringLiteral("&Regex"), "chkRegex", this);
    regex_->setToolTip(QStringLiteral("Regular expression"));
    filter_ = MakeToggle(QStringLiteral("Fi&lter"), "chkFilter", this);
    filter_->setToolTip(
        QStringLiteral("Show only the entries with a match; double-click a line to see it in the full log"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblFindStatus"));
    status_->setMinimumWidth(60);

    row->addWidget(close_);
    row->addWidget(label);
    row->addWidget(field_, 2);
    row->addWidget(previous_);
    row->addWidget(next_);
    row->addSpacing(2);
    row->addWidget(matchCase_);
    row->addWidget(wholeWords_);
    row->addWidget(regex_);
    row->addWidget(filter_);
    row->addSpacing(2);
    row->addWidget(status_, 1);
    // The bar never makes the window wider than its own minimum: when narrow, its right end is cut.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    connect(field_, &QLineEdit::textChanged, this, [this] { Search(); });
    for (QCheckBox* option : {matchCase_, wholeWords_, regex_})
        connect(option, &QCheckBox::toggled, this, [this] { Search(); });
    connect(filter_, &QCheckBox::toggled, this, [this](bool on) {
        const bool filter = on && canFilter_ && view_ && open_;
        if (filter == filtering_) return;
        filtering_ = filter;
        if (filtering_) {
            ApplyFilter();
            if (current_ >= 0) SelectMatch(current_, note_);
        } else {
            ShowAllLines();
            if (view_) view_->centerCursor();
        }
        HighlightVisible();
    });
    connect(previous_, &QToolButton::clicked, this, [this] { FindPrevious(); });
    connect(next_, &QToolButton::clicked, this, [this] { FindNext(); });
    connect(close_, &QToolButton::clicked, this, [this] { Close(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Close(); });
    hide();
}

void FindBar::SetTarget(QPlainTextEdit* view, bool canFilter) {
    if (view == view_ && canFilter == canFilter_) return;
    Detach();
    view_ = view;
    canFilter_ = canFilter && view;
    filter_->setVisible(canFilter_);
    linesStale_ = true;
    if (!view_) {
        hide();
        return;
    }
    QTextDocument* document = view_->document();
    connect(document, &QTextDocument::contentsChanged, this, [this] {
        if (adjusting_) return;
        linesStale_ = true;
        if (open_) Search();
    });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { HighlightVisible(); });
    connect(view_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (adjusting_ || !view_) return;
        // Moved away from the current match: the count stays, the place goes.
        if (current_ >= 0 && !SelectionIsAMatch()) {
            current_ = -1;
            note_.clear();
            ShowStatus();
        }
        // A caret put on a line the filter hides (go to line, a chosen
        // occurrence) shows the full view around it.
        if (filtering_ && !view_->textCursor().block().isVisible()) {
            filter_->setChecked(false);
            view_->ensureCursorVisible();
        }
    });
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    setVisible(open_);
    if (open_) {
        filtering_ = canFilter_ && filter_->isChecked();
        Search();
    }
}

void FindBar::Detach() {
    if (!view_) return;
    if (filtering_) ShowAllLines();
    filtering_ = false;
    if (marked_) view_->setExtraSelections({});
    marked_ = false;
    view_->document()->disconnect(this);
    view_->verticalScrollBar()->disconnect(this);
    view_->disconnect(this);
    view_->removeEventFilter(this);
    view_->viewport()->removeEventFilter(this);
    view_ = nullptr;
    matches_.clear();
    current_ = -1;
}

void FindBar::Open() {
    if (!view_) return;
    const QString selected = view_->textCursor().selectedText();
    const bool wasOpen = open_;
    open_ = true;
    show();
    // A selection the user made seeds the field; a match the bar selected
    // itself does not (it would replace a regular expression by its match).
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) && selected.size() <= 200 &&
        selected != field_->text() && !SelectionIsAMatch()) {
        field_->setText(selected);  // searches
    } else if (!wasOpen) {
        filtering_ = canFilter_ && filter_->isChecked();
        Search();
    }
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool FindBar::SelectionIsAMatch() const {
    const QTextCursor cursor = view_->textCursor();
    const Spot start = SelectionStart(*view_);
    const auto match = std::lower_bound(matches_.begin(), matches_.end(), start,
                                        [](const TextMatch& m, Spot s) { return StartsBefore(m, s); });
    return match != matches_.end() && match->line == start.line && match->start == start.column &&
           static_cast<int>(match->length) == cursor.selectionEnd() - cursor.selectionStart();
}

void FindBar::Close() {
    if (!open_) return;
    open_ = false;
    filter_->setChecked(false);  // shows every line again
    HighlightVisible();          // removes the highlights
    if (view_) view_->setFocus(Qt::OtherFocusReason);
    hide();
}

void FindBar::FindNext() {
    if (!open_) Open();
    Step(true);
}

void FindBar::FindPrevious() {
    if (!open_) Open();
    Step(false);
}

void FindBar::ShowCaretLineInFullView() {
    if (!view_) return;
    const QTextBlock line = view_->textCursor().block();
    adjusting_ = true;
    filter_->setChecked(false);
    QTextCursor cursor(line);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view_->setTextCursor(cursor);
    adjusting_ = false;
    view_->centerCursor();
    view_->setFocus(Qt::OtherFocusReason);
}

void FindBar::ReadLines() {
    if (!linesStale_ || !view_) return;
    lines_.clear();
    const QTextDocument* document = view_->document();
    lines_.reserve(static_cast<std::size_t>(document->blockCount()));
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines_.push_back(ToAnsi(block.text()));
    linesStale_ = false;
}

void FindBar::Search() {
    matches_.clear();
    current_ = -1;
    error_.clear();
    note_.clear();
    if (!view_ || !open_) return;
    ReadLines();
    SearchOptions options;
    options.matchCase = matchCase_->isChecked();
    options.wholeWords = wholeWords_->isChecked();
    options.regex = regex_->isChecked();
    const std::string bytes = ToAnsi(field_->text());
    pattern_ = TextPattern();
    // A character the log's code page cannot hold is in no line of it (and
    // must not be looked for as the '?' it would turn into).
    if (FromAnsi(bytes) == field_->text()) {
        try {
            pattern_ = TextPattern(bytes, options);
        } catch (const SearchError& e) {
            error_ = FromAnsi(e.what());
        }
    }
    matches_ = FindAll(pattern_, std::vector<std::string_view>(lines_.begin(), lines_.end()));
    if (filtering_) ApplyFilter();
    if (!matches_.empty()) {
        // Typing keeps the place: the first match at or after the selection.
        const Spot from = SelectionStart(*view_);
        const auto at = std::find_if(matches_.begin(), matches_.end(),
                                     [from](const TextMatch& m) { return !StartsBefore(m, from); });
        SelectMatch(at == matches_.end() ? 0 : static_cast<int>(at - matches_.begin()), QString());
    }
    ShowStatus();
    HighlightVisible();
}

void FindBar::Step(bool forward) {
    if (matches_.empty() || !view_) {
        ShowStatus();
        return;
    }
    const Spot from = SelectionStart(*view_);
    if (forward) {
        const auto after =
            std::find_if(matches_.begin(), matches_.end(), [from](const TextMatch& m) { return StartsAfter(m, from); });
        if (after == matches_.end())
            SelectMatch(0, QStringLiteral("continued from the top"));
        else
            SelectMatch(static_cast<int>(after - matches_.begin()), QString());
    } else {
        const auto before = std::find_if(matches_.rbegin(), matches_.rend(),
                                         [from](const TextMatch& m) { return StartsBefore(m, from); });
        if (before == matches_.rend())
            SelectMatch(MatchCount() - 1, QStringLiteral("continued from the bottom"));
        else
            SelectMatch(static_cast<int>(matches_.rend() - before) - 1, QString());
    }
    HighlightVisible();
}

void FindBar::SelectMatch(int index, const QString& note) {
    current_ = index;
    note_ = note;
    const TextMatch& match = matches_[static_cast<std::size_t>(index)];
    const auto [top, bottom] = LinesOnScreen(*view_);
    adjusting_ = true;
    view_->setTextCursor(CursorOver(view_->document(), match));
    adjusting_ = false;
    // A match far away is shown in the middle of the view, with its context.
    const int line = static_cast<int>(match.line);
    if (line < top || line >= bottom)
        view_->centerCursor();
    else
        view_->ensureCursorVisible();
    ShowStatus();
}

void FindBar::ShowStatus() {
    QString text;
    const bool nothing = !field_->text().isEmpty() && matches_.empty();
    if (!error_.isEmpty())
        text = error_;
    else if (nothing)
        text = QStringLiteral("No matches");
    else if (current_ >= 0)
        text = QStringLiteral("%1 of %2").arg(current_ + 1).arg(MatchCount());
    else if (!matches_.empty())
        text = MatchCount() == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(MatchCount());
    if (!note_.isEmpty()) text += QStringLiteral(" (") + note_ + QLatin1Char(')');
    status_->setText(text);
    status_->setToolTip(text);
    QPalette statusColours = palette();
    if (!error_.isEmpty()) statusColours.setColor(QPalette::WindowText, kErrorText);
    status_->setPalette(statusColours);
    QPalette fieldColours = palette();
    if (nothing) fieldColours.setColor(QPalette::Base, kNothingFoundBase);
    field_->setPalette(fieldColours);
}

void FindBar::HighlightVisible() {
    if (!view_) return;
    // The view's extra selections are left alone while the bar has none to show.
    if (!open_ || matches_.empty()) {
        if (marked_) view_->setExtraSelections({});
        marked_ = false;
        return;
    }
    QList<QTextEdit::ExtraSelection> marks;
    const auto [top, bottom] = LinesOnScreen(*view_);
    auto match = std::lower_bound(matches_.begin(), matches_.end(), static_cast<std::size_t>(std::max(top, 0)),
                                  [](const TextMatch& m, std::size_t line) { return m.line < line; });
    QTextDocument* document = view_->document();
    for (; match != matches_.end() && static_cast<int>(match->line) <= bottom; ++match) {
        if (!document->findBlockByNumber(static_cast<int>(match->line)).isVisible()) continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = CursorOver(document, *match);
        mark.format.setBackground(kMatchBackground);
        marks.append(mark);
    }
    view_->setExtraSelections(marks);
    marked_ = true;
}

void FindBar::ApplyFilter() {
    if (!view_) return;
    QTextDocument* document = view_->document();
    const bool everything = pattern_.Empty();
    const std::vector<bool> shown =
        everything ? std::vector<bool>()
                   : EntryLinesWithMatches(matches_, static_cast<std::size_t>(document->blockCount()));
    bool changed = false;
    std::size_t i = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++i) {
        const bool visible = everything || shown[i];
        if (block.isVisible() == visible) continue;
        block.setVisible(visible);
        changed = true;
    }
    if (!changed) return;
    adjusting_ = true;
    document->markContentsDirty(0, document->characterCount());
    adjusting_ = false;
    view_->viewport()->update();
}

void FindBar::ShowAllLines() {
    if (!view_) return;
    QTextDocument* document = view_->document();
    bool changed = false;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.isVisible()) continue;
        block.setVisible(true);
        changed = true;
    }
    if (!changed) return;
    adjusting_ = true;
    document->markContentsDirty(0, document->characterCount());
    adjusting_ = false;
    view_->viewport()->update();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress;
    const auto* keyEvent = key ? static_cast<QKeyEvent*>(event) : nullptr;
    const bool enter = key && (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter);
    if (watched == field_ && enter) {
        Step(!(keyEvent->modifiers() & Qt::ShiftModifier));
        return true;
    }
    if (watched == field_ && key && keyEvent->key() == Qt::Key_Escape) {
        Close();
        return true;
    }
    if (view_ && watched == view_) {
        if (open_ && key && keyEvent->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (filtering_ && enter) {  // Enter on a line of the filtered view shows it in the full view
            ShowCaretLineInFullView();
            return true;
        }
    }
    if (view_ && watched == view_->viewport()) {
        if (event->type() == QEvent::Resize) HighlightVisible();
        if (filtering_ && event->type() == QEvent::MouseButtonDblClick) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            adjusting_ = true;
            view_->setTextCursor(view_->cursorForPosition(at));
            adjusting_ = false;
            ShowCaretLineInFullView();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lognex
