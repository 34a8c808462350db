// What the simulated devices send back: bytes and how long after the line that caused them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentrip::sim {

struct SimOutput {
    std::string bytes;
    std::uint32_t delayMs = 0;
};

using SimOutputs = std::vector<SimOutput>;

}  // namespace zentrip::sim
