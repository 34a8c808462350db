// The program the direct-run benchmarks send: 100 lines of different lengths, as a real
// program has, and the waits a direct run prescribes for them: 20 ms after each sent line,
// then one 5 ms poll per byte of the controller's echo up to and including its LF.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zentrip::bench {

inline constexpr int kDirectLines = 100;
// The run's fixed pauses: 300 ms before the first line, 1000 ms after closing the port,
// 1000 ms in the hang-up.
inline constexpr std::uint64_t kDirectFixedMs = 300 + 1000 + 1000;

// Writes the program; returns the prescribed waits of its lines in ms.
inline std::uint64_t WriteDirectProgram(const std::filesystem::path& path) {
    constexpr std::uint64_t kSettleMs = 20;
    constexpr std::uint64_t kPollMs = 5;
    std::ofstream file(path);
    std::uint64_t prescribed = 0;
    for (int i = 0; i < kDirectLines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%04d 79 %0*d *", 1000 + i, 1 + i % 7, i);
        file << line << "\n";
        std::size_t sent = 0;  // the command characters: everything but the blanks
        for (const char* c = line; *c; ++c) sent += *c != ' ';
        prescribed += kSettleMs + kPollMs * (sent + 2);  // echo: the characters, CR, LF
    }
    return prescribed;
}

}  // namespace zentrip::bench
