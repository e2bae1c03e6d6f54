#include "app/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <span>

#include "app/log_view.h"
#include "app/qt_text.h"
#include "views/line_search.h"

namespace lognex {

// What the bar needs of the view it searches: its lines, its selection, its
// place on screen, and on the log its filter.
class FindTarget {
public:
    virtual ~FindTarget() = default;
    virtual QWidget* Widget() const = 0;
    virtual QWidget* Viewport() const = 0;
    virtual bool CanFilter() const = 0;
    // The lines to search, as Windows-1252 bytes.
    virtual std::shared_ptr<const LogLines> Lines() = 0;
    virtual LogPosition SelectionStart() const = 0;
    virtual LogPosition SelectionEnd() const = 0;
    virtual QString SelectedText() const = 0;
    virtual void Select(const TextMatch& match) = 0;
    virtual void SelectLine(std::size_t line) = 0;
    virtual void Center() = 0;
    virtual void EnsureVisible() = 0;
    virtual std::pair<std::size_t, std::size_t> LinesOnScreen() const = 0;
    virtual void ShowMarks(const std::vector<TextMatch>* matches) = 0;
    virtual void StartFilter() {}
    virtual void AddToFilter(std::span<const TextMatch>) {}
    virtual void EndFilter() {}
    virtual bool CaretLineShown() const { return true; }
    virtual std::size_t CaretLine() const = 0;
    virtual LogPosition PositionAt(QPoint point) const = 0;
};

namespace {

const QColor kMatchBackground(255, 226, 84);
const QColor kNothingFoundBase(255, 222, 222);
const QColor kErrorText(176, 0, 0);

bool StartsBefore(const TextMatch& match, LogPosition spot) {
    return match.line < spot.line || (match.line == spot.line && match.start < spot.column);
}

bool StartsAfter(const TextMatch& match, LogPosition spot) {
    return match.line > spot.line || (match.line == spot.line && match.start > spot.column);
}

// The log: its own lines, drawn by the view with the bar's highlights.
class LogViewTarget : public FindTarget {
public:
    explicit LogViewTarget(LogView* view) : view_(view) {}
    QWidget* Widget() const override { return view_; }
    QWidget* Viewport() const override { return view_->viewport(); }
    bool CanFilter() const override { return true; }
    std::shared_ptr<const LogLines> Lines() override { return view_->SharedLines(); }
    LogPosition SelectionStart() const override { return view_->SelectionStart(); }
    LogPosition SelectionEnd() const override { return view_->SelectionEnd(); }
    QString SelectedText() const override { return view_->SelectedText(); }
    void Select(const TextMatch& m) override { view_->Select({m.line, m.start}, {m.line, m.start + m.length}); }
    void SelectLine(std::size_t line) override { view_->SelectLines(line, line); }
    void Center() override { view_->CenterCaret(); }
    void EnsureVisible() override { view_->EnsureCaretVisible(); }
    std::pair<std::size_t, std::size_t> LinesOnScreen() const override { return view_->LinesOnScreen(); }
    void ShowMarks(const std::vector<TextMatch>* matches) override { view_->SetMarks(matches); }
    void StartFilter() override { view_->StartFilter(); }
    void AddToFilter(std::span<const TextMatch> matches) override { view_->AddToFilter(matches); }
    void EndFilter() override { view_->EndFilter(); }
    bool CaretLineShown() const override { return view_->IsShown(view_->Caret().line); }
    std::size_t CaretLine() const override { return view_->Caret().line; }
    LogPosition PositionAt(QPoint point) const override { return view_->PositionAt(point); }

private:
    LogView* view_;
};

// The summary, an editable text: its lines are read again when it changes.
class PlainTextTarget : public FindTarget {
public:
    explicit PlainTextTarget(QPlainTextEdit* view) : view_(view) {}
    QWidget* Widget() const override { return view_; }
    QWidget* Viewport() const override { return view_->viewport(); }
    bool CanFilter() const override { return false; }
    void Stale() { lines_.reset(); }
    std::shared_ptr<const LogLines> Lines() override {
        if (!lines_) {
            std::string joined;
            for (QTextBlock block = view_->document()->begin(); block.isValid(); block = block.next()) {
                if (block != view_->document()->begin()) joined += '\n';
                joined += ToAnsi(block.text());
            }
            lines_ = std::make_shared<const LogLines>(LogLines::FromText(std::move(joined)));
        }
        return lines_;
    }
    LogPosition SelectionStart() const override { return SpotOf(view_->textCursor().selectionStart()); }
    LogPosition SelectionEnd() const override { return SpotOf(view_->textCursor().selectionEnd()); }
    QString SelectedText() const override { return view_->textCursor().selectedText(); }
    void Select(const TextMatch& match) override {
        view_->setTextCursor(CursorOver(match.line, match.start, match.start + match.length));
    }
    void SelectLine(std::size_t line) override {
        const QTextBlock block = view_->document()->findBlockByNumber(static_cast<int>(line));
        view_->setTextCursor(CursorOver(line, 0, static_cast<std::size_t>(std::max(block.length() - 1, 0))));
    }
    void Center() override { view_->centerCursor(); }
    void EnsureVisible() override { view_->ensureCursorVisible(); }
    std::pair<std::size_t, std::size_t> LinesOnScreen() const override {
        const int top = view_->cursorForPosition(QPoint(0, 0)).blockNumber();
        const int bottom = view_->cursorForPosition(QPoint(0, view_->viewport()->height())).blockNumber();
        return {static_cast<std::size_t>(std::max(top, 0)), static_cast<std::size_t>(std::max(bottom, 0))};
    }
    void ShowMarks(const std::vector<TextMatch>* matches) override {
        // The view's extra selections are left alone while the bar has none to show.
        if (!matches || matches->empty()) {
            if (marked_) view_->setExtraSelections({});
            marked_ = false;
            return;
        }
        QList<QTextEdit::ExtraSelection> marks;
        const auto [top, bottom] = LinesOnScreen();
        auto match = std::lower_bound(matches->begin(), matches->end(), top,
                                      [](const TextMatch& m, std::size_t line) { return m.line < line; });
        for (; match != matches->end() && match->line <= bottom; ++match) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = CursorOver(match->line, match->start, match->start + match->length);
            mark.format.setBackground(kMatchBackground);
            marks.append(mark);
        }
        view_->setExtraSelections(marks);
        marked_ = true;
    }
    std::size_t CaretLine() const override { return static_cast<std::size_t>(view_->textCursor().blockNumber()); }
    LogPosition PositionAt(QPoint point) const override { return SpotOf(view_->cursorForPosition(point).position()); }

private:
    LogPosition SpotOf(int position) const {
        const QTextBlock block = view_->document()->findBlock(position);
        return {static_cast<std::size_t>(std::max(block.blockNumber(), 0)),
                static_cast<std::size_t>(std::max(position - block.position(), 0))};
    }
    QTextCursor CursorOver(std::size_t line, std::size_t from, std::size_t to) const {
        const QTextBlock block = view_->document()->findBlockByNumber(static_cast<int>(line));
        QTextCursor cursor(view_->document());
        cursor.setPosition(block.position() + static_cast<int>(from));
        cursor.setPosition(block.position() + static_cast<int>(to), QTextCursor::KeepAnchor);
        return cursor;
    }

