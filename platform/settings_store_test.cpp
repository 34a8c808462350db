#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace zentrip {
namespace {

// Two processes save at once, each its own values one at a time: every value of both is in
// the file at the end, none undone by the other's save.
TEST(SettingsStore, ConcurrentWritersKeepEveryChange) {
    const testing::TempDir dir{"zentrip-store-"};
    const std::string path = dir.Path("Settings.ini");
    constexpr int kSaves = 150;
    pid_t writers[2] = {};
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] > 0) continue;
        SettingsStore store(path);
        int failed = 0;
        for (int i = 0; i < kSaves; ++i) {
            const std::string name = std::string(1, static_cast<char>('A' + w)) + std::to_string(i);
            if (!store.SaveChanges({{name, std::to_string(i)}})) ++failed;
        }
        _exit(failed);
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "saves failed";
    }
    SettingsStore store(path);
    EXPECT_TRUE(store.Load().empty());
    int missing = 0;
    for (int i = 0; i < kSaves; ++i) {
        for (const char* writer : {"A", "B"}) {
            if (store.Get(writer + std::to_string(i)) != std::to_string(i)) ++missing;
        }
    }
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace zentrip
