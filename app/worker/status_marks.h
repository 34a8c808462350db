// StatusMarks: which characters of the editor's text Zentrip wrote there itself (the modem
// set-up's and the session's status lines, notices), as sorted, disjoint ranges that follow
// every change of the text. They are shown apart and never programmed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentrip {

class StatusMarks {
public:
    struct Range {
        std::size_t start = 0;
        std::size_t end = 0;
        bool operator==(const Range&) const = default;
    };

    const std::vector<Range>& Ranges() const { return m_ranges; }
    void Clear() { m_ranges.clear(); }
    // [start, end) of the text became `inserted` characters, Zentrip's own when `status`. A
    // user's insertion inside a status line splits it: what the user types is program text.
    void Replace(std::size_t start, std::size_t end, std::size_t inserted, bool status);
    // The marks inside [start, end), counted from start; Mark puts such marks back at `at`.
    std::vector<Range> Within(std::size_t start, std::size_t end) const;
    void Mark(std::size_t at, const std::vector<Range>& ranges);
    // Whether [start, end) meets a mark: overlaps it, lies inside it or borders on it.
    bool Touches(std::size_t start, std::size_t end) const;
    // The characters of text[start, end) that are not marked.
    std::string Unmarked(std::string_view text, std::size_t start, std::size_t end) const;

private:
    void Add(Range range);

    std::vector<Range> m_ranges;
};

}  // namespace zentrip
