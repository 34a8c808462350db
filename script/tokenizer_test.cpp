#include "script/tokenizer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/temp_file.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

// Every token of the line, in order, as GetToken delivers them.
std::vector<std::string> Tokens(const std::string& line) {
    CTokenizer tokenizer;
    std::vector<std::string> tokens;
    char out[CTokenizer::kTokenSize];
    for (int i = 0; tokenizer.GetToken(line.c_str(), out, i) != -1; ++i) tokens.emplace_back(out);
    EXPECT_STREQ(out, "") << "no token leaves out empty";
    return tokens;
}

using Strings = std::vector<std::string>;

TEST(GetToken, SplitsLikeTheExamples) {
    EXPECT_EQ(Tokens("define RPT 42"), (Strings{"define", "RPT", "42"}));
    EXPECT_EQ(Tokens("a,b"), (Strings{"a", "b"}));
    EXPECT_EQ(Tokens("a ,b"), (Strings{"a", "b"}));
    EXPECT_EQ(Tokens("a, b"), (Strings{"a", "", "b"}));
    EXPECT_EQ(Tokens("a,,b"), (Strings{"a", "", "b"}));
    EXPECT_EQ(Tokens("say 'a b' z"), (Strings{"say", "a b", "z"}));
    EXPECT_EQ(Tokens("x \"\" y"), (Strings{"x", "", "y"}));
    EXPECT_EQ(Tokens("ab\"c d"), (Strings{"ab\"c", "d"}));
}

TEST(GetToken, EmptyAndBlankLinesHaveNoToken) {
    EXPECT_EQ(Tokens(""), Strings{});
    EXPECT_EQ(Tokens("   \t \r\n"), Strings{});
}

TEST(GetToken, CommaAtTheEndGivesNoFurtherToken) {
    EXPECT_EQ(Tokens("a,"), (Strings{"a"}));
    EXPECT_EQ(Tokens("a, "), (Strings{"a", ""}));
    EXPECT_EQ(Tokens("a,\n"), (Strings{"a", ""}));
    EXPECT_EQ(Tokens(",a"), (Strings{"a"}));
    EXPECT_EQ(Tokens(",,a"), (Strings{"", "a"}));
}

TEST(GetToken, QuotedTokens) {
    EXPECT_EQ(Tokens("'a, b' \"c 'd\" e"), (Strings{"a, b", "c 'd", "e"}));
    EXPECT_EQ(Tokens("''x"), (Strings{"", "x"}));
    EXPECT_EQ(Tokens("say \"open end, here\n"), (Strings{"say", "open end, here\n"}));
    EXPECT_EQ(Tokens("'a'b"), (Strings{"a", "b"}));
}

TEST(GetToken, HighBytesAndControlCharactersSplitTokens) {
    EXPECT_EQ(Tokens("a\x80"
                     "b\xff"
                     "c\x01"
                     "d\x7f"
                     "e"),
              (Strings{"a", "b", "c",
                       "d\x7f"
                       "e"}));
}

TEST(GetToken, ReturnsWhereTheScanStopped) {
    CTokenizer tokenizer;
    char out[CTokenizer::kTokenSize];
    EXPECT_EQ(tokenizer.GetToken("ab cd", out, 0), 2);
    EXPECT_EQ(tokenizer.GetToken("ab cd", out, 1), 5);
    EXPECT_EQ(tokenizer.GetToken("x 'a b' y", out, 1), 6);  // the closing quote
    EXPECT_EQ(tokenizer.GetToken("x 'a b", out, 1), 6);     // end of line
    EXPECT_EQ(tokenizer.GetToken("a, b", out, 1), 2);       // empty token: p does not move
    EXPECT_EQ(tokenizer.GetToken("a b", out, 5), -1);
}

TEST(GetToken, CutsLongTokensAt255WithoutOverrun) {
    CTokenizer tokenizer;
    const std::string longToken(300, 'x');
    const std::string line = "a " + longToken + " b";
    std::vector<char> out(CTokenizer::kTokenSize + 16, '#');
    EXPECT_EQ(tokenizer.GetToken(line.c_str(), out.data(), 1), 302);
    EXPECT_EQ(std::string(out.data()), std::string(255, 'x'));
    EXPECT_EQ(out[CTokenizer::kTokenSize], '#');
    EXPECT_EQ(tokenizer.GetToken(line.c_str(), out.data(), 2), 304);
    EXPECT_STREQ(out.data(), "b");

    const std::string quoted = "'" + longToken + "'";
    EXPECT_EQ(tokenizer.GetToken(quoted.c_str(), out.data(), 0), 301);
    EXPECT_EQ(std::string(out.data()).size(), 255u);
}

