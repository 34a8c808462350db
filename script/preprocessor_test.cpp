#include "script/preprocessor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "script/program_analysis.h"
#include "script/sent_text.h"
#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a run of a program file with the text `text` sends, line after line, and how it ends.
// With `upTo`, the run
// reads on after failures, as a check does, and ends once past that line of the file.
struct Sending {
    std::string sent;
    int end = 0;
    std::string error;
    bool operator==(const Sending&) const = default;
};

Sending RunSends(const fs::path& path, std::string_view text, int upTo = 0) {
    VirtualClock clock;
    CPreprocessor pp(clock);
    if (upTo > 0) pp.SetReadOnAfterFailures();
    if (!pp.OpenText(path.c_str(), text)) return {"", 1, "not opened"};
    Sending sending;
    char buf[2048];
    while (pp.IsOpen()) {
        const int result = pp.ReadLine(buf, 2047);
        if (result < 0 && upTo == 0) return {sending.sent, result, pp.ErrorText()};
        for (const char* ch = buf; result >= 0 && ClassifySentChar(*ch) != SentChar::kEnd; ++ch) {
            if (ClassifySentChar(*ch) == SentChar::kSent) sending.sent += *ch;
        }
        sending.sent += '\n';
        if (upTo > 0 && pp.LinePlace().path == path && pp.LinePlace().line > upTo) break;
    }
    return sending;
}

// The editor's analysis of a program file against what a run of it does. The first and last
// characters of a line's sent text cannot be rewritten without changing what the run sends;
// the text around it up to the comment can be blanked, and the comment rewritten, except for
// the ';' or '#' that opens it. The run's failure is the first problem found, and a run to the
// end leaves only long lines to report.
void CheckAnalysisAgainstRun(const fs::path& file) {
    SCOPED_TRACE("analysis of " + file.string());
    const std::string text = ReadAll(file);
    const ProgramAnalysis analysis = AnalyseProgram(text, file.string());
    const Sending run = RunSends(file, text);
    const auto refusal =
        std::find_if(analysis.problems.begin(), analysis.problems.end(),
                     [](const Problem& p) { return p.message.rfind("Line longer", 0) != 0; });
    if (run.end == CPreprocessor::kEndOfFile) {
        EXPECT_EQ(refusal, analysis.problems.end()) << refusal->message;
    } else if (refusal == analysis.problems.end()) {
        ADD_FAILURE() << "no problem for: " << run.error;
    } else {
        EXPECT_EQ(refusal->message, run.error);
    }

    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') lineStarts.push_back(i + 1);
    }
    // Whether rewriting [from, to) of a line (to blanks, or else to other characters) changes
    // what the run sends up to that line.
    std::map<int, Sending> unchanged;
    const auto changes = [&](int line, int from, int to, bool blanks = false) {
        if (!unchanged.contains(line)) unchanged[line] = RunSends(file, text, line);
        std::string changed = text;
        for (int column = from; column < to; ++column) {
            char& ch = changed[lineStarts[static_cast<std::size_t>(line - 1)] + column];
            ch = blanks ? ' ' : ch == 'Q' || ch == 'q' ? '7' : 'Q';
        }
        return !(RunSends(file, changed, line) == unchanged[line]);
    };
    for (int line = 1; line <= analysis.LineCount(); ++line) {
        const std::size_t start = lineStarts[static_cast<std::size_t>(line - 1)];
        int lineEnd = static_cast<int>(std::min(text.find('\n', start), text.size()) - start);
        if (lineEnd > 0 && text[start + lineEnd - 1] == '\r') --lineEnd;
        // Each piece a run reads of the line on its own.
        for (int piece = 0; piece == 0 || piece < lineEnd; piece += 2046) {
            const int pieceEnd = std::min(piece + 2046, lineEnd);
            Span sent{piece, 0, SpanKind::kSent};
            Span comment{pieceEnd, 0, SpanKind::kComment};
            for (const Span& span : analysis.SpansOfLine(line)) {
                if (span.start < piece || span.start >= pieceEnd) continue;
                if (span.kind == SpanKind::kSent) sent = span;
                if (span.kind == SpanKind::kComment) comment = span;
            }
            if (sent.length == 0 && comment.length == 0) continue;  // a '#' line sends nothing
            const int sentEnd = sent.start + sent.length;
            if (sent.length > 0) {
                EXPECT_TRUE(changes(line, sent.start, sent.start + 1)) << line;
                EXPECT_TRUE(changes(line, sentEnd - 1, sentEnd)) << line;
            }
            // Around the sent text only blanks, quotes and tabs, which the run leaves out.
            EXPECT_FALSE(changes(line, piece, sent.length > 0 ? sent.start : comment.start, true))
                << line;
            EXPECT_FALSE(changes(line, sentEnd, comment.start, true)) << line;
            if (comment.length > 0) {
                const bool opener = ClassifySentChar(text[start + comment.start]) == SentChar::kEnd;
                if (opener) {
                    EXPECT_TRUE(changes(line, comment.start, comment.start + 1)) << line;
                }
                EXPECT_FALSE(changes(line, comment.start + opener, comment.start + comment.length))
                    << line;
            }
        }
    }
}