    QPlainTextEdit* view_;
    std::shared_ptr<const LogLines> lines_;
    bool marked_ = false;
};

// A count in the desktop's grouping: "98,311", "98.311", "98 311".
QString Count(std::size_t n) {
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(static_cast<qulonglong>(n));
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
        const bool filter = on && view_ && view_->CanFilter() && open_;
        if (filter == filtering_) return;
        SetFiltering(filter);
        if (filtering_) {
            if (current_ >= 0) SelectMatch(current_, note_);
        } else if (view_) {
            view_->Center();
        }
        HighlightVisible();
    });
    poll_ = new QTimer(this);
    poll_->setInterval(10);
    connect(poll_, &QTimer::timeout, this, [this] { TakeFound(); });
    connect(previous_, &QToolButton::clicked, this, [this] { FindPrevious(); });
    connect(next_, &QToolButton::clicked, this, [this] { FindNext(); });
    connect(close_, &QToolButton::clicked, this, [this] { Close(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Close(); });
    hide();
}

FindBar::~FindBar() = default;

QWidget* FindBar::Target() const { return view_ ? view_->Widget() : nullptr; }

void FindBar::SetTarget(LogView* view) {
    if (view && Target() == view) return;
    Attach(view ? std::make_unique<LogViewTarget>(view) : nullptr);
    if (!view) return;
    // New lines (a new run) are searched again.
    connect(view, &LogView::linesReplaced, this, [this] {
        filtering_ = false;
        if (open_) {
            SetFiltering(filter_->isChecked());
            Search();
        }
    });
    connect(view, &LogView::caretMoved, this, [this] { CaretMoved(); });
    Attached();
}

