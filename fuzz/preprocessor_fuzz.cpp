// Feeds arbitrary bytes through CPreprocessor::ReadLine. The input is cut at each "\n%%\n"
// into up to four files, f0.orv to f3.orv, written into a scratch directory that is the
// working directory while they are read, so include lines can name one another. A first byte
// from 0x80 on picks a small read size instead of the run's 2047. Waits run on a VirtualClock.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_dir.h"
#include "platform/clock.h"
#include "script/preprocessor.h"

namespace {

constexpr int kFiles = 4;
constexpr int kMaxCalls = 20000;

void WriteFile(const std::string& path, std::string_view content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    int n = 2047;
    if (!input.empty() && static_cast<unsigned char>(input[0]) >= 0x80) {
        n = 2 + (static_cast<unsigned char>(input[0]) & 0x3F);
        input.remove_prefix(1);
    }

    const std::string dir = zentrip::fuzz::ScratchDir();
    for (int i = 0; i < kFiles; ++i) {
        const std::size_t cut = i + 1 < kFiles ? input.find("\n%%\n") : std::string_view::npos;
        WriteFile(dir + "/f" + std::to_string(i) + ".orv", input.substr(0, cut));
        input = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 4);
    }

    char oldDir[4096];
    if (getcwd(oldDir, sizeof oldDir) == nullptr || chdir(dir.c_str()) != 0) std::abort();
    {
        zentrip::VirtualClock clock;
        zentrip::CPreprocessor root(clock);
        FUZZ_CHECK(root.OpenFile("f0.orv"));
        std::vector<char> buf(static_cast<std::size_t>(n) + 1, '\x55');
        // Read on after failures too, as far as the scopes still allow.
        for (int calls = 0; calls < kMaxCalls; ++calls) {
            const int result = root.ReadLine(buf.data(), n);
            if (result == zentrip::CPreprocessor::kEndOfFile) break;
            if (result < 0) {
                FUZZ_CHECK(result >= -4);
                FUZZ_CHECK(std::strlen(root.ErrorText()) <= 255);
                continue;
            }
            FUZZ_CHECK(result <= n);
            FUZZ_CHECK(std::strlen(buf.data()) == static_cast<std::size_t>(result));
            root.IsHidden();
        }
    }
    if (chdir(oldDir) != 0) std::abort();
    return 0;
}
