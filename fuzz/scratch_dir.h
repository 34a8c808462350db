// The scratch folder of a fuzz target's process: made once, in memory-backed storage when there
// is some (the targets write files on every run), and removed at the process's exit. A plain
// array, so it outlives every destructor that runs before the exit handler.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace zentrip::fuzz {

inline const char* ScratchDir() {
    static char dir[] = "/dev/shm/zentrip-fuzz-XXXXXX";
    static const bool made = [] {
        if (mkdtemp(dir) == nullptr) {
            std::snprintf(dir, sizeof dir, "%s", "/tmp/zentrip-fuzz-XXXXXX");
            if (mkdtemp(dir) == nullptr) std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
        return true;
    }();
    (void)made;
    return dir;
}

}  // namespace zentrip::fuzz
