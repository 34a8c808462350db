#include "script/line_reader.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zentrip {
namespace {

std::vector<std::string> Pieces(std::string text, int n) {
    std::FILE* file = fmemopen(text.data(), text.size(), "rb");
    std::vector<std::string> pieces;
    std::vector<char> buf(static_cast<std::size_t>(n));
    while (ReadTextLine(file, buf.data(), n) == ReadResult::kLine) pieces.emplace_back(buf.data());
    std::fclose(file);
    return pieces;
}

TEST(ReadTextLine, DropsOnlyTheCrBeforeAnLf) {
    EXPECT_EQ(Pieces("a\r\nb\rc\r\r\nd\r", 100),
              (std::vector<std::string>{"a\n", "b\rc\r\n", "d\r"}));
}

TEST(ReadTextLine, SplitsLongLinesAfterDroppingTheCr) {
    EXPECT_EQ(Pieces("abc\r\nabcd\r\nab\r\r\n", 5),
              (std::vector<std::string>{"abc\n", "abcd", "\n", "ab\r\n"}));
    EXPECT_EQ(Pieces("xyz", 2), (std::vector<std::string>{"x", "y", "z"}));
}

TEST(ReadTextLine, ReportsAReadErrorApartFromTheEnd) {
    cookie_io_functions_t failing{};
    failing.read = [](void*, char*, size_t) -> ssize_t {
        errno = EIO;
        return -1;
    };
    std::FILE* file = fopencookie(nullptr, "rb", failing);
    ASSERT_NE(file, nullptr);
    char buf[16];
    EXPECT_EQ(ReadTextLine(file, buf, 16), ReadResult::kError);
    std::fclose(file);
    std::string one = "a";
    file = fmemopen(one.data(), one.size(), "rb");
    EXPECT_EQ(ReadTextLine(file, buf, 16), ReadResult::kLine);
    EXPECT_EQ(ReadTextLine(file, buf, 16), ReadResult::kEnd);
    std::fclose(file);
}

}  // namespace
}  // namespace zentrip
