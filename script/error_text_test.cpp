#include "script/error_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zentrip {
namespace {

TEST(ErrorText, HoldsShortMessagesExactly) {
    ErrorText text;
    EXPECT_TRUE(text.empty());
    text.Format("Multiply defined symbol '%s'", "ALPHA");
    EXPECT_STREQ(text.c_str(), "Multiply defined symbol 'ALPHA'");
    text.Set("Symbol table full.");
    EXPECT_STREQ(text.c_str(), "Symbol table full.");
    text.Clear();
    EXPECT_TRUE(text.empty());
}

TEST(ErrorText, CutsLongMessagesAt255) {
    ErrorText text;
    const std::string name(300, 'N');
    text.Format("Multiply defined symbol '%s'", name.c_str());
    const std::string expected = ("Multiply defined symbol '" + name).substr(0, 255);
    EXPECT_EQ(std::string(text.c_str()), expected);

    text.Set(std::string(255, 'x'));
    EXPECT_EQ(std::string(text.c_str()), std::string(255, 'x'));
    text.Set(std::string(256, 'y') + "z");
    EXPECT_EQ(std::string(text.c_str()), std::string(255, 'y'));
}

}  // namespace
}  // namespace zentrip
