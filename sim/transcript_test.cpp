#include "sim/transcript.h"

#include <gtest/gtest.h>

#include "sim/sim_args.h"

namespace zentrip::sim {
namespace {

TEST(SimTranscript, EveryByteSurvivesFormatAndParse) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const TranscriptEntry entry{123456, Direction::Sent, all + " \\x41 trailing "};
    const std::string line = FormatTranscriptLine(entry);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    const auto parsed = ParseTranscriptLine(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->ms, 123456u);
    EXPECT_EQ(parsed->direction, Direction::Sent);
    EXPECT_EQ(parsed->bytes, entry.bytes);
    EXPECT_EQ(FormatTranscriptLine({7, Direction::Received, "AT\r"}), "7 rx AT\\r");
}

TEST(SimTranscript, MalformedLinesAreRefused) {
    for (const char* line : {"", "x rx a", "12 zz a", "12 rx \\q", "12 rx \\x4", "12 rx a\\"}) {
        EXPECT_FALSE(ParseTranscriptLine(line)) << line;
    }
    EXPECT_TRUE(ParseTranscriptLine("0 tx "));
}

TEST(SimArgsTest, OptionsAndRefusals) {
    SimArgs args;
    std::string error;
    ASSERT_TRUE(ParseSimArgs(
        {"--link", "/tmp/x", "--mode", "modem", "--complain-on", "^9", "--complaint", "ERROR 3",
         "--silent-on", "X", "--delay", "250", "--no-lf", "--transcript", "t"},
        &args, &error))
        << error;
    EXPECT_EQ(args.linkPath, "/tmp/x");
    EXPECT_EQ(args.transcriptPath, "t");
    EXPECT_EQ(args.options.mode, SimMode::Modem);
    EXPECT_EQ(args.options.controller.complainPattern, "^9");
    EXPECT_EQ(args.options.controller.complaint, "ERROR 3");
    EXPECT_EQ(args.options.controller.silentPattern, "X");
    EXPECT_EQ(args.options.controller.replyDelayMs, 250u);
    EXPECT_TRUE(args.options.controller.echoWithoutLf);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--mode", "both"}, {"--delay", "-5"}, {"--delay", "1s"}, {"--link"}, {"--bogus"}}) {
        SimArgs ignored;
        error.clear();
        EXPECT_FALSE(ParseSimArgs(bad, &ignored, &error)) << bad[0];
        EXPECT_NE(error, "");
    }
}

}  // namespace
}  // namespace zentrip::sim