// Include names are relative to the process's working directory, so every test runs in a
// fresh directory of its own and returns to the old one afterwards. Every file a test writes
// is analysed for the editor afterwards and checked against runs of it.
class PreprocessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temp.Ok());
        m_oldDir = fs::current_path();
        fs::current_path(m_dir);
    }
    void TearDown() override {
        fs::current_path(m_dir);
        for (std::size_t i = 0; i < m_written.size(); ++i) {
            CheckAnalysisAgainstRun(m_written[i]);
        }
        fs::current_path(m_oldDir);
    }

    void Write(const fs::path& path, const std::string& content) {
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        if (std::find(m_written.begin(), m_written.end(), path) == m_written.end()) {
            m_written.push_back(path);
        }
    }

    struct Run {
        std::vector<std::string> lines;
        int end = 0;  // the first negative result
    };

    // A fresh preprocessor's run through the file at `path`.
    Run DrainFile(const std::string& path) {
        CPreprocessor pp(m_clock);
        EXPECT_TRUE(pp.OpenFile(path.c_str()));
        return Drain(pp);
    }
    static Run Drain(CPreprocessor& pp, int n = 2047) {
        Run run;
        std::vector<char> buf(static_cast<std::size_t>(n) + 1);
        for (int calls = 0; calls < 100000; ++calls) {
            const int result = pp.ReadLine(buf.data(), n);
            if (result < 0) {
                run.end = result;
                return run;
            }
            EXPECT_EQ(static_cast<std::size_t>(result), std::strlen(buf.data()));
            EXPECT_LE(result, n);
            run.lines.emplace_back(buf.data(), static_cast<std::size_t>(result));
        }
        ADD_FAILURE() << "no end after 100000 lines";
        return run;
    }

    const testing::TempDir m_temp{"zentrip-preprocessor-"};
    const fs::path m_dir{m_temp.Path()};
    fs::path m_oldDir;
    VirtualClock m_clock;
    std::vector<fs::path> m_written;
};