TEST(CharacterClasses, DelimitersAndIdentifierCharacters) {
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        const bool delimiter = code <= 32 || code >= 0x80 || ch == ',';
        const bool identifier = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') ||
                                (code >= '0' && code <= '9') || ch == '_';
        EXPECT_EQ(CTokenizer::IsDelimiter(ch), delimiter) << code;
        EXPECT_EQ(CTokenizer::IsIdentifierChar(ch), identifier) << code;
    }
}

TEST(FindNoCase, FindsFromStartIgnoringAsciiCase) {
    CTokenizer tokenizer;
    EXPECT_EQ(tokenizer.FindNoCase("ab", "XABY", 0), 2);
    EXPECT_EQ(tokenizer.FindNoCase("ab", "XABY", 1), 2);
    EXPECT_EQ(tokenizer.FindNoCase("ab", "XABY", 2), 0);
    EXPECT_EQ(tokenizer.FindNoCase("aB", "abxAb", 1), 4);
    EXPECT_EQ(tokenizer.FindNoCase("ab", "xab", 1), 2);  // the last index where it fits
    EXPECT_EQ(tokenizer.FindNoCase("ab", "xab", 2), 0);  // past it
    EXPECT_EQ(tokenizer.FindNoCase("ab", "a", 0), 0);
    EXPECT_EQ(tokenizer.FindNoCase("\xe4", "x\xc4\xe4", 0), 3);  // no folding above ASCII
    EXPECT_EQ(tokenizer.FindNoCase("[", "{", 0), 0);             // '[' is not a folded '{'
    EXPECT_EQ(tokenizer.FindNoCase("ab", "ab", -5), 1);
}

TEST(ReplaceAt, ReplacesTheSpanInPlace) {
    CTokenizer tokenizer;
    char line[32] = "abcdXYef";
    tokenizer.ReplaceAt(line, 4, 2, "1234");
    EXPECT_STREQ(line, "abcd1234ef");
    tokenizer.ReplaceAt(line, 0, 4, "");
    EXPECT_STREQ(line, "1234ef");
    tokenizer.ReplaceAt(line, 6, 0, "!");
    EXPECT_STREQ(line, "1234ef!");
    tokenizer.ReplaceAt(line, 5, 10, "Z");  // span cut at the line's end
    EXPECT_STREQ(line, "1234eZ");
}

// A file with the given bytes for one test; deleted when the test leaves.
class ProgramFile {
public:
    explicit ProgramFile(const std::string& content) { EXPECT_TRUE(m_file.Create(content)); }
    const char* path() const { return m_file.Path().c_str(); }

private:
    TempFile m_file;
};

SearchKey Key(const char* text, SearchKey* next = nullptr) {
    SearchKey key;
    std::snprintf(key.key, sizeof key.key, "%s", text);
    key.next = next;
    return key;
}

TEST(FindLineInFile, FindsTheFirstLineHoldingEveryKey) {
    ProgramFile file("define x 1\n#SESSION 555 1234\n; comment\n#session again\n#direct\n");
    CTokenizer tokenizer;
    SearchKey session = Key("#session");
    char copy[CTokenizer::kFileLineSize] = {};
    EXPECT_EQ(tokenizer.FindLineInFile(&session, file.path(), copy, 0), 2);
    EXPECT_STREQ(copy, "#SESSION 555 1234\n");
    EXPECT_EQ(tokenizer.FindLineInFile(&session, file.path(), nullptr, 3), 4);
    EXPECT_EQ(tokenizer.FindLineInFile(&session, file.path(), nullptr, 5), 0);
    EXPECT_EQ(tokenizer.FindLineInFile(&session, file.path(), nullptr, 99), 0);

    SearchKey again = Key("AGAIN");
    SearchKey both = Key("#session", &again);
    EXPECT_EQ(tokenizer.FindLineInFile(&both, file.path(), nullptr, 1), 4);
    SearchKey missing = Key("absent", &session);
    EXPECT_EQ(tokenizer.FindLineInFile(&missing, file.path(), nullptr, 1), 0);
}