void FindBar::SetTarget(QPlainTextEdit* view) {
    if (view && Target() == view) return;
    auto target = view ? std::make_unique<PlainTextTarget>(view) : nullptr;
    PlainTextTarget* plain = target.get();
    Attach(std::move(target));
    if (!view) return;
    connect(view->document(), &QTextDocument::contentsChanged, this, [this, plain] {
        if (adjusting_) return;
        plain->Stale();
        if (open_) Search();
    });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { HighlightVisible(); });
    connect(view, &QPlainTextEdit::cursorPositionChanged, this, [this] { CaretMoved(); });
    Attached();
}

void FindBar::ClearTarget() { Attach(nullptr); }

void FindBar::Attach(std::unique_ptr<FindTarget> target) {
    Detach();
    view_ = std::move(target);
    filter_->setVisible(view_ && view_->CanFilter());
    if (!view_) hide();
}

void FindBar::Attached() {
    // A view that goes first is let go without a word to it: it is no longer itself.
    connect(view_->Widget(), &QObject::destroyed, this, [this] {
        search_.reset();
        poll_->stop();
        view_.reset();
        filtering_ = false;
        matches_.clear();
        current_ = -1;
        hide();
    });
    view_->Widget()->installEventFilter(this);
    view_->Viewport()->installEventFilter(this);
    setVisible(open_);
    if (open_) {
        SetFiltering(filter_->isChecked());
        Search();
    }
}

void FindBar::CaretMoved() {
    if (adjusting_ || !view_) return;
    // Moved away from the current match: the count stays, the place goes.
    if (current_ >= 0 && !SelectionIsAMatch()) {
        current_ = -1;
        note_.clear();
        ShowStatus();
    }
    // A caret put on a line the filter hides (go to line, a chosen
    // occurrence) shows the full view around it.
    if (filtering_ && !view_->CaretLineShown()) {
        filter_->setChecked(false);
        view_->EnsureVisible();
    }
}

void FindBar::Detach() {
    search_.reset();
    poll_->stop();
    if (!view_) return;
    SetFiltering(false);
    view_->ShowMarks(nullptr);
    QWidget* widget = view_->Widget();
    widget->disconnect(this);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->document()->disconnect(this);
        plain->verticalScrollBar()->disconnect(this);
    }
    widget->removeEventFilter(this);
    view_->Viewport()->removeEventFilter(this);
    view_.reset();
    matches_.clear();
    current_ = -1;
}

void FindBar::Open() {
    if (!view_) return;
    const QString selected = view_->SelectedText();
    const bool wasOpen = open_;
    open_ = true;
    show();
    // A selection the user made seeds the field; a match the bar selected
    // itself does not (it would replace a regular expression by its match).
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) && !selected.contains(QLatin1Char('\n')) &&
        selected.size() <= 200 && selected != field_->text() && !SelectionIsAMatch()) {
        field_->setText(selected);  // searches
    } else if (!wasOpen) {
        SetFiltering(filter_->isChecked());
        Search();
    }
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool FindBar::SelectionIsAMatch() const {
    const LogPosition start = view_->SelectionStart(), end = view_->SelectionEnd();
    const auto match = std::lower_bound(matches_.begin(), matches_.end(), start,
                                        [](const TextMatch& m, LogPosition s) { return StartsBefore(m, s); });
    return match != matches_.end() && match->line == start.line && match->start == start.column &&
           end.line == start.line && match->length == end.column - start.column;
}

void FindBar::Close() {
    if (!open_) return;
    open_ = false;
    search_.reset();
    poll_->stop();
    filter_->setChecked(false);  // shows every line again
    HighlightVisible();          // removes the highlights
    if (view_) view_->Widget()->setFocus(Qt::OtherFocusReason);
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
    const std::size_t line = view_->CaretLine();
    adjusting_ = true;
    filter_->setChecked(false);
    view_->SelectLine(line);
    adjusting_ = false;
    view_->Center();
    view_->Widget()->setFocus(Qt::OtherFocusReason);
}

void FindBar::SetFiltering(bool on) {
    on = on && view_ && view_->CanFilter();
    if (on == filtering_) return;
    filtering_ = on;
    if (!view_) return;
    if (filtering_)
        RestartFilter();
    else
        view_->EndFilter();
}

