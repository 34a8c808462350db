// The plain ordered scan of symbol substitution: every symbol in definition order, each
// searched through the whole line. The reference that the fast CSymbolTable::SubstituteSymbols
// is compared with, in the differential test and the benchmark.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "script/tokenizer.h"

namespace zentrip::oracle {

using SymbolList = std::vector<std::pair<std::string, std::string>>;

// What the scan ran into, so a test can tell that its inputs reach every branch.
struct OrderedScanCounts {
    long replaced = 0;
    long notWhole = 0;
    long guardStops = 0;
    long shortRestStops = 0;
};

inline void OrderedScan(const SymbolList& symbols, char* line, int maxLength,
                        OrderedScanCounts* counts = nullptr) {
    OrderedScanCounts ignored;
    OrderedScanCounts& count = counts ? *counts : ignored;
    CTokenizer tokenizer;
    for (const auto& [name, value] : symbols) {
        const int nameLength = static_cast<int>(name.size());
        const int valueLength = static_cast<int>(value.size());
        int p = 0;
        for (;;) {
            const int found = tokenizer.FindNoCase(name.c_str(), line, p);
            if (found == 0) break;
            if (valueLength + static_cast<int>(std::strlen(line)) > maxLength) {
                ++count.guardStops;
                break;
            }
            const int r = found - 1;
            const char after = line[r + nameLength];
            if ((r == 0 || !CTokenizer::IsIdentifierChar(line[r - 1])) &&
                (after == '\0' || !CTokenizer::IsIdentifierChar(after))) {
                tokenizer.ReplaceAt(line, r, nameLength, value.c_str());
                p = r + valueLength;
                ++count.replaced;
            } else {
                p = r + nameLength;
                ++count.notWhole;
            }
            if (p >= static_cast<int>(std::strlen(line)) - 2) {
                ++count.shortRestStops;
                break;
            }
        }
    }
}

}  // namespace zentrip::oracle
