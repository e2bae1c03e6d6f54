#include "views/timeline_chart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/ansi_text.h"

namespace lognex {
namespace {

using namespace timeline_units;

// Eight hues that stay apart for most colour vision, and grey for Other.
constexpr const char* kPalette[] = {"#4e79a7", "#f28e2b", "#e15759", "#76b7b2",
                                    "#59a14f", "#edc948", "#b07aa1", "#ff9da7"};
constexpr const char* kOtherColour = "#a5a5a5";

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The first boundary of interval at or after t (weeks start on Monday).
std::int64_t NextBoundary(std::int64_t t, std::int64_t interval) {
    const std::int64_t anchor = interval >= kWeek ? kMondayAnchor : 0;
    const std::int64_t aligned = FloorDiv(t - anchor, interval) * interval + anchor;
    return aligned < t ? aligned + interval : aligned;
}

// A round step (1, 2 or 5 times a power of ten) for about five value ticks.
int ValueStep(int maximum) {
    const double raw = std::max(1.0, maximum / 5.0);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * magnitude >= raw) return std::max(1, static_cast<int>(factor * magnitude));
    return static_cast<int>(10 * magnitude);
}

DateParts PartsOf(std::int64_t ms) {
    return SplitDateTime(static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay));
}

std::string TwoDigits(int a, char separator, int b) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d", a, separator, b);
    return text;
}

// Cuts text to at most chars characters, ending in "..." when cut.
std::string Fit(const std::string& text, std::size_t chars) {
    if (text.size() <= chars) return text;
    if (chars <= 3) return std::string(chars, '.');
    return text.substr(0, chars - 3) + "...";
}

// Program text as XML character data: UTF-8, markup characters escaped,
// control characters (which XML 1.0 cannot hold at all) left out.
std::string XmlText(std::string_view ansi) {
    std::string out;
    for (char16_t c : WidenAnsi(ansi)) {
        switch (c) {
            case u'&': out += "&amp;"; break;
            case u'<': out += "&lt;"; break;
            case u'>': out += "&gt;"; break;
            case u'"': out += "&quot;"; break;
            default:
                if (c >= 0x20) AppendUtf8(out, c);
        }
    }
    return out;
}

// SVG's own number form, whatever the process's LC_NUMERIC: to_chars never
// writes a decimal comma, as printf does under a German or French locale.
std::string Number(double value) {
    char text[330];  // room for the largest double in fixed form
    const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1).ptr;
    std::string s(text, static_cast<std::size_t>(end - text));
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return s;
}

std::string CsvField(const std::string& text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The words of text in lines of at most chars characters, at most maxLines
// of them, the last one cut with "..." when the text does not fit.
// A line break in text always starts a new line.
std::vector<std::string> WrapWords(const std::string& text, std::size_t chars, std::size_t maxLines) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size() && lines.size() < maxLines) {
        const std::size_t brk = text.find('\n', at);
        if (brk != std::string::npos && brk - at <= chars) {
            lines.push_back(text.substr(at, brk - at));
            at = brk + 1;
            continue;
        }
        std::size_t end = std::min(text.size(), brk);
        if (end - at > chars) {
            const std::size_t blank = text.rfind(' ', at + chars);
            end = blank != std::string::npos && blank > at ? blank : at + chars;
        }
        lines.push_back(text.substr(at, end - at));
        at = text.find_first_not_of(' ', end);
        if (at == std::string::npos) at = text.size();
        if (at < text.size() && text[at] == '\n') ++at;
    }
    if (at < text.size()) {
        std::string rest = lines.back() + " " + text.substr(at);
        std::replace(rest.begin(), rest.end(), '\n', ' ');
        lines.back() = Fit(rest, chars);
    }
    return lines;
}

