#include "script/symbol_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentrip {
namespace {

constexpr int kLineLimit = 2047;

class SymbolTableTest : public ::testing::Test {
protected:
    // The line after substitution, in a buffer of exactly maxLength + 1 characters.
    std::string Substitute(const std::string& line, int maxLength = kLineLimit) {
        std::vector<char> buffer(static_cast<std::size_t>(maxLength) + 1, '\0');
        EXPECT_LE(line.size(), static_cast<std::size_t>(maxLength));
        line.copy(buffer.data(), line.size());
        m_table.SubstituteSymbols(buffer.data(), maxLength);
        return buffer.data();
    }

    void Define(const char* name, const char* value) {
        ASSERT_GT(m_table.DefineSymbol(name, value), 0) << m_error.c_str();
    }

    ErrorText m_error;
    CSymbolTable m_table{m_error};
};

TEST_F(SymbolTableTest, NamingRulesAndTheirMessages) {
    struct Case {
        const char* name;
        const char* message;
    };
    const Case refused[] = {
        {"A", "Illegal symbol name 'A'; symbols must be\r\nat least two characters in length."},
        {"_", "Illegal symbol name '_'; symbols must be\r\nat least two characters in length."},
        {"", "Illegal symbol name ''; symbols must be\r\nat least two characters in length."},
        {"1A", "Illegal symbol name '1A'; symbols must start with\r\nA-Z or underscore."},
        {"-B", "Illegal symbol name '-B'; symbols must start with\r\nA-Z or underscore."},
        {"A-B", "Illegal symbol name 'A-B'; invalid chars in symbol name."},
        {"A.B", "Illegal symbol name 'A.B'; invalid chars in symbol name."},
        {"AB\xe4", "Illegal symbol name 'AB\xe4'; invalid chars in symbol name."},
    };
    for (const Case& c : refused) {
        m_error.Clear();
        EXPECT_EQ(m_table.DefineSymbol(c.name, "1"), 0) << c.name;
        EXPECT_STREQ(m_error.c_str(), c.message);
    }
    EXPECT_EQ(m_table.Count(), 0);

    m_error.Clear();
    EXPECT_EQ(m_table.DefineSymbol("_A", "x"), 1);
    EXPECT_EQ(m_table.DefineSymbol("a1", ""), 2);
    EXPECT_EQ(m_table.DefineSymbol("ALPHA", "1"), 3);
    EXPECT_EQ(m_table.DefineSymbol("Alpha", "2"), 4);
    EXPECT_TRUE(m_error.empty());
    EXPECT_EQ(m_table.DefineSymbol("ALPHA", "3"), 0);
    EXPECT_STREQ(m_error.c_str(), "Multiply defined symbol 'ALPHA'");
    EXPECT_EQ(m_table.Count(), 4);
    EXPECT_EQ(m_table.Name(3), "Alpha");
    EXPECT_EQ(m_table.Value(3), "2");
    EXPECT_EQ(m_table.Value(1), "");
}

TEST_F(SymbolTableTest, TableFullBeforeTheNameIsLookedAt) {
    char name[16];
    for (int i = 1; i <= CSymbolTable::kCapacity; ++i) {
        std::snprintf(name, sizeof name, "S%d", i);
        ASSERT_EQ(m_table.DefineSymbol(name, "v"), i);
    }
    EXPECT_EQ(m_table.DefineSymbol("S10001", "v"), 0);
    EXPECT_STREQ(m_error.c_str(), "Symbol table full.");
    m_error.Clear();
    EXPECT_EQ(m_table.DefineSymbol("1", "v"), 0);
    EXPECT_STREQ(m_error.c_str(), "Symbol table full.");
    EXPECT_EQ(m_table.Count(), CSymbolTable::kCapacity);
    EXPECT_EQ(Substitute("x S10000 S1 S10001\n"), "x v v S10001\n");
}

TEST_F(SymbolTableTest, LongNamesInMessagesAreCut) {
    const std::string name = "1" + std::string(300, 'x');
    EXPECT_EQ(m_table.DefineSymbol(name.c_str(), "v"), 0);
    EXPECT_EQ(std::string(m_error.c_str()), ("Illegal symbol name '" + name).substr(0, 255));
}

TEST_F(SymbolTableTest, ReplacesWholeWordsOnly) {
    Define("RPT", "42");
    EXPECT_EQ(Substitute("RPT2 RPT\n"), "RPT2 42\n");
    EXPECT_EQ(Substitute("RPT"), "42");
    EXPECT_EQ(Substitute("XRPT RPT_A RPT* (RPT) RPT,1\n"), "XRPT RPT_A 42* (42) 42,1\n");
    EXPECT_EQ(Substitute("say \"RPT\" ; RPT\n"), "say \"42\" ; 42\n");
    EXPECT_EQ(Substitute("\xe4RPT\xe4\n"),
              "\xe4"
              "42\xe4\n");
}

TEST_F(SymbolTableTest, OccurrenceInsideAnIdentifierStays) {
    Define("AB", "123456789");
    EXPECT_EQ(Substitute("xAB AB\n"), "xAB 123456789\n");
}

TEST_F(SymbolTableTest, EmptyValueRemovesTheName) {
    Define("AB", "");
    EXPECT_EQ(Substitute("AB,AB\n"), ",\n");
}

TEST_F(SymbolTableTest, MatchingIgnoresCaseAndTheFirstVariantWins) {
    Define("Timer1", "T");
    Define("TIMER1", "U");
    EXPECT_EQ(Substitute("TIMER1 timer1 Timer1\n"), "T T T\n");
}

TEST_F(SymbolTableTest, OnePassInDefinitionOrder) {
    Define("A1", "B2 A1");
    Define("B2", "7");
    EXPECT_EQ(Substitute("A1"), "7 A1");
    Define("C3", "A1");  // A1's turn has passed when C3 inserts it
    EXPECT_EQ(Substitute("C3\n"), "A1\n");
}

TEST_F(SymbolTableTest, EveryOccurrenceIsReplacedEvenWithLongValues) {
    Define("XY", "a much longer value");
    EXPECT_EQ(Substitute("XY XY,XY\n"),
              "a much longer value a much longer value,a much longer value\n");
}

TEST_F(SymbolTableTest, LengthGuardLeavesTheLineUnchanged) {
    Define("SYM", "0123456789");
    const std::string line = "SYM " + std::string(2035, 'x') + "\n";  // 2040 characters
    ASSERT_EQ(line.size(), 2040u);
    EXPECT_EQ(Substitute(line), line);
    const std::string shorter = "SYM " + std::string(2032, 'x') + "\n";  // 2037 + 10 = 2047
    EXPECT_EQ(Substitute(shorter), "0123456789 " + std::string(2032, 'x') + "\n");
}

TEST_F(SymbolTableTest, LengthGuardStopsTheSymbolPartWay) {
    Define("AB", "12345");
    // Each replacement makes the line 3 longer; the guard counts the line as it is now.
    EXPECT_EQ(Substitute("AB AB AB, xy", 17), "12345 AB AB, xy");
    EXPECT_EQ(Substitute("AB AB AB, xy", 20), "12345 12345 AB, xy");
    EXPECT_EQ(Substitute("AB AB AB, xy", 23), "12345 12345 12345, xy");
    EXPECT_EQ(Substitute("AB", 6), "AB");
}

TEST_F(SymbolTableTest, ShortRestsAndShortLines) {
    Define("AB", "Q");
    Define("CD", "");
    // The scan stops with fewer than three characters left; a whole name needs a separator
    // and at least two characters, so nothing that could still be replaced is skipped.
    EXPECT_EQ(Substitute("AB x"), "Q x");
    EXPECT_EQ(Substitute("AB,AB"), "Q,Q");
    EXPECT_EQ(Substitute("xAB,AB"), "xAB,Q");
    EXPECT_EQ(Substitute("CD CD"), " ");
    EXPECT_EQ(Substitute("CD,CD\n"), ",\n");
    EXPECT_EQ(Substitute(""), "");
    EXPECT_EQ(Substitute("A"), "A");
}

TEST_F(SymbolTableTest, LineFeedIsNotAnIdentifierCharacter) {
    Define("END", "1");
    EXPECT_EQ(Substitute("END\nEND\n"), "1\n1\n");
}

}  // namespace
}  // namespace zentrip
