// zentrip-cli expand end to end: the built program on real files, comparing the bytes on
// stdout, the text on stderr and the exit status. Also checks that docs/language.md and
// examples/ show what expand prints.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "session/programmer.h"
#include "sim/fake_serial_line.h"
#include "tests/doubles/memory_run_host.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char* const kTime = "2027-03-07 09:05:03";  // a Sunday

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ExpandCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.Ok()); }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }

    // Runs zentrip-cli expand with `args` in directory `cwd` (the temp directory by default).
    Result Expand(std::vector<std::string> args, fs::path cwd = {}) const {
        args.insert(args.begin(), {ZENTRIP_CLI, "expand"});
        const auto r = zentrip::testing::RunChild(args, {}, (cwd.empty() ? m_dir : cwd).string());
        return {r.exitCode, r.out, r.err};
    }

    const zentrip::testing::TempDir m_temp{"zentrip-expand-"};
    const fs::path m_dir{m_temp.Path()};
};

TEST_F(ExpandCliTest, PrintsTheDeliveredLinesByteForByte) {
    Write("prog.orv",
          "; site setup\r\n#define RPT 42\n#include common.txt\nRPT 10 *\n#wait 2\n"
          "#define PW 1234\n#timeset7330 PW\nno final LF");
    Write("common.txt", "#define TONE 88\nTONE RPT *\n");
    const Result r = Expand({"prog.orv", "--no-wait", "--time", kTime});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "; site setup\n#define RPT 42\n#include common.txt\n#define TONE 88\n88 42 *\n"
              "42 10 *\n#wait 2\n#define PW 1234\n"
              // virtual time moved on by the wait
              "1234 25 27 03070090505 * ;TIMESET for 7330 series controller commanded\r"
              "no final LF");
    EXPECT_EQ(r.err, "");
}