// Time labels: at boundaries of a round interval that is a whole number of
// bins, far enough apart for their text. The first line is the time (or the
// day for intervals of a day and more); the second line names the date (or
// the year) where it changes.
void LayoutTimeLabels(const Timeline& t, const ChartStyle& style, TimelineChart& chart) {
    static constexpr std::int64_t kIntervals[] = {kMinute,      2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute,
                                                  30 * kMinute, kHour,       2 * kHour,   3 * kHour,    6 * kHour,
                                                  12 * kHour,   kDay,        2 * kDay,    kWeek,        2 * kWeek,
                                                  4 * kWeek,    13 * kWeek,  26 * kWeek,  52 * kWeek};
    const double slot = chart.plot.w / static_cast<double>(t.binCount);
    std::int64_t interval = 0;
    for (std::int64_t candidate : kIntervals) {
        if (candidate % t.widthMs != 0) continue;
        const bool daily = candidate >= kDay;
        const double need = (daily ? 7 : 12) * style.charWidth;
        if (static_cast<double>(candidate / t.widthMs) * slot >= need) {
            interval = candidate;
            break;
        }
    }
    if (interval == 0) {
        // Wider than a year: every so many bins, measured in bins.
        const auto bins = static_cast<std::int64_t>(std::ceil(7 * style.charWidth / slot));
        interval = std::max<std::int64_t>(1, bins) * t.widthMs;
    }
    const bool daily = interval >= kDay;
    const std::int64_t end = t.BinEnd(t.binCount - 1);
    const double base = chart.plot.y + chart.plot.h;
    std::string previousContext;
    for (std::int64_t at = NextBoundary(t.startMs, interval); at <= end; at += interval) {
        const double x = chart.plot.x + static_cast<double>(at - t.startMs) / static_cast<double>(t.widthMs) * slot;
        const DateParts p = PartsOf(at);
        char context[24];
        if (daily)
            std::snprintf(context, sizeof context, "%04d", p.year);
        else
            std::snprintf(context, sizeof context, "%04d-%02d-%02d", p.year, p.month, p.day);
        const std::string first = daily ? TwoDigits(p.month, '-', p.day) : TwoDigits(p.hour, ':', p.minute);
        chart.lines.push_back({x, base, x, base + 4, false});
        chart.texts.push_back({x, base + 4 + style.fontPixels, first, TextAnchor::Middle, false, true});
        if (context != previousContext) {
            // A centred date under the first tick would stick out on the left.
            const double half = static_cast<double>(std::strlen(context)) * style.charWidth / 2;
            chart.texts.push_back(
                {std::max(x, half + 2), base + 6 + 2.2 * style.fontPixels, context, TextAnchor::Middle, false, true});
            previousContext = context;
        }
    }
}

}  // namespace

std::string SeriesColour(const Timeline& timeline, std::size_t series) {
    if (series >= timeline.series.size() || timeline.series[series].error == kOtherSeries) return kOtherColour;
    return kPalette[series % std::size(kPalette)];
}

std::optional<std::size_t> TimelineChart::BinAt(double px, double py) const {
    if (!plot.Contains(px, py) || columns.empty()) return std::nullopt;
    const auto bin = static_cast<std::size_t>((px - plot.x) / plot.w * static_cast<double>(columns.size()));
    return std::min(bin, columns.size() - 1);
}

