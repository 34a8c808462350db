// The fast SubstituteSymbols against the plain ordered scan, on random tables and lines built
// to collide: a tiny name alphabet, case variants, values holding names (their own too),
// empty values, delimiters and high bytes, lines at their length limit.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "script/symbol_table.h"
#include "tests/support/ordered_scan.h"

namespace zentrip {
namespace {

using oracle::OrderedScan;
using oracle::OrderedScanCounts;
using oracle::SymbolList;

constexpr unsigned kRngStart = 20261208;
constexpr int kTables = 1000;
constexpr int kLinesPerTable = 100;

class RandomText {
public:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool Percent(int p) { return Below(100) < p; }

    std::string Name() {
        static const char kFirst[] = "aAbB_";
        static const char kRest[] = "aAbB_1";
        std::string name(1, kFirst[Below(5)]);
        const int length = 2 + Below(3);
        while (static_cast<int>(name.size()) < length) name += kRest[Below(6)];
        return name;
    }

    std::string CaseVariant(std::string text) {
        for (char& ch : text) {
            if (!Percent(50)) continue;
            if (ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 32);
            else if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch + 32);
        }
        return text;
    }

    std::string Separator() {
        static const char* const kSeparators[] = {" ", ",", "\n", "\t", "\xe4", "\xff",
                                                  "(", "*", "\"", ";",  ", ",   "\r\n"};
        return kSeparators[Below(12)];
    }

    std::string Identifier() {
        static const char kChars[] = "aAbB_1x9";
        std::string text;
        const int length = 1 + Below(3);
        while (static_cast<int>(text.size()) < length) text += kChars[Below(8)];
        return text;
    }

    // Names, separators and identifier characters in random order.
    std::string Mix(const std::vector<std::string>& names, int pieces) {
        std::string text;
        for (int i = 0; i < pieces; ++i) {
            const int kind = Below(10);
            if (kind < 4 && !names.empty()) {
                text += CaseVariant(names[Below(static_cast<int>(names.size()))]);
            } else if (kind < 8) {
                text += Separator();
            } else {
                text += Identifier();
            }
        }
        return text;
    }

    std::string Value(const std::vector<std::string>& names, const std::string& own) {
        if (Percent(15)) return "";
        if (Percent(10)) return Separator() + own + Separator();
        if (Percent(10)) return std::string(20 + Below(40), '7');
        return Mix(names, 1 + Below(4));
    }

private:
    std::mt19937 m_rng{kRngStart};
};

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch >= 32 && ch < 127) {
            out += static_cast<char>(ch);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", ch);
            out += hex;
        }
    }
    return out;
}

TEST(SubstituteSymbols, MatchesTheOrderedScanOnRandomInput) {
    RandomText random;
    OrderedScanCounts counts;
    long changedLines = 0;
    for (int t = 0; t < kTables; ++t) {
        std::vector<std::string> names;
        const int wanted = random.Percent(5) ? 0 : 1 + random.Below(30);
        for (int i = 0; i < wanted; ++i) names.push_back(random.Name());

        ErrorText error;
        CSymbolTable table(error);
        SymbolList symbols;
        for (const std::string& name : names) {
            const std::string value = random.Value(names, name);
            if (table.DefineSymbol(name.c_str(), value.c_str()) > 0) {
                symbols.emplace_back(name, value);
            }
        }

        for (int l = 0; l < kLinesPerTable; ++l) {
            std::string line;
            int maxLength;
            if (random.Percent(1)) {
                maxLength = 2047;
                while (static_cast<int>(line.size()) < 1990 + random.Below(57)) {
                    line += random.Mix(names, 1);
                }
                line.resize(std::min<std::size_t>(line.size(), 2047));
            } else {
                line = random.Mix(names, random.Percent(50) ? random.Below(5) : random.Below(20));
                if (random.Percent(50)) line += "\n";
                maxLength = static_cast<int>(line.size()) + random.Below(40);
            }

            std::vector<char> fast(static_cast<std::size_t>(maxLength) + 1, '\0');
            line.copy(fast.data(), line.size());
            std::vector<char> expected = fast;
            table.SubstituteSymbols(fast.data(), maxLength);
            OrderedScan(symbols, expected.data(), maxLength, &counts);
            if (std::string(expected.data()) != line) ++changedLines;

            if (std::string(fast.data()) == expected.data()) continue;
            std::string listing;
            for (const auto& [name, value] : symbols) {
                listing += "  " + name + " = \"" + Printable(value) + "\"\n";
            }
            FAIL() << "table " << t << ", line " << l << ", limit " << maxLength << "\n"
                   << listing << "line:     \"" << Printable(line) << "\"\n"
                   << "expected: \"" << Printable(expected.data()) << "\"\n"
                   << "got:      \"" << Printable(fast.data()) << "\"";
        }
    }
    // The inputs must reach every branch of the scan, or the comparison proves little.
    EXPECT_GT(changedLines, kTables * kLinesPerTable / 3);
    EXPECT_GT(counts.replaced, 100000);
    EXPECT_GT(counts.notWhole, 10000);
    EXPECT_GT(counts.guardStops, 10000);
    EXPECT_GT(counts.shortRestStops, 10000);
}

}  // namespace
}  // namespace zentrip
