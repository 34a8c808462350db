#include "sim/controller.h"

namespace zentrip::sim {

namespace {
bool Compile(const std::string& pattern, std::optional<std::regex>& into, std::string* error) {
    if (pattern.empty()) return true;
    try {
        into.emplace(pattern, std::regex::ECMAScript);
        return true;
    } catch (const std::regex_error& e) {
        if (error) *error = "bad pattern '" + pattern + "': " + e.what();
        return false;
    }
}

bool Matches(const std::optional<std::regex>& re, std::string_view line) {
    return re && std::regex_search(line.data(), line.data() + line.size(), *re);
}
}  // namespace

std::optional<SimController> SimController::Create(const ControllerOptions& options,
                                                   std::string* error) {
    SimController controller(options);
    if (!Compile(options.complainPattern, controller.m_complainOn, error)) return std::nullopt;
    if (!Compile(options.silentPattern, controller.m_silentOn, error)) return std::nullopt;
    return controller;
}

void SimController::Line(std::string_view line, SimOutputs& out) {
    m_lines.emplace_back(line);
    if (Matches(m_silentOn, line)) return;
    out.push_back({std::string(line) + (m_options.echoWithoutLf ? "\r" : "\r\n"), 0});
    const std::string answer = Matches(m_complainOn, line) ? m_options.complaint : "OK";
    out.push_back({answer + "\r\n", m_options.replyDelayMs});
}

}  // namespace zentrip::sim