TimelineChart LayoutTimelineChart(const Timeline& t, const std::vector<std::string>& names, const std::string& notes,
                                  const ChartStyle& style, const ChartHighlight* highlight) {
    TimelineChart chart;
    chart.width = style.width;
    chart.height = style.height;
    const double font = style.fontPixels;
    const double line = 1.5 * font;

    // Title, and the notes under it.
    std::string title = "Errors per " + t.widthName;
    if (t.binCount > 0) {
        std::string from = IsoDateTime(t.BinStart(0)), to = IsoDateTime(t.BinEnd(t.binCount - 1));
        std::replace(from.begin(), from.end(), 'T', ' ');
        std::replace(to.begin(), to.end(), 'T', ' ');
        title += ", " + from.substr(0, 16) + " to " + to.substr(0, 16);
    }
    double top = 8 + font;
    chart.texts.push_back({10, top, title, TextAnchor::Start, true, false});
    const auto noteChars = static_cast<std::size_t>(std::max(10.0, (style.width - 20) / style.charWidth));
    for (const std::string& noteLine : WrapWords(notes, noteChars, 3)) {
        top += line;
        chart.texts.push_back({10, top, noteLine, TextAnchor::Start, false, true});
    }
    top += line;

    // Value axis.
    int maximum = t.MaxBinTotal();
    if (highlight)
        for (int v : highlight->perBin) maximum = std::max(maximum, v);
    const int step = ValueStep(maximum);
    const int axisMax = std::max(step, (maximum + step - 1) / step * step);
    const double valueLabelWidth = static_cast<double>(std::to_string(axisMax).size()) * style.charWidth;

    const double legendWidth = std::min(std::clamp(style.width * 0.3, 150.0, 320.0), std::max(0.0, style.width * 0.45));
    chart.plot.x = 14 + valueLabelWidth;
    chart.plot.y = top;
    chart.plot.w = std::max(10.0, style.width - legendWidth - chart.plot.x - 10);
    chart.plot.h = std::max(10.0, style.height - top - (8 + 2.4 * font) - 6);
    const double base = chart.plot.y + chart.plot.h;

    for (int v = 0; v <= axisMax; v += step) {
        const double y = base - chart.plot.h * v / axisMax;
        if (v > 0) chart.lines.push_back({chart.plot.x, y, chart.plot.x + chart.plot.w, y, true});
        chart.texts.push_back({chart.plot.x - 5, y + 0.35 * font, std::to_string(v), TextAnchor::End, false, true});
    }

    // Bars.
    if (t.binCount == 0) {
        chart.texts.push_back({chart.plot.x + chart.plot.w / 2, chart.plot.y + chart.plot.h / 2,
                               t.undated > 0 ? "No entry has a date" : "No entries", TextAnchor::Middle, false, true});
    } else {
        const double slot = chart.plot.w / static_cast<double>(t.binCount);
        const double barWidth = slot >= 4 ? slot * 0.8 : slot;
        chart.columns.reserve(t.binCount);
        for (std::size_t bin = 0; bin < t.binCount; ++bin) {
            const double x = chart.plot.x + static_cast<double>(bin) * slot;
            chart.columns.push_back({x, chart.plot.y, slot, chart.plot.h});
            const double barX = x + (slot - barWidth) / 2;
            double y = base;
            for (std::size_t s = 0; s < t.series.size(); ++s) {
                const int count = t.Count(bin, s);
                if (count == 0) continue;
                const double h = chart.plot.h * count / axisMax;
                y -= h;
                chart.segments.push_back({bin, s, {barX, y, barWidth, h}});
            }
            if (highlight && bin < highlight->perBin.size() && highlight->perBin[bin] > 0) {
                const double h = chart.plot.h * highlight->perBin[bin] / axisMax;
                chart.highlight.push_back({bin, highlight->series, {barX, base - h, barWidth, h}});
            }
        }
        LayoutTimeLabels(t, style, chart);
    }
    chart.lines.push_back({chart.plot.x, chart.plot.y, chart.plot.x, base, false});
    chart.lines.push_back({chart.plot.x, base, chart.plot.x + chart.plot.w, base, false});

    // Legend: every series that has occurrences, most frequent first, Other last.
    const double legendX = style.width - legendWidth + 8;
    const auto chars = static_cast<std::size_t>(std::max(4.0, (legendWidth - 8 - 18 - 6) / style.charWidth));
    double y = chart.plot.y;
    for (std::size_t s = 0; s < t.series.size() && s < names.size(); ++s) {
        if (t.series[s].occurrences == 0) continue;
        const std::string count = " (" + std::to_string(t.series[s].occurrences) + ")";
        const std::string name = Fit(names[s], chars > count.size() ? chars - count.size() : 1) + count;
        const bool bold = highlight && highlight->series == s;
        ChartLegendItem item;
        item.swatch = {legendX, y + 2, 12, 12};
        item.label.x = legendX + 18;
        item.label.y = y + 2 + 0.85 * font + 1;
        item.label.text = name;
        item.label.bold = bold;
        item.series = s;
        item.fullName = names[s];
        chart.legend.push_back(std::move(item));
        y += line + 2;
    }
    return chart;
}

ChartHighlight HighlightFor(const Timeline& t, const std::vector<TimelinePoint>& points, int error) {
    ChartHighlight highlight;
    highlight.perBin.assign(t.binCount, 0);
    highlight.series = t.series.size() - 1;
    for (std::size_t i = 0; i < points.size() && i < t.binOf.size(); ++i) {
        if (points[i].error != error) continue;
        highlight.series = static_cast<std::size_t>(t.seriesOf[i]);
        if (t.binOf[i] >= 0) ++highlight.perBin[static_cast<std::size_t>(t.binOf[i])];
    }
    return highlight;
}

std::string TimelineNotes(const Timeline& t, const std::vector<int>& logLines) {
    std::string notes;
    if (t.undated > 0)
        notes += std::to_string(t.undated) +
                 (t.undated == 1 ? " entry has no date and is" : " entries have no date and are") +
                 " left off the time axis.";
    if (t.outOfOrder > 0) {
        if (!notes.empty()) notes += '\n';
        notes += std::to_string(t.outOfOrder) + (t.outOfOrder == 1 ? " entry is" : " entries are") +
                 " earlier than the entry before it (a clock reset?)";
        const auto first = static_cast<std::size_t>(t.firstOutOfOrder);
        if (first < logLines.size()) notes += ", the first at log line " + std::to_string(logLines[first]);
        notes += '.';
    }
    return notes;
}

