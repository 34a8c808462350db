// Replays a fuzz target's committed corpus through its entry point in every build, so the
// inputs that once mattered keep being checked without libFuzzer. The build names the corpus
// (ZENTRIP_FUZZ_CORPUS) and the test suite (ZENTRIP_FUZZ_SUITE).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(ZENTRIP_FUZZ_SUITE, EveryInputRunsCleanly) {
    const std::filesystem::path corpus =
        std::filesystem::path(ZENTRIP_SOURCE_DIR) / "fuzz/corpus" / ZENTRIP_FUZZ_CORPUS;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                         bytes.size()),
                  0);
        ++replayed;
    }
    EXPECT_GT(replayed, 10);
}

}  // namespace
