#include "app/dialogs/file_filter.h"

#include <vector>

namespace zentrip {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string QtFileFilter(std::string_view filter) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= filter.size();) {
        const std::size_t bar = std::min(filter.find('|', start), filter.size());
        fields.push_back(Trimmed(filter.substr(start, bar - start)));
        start = bar + 1;
    }
    std::string result;
    for (std::size_t i = 0; i + 1 < fields.size() && !fields[i].empty(); i += 2) {
        // The description names its pattern in parentheses; Qt reads the pattern from there.
        std::string_view description = fields[i];
        if (const std::size_t open = description.rfind('('); open != std::string_view::npos)
            description = Trimmed(description.substr(0, open));
        const std::string_view pattern = fields[i + 1] == "*.*" ? "*" : fields[i + 1];
        if (!result.empty()) result += ";;";
        result += std::string(description) + " (" + std::string(pattern) + ")";
    }
    return result;
}

}  // namespace zentrip