std::string TimelineSvg(const TimelineChart& chart, const Timeline& t) {
    std::string svg;
    svg.reserve(64 * 1024);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(chart.width) + "\" height=\"" +
           Number(chart.height) + "\" viewBox=\"0 0 " + Number(chart.width) + " " + Number(chart.height) +
           "\" font-family=\"DejaVu Sans, Arial, Helvetica, sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    for (const ChartLine& l : chart.lines)
        svg += "<line x1=\"" + Number(l.x1) + "\" y1=\"" + Number(l.y1) + "\" x2=\"" + Number(l.x2) + "\" y2=\"" +
               Number(l.y2) + "\" stroke=\"" + (l.grid ? "#e4e4e4" : "#555555") + "\"/>\n";
    // One group per bin, titled with its time range and total for a viewer's tooltip.
    std::size_t next = 0;
    for (std::size_t bin = 0; bin < chart.columns.size(); ++bin) {
        if (next >= chart.segments.size() || chart.segments[next].bin != bin) continue;
        std::string from = IsoDateTime(t.BinStart(bin)), to = IsoDateTime(t.BinEnd(bin));
        svg += "<g><title>" + from + " to " + to + ": " + std::to_string(t.binTotals[bin]) + "</title>";
        for (; next < chart.segments.size() && chart.segments[next].bin == bin; ++next) {
            const ChartSegment& s = chart.segments[next];
            svg += "<rect x=\"" + Number(s.box.x) + "\" y=\"" + Number(s.box.y) + "\" width=\"" + Number(s.box.w) +
                   "\" height=\"" + Number(s.box.h) + "\" fill=\"" + SeriesColour(t, s.series) + "\"/>";
        }
        svg += "</g>\n";
    }
    auto text = [&](const ChartText& c) {
        const char* anchor = c.anchor == TextAnchor::Middle ? "middle" : c.anchor == TextAnchor::End ? "end" : "start";
        svg += "<text x=\"" + Number(c.x) + "\" y=\"" + Number(c.y) + "\" text-anchor=\"" + anchor + "\"";
        if (c.bold) svg += " font-weight=\"bold\"";
        if (c.muted) svg += " fill=\"#555555\"";
        svg += ">" + XmlText(c.text) + "</text>\n";
    };
    for (const ChartText& c : chart.texts) text(c);
    for (const ChartLegendItem& item : chart.legend) {
        // The whole name as the entry's tooltip, since the label may be cut.
        svg += "<g><title>" + XmlText(item.fullName) + "</title>\n";
        svg += "<rect x=\"" + Number(item.swatch.x) + "\" y=\"" + Number(item.swatch.y) + "\" width=\"" +
               Number(item.swatch.w) + "\" height=\"" + Number(item.swatch.h) + "\" fill=\"" +
               SeriesColour(t, item.series) + "\"/>\n";
        text(item.label);
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

std::string TimelineCsv(const Timeline& t, const std::vector<std::string>& names) {
    std::string csv = "start,end,total";
    for (std::size_t s = 0; s < t.series.size(); ++s) csv += "," + CsvField(s < names.size() ? names[s] : "");
    csv += "\r\n";
    auto row = [&](const std::string& from, const std::string& to, int total, auto count) {
        csv += from + "," + to + "," + std::to_string(total);
        for (std::size_t s = 0; s < t.series.size(); ++s) csv += "," + std::to_string(count(s));
        csv += "\r\n";
    };
    for (std::size_t bin = 0; bin < t.binCount; ++bin)
        row(IsoDateTime(t.BinStart(bin)), IsoDateTime(t.BinEnd(bin)), t.binTotals[bin],
            [&](std::size_t s) { return t.Count(bin, s); });
    if (t.undated > 0) row("", "", t.undated, [&](std::size_t s) { return t.undatedCounts[s]; });
    return csv;
}

std::vector<std::string> SeriesNames(const Timeline& timeline, const TimelineSource& source, bool showSource) {
    std::vector<std::string> names;
    for (const TimelineSeries& s : timeline.series) names.push_back(SeriesName(source, s, showSource));
    return names;
}

std::string TimelineFileText(const Analysis& analysis, TimelineFormat format, bool showSource) {
    return TimelineFileText(LimitToRange(analysis), format, showSource);
}

std::string TimelineFileText(const AnalysisInRange& value, TimelineFormat format, bool showSource) {
    const TimelineSource source = ReadTimelineSource(value);
    const Timeline timeline = BinOccurrences(source.points);
    const std::vector<std::string> names = SeriesNames(timeline, source, showSource);
    if (format == TimelineFormat::Csv) return TimelineCsv(timeline, names);
    const TimelineChart chart =
        LayoutTimelineChart(timeline, names, TimelineNotes(timeline, source.logLines), ChartStyle{});
    return TimelineSvg(chart, timeline);
}

}  // namespace lognex
