// The timeline drawn as stacked bars: the geometry that the window paints and
// the SVG file shows, laid out once here so the two agree; and the timeline's
// two files, SVG and CSV, as plain text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "views/timeline.h"

namespace lognex {

// The colour of a series as "#rrggbb": eight distinct hues for the named
// series, grey for Other.
std::string SeriesColour(const Timeline& timeline, std::size_t series);

struct ChartBox {
    double x = 0, y = 0, w = 0, h = 0;
    bool Contains(double px, double py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

enum class TextAnchor { Start, Middle, End };

struct ChartText {
    double x = 0, y = 0;  // y is the baseline
    std::string text;     // program text (ANSI bytes)
    TextAnchor anchor = TextAnchor::Start;
    bool bold = false;
    bool muted = false;  // axis labels and notes, drawn in grey
};

struct ChartLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool grid = false;  // a faint grid line rather than an axis
};

struct ChartSegment {
    std::size_t bin = 0, series = 0;
    ChartBox box;
};

struct ChartLegendItem {
    ChartBox swatch;
    ChartText label;  // the name cut to fit, and the count
    std::size_t series = 0;
    std::string fullName;
};

struct TimelineChart {
    double width = 0, height = 0;
    ChartBox plot;
    std::vector<ChartBox> columns;  // per bin, the full plot height: what a pointer hits
    std::vector<ChartSegment> segments;
    // The chosen error's own bars from the baseline, over the dimmed stack;
    // empty when no error is chosen.
    std::vector<ChartSegment> highlight;
    std::vector<ChartLine> lines;
    std::vector<ChartText> texts;
    std::vector<ChartLegendItem> legend;

    // The bin under a point, when the point lies over the plot.
    std::optional<std::size_t> BinAt(double px, double py) const;
};

struct ChartStyle {
    double width = 960, height = 540;
    double fontPixels = 12;  // text height
    double charWidth = 7;    // average character advance, for fitting labels
};

// What is chosen for emphasis: an error's own count per bin, drawn in the
// colour of its series (Other's grey for an error without one).
struct ChartHighlight {
    std::size_t series = 0;
    std::vector<int> perBin;
};

// Lays the chart out: a title, a note line when entries are undated or out
// of order, the value axis with round steps, the bars with a gap between
// them, time labels at calendar boundaries that do not collide, and a legend
// on the right with each series' name (cut to fit, "...") and count. Names
// are per series, in the timeline's order.
TimelineChart LayoutTimelineChart(const Timeline& timeline, const std::vector<std::string>& names,
                                  const std::string& notes, const ChartStyle& style,
                                  const ChartHighlight* highlight = nullptr);

// The chosen error's count in every bin.
ChartHighlight HighlightFor(const Timeline& timeline, const std::vector<TimelinePoint>& points, int error);

// What the chart's note says about entries it cannot place as they are: how
// many have no date, and how many are earlier than the entry before them
// with the log line of the first; one sentence per line, joined by "\n".
// Empty when there is nothing to say.
std::string TimelineNotes(const Timeline& timeline, const std::vector<int>& logLines);

// The chart as an SVG document (UTF-8; the names' Windows-1252 bytes are
// converted, characters XML cannot hold are left out).
std::string TimelineSvg(const TimelineChart& chart, const Timeline& timeline);

// The bins as CSV with CR LF line ends: "start,end,total," then one column
// per series (the named ones, then Other), the names quoted where CSV needs
// it; one row per bin with ISO 8601 times; a last row with empty times for
// the undated entries when there are any. The totals column adds up to the
// number of entries.
std::string TimelineCsv(const Timeline& timeline, const std::vector<std::string>& names);

// The names of the series for a run, following the Source option.
std::vector<std::string> SeriesNames(const Timeline& timeline, const TimelineSource& source, bool showSource);

enum class TimelineFormat { Svg, Csv };

// The timeline of a run as a file's text: the chart as SVG (960 x 540) or
// the bins as CSV, the series named as the Source option says.
std::string TimelineFileText(const Analysis& analysis, TimelineFormat format, bool showSource);

// The same of the occurrences in the range, its bins chosen for them.
std::string TimelineFileText(const AnalysisInRange& value, TimelineFormat format, bool showSource);

}  // namespace lognex