TEST_F(PreprocessorTest, WorkedExampleDeliversEightCalls) {
    Write("prog.orv", "; site setup\n#define RPT 42\n#include common.txt\nRPT 10 *\n#wait 2\n");
    Write("common.txt", "#define TONE 88\nTONE RPT *\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    char buf[2048];
    const char* expected[] = {"; site setup\n", "#define RPT 42\n", "#include common.txt\n",
                              "#define TONE 88\n", "88 42 *\n", "42 10 *\n"};
    for (const char* line : expected) {
        ASSERT_EQ(pp.ReadLine(buf, 2047), static_cast<int>(std::strlen(line)));
        EXPECT_STREQ(buf, line);
    }
    EXPECT_TRUE(m_clock.Sleeps().empty());
    ASSERT_EQ(pp.ReadLine(buf, 2047), 8);
    EXPECT_STREQ(buf, "#wait 2\n");
    EXPECT_EQ(m_clock.Sleeps(), std::vector<std::uint32_t>{2000});
    EXPECT_EQ(pp.ReadLine(buf, 2047), CPreprocessor::kEndOfFile);
    EXPECT_EQ(pp.ReadLine(buf, 2047), CPreprocessor::kFailed);  // closed now
    EXPECT_STREQ(pp.ErrorText(), "");
}

TEST_F(PreprocessorTest, EveryLineKnowsWhereItWasRead) {
    Write("prog.orv",
          "a\n#include one.inc\n#hide\nb\n#SHOW\n" + std::string(3000, 'x') + "\n#include two.inc");
    Write("one.inc", "#define AB 1\n#include sub/deep.inc\nAB\n");
    Write("sub/deep.inc", "d1\r\nd2\n");
    Write("two.inc", "t\n#wait\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    const char* expected[] = {
        "prog.orv:1:0",     "prog.orv:2:0",    "one.inc:1:0",  "one.inc:2:0",  "sub/deep.inc:1:0",
        "sub/deep.inc:2:0", "one.inc:3:0",     "prog.orv:3:0", "prog.orv:4:0", "prog.orv:5:0",
        "prog.orv:6:0",     "prog.orv:6:2046", "prog.orv:7:0", "two.inc:1:0",  "two.inc:2:0"};
    char buf[2048];
    for (const char* place : expected) {
        const int result = pp.ReadLine(buf, 2047);
        const SourcePlace& at = pp.LinePlace();
        EXPECT_EQ(at.path + ":" + std::to_string(at.line) + ":" + std::to_string(at.column), place)
            << buf;
        if (result < 0) {
            EXPECT_STREQ(place, "two.inc:2:0");  // the line that failed
        }
    }
}

TEST_F(PreprocessorTest, EmptyFilesAndOpening) {
    Write("empty.orv", "");
    Write("inc.orv", "#include empty.orv\nafter\n");
    CPreprocessor pp(m_clock);
    EXPECT_FALSE(pp.OpenFile("missing.orv"));
    ASSERT_TRUE(pp.OpenFile("empty.orv"));
    EXPECT_FALSE(pp.OpenFile("inc.orv"));  // already open
    EXPECT_EQ(Drain(pp).end, CPreprocessor::kEndOfFile);

    CPreprocessor pp2(m_clock);
    ASSERT_TRUE(pp2.OpenFile("inc.orv"));
    const Run run = Drain(pp2);
    EXPECT_EQ(run.lines, (std::vector<std::string>{"#include empty.orv\n", "after\n"}));
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, IncludeFailuresReportAndCloseTheScope) {
    struct Case {
        const char* program;
        int result;
        const char* message;
        bool rootFailed;  // else the failure came from an include and the root reads on
    } cases[] = {
        {"a\n#include\nb\n", CPreprocessor::kIncludeFailed,
         "Missing filename for #include directive.", true},
        {"#INCLUDE nope.txt\n", CPreprocessor::kIncludeFailed,
         "Unable to open include file 'nope.txt'.", true},
        {"#include adir\n", CPreprocessor::kIncludeFailed, "Unable to open include file 'adir'.",
         true},
        {"  #Include \"with blank.txt\"\n", CPreprocessor::kIncludeFailed,
         "Unable to open include file 'with blank.txt'.", true},
        {"#include sub/PROG.ORV\n", CPreprocessor::kRecursion,
         "Illegal recursion. Specified file already in scope.", true},
        {"#include self.inc\n", CPreprocessor::kRecursion,
         "Illegal recursion. Specified file already in scope.", false},
        {"#include noname.inc\n", CPreprocessor::kIncludeFailed,
         "Missing filename for #include directive.", false},
    };
    fs::create_directory("adir");
    Write("sub/PROG.ORV", "x\n");
    Write("self.inc", "#include ./self.inc\n");
    Write("noname.inc", "ok\n#include\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        Write("prog.orv", c.program);
        CPreprocessor pp(m_clock);
        ASSERT_TRUE(pp.OpenFile("prog.orv"));
        const Run run = Drain(pp);
        EXPECT_EQ(run.end, c.result);
        EXPECT_STREQ(pp.ErrorText(), c.message);
        char buf[2048];
        EXPECT_EQ(pp.ReadLine(buf, 2047),
                  c.rootFailed ? CPreprocessor::kFailed : CPreprocessor::kEndOfFile);
    }
}

TEST_F(PreprocessorTest, FailureInsideAnIncludeTravelsUpAndTheIncluderStaysOpen) {
    Write("prog.orv", "#include a.inc\nnext\n#include a.inc\n");
    Write("a.inc", "in a\n#include b.inc\n");
    Write("b.inc", "#wait\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    const Run first = Drain(pp);
    EXPECT_EQ(first.lines,
              (std::vector<std::string>{"#include a.inc\n", "in a\n", "#include b.inc\n"}));
    EXPECT_EQ(first.end, CPreprocessor::kFailed);
    EXPECT_STREQ(pp.ErrorText(), "Missing time parameter on WAIT command");
    // The program file is still open; its include names left the scope names with the
    // failed scopes, so including a.inc again is no recursion.
    const Run rest = Drain(pp);
    EXPECT_EQ(rest.lines, (std::vector<std::string>{"next\n", "#include a.inc\n", "in a\n",
                                                    "#include b.inc\n"}));
    EXPECT_EQ(rest.end, CPreprocessor::kFailed);
}

TEST_F(PreprocessorTest, SymbolsOutliveTheirIncludeFile) {
    Write("prog.orv", "#include defs.inc\nTONE RPT *\n#include use.inc\n");
    Write("defs.inc", "#define TONE 88\n");
    Write("use.inc", "#define RPT 42\n");
    const Run run = DrainFile("prog.orv");
    ASSERT_EQ(run.lines.size(), 5u);
    EXPECT_EQ(run.lines[2], "88 RPT *\n");  // RPT is not defined yet
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, LongIncludeNameIsCutInTheMessage) {
    const std::string name(300, 'n');
    Write("prog.orv", "#include " + name + "\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    EXPECT_EQ(Drain(pp).end, CPreprocessor::kIncludeFailed);
    // The name is a 255-character token; the message is cut at 255 characters.
    EXPECT_EQ(std::string(pp.ErrorText()),
              ("Unable to open include file '" + name).substr(0, 255));
}

TEST_F(PreprocessorTest, RecursionAndRepeatedIncludes) {
    Write("prog.orv", "#include part.inc\n#include part.inc\n#include loop1.inc\n");
    Write("part.inc", "p\n");
    Write("loop1.inc", "#include loop2.inc\n");
    Write("loop2.inc", "#include LOOP1.INC\n");  // case differs: still the same scope name
    Write("LOOP1.INC", "never\n");
    const Run run = DrainFile("prog.orv");
    EXPECT_EQ(run.lines,
              (std::vector<std::string>{"#include part.inc\n", "p\n", "#include part.inc\n",
                                        "p\n", "#include loop1.inc\n", "#include loop2.inc\n"}));
    EXPECT_EQ(run.end, CPreprocessor::kRecursion);
}

TEST_F(PreprocessorTest, RecursionTestUsesOnlyNameAndExtension) {
    Write("x.inc", "#include d1/x.inc\n");
    Write("d1/x.inc", "never\n");
    Write("y.inc", "#include C:y.inc\n");  // a drive before the name
    Write("C:y.inc", "never\n");
    Write("z.inc", "#include dir\\z.inc\n");  // a backslash directory
    Write("dir\\z.inc", "never\n");
    for (const char* program : {"x.inc", "y.inc", "z.inc"}) {
        SCOPED_TRACE(program);
        const Run run = DrainFile(program);
        EXPECT_EQ(run.lines.size(), 0u);
        EXPECT_EQ(run.end, CPreprocessor::kRecursion);
    }
}

TEST_F(PreprocessorTest, IncludeNamesAreRelativeToTheWorkingDirectory) {
    Write("prog.orv", "#include 'site data.inc'\n");
    Write("one/site data.inc", "first\n");
    Write("two/site data.inc", "second\n");
    const std::string program = (m_dir / "prog.orv").string();
    for (const char* dir : {"one", "two"}) {
        fs::current_path(m_dir / dir);
        const Run run = DrainFile(program);
        ASSERT_EQ(run.lines.size(), 2u);
        EXPECT_EQ(run.lines[1], std::string(dir) == "one" ? "first\n" : "second\n");
    }
    fs::current_path(m_dir);
}

TEST_F(PreprocessorTest, HideFlagsFollowTheirScope) {
    Write("prog.orv",
          "a\n#hide\nb\n#include inner.inc\nc\n#SHOW\nd\n#include inner.inc\n");
    Write("inner.inc", "i1\n#show\ni2\n#include deep.inc\ni3\n#Hide\ni4\n");
    Write("deep.inc", "x\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    std::string shown;
    char buf[2048];
    while (pp.ReadLine(buf, 2047) >= 0) {
        if (!pp.IsHidden()) shown += buf;
    }
    // Each include starts with the program file's current flag, not its includer's.
    EXPECT_EQ(shown,
              "a\n#show\ni2\ni3\n#SHOW\nd\n#include inner.inc\ni1\n#show\ni2\n"
              "#include deep.inc\nx\ni3\n");
}

TEST_F(PreprocessorTest, LineKindsDecideSubstitution) {
    Write("prog.orv",
          "#define RPT 42\n"
          ";RPT stays in a comment\n"
          "  ;RPT too\n"
          "  #define NEVER 1\n"
          "NEVER RPT\n"
          "#session RPT\n"
          "x;RPT\n"
          "#define RPT2 RPT\n"
          "RPT2\n"
          "#\n");
    const Run run = DrainFile("prog.orv");
    EXPECT_EQ(run.lines, (std::vector<std::string>{
                             "#define RPT 42\n", ";RPT stays in a comment\n", "  ;RPT too\n",
                             "  #define NEVER 1\n", "NEVER 42\n", "#session 42\n", "x;42\n",
                             "#define RPT2 RPT\n", "RPT\n", "#\n"}));
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, LineEndsPiecesAndOddBytes) {
    std::string longLine(3000, 'x');
    Write("prog.orv", "crlf\r\nlone\rcr\n" + longLine + "\nAB" + std::string(1, '\0') +
                          "CD\n\xe9\x41\x42\xff,\x80\n" + "\r\n" + "last");
    Write("defs.orv", "#define AB ok\n#include prog.orv\n");
    const Run run = DrainFile("defs.orv");
    ASSERT_EQ(run.lines.size(), 10u);
    EXPECT_EQ(run.lines[2], "crlf\n");
    EXPECT_EQ(run.lines[3], "lone\rcr\n");
    EXPECT_EQ(run.lines[4], std::string(2046, 'x'));
    EXPECT_EQ(run.lines[5], std::string(954, 'x') + "\n");
    EXPECT_EQ(run.lines[6], "ok");  // a NUL ends the line for everything after the read
    EXPECT_EQ(run.lines[7], "\xe9ok\xff,\x80\n");
    EXPECT_EQ(run.lines[8], "\n");
    EXPECT_EQ(run.lines[9], "last");
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, CrLfAcrossAPieceBoundary) {
    Write("prog.orv", "abc\r\nabcd\r\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    EXPECT_EQ(Drain(pp, 5).lines, (std::vector<std::string>{"abc\n", "abcd", "\n"}));
}

TEST_F(PreprocessorTest, ReadSizeIsGuarded) {
    Write("prog.orv", std::string(5000, 'y') + "\n");
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    char buf[8];
    EXPECT_EQ(pp.ReadLine(buf, 1), CPreprocessor::kFailed);
    EXPECT_EQ(pp.ReadLine(buf, 0), CPreprocessor::kFailed);
    const Run run = Drain(pp, 6000);  // m_line holds 4095 characters at most
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0].size(), 4094u);
    EXPECT_EQ(run.lines[1].size(), 907u);
}

TEST_F(PreprocessorTest, LongFirstTokensAreClassifiedWithoutOverrun) {
    const std::string pad(300, 'z');
    Write("prog.orv", ";" + pad + " RPT\n#include" + pad + " x\n#define" + pad +
                          " A 1\n#hide" + pad + "\n" + pad + " RPT\n#wait " + pad + "\n");
    Write("defs.orv", "#define RPT 42\n#include prog.orv\n");
    const Run run = DrainFile("defs.orv");
    ASSERT_EQ(run.lines.size(), 8u);
    EXPECT_EQ(run.lines[2], ";" + pad + " RPT\n");  // comment: not substituted
    EXPECT_EQ(run.lines[3], "#include" + pad + " x\n");
    EXPECT_EQ(run.lines[4], "#define" + pad + " A 1\n");
    EXPECT_EQ(run.lines[6], pad + " 42\n");
    EXPECT_EQ(run.lines[7], "#wait " + pad + "\n");
    EXPECT_TRUE(m_clock.Sleeps().empty());
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, IncludeChainTwoHundredDeep) {
    constexpr int kDepth = 200;
    for (int i = 0; i < kDepth; ++i) {
        Write("f" + std::to_string(i) + ".inc",
              "in " + std::to_string(i) + "\n" +
                  (i + 1 < kDepth ? "#include f" + std::to_string(i + 1) + ".inc\n" : "") +
                  "out " + std::to_string(i) + "\n");
    }
    const Run run = DrainFile("f0.inc");
    ASSERT_EQ(run.lines.size(), 3u * kDepth - 1);
    EXPECT_EQ(run.lines[2 * (kDepth - 1)], "in 199\n");
    EXPECT_EQ(run.lines.back(), "out 0\n");
    EXPECT_EQ(run.end, CPreprocessor::kEndOfFile);
}

TEST_F(PreprocessorTest, IncludeChainDeeperThanTheLimitIsRefused) {
    constexpr int kFiles = 258;  // the program file and 257 levels of include
    for (int i = 0; i < kFiles; ++i) {
        Write("f" + std::to_string(i) + ".inc",
              "in " + std::to_string(i) + "\n" +
                  (i + 1 < kFiles ? "#include f" + std::to_string(i + 1) + ".inc\n" : ""));
    }
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("f0.inc"));
    const Run run = Drain(pp);
    ASSERT_EQ(run.lines.size(), 513u) << "256 levels are read";
    EXPECT_EQ(run.lines.back(), "in 256\n");
    EXPECT_EQ(run.end, CPreprocessor::kFailed);
    EXPECT_STREQ(pp.ErrorText(), "Unable to include 'f257.inc': more than 256 nested include files.");
}

TEST_F(PreprocessorTest, NonRegularFilesAreNotOpenable) {
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    Write("prog.orv", "#include pipe\n");
    CPreprocessor pp(m_clock);
    EXPECT_FALSE(pp.OpenFile("."));
    EXPECT_FALSE(pp.OpenFile("pipe"));  // would block waiting for a writer otherwise
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    EXPECT_EQ(Drain(pp).end, CPreprocessor::kIncludeFailed);
    EXPECT_STREQ(pp.ErrorText(), "Unable to open include file 'pipe'.");
}

TEST_F(PreprocessorTest, ReadErrorIsAFailureNotTheEnd) {
    // /proc/self/mem is a regular file whose first page cannot be read.
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("/proc/self/mem"));
    EXPECT_EQ(Drain(pp).end, CPreprocessor::kFailed);
    EXPECT_STREQ(pp.ErrorText(), "Error reading file '/proc/self/mem'.");
}

TEST_F(PreprocessorTest, BinaryFileNeverOverruns) {
    std::mt19937 random(7);
    std::string bytes(30000, '\0');
    for (char& ch : bytes) ch = static_cast<char>(random());
    Write("blob.bin", bytes);
    for (int n : {2047, 2, 3, 17}) {
        CPreprocessor pp(m_clock);
        ASSERT_TRUE(pp.OpenFile("blob.bin"));
        EXPECT_EQ(Drain(pp, n).end, CPreprocessor::kEndOfFile);  // Drain checks every line
    }
}

TEST_F(PreprocessorTest, TenThousandAndFirstSymbolFillsTheTable) {
    std::string program;
    for (int i = 0; i <= 10000; ++i) program += "#define S" + std::to_string(i) + " " + "v\n";
    Write("prog.orv", program);
    CPreprocessor pp(m_clock);
    ASSERT_TRUE(pp.OpenFile("prog.orv"));
    const Run run = Drain(pp);
    EXPECT_EQ(run.lines.size(), 10000u);
    EXPECT_EQ(run.end, CPreprocessor::kFailed);
    EXPECT_STREQ(pp.ErrorText(), "Symbol table full.");
}

}  // namespace
}  // namespace zentrip
