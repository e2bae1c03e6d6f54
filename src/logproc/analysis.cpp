#include "logproc/analysis.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <stdexcept>

namespace lognex {
namespace {

std::string_view Cut(std::string_view words) { return words.substr(0, kErrorWordsWidth); }

std::size_t HashOf(std::string_view text, std::string_view location) {
    const std::size_t a = std::hash<std::string_view>{}(text);
    const std::size_t b = std::hash<std::string_view>{}(location);
    return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
}

}  // namespace

void Analysis::Append(const LogEntry& entry, HeaderLine line) {
    if (entries_.size() >= UINT32_MAX) throw std::length_error("An analysis holds at most 4294967295 entries");
    const ErrorId id = FindOrAdd(Cut(entry.text), Cut(entry.location));
    DistinctError& error = errors_[id];
    if (error.occurrences.empty()) error.first = entry.dateTime;
    error.last = entry.dateTime;
    error.occurrences.push_back(static_cast<std::uint32_t>(entries_.size()));
    entries_.push_back({entry.dateTime, line, id});

    if (times_.first == 0) times_.first = entry.dateTime;
    times_.last = entry.dateTime;
}

ErrorId Analysis::FindOrAdd(std::string_view text, std::string_view location) {
    if (slots_.size() < 2 * (errors_.size() + 1)) Grow();
    const std::size_t hash = HashOf(text, location);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = slots_[slot];
        if (held == 0) {
            const auto id = static_cast<ErrorId>(errors_.size());
            errors_.push_back({std::string(text), std::string(location), 0, 0, {}});
            hashes_.push_back(hash);
            slots_[slot] = id + 1;
            return id;
        }
        const ErrorId id = held - 1;
        if (hashes_[id] == hash && errors_[id].text == text && errors_[id].location == location) return id;
    }
}

void Analysis::Grow() {
    std::size_t size = slots_.empty() ? 64 : slots_.size() * 2;
    while (size < 2 * (errors_.size() + 1)) size *= 2;
    slots_.assign(size, 0);
    const std::size_t mask = size - 1;
    for (ErrorId id = 0; id < errors_.size(); ++id) {
        std::size_t slot = hashes_[id] & mask;
        while (slots_[slot] != 0) slot = (slot + 1) & mask;
        slots_[slot] = id + 1;
    }
}

namespace {

std::vector<ErrorId> AllIds(const Analysis& analysis) {
    std::vector<ErrorId> ids(analysis.Errors().size());
    std::iota(ids.begin(), ids.end(), ErrorId{0});
    return ids;
}

}  // namespace

std::vector<ErrorId> ErrorsByTextAndLocation(const Analysis& analysis) {
    std::vector<ErrorId> ids = AllIds(analysis);
    const std::vector<DistinctError>& errors = analysis.Errors();
    // std::string compares as unsigned bytes, as the index does.
    std::sort(ids.begin(), ids.end(), [&](ErrorId a, ErrorId b) {
        const int text = errors[a].text.compare(errors[b].text);
        return text != 0 ? text < 0 : errors[a].location < errors[b].location;
    });
    return ids;
}

std::vector<ErrorId> ErrorsByFallingCount(const Analysis& analysis) {
    std::vector<ErrorId> ids = AllIds(analysis);
    const std::vector<DistinctError>& errors = analysis.Errors();
    std::stable_sort(ids.begin(), ids.end(),
                     [&](ErrorId a, ErrorId b) { return errors[a].Count() > errors[b].Count(); });
    return ids;
}

}  // namespace lognex
