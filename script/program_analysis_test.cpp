#include "script/program_analysis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

namespace fs = std::filesystem;

// Include names are relative to the working directory: each test runs in a fresh one.
class ProgramAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.Ok());
        m_oldDir = fs::current_path();
        fs::current_path(m_temp.Path());
    }
    void TearDown() override { fs::current_path(m_oldDir); }

    static void Write(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
    }

    // The spans of each line as "KIND START+LENGTH" words.
    static std::vector<std::string> Spans(const std::string& text) {
        const ProgramAnalysis analysis = AnalyseProgram(text, "prog.orv");
        std::vector<std::string> lines;
        for (int line = 1; line <= analysis.LineCount(); ++line) {
            std::string words;
            for (const Span& span : analysis.SpansOfLine(line)) {
                if (!words.empty()) words += ' ';
                words += "CDKYIS"[static_cast<int>(span.kind)];
                words += std::to_string(span.start) + "+" + std::to_string(span.length);
            }
            lines.push_back(words);
        }
        return lines;
    }

    // Each problem as "LINE:START+LENGTH MESSAGE @PATH:LINE".
    static std::vector<std::string> Problems(const std::string& text) {
        std::vector<std::string> problems;
        for (const Problem& p : AnalyseProgram(text, "prog.orv").problems) {
            problems.push_back(std::to_string(p.line) + ":" + std::to_string(p.start) + "+" +
                               std::to_string(p.length) + " " + p.message + " @" + p.place.path +
                               ":" + std::to_string(p.place.line));
        }
        return problems;
    }

    const testing::TempDir m_temp{"zentrip-analysis-"};
    fs::path m_oldDir;
};

// C comment, D directive, K command, Y symbol, I include name, S sent.
TEST_F(ProgramAnalysisTest, SpansFollowTheLineKindsAndTheSymbolsDefinedSoFar) {
    Write("defs.inc", "#define INC 5\n");
    EXPECT_EQ(
        Spans("; note RPT\n"
              "#define RPT 42\n"
              "#include defs.inc\n"
              "RPT 10 * ; x RPT\r\n"
              "#wait RPT\n"
              "#Timeset7330 INC\n"
              "#session 555 RPT\n"
              "#waiting 5\n"
              "  #wait 5\n"
              "#define SEMI ';x'\n"
              "12 SEMI 34\n"
              "#define wait 9\n"
              "#wait 3\n"
              "\"Q\" INCX\tinc"),
        (std::vector<std::string>{"C0+10", "D0+7 Y8+3", "D0+8 I9+8", "S0+8 Y0+3 C9+7", "K0+5 Y6+3",
                                  "K0+12 Y13+3", "K0+8 Y13+3", "", "C2+7", "D0+7 Y8+4",
                                  "S0+2 Y3+4 C7+3", "D0+7 Y8+4", "Y1+4", "S1+11 Y9+3"}));
}

TEST_F(ProgramAnalysisTest, ProblemsCarryThePreprocessorsTextAndTheirPlace) {
    const std::string text =
        "#include nope.inc\n"
        "#wait 100000\n"
        "#include loop.inc\n"
        "#wait\n"
        "  #include 'bad.inc'\n"
        "#define A 1\n" +
        std::string(5000, 'x') + "\n#timeset\n";
    Write("prog.orv", text);  // the editor's working file
    Write("loop.inc", "#include prog.orv\n");
    Write("bad.inc", "#define 1A 1\nok\n#timeset\n");
    EXPECT_EQ(Problems(text),
              (std::vector<std::string>{
                  "1:9+8 Unable to open include file 'nope.inc'. @prog.orv:1",
                  "3:9+8 Illegal recursion. Specified file already in scope. @loop.inc:1",
                  "4:0+5 Missing time parameter on WAIT command @prog.orv:4",
                  "5:11+9 Illegal symbol name '1A'; symbols must start with\r\nA-Z or "
                  "underscore. @bad.inc:1",
                  "5:11+9 Missing password parameter on TIMESET command @bad.inc:3",
                  "6:8+1 Illegal symbol name 'A'; symbols must be\r\nat least two characters "
                  "in length. @prog.orv:6",
                  "7:2046+2954 Line longer than 2046 characters: a run reads the rest as a line "
                  "of its own. @prog.orv:7",
                  "8:0+8 Missing password parameter on TIMESET command @prog.orv:8"}));
}

TEST_F(ProgramAnalysisTest, AFullSymbolTableIsAProblemOfEveryLaterDefine) {
    std::string text;
    for (int i = 0; i < 10002; ++i) text += "#define S" + std::to_string(i) + " v\n";
    EXPECT_EQ(Problems(text),
              (std::vector<std::string>{"10001:8+6 Symbol table full. @prog.orv:10001",
                                        "10002:8+6 Symbol table full. @prog.orv:10002"}));
}

}  // namespace
}  // namespace zentrip
