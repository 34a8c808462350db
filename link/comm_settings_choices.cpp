#include "link/comm_settings_choices.h"

#include <algorithm>
#include <cstdio>

namespace zentrip {

RateChoice LookupRate(std::uint32_t rate) {
    const auto it = std::find(kDataRates.begin(), kDataRates.end(), rate);
    if (it == kDataRates.end()) return {1200, 1};
    return {rate, static_cast<int>(it - kDataRates.begin())};
}

std::uint32_t RateAtIndex(int index) {
    return kDataRates[static_cast<std::size_t>(
        std::clamp(index, 0, static_cast<int>(kDataRates.size()) - 1))];
}

bool IsOfferedRate(std::uint32_t rate) {
    return std::find(kDataRates.begin(), kDataRates.end(), rate) != kDataRates.end();
}

std::string RateBoxText(std::uint32_t rate) {
    char text[16];
    std::snprintf(text, sizeof text, "%5u", rate);
    return text;
}

int ClampPort(int port) { return port >= 1 && port <= 4 ? port : 1; }

std::string FitModemInitString(std::string_view text) {
    return std::string(text.substr(0, kModemInitStringMax));
}

std::string PortButtonText(int port, std::uint32_t rate) {
    // The rate is unsigned; a stored rate above 2^31 shows as itself, not as a negative number.
    char text[64];
    std::snprintf(text, sizeof text, " COM%d\r%u bps\rChange...", port, rate);
    return text;
}

}  // namespace zentrip
