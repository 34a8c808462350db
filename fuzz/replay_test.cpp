// Replays a fuzz target's committed corpus through its entry point in every build, so the
// inputs that once mattered keep being checked without libFuzzer. The build names the corpus
// (ZENTRIP_FUZZ_CORPUS) and the test suite (ZENTRIP_FUZZ_SUITE). A broken promise of the target
// fails the test with the input's name, and the replay goes on with the next input.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(ZENTRIP_FUZZ_SUITE, EveryInputRunsCleanly) {
    const std::filesystem::path corpus =
        std::filesystem::path(ZENTRIP_SOURCE_DIR) / "fuzz/corpus" / ZENTRIP_FUZZ_CORPUS;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const std::string name = entry.path().filename().string();
        // A crash ends the replay: its last line names the input.
        std::fprintf(stderr, "replaying %s\n", name.c_str());
        auto& broken = zentrip::fuzz::BrokenPromises();
        broken.clear();
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                         bytes.size()),
                  0)
            << name;
        for (const std::string& promise : broken) ADD_FAILURE() << name << " breaks " << promise;
        ++replayed;
    }
    EXPECT_GT(replayed, 10);
}

}  // namespace
