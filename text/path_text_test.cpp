#include "text/path_text.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(PathAsLatin1, TakesEachUtf8CharacterLatin1CanHoldAndMarksTheOthers) {
    const struct {
        std::string path;
        std::string text;
    } cases[] = {
        {"/home/u/plain.orv", "/home/u/plain.orv"},
        {"/tmp/K\xC3\xB6ln \xC3\x9F.orv", "/tmp/K\xF6ln \xDF.orv"},     // two-byte, in Latin-1
        {"/tmp/\xE2\x82\xAC\xF0\x9F\x98\x80.orv", "/tmp/??.orv"},       // euro sign, emoji
        {"/tmp/\xF6ln.orv", "/tmp/\xF6ln.orv"},                         // a Latin-1 name's byte
        {"/tmp/\xC3(\xE2\x82.orv", "/tmp/\xC3(\xE2\x82.orv"},           // broken sequences
        {"/tmp/\xC0\xAF\xED\xA0\x80", "/tmp/\xC0\xAF\xED\xA0\x80"},     // overlong, surrogate
    };
    for (const auto& c : cases) EXPECT_EQ(PathAsLatin1(c.path), c.text) << c.path;
}

}  // namespace
}  // namespace zentrip
