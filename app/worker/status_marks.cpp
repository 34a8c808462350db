#include "app/worker/status_marks.h"

#include <algorithm>

namespace zentrip {

void StatusMarks::Replace(std::size_t start, std::size_t end, std::size_t inserted, bool status) {
    std::vector<Range> kept;
    for (Range range : m_ranges) {
        // Cut [start, end) out, then make room for the insertion.
        auto moved = [&](std::size_t at) {
            if (at <= start) return at;
            return at < end ? start : at - (end - start);
        };
        Range cut{moved(range.start), moved(range.end)};
        if (cut.start == cut.end) continue;
        if (cut.start < start && start < cut.end) {
            kept.push_back({cut.start, start});
            kept.push_back({start + inserted, cut.end + inserted});
            continue;
        }
        if (cut.start >= start) {
            cut.start += inserted;
            cut.end += inserted;
        }
        kept.push_back(cut);
    }
    m_ranges = std::move(kept);
    if (status && inserted > 0) Add({start, start + inserted});
}

std::vector<StatusMarks::Range> StatusMarks::Within(std::size_t start, std::size_t end) const {
    std::vector<Range> inside;
    for (const Range& range : m_ranges) {
        const std::size_t from = std::max(range.start, start);
        const std::size_t to = std::min(range.end, end);
        if (from < to) inside.push_back({from - start, to - start});
    }
    return inside;
}

void StatusMarks::Mark(std::size_t at, const std::vector<Range>& ranges) {
    for (const Range& range : ranges) Add({at + range.start, at + range.end});
}

bool StatusMarks::Touches(std::size_t start, std::size_t end) const {
    return std::any_of(m_ranges.begin(), m_ranges.end(), [&](const Range& range) {
        return range.start <= end && start <= range.end;
    });
}

std::string StatusMarks::Unmarked(std::string_view text, std::size_t start,
                                  std::size_t end) const {
    end = std::min(end, text.size());
    std::string program;
    std::size_t at = std::min(start, end);
    for (const Range& range : m_ranges) {
        if (range.end <= at) continue;
        if (range.start >= end) break;
        if (range.start > at) program.append(text.substr(at, range.start - at));
        at = std::min(range.end, end);
    }
    if (at < end) program.append(text.substr(at, end - at));
    return program;
}

void StatusMarks::Add(Range range) {
    auto at = std::lower_bound(m_ranges.begin(), m_ranges.end(), range,
                               [](const Range& a, const Range& b) { return a.start < b.start; });
    at = m_ranges.insert(at, range);
    // Neighbours that meet become one range.
    if (at != m_ranges.begin() && std::prev(at)->end >= at->start) {
        std::prev(at)->end = std::max(std::prev(at)->end, at->end);
        at = std::prev(m_ranges.erase(at));
    }
    while (std::next(at) != m_ranges.end() && at->end >= std::next(at)->start) {
        at->end = std::max(at->end, std::next(at)->end);
        m_ranges.erase(std::next(at));
    }
}

}  // namespace zentrip
