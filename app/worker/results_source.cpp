#include "app/worker/results_source.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zentrip {

namespace {

// The number at the start of `text` (at most 9 digits), and what follows it.
std::optional<int> LeadingNumber(std::string_view text, std::string_view* rest) {
    const std::size_t digits =
        std::find_if(text.begin(), text.end(),
                     [](char ch) { return !std::isdigit(static_cast<unsigned char>(ch)); }) -
        text.begin();
    int number = 0;
    if (digits == 0 || digits > 9) return std::nullopt;
    std::from_chars(text.data(), text.data() + digits, number);
    *rest = text.substr(digits);
    return number;
}

}  // namespace

std::optional<int> RunLineOfResultsLine(std::string_view line) {
    std::string_view rest;
    if (line.starts_with('[')) {
        const std::size_t first = line.find_first_not_of(' ', 1);
        if (first == std::string_view::npos || first > 5) return std::nullopt;
        const std::optional<int> number = LeadingNumber(line.substr(first), &rest);
        return number && rest.starts_with(']') ? number : std::nullopt;
    }
    for (std::string_view verdict : {"Error in Line ", "Fatal Error in Line "}) {
        if (!line.starts_with(verdict)) continue;
        const std::optional<int> number = LeadingNumber(line.substr(verdict.size()), &rest);
        return number && (rest.empty() || rest.starts_with(' ')) ? number : std::nullopt;
    }
    return std::nullopt;
}

std::vector<int> ProgramLineStarts(std::string_view text,
                                   const std::vector<StatusMarks::Range>& marks,
                                   std::size_t start) {
    std::vector<int> starts;
    int editorLine = 0;
    bool lineBegins = true;
    auto mark = marks.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        while (mark != marks.end() && mark->end <= i) ++mark;
        const bool program = i >= start && (mark == marks.end() || i < mark->start);
        if (program && lineBegins) {
            starts.push_back(editorLine);
            lineBegins = false;
        }
        const char ch = text[i];
        if (program && ch == '\n') lineBegins = true;
        if (ch == '\n' || (ch == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++editorLine;
    }
    return starts;
}

int ProgramLineAt(const std::vector<int>& starts, int editorLine) {
    const auto at = std::lower_bound(starts.begin(), starts.end(), editorLine);
    return at != starts.end() && *at == editorLine ? static_cast<int>(at - starts.begin()) + 1 : 0;
}

}  // namespace zentrip
