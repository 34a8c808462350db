// The simulated Orvane controller in direct mode. It knows no commands: every line is echoed
// with CR LF and accepted with "OK" CR LF, unless the options make it complain about lines
// matching one pattern, stay silent (no echo, no answer) for lines matching another, answer
// late, or echo without the LF. That is all the programming run relies on.
#pragma once

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_output.h"

namespace zentrip::sim {

struct ControllerOptions {
    std::string complaint = "ERROR 12";  // the answer to a line matching complainPattern
    std::string complainPattern;         // ECMAScript regex searched in the line; empty: none
    std::string silentPattern;           // same; a silent line gets neither echo nor answer
    std::uint32_t replyDelayMs = 0;      // the answer comes this long after the echo
    bool echoWithoutLf = false;          // echo ends with CR only
};

class SimController {
public:
    // Nullopt with the reason in *error when a pattern is not a valid regular expression.
    static std::optional<SimController> Create(const ControllerOptions& options,
                                               std::string* error);

    // One received line, without its line end.
    void Line(std::string_view line, SimOutputs& out);
    // Every line received, in order.
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    explicit SimController(const ControllerOptions& options) : m_options(options) {}

    ControllerOptions m_options;
    std::optional<std::regex> m_complainOn;
    std::optional<std::regex> m_silentOn;
    std::vector<std::string> m_lines;
};

}  // namespace zentrip::sim