TEST(FindLineInFile, ReadsLongLinesInPiecesOf509) {
    // Line 1 is 1100 characters: pieces of 509, 509, then 82 and the line feed.
    std::string first(1100, 'a');
    first.replace(600, 5, "#key1");
    ProgramFile file(first + "\n#key2\n");
    CTokenizer tokenizer;
    SearchKey key1 = Key("#key1");
    SearchKey key2 = Key("#KEY2");
    char copy[CTokenizer::kFileLineSize] = {};
    EXPECT_EQ(tokenizer.FindLineInFile(&key1, file.path(), copy, 0), 2);
    EXPECT_EQ(std::string(copy), first.substr(509, 509));
    EXPECT_EQ(tokenizer.FindLineInFile(&key2, file.path(), copy, 0), 4);
    EXPECT_STREQ(copy, "#key2\n");

    // A key that straddles two pieces is not found.
    std::string split(600, 'b');
    split.replace(506, 6, "#split");
    ProgramFile straddle(split + "\n");
    SearchKey splitKey = Key("#split");
    EXPECT_EQ(tokenizer.FindLineInFile(&splitKey, straddle.path(), nullptr, 0), 0);
}

// The file is read as text: 508 characters and CR LF make one piece of 509, so #session is
// line 2; a last line without a line feed is found too.
TEST(FindLineInFile, FindsTheLineAsTextAndCopiesIt) {
    struct Case {
        std::string text;
        const char* key;
        int flag;
        const char* copy;
    };
    const Case cases[] = {{std::string(508, 'x') + "\r\n#Session 555\r\n", "#session", 0,
                           "#Session 555\n"},
                          {"one\r\n#direct", "#Direct", 2, "#direct"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ProgramFile file(c.text);
        CTokenizer tokenizer;
        SearchKey key = Key(c.key);
        char copy[CTokenizer::kFileLineSize] = {};
        EXPECT_EQ(tokenizer.FindLineInFile(&key, file.path(), copy, c.flag), 2);
        EXPECT_STREQ(copy, c.copy);
    }
}

TEST(FindLineInFile, UnreadablePathsGiveMinusOne) {
    CTokenizer tokenizer;
    SearchKey key = Key("#session");
    EXPECT_EQ(tokenizer.FindLineInFile(&key, "", nullptr, 0), -1);
    EXPECT_EQ(tokenizer.FindLineInFile(&key, nullptr, nullptr, 0), -1);
    EXPECT_EQ(tokenizer.FindLineInFile(&key, "/nonexistent/zentrip/file.orv", nullptr, 0), -1);
    EXPECT_EQ(tokenizer.FindLineInFile(&key, "/tmp", nullptr, 0), -1);
    // A FIFO without a writer is refused at once instead of blocking the run's file scan.
    testing::TempDir dir;
    ASSERT_TRUE(dir.Ok());
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(tokenizer.FindLineInFile(&key, fifo.c_str(), nullptr, 0), -1);
    ProgramFile empty("");
    EXPECT_EQ(tokenizer.FindLineInFile(&key, empty.path(), nullptr, 0), 0);
}

TEST(FormatDigits, LastDigitsWithLeadingZeros) {
    CTokenizer tokenizer;
    EXPECT_STREQ(tokenizer.FormatDigits(2026, 2), "26");
    EXPECT_STREQ(tokenizer.FormatDigits(123, 2), "23");
    EXPECT_STREQ(tokenizer.FormatDigits(7, 2), "07");
    EXPECT_STREQ(tokenizer.FormatDigits(5, 1), "5");
    EXPECT_STREQ(tokenizer.FormatDigits(-5, 2), "05");
    EXPECT_STREQ(tokenizer.FormatDigits(-5, 3), "005");
    EXPECT_STREQ(tokenizer.FormatDigits(42, 9), "000000042");
    EXPECT_STREQ(tokenizer.FormatDigits(42, 10), "0");
    EXPECT_STREQ(tokenizer.FormatDigits(42, 0), "");
    EXPECT_STREQ(tokenizer.FormatDigits(42, -3), "");
    EXPECT_STREQ(tokenizer.FormatDigits(-2147483647 - 1, 9), "147483648");
    EXPECT_STREQ(tokenizer.FormatDigits(1234567890, 9), "234567890");
}

}  // namespace
}  // namespace zentrip
