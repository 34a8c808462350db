#include "app/worker/results_source.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

TEST(ResultsSourceTest, RunLineOfResultsLine) {
    const struct {
        const char* line;
        std::optional<int> run;
    } kCases[] = {
        {"[    7] 1234 12 001 *", 7},
        {"[12345] 1234", 12345},
        {"[123456] long runs widen the field", 123456},
        {"[   42]", 42},
        {"Error in Line 57 (Controller Reported Error) ", 57},
        {"Fatal Error in Line 3 (Can't open include file: a.inc);", 3},
        {"Fatal Error in Line 9", 9},
        {"[      7] too many blanks", std::nullopt},
        {"[    x] 1234", std::nullopt},
        {"[    7 1234", std::nullopt},
        {"Error in Line x (no number)", std::nullopt},
        {"Error in Line 12a", std::nullopt},
        {" [    7] indented", std::nullopt},
        {"Beginning programming from a.orv", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : kCases) EXPECT_EQ(RunLineOfResultsLine(c.line), c.run) << c.line;
}

TEST(ResultsSourceTest, ProgramLinesInTheEditor) {
    // A status line at the top ends at a lone CR; the user's lines end at CR LF.
    const std::string status = "Modem ready.\r";
    const std::string text = status + "one\r\ntwo\r\n\r\nfour";
    const std::vector<StatusMarks::Range> marks = {{0, status.size()}};
    EXPECT_EQ(ProgramLineStarts(text, marks), (std::vector<int>{1, 2, 3, 4}));
    // A selection from inside "two" on.
    EXPECT_EQ(ProgramLineStarts(text, marks, text.find("wo")), (std::vector<int>{2, 3, 4}));
    // A status line between the user's lines is no program line.
    const std::string between = "a\r\nNotice.\rb\r\n";
    EXPECT_EQ(ProgramLineStarts(between, {{3, 11}}), (std::vector<int>{0, 2}));
    EXPECT_EQ(ProgramLineAt({1, 2, 4}, 4), 3);
    EXPECT_EQ(ProgramLineAt({1, 2, 4}, 3), 0);
    EXPECT_EQ(ProgramLineAt({1, 2, 4}, 0), 0);
}

}  // namespace
}  // namespace zentrip
