// The choices of the serial settings dialogs, without the windows: the rate table and the
// trackbar's lookup in it, the port clamp, the modem string limit, and the text of the
// main window's "COM PORT" button. The windows stay thin and these stay testable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentrip {

inline constexpr std::array<std::uint32_t, 10> kDataRates{300,   1200,  2400,  4800,   9600,
                                                          19200, 38400, 57600, 115200, 230400};
inline constexpr std::size_t kModemInitStringMax = 127;

struct RateChoice {
    std::uint32_t rate;
    int index;  // trackbar position
};

// The first table entry equal to rate; a rate not in the table becomes 1200 at index 1.
RateChoice LookupRate(std::uint32_t rate);
// The rate at a trackbar position; positions outside 0..9 are pinned to the ends.
std::uint32_t RateAtIndex(int index);
bool IsOfferedRate(std::uint32_t rate);
// The rate box's text, "%5d".
std::string RateBoxText(std::uint32_t rate);

// A port outside 1..4 becomes 1.
int ClampPort(int port);

// The prompt keeps what fits: longer input is cut to kModemInitStringMax characters.
std::string FitModemInitString(std::string_view text);

// What ShowPortButtonText puts on the "COM PORT" button: " COM%d\r%d bps\rChange...".
std::string PortButtonText(int port, std::uint32_t rate);

}  // namespace zentrip
