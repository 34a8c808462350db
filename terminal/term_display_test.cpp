// The terminal's display rules as a table of received chunks and echoed keys, and the views'
// changes checked against the text over long random traffic.
#include "terminal/term_display.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zentrip {
namespace {

// One step: bytes received as one chunk, or characters typed with local echo on.
struct Step {
    enum Kind { kReceived, kEchoed } kind;
    std::string bytes;
};

Step Rx(std::string bytes) { return {Step::kReceived, std::move(bytes)}; }
Step Echo(std::string bytes) { return {Step::kEchoed, std::move(bytes)}; }

void Feed(CTermDisplay& display, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        if (step.kind == Step::kReceived) {
            display.ShowReceived(step.bytes);
        } else {
            for (const char c : step.bytes) display.Echo(c);
        }
    }
}

// Letters only, so the cut's arithmetic is not blurred by line breaks.
std::string Letters(std::size_t n) {
    std::string text(n, 'a');
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 26);
    return text;
}

std::string LastKept(const std::string& text) {
    return text.substr(text.size() - CTermDisplay::kKeep);
}

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string text;
};

TEST(TermDisplay, Rules) {
    using namespace std::string_literals;
    const std::string full = Letters(CTermDisplay::kCutAbove + 1);
    const std::string atLimit = Letters(CTermDisplay::kCutAbove);
    const std::vector<Case> cases = {
        {"CR LF ends the line", {Rx("AB\r\nC")}, "AB\r\nC"},
        {"CR alone ends the line too", {Rx("one\rtwo\r")}, "one\r\ntwo\r\n"},
        {"CR LF split across two chunks", {Rx("A\r"), Rx("\nB")}, "A\r\nB"},
        {"LF alone is dropped", {Rx("A\nB")}, "AB"},
        {"backspace takes back pending text", {Rx("ABC\b")}, "AB"},
        {"backspace with nothing pending deletes what is shown", {Rx("XY"), Rx("\b")}, "X"},
        {"backspace deletes the LF of a line break", {Rx("AB\r\n"), Rx("\b")}, "AB\r"},
        {"backspaces run out of pending text into the shown", {Rx("XY"), Rx("a\b\b")}, "X"},
        {"backspace on an empty terminal", {Rx("\b\bA")}, "A"},
        {"a zero byte ends the chunk", {Rx("AB\0CD"s), Rx("E")}, "ABE"},
        {"backspace after CR leaves the CR", {Rx("A\r\b"), Rx("B")}, "A\rB"},
        {"bytes above 127 pass unchanged", {Rx("\xB0\xFF")}, "\xB0\xFF"},
        {"echo: backspace, CR, LF", {Echo("ab\b"), Echo("x\n\ry")}, "ax\r\ny"},
        {"echo: backspace deletes across a line break", {Rx("A\r"), Echo("\b")}, "A\r"},
        {"echo: a zero shows nothing", {Echo("a"s + '\0' + "b")}, "ab"},
        {"more than the limit is cut before the chunk", {Rx(full), Rx("z")}, LastKept(full) + "z"},
        {"exactly the limit is not cut", {Rx(atLimit), Rx("z")}, atLimit + "z"},
        {"a chunk that adds nothing still cuts", {Rx(full), Rx("\0z"s)}, LastKept(full)},
        {"backspaces come before the cut", {Rx(full + "q"), Rx("\b")}, LastKept(full)},
        {"echo cuts too", {Rx(full), Echo("\r")}, LastKept(full) + "\r\n"},
        {"echoed backspace does not cut", {Rx(full), Echo("\b")}, full.substr(0, full.size() - 1)},
    };
    for (const Case& c : cases) {
        CTermDisplay display;
        Feed(display, c.steps);
        EXPECT_EQ(display.Text(), c.text) << c.name;
    }
}

// Both kinds of view, fed only the changes, must show what the text says: one that redraws
// on a reset exactly, a console that never takes back its screen at least at its end.
TEST(TermDisplay, ChangesKeepViewsInStep) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> length(0, 1022);
    std::uniform_int_distribution<int> coin(0, 3);
    // Mostly text, with line ends, backspaces, Latin-1 and (in some chunks) zero bytes.
    const auto byte = [&](bool zeros) {
        const int p = percent(random);
        if (p < 70) return static_cast<char>('a' + p % 26);
        if (p < 80) return '\r';
        if (p < 87) return '\n';
        if (p < 96) return '\b';
        if (p < 99 || !zeros) return '\xE9';
        return '\0';
    };
    CTermDisplay display;
    std::string window;
    std::string console;
    int resets = 0;
    for (int step = 0; step < 1500; ++step) {
        if (coin(random) == 0) {
            for (int i = length(random) % 8; i >= 0; --i) display.Echo(byte(true));
        } else {
            std::string chunk(static_cast<std::size_t>(length(random)), ' ');
            const bool zeros = coin(random) == 0;
            for (char& c : chunk) c = byte(zeros);
            display.ShowReceived(chunk);
        }
        if (coin(random) == 0) continue;  // let changes pile up now and then
        const CTermDisplay::Change change = display.TakeChange();
        ASSERT_LE(change.removed, console.size());
        console.resize(console.size() - change.removed);
        console += change.appended;
        if (change.reset) {
            window = display.DisplayText();
            ++resets;
        } else {
            ASSERT_LE(change.removed, window.size());
            window.resize(window.size() - change.removed);
            window += change.appended;
        }
        ASSERT_EQ(window, display.DisplayText()) << "step " << step;
        const std::string shown = display.DisplayText();
        ASSERT_GE(console.size(), shown.size());
        ASSERT_EQ(console.substr(console.size() - shown.size()), shown) << "step " << step;
    }
    EXPECT_GT(resets, 5) << "the traffic must reach the cut several times";
}

}  // namespace
}  // namespace zentrip
