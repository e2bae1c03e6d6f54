// The "Timeline" page: the last run's errors over time as stacked bars,
// drawn with QPainter from the core's chart layout.
//
// Hovering a bar shows its time range and counts; clicking it asks for its
// occurrences to be selected (binClicked); an error chosen elsewhere is
// highlighted over the dimmed stack.
#pragma once

#include <QWidget>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "support/locale_format.h"
#include "views/timeline.h"
#include "views/timeline_chart.h"

class QTabWidget;
class QTreeView;

namespace lognex {

class TreeFilter;

class TimelinePage : public QWidget {
    Q_OBJECT
public:
    explicit TimelinePage(LocaleFormat locale, QWidget* parent = nullptr);

    // A completed run: its occurrences, named as the Source option says.
    void SetRun(TimelineSource source, bool showSource);
    // The Source option changed: the series are renamed.
    void SetShowSource(bool showSource);
    // Highlights an error's own bars (its id in the source), or none.
    void HighlightError(std::optional<int> error);

    const TimelineSource& Source() const { return source_; }
    const Timeline& CurrentTimeline() const { return timeline_; }
    const std::vector<std::string>& SeriesNames() const { return names_; }
    std::optional<int> HighlightedError() const { return highlighted_; }
    // The chart as laid out for the page's current size.
    const TimelineChart& Chart();
    // What the tooltip of a bin says.
    QString BinToolTip(std::size_t bin) const;

signals:
    void binClicked(std::size_t bin);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Invalidate();
    std::optional<std::size_t> BinUnder(const QPointF& at);

    LocaleFormat locale_;
    TimelineSource source_;
    Timeline timeline_;
    std::vector<std::string> names_;
    std::string notes_;
    bool showSource_ = false;
    std::optional<int> highlighted_;
    std::optional<std::size_t> hovered_, chosen_;
    std::optional<TimelineChart> chart_;
};

// Wires the page into the window: a clicked bar selects its occurrences in
// the tree (the first one, in log order, becomes the current node, which
// selects it in the log view) and shows the tree with the keyboard focus;
// choosing a node in the tree highlights its error on the page.
void ConnectTimelineToTree(TimelinePage* page, QTreeView* tree, TreeFilter* filter, QTabWidget* pages);

// Selects the occurrences of a bin in the tree built from the same run (its
// model an ErrorTreeModel), their errors expanded. When the filter (may be
// null) hides any of their errors, it is cleared first and says so. Returns
// how many were selected.
int SelectBinInTree(const TimelinePage& page, std::size_t bin, QTreeView* tree, TreeFilter* filter);

}  // namespace lognex
