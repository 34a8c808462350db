#include "text/format_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zentrip {
namespace {

TEST(Format, FormatsAsPrintfDoes) {
    EXPECT_EQ(Format("%05d", 42), "00042");
    EXPECT_EQ(Format("[%5d] %s", 7, "line"), "[    7] line");
    EXPECT_EQ(Format("%s", ""), "");
}

TEST(Format, TakesTextOfAnyLength) {
    const std::string longText(10000, 'a');
    EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
}

}  // namespace
}  // namespace zentrip