TEST_F(ExpandCliTest, EchoShowsTheResultsPaneForm) {
    Write("prog.orv", "first\n#hide\nsecret\n#SHOW\n\nx\n#timeset 1234\nA\rB\nback\b\bk\nend");
    const Result r = Expand({"--echo", "--time=2026-12-19 23:59:58", "--no-wait", "prog.orv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "[    1] first\n"
              "[    4] #SHOW\n"
              "[    5] \n"
              "[    6] x\n"
              "[    7] 1234 25 26 121962359 * ;TIMESET for 7k series controller commanded\n"
              "[    8] A\nB\n"
              "[    9] bak\n"
              "[   10] end\n");
}

TEST_F(ExpandCliTest, FailuresGoToStderrWithTheLineNumber) {
    struct Case {
        const char* program;
        std::vector<std::string> args;
        std::optional<std::string> out;  // unchecked when empty
        const char* err;
    };
    const Case cases[] = {
        {"ok\n#include missing.inc\nnever\n", {"prog.orv"}, "ok\n",
         "zentrip-cli expand: Fatal Error in Line 2 (Unable to open include file "
         "'missing.inc'.)\n"},
        {"#hide\n#define A 1\n", {"--echo", "prog.orv"}, "",
         "zentrip-cli expand: Fatal Error in Line 2 (Illegal symbol name 'A'; symbols "
         "must be\r\nat least two characters in length.)\n"},
        {"#include prog.orv\n", {"prog.orv"}, std::nullopt,
         "zentrip-cli expand: Fatal Error in Line 1 (Illegal recursion. Specified file "
         "already in scope.)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        Write("prog.orv", c.program);
        const Result r = Expand(c.args);
        EXPECT_EQ(r.status, 1);
        if (c.out) {
            EXPECT_EQ(r.out, *c.out);
        }
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(ExpandCliTest, WhereNamesTheFileAndLineOfEveryLine) {
    Write("prog.orv", "a\n#include inc.txt\n#wait\n");
    Write("inc.txt", "#define AB 1\nAB");
    const Result r = Expand({"prog.orv", "--where"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "prog.orv:1: a\nprog.orv:2: #include inc.txt\ninc.txt:1: #define AB 1\n"
              "inc.txt:2: 1\n");
    EXPECT_EQ(r.err,
              "zentrip-cli expand: Fatal Error in Line 5 (Missing time parameter on WAIT "
              "command)\nprog.orv:3: Missing time parameter on WAIT command\n");
}

TEST_F(ExpandCliTest, FileProblemsExitWithTwoAndUsageProblemsWith64) {
    fs::create_directory(m_dir / "adir");
    Write("prog.orv", "x\n");
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"missing.orv"}, 2},
        {{"adir"}, 2},
        {{}, 64},
        {{"prog.orv", "--bogus"}, 64},
        {{"prog.orv", "other.orv"}, 64},
        {{"prog.orv", "--time"}, 64},
        {{"prog.orv", "--time", "2027-02-29 10:00:00"}, 64}};
    for (const auto& [args, status] : cases) {
        const Result r = Expand(args);
        EXPECT_EQ(r.status, status) << (args.empty() ? "" : args.back());
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
    EXPECT_EQ(Expand({"missing.orv"}).err, "zentrip-cli expand: Couldn't open missing.orv\n");
    const Result help = Expand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--no-wait"), std::string::npos);
    EXPECT_NE(help.out.find("exit status"), std::string::npos);
}

TEST_F(ExpandCliTest, WaitsForRealWithoutNoWait) {
    Write("prog.orv", "#wait 1\nafter\n");
    const auto start = std::chrono::steady_clock::now();
    const Result r = Expand({"prog.orv"});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.out, "#wait 1\nafter\n");
    EXPECT_GE(elapsed, std::chrono::milliseconds(950));

    Write("prog.orv", "#wait 100000\nafter\n");
    const auto start2 = std::chrono::steady_clock::now();
    EXPECT_EQ(Expand({"prog.orv", "--no-wait"}).out, "#wait 100000\nafter\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start2, std::chrono::seconds(30));
}

// Splits a marker's argument text at blanks; double quotes group.
std::vector<std::string> SplitArgs(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (char ch : text) {
        if (ch == '"') {
            quoted = !quoted;
            any = true;
        } else if (ch == ' ' && !quoted) {
            if (any) args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += ch;
            any = true;
        }
    }
    if (any) args.push_back(current);
    return args;
}

// The window's "Preview Expansion" shows what expand --echo --no-wait prints, with the
// pane's CR LF line ends, and touches no port.
TEST_F(ExpandCliTest, ThePreviewInTheWindowShowsWhatEchoPrints) {
    const std::string program =
        "first\n#define PW 1234\n#hide\nPW 56 *\n#SHOW\n\n#wait 5\nPW 10 *\nA\rB\nba\bk\n"
        "last";
    Write("prog.orv", program);
    const Result cli = Expand({"--echo", "--no-wait", "prog.orv"});
    ASSERT_EQ(cli.status, 0) << cli.err;

    zentrip::VirtualClock clock;
    zentrip::FakeSerialLine line(clock);
    zentrip::FakeSerialOpener opener(line);
    zentrip::MemoryRunHost host(&clock);
    zentrip::CProgrammer programmer(host, clock, opener);
    host.EditorSink().SetText(program);
    programmer.PreviewExpansion();
    std::string shown = host.Results();
    std::erase(shown, '\r');
    EXPECT_EQ(shown, cli.out);
    EXPECT_EQ(host.Editor(), program);
    EXPECT_TRUE(line.OpenedPaths().empty());
    EXPECT_TRUE(clock.Sleeps().empty());

    host.EditorSink().SetText("ok\n#include missing.inc\n");
    programmer.PreviewExpansion();
    EXPECT_EQ(host.Results(),
              "[    1] ok\r\n\r\nFatal Error in Line 2 (Unable to open include file "
              "'missing.inc'.)\r\n");
}

// docs/language.md marks its examples: "<!-- file: NAME -->" before a fenced block that is a
// file, "<!-- expand: ARGS -->" before the block that expand prints for ARGS, run among those
// files, and "<!-- expand in source: ARGS -->" for a run in the top folder (examples/).
TEST_F(ExpandCliTest, GuideExamplesMatchWhatExpandPrints) {
    const fs::path source = ZENTRIP_SOURCE_DIR;
    std::istringstream guide(ReadFile(source / "docs/language.md"));
    std::string line;
    std::string marker;
    int checked = 0;
    while (std::getline(guide, line)) {
        if (line.rfind("<!-- ", 0) == 0 && line.size() > 9) {
            marker = line.substr(5, line.size() - 9);
            continue;
        }
        if (line.rfind("```", 0) != 0 || marker.empty()) continue;
        std::string block;
        while (std::getline(guide, line) && line.rfind("```", 0) != 0) block += line + "\n";
        if (marker.rfind("file: ", 0) == 0) {
            Write(marker.substr(6), block);
        } else if (marker.rfind("expand: ", 0) == 0) {
            const Result r = Expand(SplitArgs(marker.substr(8)));
            EXPECT_EQ(r.out, block) << marker;
            ++checked;
        } else if (marker.rfind("expand in source: ", 0) == 0) {
            const Result r = Expand(SplitArgs(marker.substr(18)), source);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, block) << marker;
            ++checked;
        }
        marker.clear();
    }
    EXPECT_GE(checked, 5);
}

}  // namespace