// Shows the entries of the matches found so far; no pattern filters nothing out.
void FindBar::RestartFilter() {
    if (!filtering_ || !view_) return;
    view_->EndFilter();
    if (pattern_.Empty()) return;
    view_->StartFilter();
    view_->AddToFilter(matches_);
}

void FindBar::Search() {
    search_.reset();
    poll_->stop();
    matches_.clear();
    current_ = -1;
    error_.clear();
    note_.clear();
    if (!view_ || !open_) return;
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
    RestartFilter();
    // Typing keeps the place: the first match at or after the selection.
    const LogPosition from = view_->SelectionStart();
    fromLine_ = from.line;
    fromColumn_ = from.column;
    placed_ = false;
    const std::shared_ptr<const LogLines> lines = view_->Lines();
    view_->ShowMarks(&matches_);
    if (lines->ViewLineCount() > kBackgroundLines && !pattern_.Empty()) {
        search_ = std::make_unique<BackgroundSearch>(pattern_, lines);
        poll_->start();
        ShowStatus();
        return;
    }
    FindInLines(pattern_, *lines, 0, lines->ViewLineCount(), matches_);
    MatchesAdded(0);
    placed_ = true;
    if (current_ < 0 && !matches_.empty()) SelectMatch(0, QString());
    ShowStatus();
    HighlightVisible();
}

void FindBar::TakeFound() {
    if (!search_) {
        poll_->stop();
        return;
    }
    const std::size_t before = matches_.size();
    const bool finished = search_->Take(matches_);
    if (finished) {
        search_.reset();
        poll_->stop();
    }
    MatchesAdded(before);
    if (finished && !placed_) {
        placed_ = true;
        if (current_ < 0 && !matches_.empty()) SelectMatch(0, QString());
    }
    ShowStatus();
    HighlightVisible();
}

// Matches from first on have just come: the filter shows their entries, and
// the first at or after the place typing started from becomes current.
void FindBar::MatchesAdded(std::size_t first) {
    if (first == matches_.size()) return;
    if (filtering_ && !pattern_.Empty()) view_->AddToFilter(std::span<const TextMatch>(matches_).subspan(first));
    if (placed_) return;
    const LogPosition from{fromLine_, fromColumn_};
    const auto at = std::find_if(matches_.begin() + static_cast<std::ptrdiff_t>(first), matches_.end(),
                                 [from](const TextMatch& m) { return !StartsBefore(m, from); });
    if (at == matches_.end()) return;
    placed_ = true;
    SelectMatch(static_cast<int>(at - matches_.begin()), QString());
}

void FindBar::Step(bool forward) {
    if (matches_.empty() || !view_) {
        ShowStatus();
        return;
    }
    placed_ = true;  // the user goes on from here
    const LogPosition from = view_->SelectionStart();
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
    const auto [top, bottom] = view_->LinesOnScreen();
    adjusting_ = true;
    view_->Select(match);
    adjusting_ = false;
    // A match far away is shown in the middle of the view, with its context.
    if (match.line < top || match.line >= bottom)
        view_->Center();
    else
        view_->EnsureVisible();
    ShowStatus();
}

void FindBar::ShowStatus() {
    QString text;
    const bool nothing = !field_->text().isEmpty() && matches_.empty() && !search_;
    const QString noun = matches_.size() == 1 ? QStringLiteral("match") : QStringLiteral("matches");
    if (!error_.isEmpty())
        text = error_;
    else if (nothing)
        text = QStringLiteral("No matches");
    else if (current_ >= 0)
        text = QStringLiteral("%1 of %2 %3")
                   .arg(Count(static_cast<std::size_t>(current_) + 1), Count(matches_.size()), noun);
    else if (!matches_.empty() || search_)
        text = QStringLiteral("%1 %2").arg(Count(matches_.size()), noun);
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
    view_->ShowMarks(open_ && !matches_.empty() ? &matches_ : nullptr);
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
    if (view_ && watched == view_->Widget()) {
        if (open_ && key && keyEvent->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (filtering_ && enter) {  // Enter on a line of the filtered view shows it in the full view
            ShowCaretLineInFullView();
            return true;
        }
    }
    if (view_ && watched == view_->Viewport()) {
        if (event->type() == QEvent::Resize) HighlightVisible();
        if (filtering_ && event->type() == QEvent::MouseButtonDblClick) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            const LogPosition place = view_->PositionAt(at);
            adjusting_ = true;
            view_->Select({place.line, place.column, 0});
            adjusting_ = false;
            ShowCaretLineInFullView();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lognex
