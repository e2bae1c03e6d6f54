#include "app/timeline_page.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeView>
#include <algorithm>

#include "app/error_tree_model.h"
#include "app/qt_text.h"
#include "app/tree_filter.h"
#include "support/date_pictures.h"

namespace lognex {
namespace {

QColor Colour(const Timeline& timeline, std::size_t series) {
    return QColor(QString::fromStdString(SeriesColour(timeline, series)));
}

// A colour faded towards white, for the stack behind a highlighted error.
QColor Faded(QColor colour) {
    return QColor((colour.red() + 3 * 255) / 4, (colour.green() + 3 * 255) / 4, (colour.blue() + 3 * 255) / 4);
}

QRectF Rect(const ChartBox& box) { return QRectF(box.x, box.y, box.w, box.h); }

DateTime FromMilliseconds(std::int64_t ms) {
    return static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay);
}

}  // namespace

TimelinePage::TimelinePage(LocaleFormat locale, QWidget* parent) : QWidget(parent), locale_(std::move(locale)) {
    setObjectName(QStringLiteral("tbsTimeline"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    timeline_ = BinOccurrences(source_.points);
    names_ = lognex::SeriesNames(timeline_, source_, showSource_);
}

void TimelinePage::SetRun(TimelineSource source, bool showSource) {
    source_ = std::move(source);
    showSource_ = showSource;
    timeline_ = BinOccurrences(source_.points);
    names_ = lognex::SeriesNames(timeline_, source_, showSource_);
    notes_ = TimelineNotes(timeline_, source_.logLines);
    highlighted_.reset();
    hovered_.reset();
    chosen_.reset();
    Invalidate();
}

void TimelinePage::SetShowSource(bool showSource) {
    if (showSource == showSource_) return;
    showSource_ = showSource;
    names_ = lognex::SeriesNames(timeline_, source_, showSource_);
    Invalidate();
}

void TimelinePage::HighlightError(std::optional<int> error) {
    if (error && (*error < 0 || static_cast<std::size_t>(*error) >= source_.texts.size())) error.reset();
    if (error == highlighted_) return;
    highlighted_ = error;
    Invalidate();
}

void TimelinePage::Invalidate() {
    chart_.reset();
    update();
}

const TimelineChart& TimelinePage::Chart() {
    if (!chart_) {
        const QFontMetricsF metrics(font());
        ChartStyle style;
        style.width = width();
        style.height = height();
        style.fontPixels = metrics.ascent();
        style.charWidth = metrics.averageCharWidth();
        if (highlighted_) {
            const ChartHighlight highlight = HighlightFor(timeline_, source_.points, *highlighted_);
            chart_ = LayoutTimelineChart(timeline_, names_, notes_, style, &highlight);
        } else {
            chart_ = LayoutTimelineChart(timeline_, names_, notes_, style);
        }
    }
    return *chart_;
}

QString TimelinePage::BinToolTip(std::size_t bin) const {
    if (bin >= timeline_.binCount) return {};
    QString text = FromAnsi(FormatDateTimeText("", FromMilliseconds(timeline_.BinStart(bin)), locale_)) +
                   QStringLiteral(" to ") +
                   FromAnsi(FormatDateTimeText("", FromMilliseconds(timeline_.BinEnd(bin)), locale_));
    const int total = timeline_.binTotals[bin];
    text += QStringLiteral("\n%1 %2").arg(total).arg(total == 1 ? QStringLiteral("error") : QStringLiteral("errors"));
    for (std::size_t s = 0; s < timeline_.series.size(); ++s) {
        const int count = timeline_.Count(bin, s);
        if (count == 0) continue;
        QString name = FromAnsi(names_[s]);
        if (name.size() > 60) name = name.left(57) + QStringLiteral("...");
        text += QStringLiteral("\n%1: %2").arg(name).arg(count);
    }
    return text + QStringLiteral("\nClick to select them in the tree.");
}

void TimelinePage::paintEvent(QPaintEvent*) {
    const TimelineChart& chart = Chart();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor axis(0x55, 0x55, 0x55);
    const QColor ink(Qt::black);  // the page is white whatever the desktop's colours

    for (const std::optional<std::size_t>& band : {chosen_, hovered_}) {
        if (band && *band < chart.columns.size())
            painter.fillRect(Rect(chart.columns[*band]),
                             band == chosen_ ? QColor(0xdd, 0xe6, 0xf4) : QColor(0xee, 0xf3, 0xfb));
    }
    for (const ChartLine& line : chart.lines) {
        painter.setPen(line.grid ? QColor(0xe4, 0xe4, 0xe4) : axis);
        painter.drawLine(QLineF(line.x1, line.y1, line.x2, line.y2));
    }
    const bool dim = highlighted_.has_value();
    for (const ChartSegment& segment : chart.segments) {
        const QColor colour = Colour(timeline_, segment.series);
        painter.fillRect(Rect(segment.box), dim ? Faded(colour) : colour);
    }
    for (const ChartSegment& segment : chart.highlight) {
        painter.fillRect(Rect(segment.box), Colour(timeline_, segment.series));
        painter.setPen(Colour(timeline_, segment.series).darker(160));
        painter.drawRect(Rect(segment.box).adjusted(0, 0, -1, 0));
    }

    const QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    auto draw = [&](const ChartText& text) {
        painter.setFont(text.bold ? bold : normal);
        painter.setPen(text.muted ? axis : ink);
        const QString label = FromAnsi(text.text);
        const qreal width = QFontMetricsF(painter.font()).horizontalAdvance(label);
        qreal x = text.x;
        if (text.anchor == TextAnchor::Middle) x -= width / 2;
        if (text.anchor == TextAnchor::End) x -= width;
        painter.drawText(QPointF(x, text.y), label);
    };
    for (const ChartText& text : chart.texts) draw(text);
    for (const ChartLegendItem& item : chart.legend) {
        painter.fillRect(Rect(item.swatch), Colour(timeline_, item.series));
        // The layout fits names by average character width; a name of wide
        // letters, or in bold, is cut again here so its count stays in sight.
        painter.setFont(item.label.bold ? bold : normal);
        painter.setPen(ink);
        const QFontMetricsF metrics(painter.font());
        QString label = FromAnsi(item.label.text);
        const qreal room = width() - item.label.x - 4;
        if (metrics.horizontalAdvance(label) > room) {
            const qsizetype countAt = label.lastIndexOf(QStringLiteral(" ("));
            const QString count = countAt >= 0 ? label.mid(countAt) : QString();
            label = metrics.elidedText(label.left(countAt >= 0 ? countAt : label.size()), Qt::ElideRight,
                                       room - metrics.horizontalAdvance(count)) +
                    count;
        }
        painter.drawText(QPointF(item.label.x, item.label.y), label);
    }
}

void TimelinePage::resizeEvent(QResizeEvent* event) {
    chart_.reset();  // laid out again for the new size at the next paint
    QWidget::resizeEvent(event);
}

std::optional<std::size_t> TimelinePage::BinUnder(const QPointF& at) {
    const std::optional<std::size_t> bin = Chart().BinAt(at.x(), at.y());
    if (bin && timeline_.binTotals[*bin] == 0) return std::nullopt;
    return bin;
}

void TimelinePage::mouseMoveEvent(QMouseEvent* event) {
    const std::optional<std::size_t> bin = BinUnder(event->position());
    setCursor(bin ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (bin != hovered_) {
        hovered_ = bin;
        update();
        if (bin)
            QToolTip::showText(event->globalPosition().toPoint(), BinToolTip(*bin), this);
        else
            QToolTip::hideText();
    }
}

void TimelinePage::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const std::optional<std::size_t> bin = BinUnder(event->position());
    if (!bin) return;
    chosen_ = bin;
    update();
    emit binClicked(*bin);
}

void TimelinePage::leaveEvent(QEvent* event) {
    hovered_.reset();
    update();
    QWidget::leaveEvent(event);
}

bool TimelinePage::event(QEvent* event) {
    // Tooltips follow the pointer from bar to bar in mouseMoveEvent; a help
    // event over the same bar shows the text again.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const std::optional<std::size_t> bin = BinUnder(help->pos()))
            QToolTip::showText(help->globalPos(), BinToolTip(*bin), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

int SelectBinInTree(const TimelinePage& page, std::size_t bin, QTreeView* tree, TreeFilter* filter) {
    auto* model = qobject_cast<ErrorTreeModel*>(tree->model());
    if (!model) return 0;
    const TimelineSource& source = page.Source();
    const Timeline& timeline = page.CurrentTimeline();
    QModelIndexList items;
    for (std::size_t i = 0; i < source.points.size() && i < timeline.binOf.size(); ++i) {
        if (timeline.binOf[i] != static_cast<std::ptrdiff_t>(bin)) continue;
        const QModelIndex occurrence = model->OccurrenceRow(source.points[i].error, source.childIndex[i]);
        if (occurrence.isValid()) items.append(occurrence);
    }
    if (items.isEmpty()) return 0;
    // Selected occurrences the user cannot see would be acted on unseen.
    const bool hidden = std::any_of(items.begin(), items.end(), [tree](const QModelIndex& item) {
        return tree->isRowHidden(item.parent().row(), QModelIndex());
    });
    if (hidden && filter) filter->ClearWithNote(QStringLiteral("filter cleared to show the bar's occurrences"));
    // The first in log order becomes current, which selects it in the log view;
    // then the whole bin is selected around it.
    tree->setCurrentIndex(items.first());
    QItemSelection selection;
    for (const QModelIndex& item : items) {
        tree->setExpanded(item.parent(), true);
        selection.select(item, item);
    }
    tree->selectionModel()->select(selection, QItemSelectionModel::Select);
    tree->scrollTo(items.first());
    return static_cast<int>(items.size());
}

void ConnectTimelineToTree(TimelinePage* page, QTreeView* tree, TreeFilter* filter, QTabWidget* pages) {
    QObject::connect(page, &TimelinePage::binClicked, tree, [page, tree, filter, pages](std::size_t bin) {
        if (SelectBinInTree(*page, bin, tree, filter) == 0) return;
        page->HighlightError(std::nullopt);  // the bin, not the first occurrence's error, was chosen
        // The tree may sit inside a page of its own (with its filter field).
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i) == tree || pages->widget(i)->isAncestorOf(tree)) pages->setCurrentIndex(i);
        tree->setFocus(Qt::OtherFocusReason);  // Enter and the arrow keys work at once
    });
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, page,
                     [page](const QModelIndex& node) {
                         if (!node.isValid()) {
                             page->HighlightError(std::nullopt);
                             return;
                         }
                         const QModelIndex top = node.parent().isValid() ? node.parent() : node;
                         page->HighlightError(top.row());
                     });
}

}  // namespace lognex
