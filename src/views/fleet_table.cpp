#include "views/fleet_table.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <set>

#include "views/csv_text.h"
#include "views/log_comparison.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

bool AllDistinct(const std::vector<std::string>& names) {
    const std::set<std::string> seen(names.begin(), names.end());
    return seen.size() == names.size() && !seen.contains("");
}

std::optional<double> OptionalRate(std::size_t count, double days) {
    if (days <= 0) return std::nullopt;
    return static_cast<double>(count) / days;
}

std::string OptionalNumber(const std::optional<double>& value) {
    return value ? DecimalText(*value, 3) : std::string();
}

}  // namespace

void AddFleetLog(FleetTable& fleet, std::string name, const Analysis& analysis) {
    const std::size_t column = fleet.columns.size();
    const ComparedPeriod period = WholeLogPeriod(analysis);
    fleet.columns.push_back({std::move(name), period.days, period.entries});
    for (const DistinctError& error : analysis.Errors()) {
        const auto [at, added] = fleet.rowOf.try_emplace({error.text, error.location}, fleet.rows.size());
        if (added) fleet.rows.push_back({error.text, error.location, {}, 0});
        FleetRow& row = fleet.rows[at->second];
        row.counts.resize(column + 1, 0);
        row.counts[column] += error.Count();
        row.total += error.Count();
    }
}

std::vector<std::size_t> FleetRowsByTotal(const FleetTable& fleet) {
    std::vector<std::size_t> order(fleet.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const FleetRow& x = fleet.rows[a];
        const FleetRow& y = fleet.rows[b];
        if (x.total != y.total) return x.total > y.total;
        if (x.text != y.text) return x.text < y.text;
        return x.location < y.location;
    });
    return order;
}

std::optional<double> FleetRate(const FleetTable& fleet, const FleetRow& row, std::size_t column) {
    return OptionalRate(row.CountIn(column), fleet.columns[column].days);
}

std::optional<double> FleetTotalRate(const FleetTable& fleet, const FleetRow& row) {
    std::size_t count = 0;
    double days = 0;
    for (std::size_t c = 0; c < fleet.columns.size(); ++c) {
        if (fleet.columns[c].days <= 0) continue;
        count += row.CountIn(c);
        days += fleet.columns[c].days;
    }
    return OptionalRate(count, days);
}

std::string FleetCsv(const FleetTable& fleet) {
    std::vector<std::string> heading = {"text", "location"};
    for (const FleetColumn& column : fleet.columns) {
        heading.push_back(CsvField(column.name + " count"));
        heading.push_back(CsvField(column.name + " per day"));
    }
    heading.insert(heading.end(), {"total count", "total per day"});
    std::string csv = CsvRecord(heading);
    for (std::size_t r : FleetRowsByTotal(fleet)) {
        const FleetRow& row = fleet.rows[r];
        std::vector<std::string> fields = {CsvField(row.text), CsvField(row.location)};
        for (std::size_t c = 0; c < fleet.columns.size(); ++c) {
            fields.push_back(std::to_string(row.CountIn(c)));
            fields.push_back(OptionalNumber(FleetRate(fleet, row, c)));
        }
        fields.push_back(std::to_string(row.total));
        fields.push_back(OptionalNumber(FleetTotalRate(fleet, row)));
        csv += CsvRecord(fields);
    }
    return csv;
}

std::vector<std::string> FleetColumnNames(const std::vector<std::string>& paths) {
    const auto each = [&](auto nameOf) {
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            const fs::path full = fs::absolute(fs::path(path)).lexically_normal();
            names.push_back(nameOf(full.has_filename() ? full : full.parent_path()));
        }
        return names;
    };
    std::vector<std::string> names = each([](const fs::path& p) { return p.filename().string(); });
    if (AllDistinct(names)) return names;
    names = each([](const fs::path& p) { return p.parent_path().filename().string(); });
    if (AllDistinct(names)) return names;
    names = each([](const fs::path& p) { return (p.parent_path().filename() / p.filename()).generic_string(); });
    if (AllDistinct(names)) return names;
    return paths;
}

}  // namespace lognex
