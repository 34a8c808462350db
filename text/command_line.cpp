#include "text/command_line.h"

#include <algorithm>

namespace zentrip {

CommandOption Flag(std::string_view name, bool* on) {
    return {name, "", [on](const std::string&, std::string*) { return *on = true; }};
}

CommandOption TextOption(std::string_view name, std::string* to, std::string_view needs) {
    return {name, needs, [to](const std::string& value, std::string*) {
                *to = value;
                return true;
            }};
}

CommandLine ReadCommandLine(const std::vector<std::string>& args,
                            const std::vector<CommandOption>& options) {
    CommandLine line;
    const auto refuse = [&line](std::string error) {
        line.outcome = CommandLine::Outcome::kUsageError;
        line.error = std::move(error);
        return line;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.outcome = CommandLine::Outcome::kHelp;
            return line;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            line.operands.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        const auto option = std::find_if(options.begin(), options.end(),
                                         [name](const CommandOption& o) { return o.name == name; });
        if (option == options.end()) return refuse("unknown option '" + arg + "'");
        std::string value;
        if (equals != std::string::npos) {
            if (option->needs.empty()) {
                return refuse(std::string(name) + " takes no value");
            }
            value = arg.substr(equals + 1);
        } else if (!option->needs.empty()) {
            if (i + 1 == args.size()) {
                return refuse(std::string(name) + " needs " + std::string(option->needs));
            }
            value = args[++i];
        }
        std::string error;
        if (!option->take(value, &error)) return refuse(std::move(error));
    }
    return line;
}

std::string UsageErrorText(std::string_view program, std::string_view message) {
    const std::string name(program);
    return name + ": " + std::string(message) + " (see " + name + " --help)\n";
}

}  // namespace zentrip
