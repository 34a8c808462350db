#include "text/escaped_text.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(EscapedText, EveryByteSurvivesBothForms) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (const QuoteEscape quote : {QuoteEscape::Bare, QuoteEscape::Escaped}) {
        const std::string text = EscapeText(all, quote);
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            EXPECT_TRUE(u >= 0x20 && u < 0x7f) << int(u);
        }
        EXPECT_EQ(UnescapeText(text, quote), all);
    }
}

TEST(EscapedText, WritesTheSameBytesAsEachFormatAlwaysHas) {
    const std::string raw = "a\"b\\c\r\n\t\x01\x7f\xff ";
    EXPECT_EQ(EscapeText(raw, QuoteEscape::Bare), "a\"b\\\\c\\r\\n\\t\\x01\\x7F\\xFF ");
    EXPECT_EQ(EscapeText(raw, QuoteEscape::Escaped), "a\\\"b\\\\c\\r\\n\\t\\x01\\x7F\\xFF ");
    EXPECT_EQ(UnescapeText("\\x4a\\x4A", QuoteEscape::Bare), "JJ");
}

TEST(EscapedText, QuotesAreReadAsEachFormatWritesThem) {
    EXPECT_EQ(UnescapeText("say \"hi\"", QuoteEscape::Bare), "say \"hi\"");
    EXPECT_FALSE(UnescapeText("say \\\"hi\\\"", QuoteEscape::Bare));
    EXPECT_EQ(UnescapeText("say \\\"hi\\\"", QuoteEscape::Escaped), "say \"hi\"");
    EXPECT_FALSE(UnescapeText("say \"hi\"", QuoteEscape::Escaped));
}

TEST(EscapedText, MalformedEscapesAreRefused) {
    for (const char* text : {"\\", "a\\", "\\q", "\\x", "\\x4", "\\x4g", "\\xg4", "\\0"}) {
        EXPECT_FALSE(UnescapeText(text, QuoteEscape::Bare)) << text;
        EXPECT_FALSE(UnescapeText(text, QuoteEscape::Escaped)) << text;
    }
    EXPECT_EQ(UnescapeText("", QuoteEscape::Escaped), "");
}

}  // namespace
}  // namespace zentrip
