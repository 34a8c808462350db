// The console terminal's output for changes of the text, and its keyboard translation.
#include "terminal/console_screen.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentrip {
namespace {

CTermDisplay::Change Appended(std::string text) { return {false, 0, std::move(text)}; }
CTermDisplay::Change Removed(std::size_t n) { return {false, n, {}}; }

struct ScreenCase {
    const char* name;
    bool utf8;
    std::vector<CTermDisplay::Change> changes;
    std::string last;  // what the last change writes
};

TEST(ConsoleScreen, Output) {
    const std::vector<ScreenCase> cases = {
        {"text and a line break", true, {Appended("a\nb")}, "a\r\nb"},
        {"erase on the line", true, {Appended("abc"), Removed(1)}, "\r\x1b[2C\x1b[J"},
        {"erase the whole line", true, {Appended("x\nab"), Removed(2)}, "\r\x1b[J"},
        {"erase back over a line break",
         true,
         {Appended("ab\ncd"), Removed(3)},
         "\x1b[1A\r\x1b[2C\x1b[J"},
        {"control and C1 codes stay inert", true, {Appended("\x07\x9b\x1b")}, "^G<9B>^["},
        {"Latin-1 on a UTF-8 console", true, {Appended("\xe9")}, "\xc3\xa9"},
        {"Latin-1 on an 8-bit console", false, {Appended("\xe9")}, "\xe9"},
        {"widths count after erasing",
         true,
         {Appended("\x07\x9b\xe9z"), Removed(1)},
         "\r\x1b[7C\x1b[J"},
        {"tab to the next stop", true, {Appended("ab\tc")}, "ab      c"},
        {"a tab's width when erasing", true, {Appended("ab\tcd"), Removed(1)}, "\r\x1b[9C\x1b[J"},
        {"appending after text already shown", true, {Appended("abc"), Appended("\td")}, "     d"},
        {"nothing left to erase", true, {Removed(2)}, ""},
    };
    for (const ScreenCase& c : cases) {
        ConsoleScreen screen(c.utf8);
        std::string last;
        for (const auto& change : c.changes) last = screen.Render(change);
        EXPECT_EQ(last, c.last) << c.name;
    }
}

TEST(ConsoleScreen, ErasingStopsAtAFreshStart) {
    ConsoleScreen screen(true);
    screen.Render(Appended("ab"));
    screen.StartAfresh();
    EXPECT_EQ(screen.Render({false, 3, "c"}), "c") << "the message between is never erased";
}

TEST(ConsoleKeys, SendAsTheWindowSends) {
    ConsoleKeys utf8(true, 0x7F);
    EXPECT_EQ(utf8.Translate("ab\x7f\r\x1b\x03"), "ab\b\r\x1b\x03");
    EXPECT_EQ(utf8.Translate("\xc3"), "") << "the rest of the character is still to come";
    EXPECT_EQ(utf8.Translate("\xa9x"), "\xe9x");
    EXPECT_EQ(utf8.Translate("\xc2\xa0\xe2\x82\xac\xf0\x9f\x98\x80."), "\xa0.")
        << "only Latin-1 characters are sent";
    EXPECT_EQ(utf8.Translate("\xc1\x81\xa9"), "") << "overlong and stray bytes are dropped";

    ConsoleKeys eightBit(false, 0x08);
    EXPECT_EQ(eightBit.Translate("\xe9\x08\x7f"), "\xe9\b\x7f");
}

}  // namespace
}  // namespace zentrip
