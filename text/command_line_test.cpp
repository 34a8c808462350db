#include "text/command_line.h"

#include <gtest/gtest.h>

namespace zentrip {
namespace {

struct Read {
    bool flag = false;
    std::string text;
    std::string number;
    CommandLine line;
};

Read ReadArgs(const std::vector<std::string>& args) {
    Read read;
    const std::vector<CommandOption> options = {
        Flag("--flag", &read.flag),
        TextOption("--text", &read.text),
        {"--number", "a number",
         [&read](const std::string& value, std::string* error) {
             if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
                 *error = "--number must be a number, not '" + value + "'";
                 return false;
             }
             read.number = value;
             return true;
         }},
    };
    read.line = ReadCommandLine(args, options);
    return read;
}

TEST(CommandLine, EachFormOfEachOption) {
    using Outcome = CommandLine::Outcome;
    struct Case {
        std::vector<std::string> args;
        Outcome outcome;
        std::string error;
        bool flag;
        std::string text;
        std::string number;
        std::vector<std::string> operands;
    };
    const Case cases[] = {
        {{}, Outcome::kRun, "", false, "", "", {}},
        {{"--text", "a b", "--number", "12"}, Outcome::kRun, "", false, "a b", "12", {}},
        {{"--text=a=b", "--number=12"}, Outcome::kRun, "", false, "a=b", "12", {}},
        {{"--text=", "--text", "--flag"}, Outcome::kRun, "", false, "--flag", "", {}},
        {{"x", "--flag", "-", "y"}, Outcome::kRun, "", true, "", "", {"x", "-", "y"}},
        {{"--flag", "--bogus", "--help"},
         Outcome::kUsageError,
         "unknown option '--bogus'",
         true,
         "",
         "",
         {}},
        {{"--bogus=1"}, Outcome::kUsageError, "unknown option '--bogus=1'", false, "", "", {}},
        {{"-x"}, Outcome::kUsageError, "unknown option '-x'", false, "", "", {}},
        {{"--num", "1"}, Outcome::kUsageError, "unknown option '--num'", false, "", "", {}},
        {{"--flag=yes"}, Outcome::kUsageError, "--flag takes no value", false, "", "", {}},
        {{"--number"}, Outcome::kUsageError, "--number needs a number", false, "", "", {}},
        {{"--text"}, Outcome::kUsageError, "--text needs a value", false, "", "", {}},
        {{"--number=1x"},
         Outcome::kUsageError,
         "--number must be a number, not '1x'",
         false,
         "",
         "",
         {}},
        {{"--number", "7", "--number", "x"},
         Outcome::kUsageError,
         "--number must be a number, not 'x'",
         false,
         "",
         "7",
         {}},
        {{"x", "-h", "--bogus"}, Outcome::kHelp, "", false, "", "", {"x"}},
        {{"--help"}, Outcome::kHelp, "", false, "", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const Read read = ReadArgs(c.args);
        EXPECT_EQ(read.line.outcome, c.outcome);
        EXPECT_EQ(read.line.error, c.error);
        EXPECT_EQ(read.flag, c.flag);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(read.number, c.number);
        EXPECT_EQ(read.line.operands, c.operands);
    }
}

TEST(CommandLine, OneFormOfUsageError) {
    EXPECT_EQ(UsageErrorText("zentrip-cli send", "FILE is missing"),
              "zentrip-cli send: FILE is missing (see zentrip-cli send --help)\n");
}

}  // namespace
}  // namespace zentrip
