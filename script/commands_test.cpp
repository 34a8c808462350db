#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/preprocessor.h"

namespace zentrip {
namespace {

// Commands run through ProcessLine as ReadLine runs them: substitution first, then the command.
class CommandTest : public ::testing::Test {
protected:
    // The processed line, or "FAILED: <error text>".
    std::string Process(const std::string& line, int n = 2047) {
        std::vector<char> in(static_cast<std::size_t>(n) + 1, '\0');
        std::vector<char> out(static_cast<std::size_t>(n) + 1, '\0');
        std::memcpy(in.data(), line.data(), std::min(line.size(), static_cast<std::size_t>(n)));
        if (!m_pp.ProcessLine(out.data(), in.data(), n)) {
            return std::string("FAILED: ") + m_pp.ErrorText();
        }
        return out.data();
    }

    VirtualClock m_clock{*ParseLocalTime("2027-03-07 09:05:03")};
    CPreprocessor m_pp{m_clock};
};

TEST_F(CommandTest, WaitSleepsThroughTheClock) {
    EXPECT_EQ(Process("#WAIT 2\n"), "#WAIT 2\n");
    EXPECT_EQ(Process("#wait 'x7'\n"), "#wait 'x7'\n");  // no leading digits: no wait
    EXPECT_EQ(Process("#wait ' +3s'\n"), "#wait ' +3s'\n");
    EXPECT_EQ(Process("# wait,4\n"), "# wait,4\n");
    EXPECT_EQ(Process("#wait 0\n"), "#wait 0\n");
    EXPECT_EQ(Process("#wait -5\n"), "#wait -5\n");  // negative: no wait
    EXPECT_EQ(Process("#define PAUSE 6\n"), "#define PAUSE 6\n");
    EXPECT_EQ(Process("#wait PAUSE\n"), "#wait 6\n");
    EXPECT_EQ(m_clock.Sleeps(), (std::vector<std::uint32_t>{2000, 3000, 4000, 6000}));
    EXPECT_EQ(Process("#wait\n"), "FAILED: Missing time parameter on WAIT command");
}

TEST_F(CommandTest, OversizedWaitWaitsTheLongest32BitTime) {
    EXPECT_EQ(Process("#wait 4294967\n"), "#wait 4294967\n");
    EXPECT_EQ(Process("#wait 4294968\n"), "#wait 4294968\n");
    EXPECT_EQ(Process("#wait 99999999999999999999999999\n"), "#wait 99999999999999999999999999\n");
    EXPECT_EQ(Process("#wait -99999999999999999999999999\n"),
              "#wait -99999999999999999999999999\n");
    EXPECT_EQ(m_clock.Sleeps(),
              (std::vector<std::uint32_t>{4294967000u, 4294967295u, 4294967295u}));
}

TEST_F(CommandTest, AnInterruptedRunDoesNotWait) {
    std::atomic<bool> interrupt{true};
    m_pp.SetWaitInterrupt(&interrupt);
    EXPECT_EQ(Process("#wait 30\n"), "#wait 30\n");
    EXPECT_TRUE(m_clock.Sleeps().empty());
}

TEST_F(CommandTest, DefineTakesTwoTokensAfterTheHash) {
    EXPECT_EQ(Process("#define\n"), "FAILED: Missing parameter 1 on DEFINE command");
    EXPECT_EQ(Process("#define AA\n"), "FAILED: Missing parameter 2 on DEFINE command");
    EXPECT_EQ(Process("# DEFINE AA 5 extra\n"), "# DEFINE AA 5 extra\n");
    EXPECT_EQ(Process("#define BB AA\n"), "#define BB AA\n");  // not substituted
    EXPECT_EQ(Process("BB extra\n"), "AA extra\n");  // AA's turn was over when BB inserted it
    EXPECT_EQ(Process("#define AA 6\n"), "FAILED: Multiply defined symbol 'AA'");
    EXPECT_EQ(Process("#define EMPTY ''\n"), "#define EMPTY ''\n");
    EXPECT_EQ(Process("EMPTY,EMPTY\n"), ",\n");
}

TEST_F(CommandTest, DefineOrderDecidesNestedValues) {
    EXPECT_EQ(Process("#define BB AA\n"), "#define BB AA\n");
    EXPECT_EQ(Process("#define AA 5\n"), "#define AA 5\n");
    EXPECT_EQ(Process("BB\n"), "5\n");
}

TEST_F(CommandTest, HideAndShowSetTheScopeFlag) {
    EXPECT_FALSE(m_pp.IsHidden());
    EXPECT_EQ(Process("#Hide\n"), "#Hide\n");
    EXPECT_TRUE(m_pp.IsHidden());
    EXPECT_EQ(Process("#hidden\n"), "#hidden\n");  // not a command word: no effect
    EXPECT_TRUE(m_pp.IsHidden());
    EXPECT_EQ(Process("#show\n"), "#show\n");
    EXPECT_FALSE(m_pp.IsHidden());
}

TEST_F(CommandTest, TimeSetLinesOnASundayMorning) {
    EXPECT_EQ(Process("#timeset 1234\n"),
              "1234 25 27 030700905 * ;TIMESET for 7k series controller commanded\r");
    EXPECT_EQ(Process("#TIMESET7330 1234 ignored\n"),
              "1234 25 27 03070090503 * ;TIMESET for 7330 series controller commanded\r");
    EXPECT_EQ(Process("#define PW 9876\n"), "#define PW 9876\n");
    EXPECT_EQ(Process("#timeset7330 PW\n"),
              "9876 25 27 03070090503 * ;TIMESET for 7330 series controller commanded\r");
    // The password is token 1 of the whole line: with a blank after the '#', that is the word.
    EXPECT_EQ(Process("# timeset 1234\n"),
              "timeset 25 27 030700905 * ;TIMESET for 7k series controller commanded\r");
    EXPECT_EQ(Process("#timeset\n"), "FAILED: Missing password parameter on TIMESET command");
    EXPECT_EQ(Process("#timeset7330\n"), "FAILED: Missing password parameter on TIMESET command");
}

TEST_F(CommandTest, TimeSetLinesOnASaturdayNightAndAfterAWait) {
    VirtualClock clock(*ParseLocalTime("2026-12-19 23:59:58"));
    CPreprocessor pp(clock);
    char in[2048] = "#timeset 1\n";
    char out[2048];
    ASSERT_TRUE(pp.ProcessLine(out, in, 2047));
    EXPECT_STREQ(out, "1 25 26 121962359 * ;TIMESET for 7k series controller commanded\r");
    std::strcpy(in, "#timeset7330 1\n");
    ASSERT_TRUE(pp.ProcessLine(out, in, 2047));
    EXPECT_STREQ(out, "1 25 26 12196235958 * ;TIMESET for 7330 series controller commanded\r");
    std::strcpy(in, "#wait 3\n");  // virtual time moves on into Sunday
    ASSERT_TRUE(pp.ProcessLine(out, in, 2047));
    std::strcpy(in, "#timeset7330 1\n");
    ASSERT_TRUE(pp.ProcessLine(out, in, 2047));
    EXPECT_STREQ(out, "1 25 26 12200000001 * ;TIMESET for 7330 series controller commanded\r");
}

TEST_F(CommandTest, TimeSetLineIsCutToTheLineRoom) {
    EXPECT_EQ(Process("#timeset 1234\n", 20), "1234 25 27 030700905");
}

TEST_F(CommandTest, OtherWordsSucceedUnchanged) {
    EXPECT_EQ(Process("#session 5551234 1234\n"), "#session 5551234 1234\n");
    EXPECT_EQ(Process("#direct\n"), "#direct\n");
    EXPECT_EQ(Process("#\n"), "#\n");
    EXPECT_EQ(Process("#waiting 5\n"), "#waiting 5\n");
    char empty[4] = "";
    EXPECT_TRUE(m_pp.ExecuteCommand(empty));
    EXPECT_TRUE(m_clock.Sleeps().empty());
}

}  // namespace
}  // namespace zentrip
