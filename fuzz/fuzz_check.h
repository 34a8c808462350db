// FUZZ_CHECK(promise): a promise a fuzz target checks after each input. Under libFuzzer a
// broken one stops the process as a sanitizer finding does, so the fuzzer keeps the input. In
// the corpus replay (ZENTRIP_FUZZ_REPLAY) it is noted instead, and the replay names the input
// and the promise, then goes on with the next input.
#pragma once

#include <string>
#include <vector>

namespace zentrip::fuzz {

// The promises broken since the replay last took them.
inline std::vector<std::string>& BrokenPromises() {
    static std::vector<std::string> broken;
    return broken;
}

inline void Check(bool holds, const char* promise) {
#ifdef ZENTRIP_FUZZ_REPLAY
    if (!holds) BrokenPromises().emplace_back(promise);
#else
    (void)promise;
    if (!holds) __builtin_trap();
#endif
}

}  // namespace zentrip::fuzz

#define FUZZ_CHECK(promise) ::zentrip::fuzz::Check((promise), #promise)
