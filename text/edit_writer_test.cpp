#include "text/edit_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "text/memory_text_sink.h"

namespace zentrip {
namespace {

std::string AppendTo(std::string start, std::string_view text) {
    MemoryTextSink sink;
    sink.SetText(start);
    CEditWriter().Append(sink, text);
    return sink.Text();
}

TEST(EditWriter, CarriageReturnStartsALineAndLineFeedAddsNone) {
    EXPECT_EQ(AppendTo("", "A\rB"), "A\r\nB");
    EXPECT_EQ(AppendTo("", "A\nB"), "AB");
    EXPECT_EQ(AppendTo("x", "\r\n"), "x\r\n");
}

TEST(EditWriter, BackspaceErasesBuiltTextFirstThenTheControlsLastCharacter) {
    EXPECT_EQ(AppendTo("XY", "\b"), "X");
    EXPECT_EQ(AppendTo("XY", "Z\b"), "XY");
    EXPECT_EQ(AppendTo("XY", "\b\b\bQ"), "Q");
    EXPECT_EQ(AppendTo("", "\b"), "");
    EXPECT_EQ(AppendTo("AB", "\r\b"), "AB\r");  // the LF of the new CR LF goes
}

TEST(EditWriter, InsertsAtTheEndWhateverTheSelection) {
    MemoryTextSink sink;
    sink.SetText("hello");
    sink.SetSelection(1, 3);
    CEditWriter().Append(sink, "!");
    EXPECT_EQ(sink.Text(), "hello!");
}

TEST(EditWriter, KeepsTheLast128000CharactersOnceOver128000) {
    std::string big(128001, 'a');
    big[0] = 'F';
    big[1] = 'S';
    std::string result = AppendTo(big, "end");
    EXPECT_EQ(result.size(), 128003u);
    EXPECT_EQ(result.substr(0, 1), "S");
    EXPECT_EQ(result.substr(result.size() - 3), "end");

    std::string within(127500, 'b');
    within[0] = 'F';
    result = AppendTo(within, "end");
    EXPECT_EQ(result.size(), 127503u);
    EXPECT_EQ(result[0], 'F');
}

}  // namespace
}  // namespace zentrip
