// zentrip-cli expand: a dry run of the preprocessor. Prints the lines a programming run would
// receive, byte for byte, or in the results pane's echo form.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/clock.h"
#include "script/preprocessor.h"

namespace zentrip::cli {

namespace {

constexpr int kReadSize = CPreprocessor::kRunReadSize;

constexpr const char* kHelp =
    "usage: zentrip-cli expand FILE [--no-wait] [--time \"YYYY-MM-DD HH:MM:SS\"] [--echo]\n"
    "                           [--where]\n"
    "\n"
    "Expands a program file exactly as a programming run receives it: include files are\n"
    "read, symbols substituted and tool commands executed, one line at a time, but nothing\n"
    "is sent anywhere.\n"
    "\n"
    "Output: every line the run would receive, byte for byte on stdout (a time-set line\n"
    "ends in its CR and has no LF). Nothing else goes to stdout.\n"
    "\n"
    "options:\n"
    "  --echo       print the results pane's form instead: \"[%5d] %s\" for every line that\n"
    "               is not hidden, numbered as the run numbers them; the line ends in a\n"
    "               newline (its CR shown as one, its LF dropped)\n"
    "  --where      start every printed line with the file and line it was read from,\n"
    "               as \"PATH:LINE: \" (PATH as the program or include line names it), and\n"
    "               end it with a newline; a failure adds \"PATH:LINE: MESSAGE\" on stderr\n"
    "  --no-wait    skip the pauses of #wait commands (they are still checked); the\n"
    "               clock still moves on by the time each wait would have taken\n"
    "  --time T     the local time at the start, for #timeset and #timeset7330, as\n"
    "               \"YYYY-MM-DD HH:MM:SS\"; it advances from there in real seconds, across\n"
    "               daylight-saving changes as the system's clock does. A time the clocks\n"
    "               skip is refused; of a time that occurs twice, the first is taken\n"
    "  --help       show this text\n"
    "\n"
    "Include names are opened relative to the current working directory.\n"
    "\n"
    "exit status: 0 at the end of the file; 1 when a line fails (an include that cannot\n"
    "be opened, recursion, a failing command), with the line number and the error text on\n"
    "stderr; 2 when FILE cannot be opened; 64 for a command line that cannot be understood.\n";

struct Options {
    const char* file = nullptr;
    bool noWait = false;
    bool echo = false;
    bool where = false;
    std::optional<LocalTime> time;
};

// The results pane's form of a line: the run has turned its end into a CR; CR shows as a
// newline, LF adds nothing and a backspace takes back the character before it in this text.
std::string EchoText(int lineNumber, const char* line) {
    char number[32];
    std::snprintf(number, sizeof number, "[%5d] ", lineNumber);
    std::string shown = number;
    for (const char* p = line; *p != '\0'; ++p) {
        if (*p == '\n') continue;
        if (*p == '\r') {
            shown += '\n';
        } else if (*p == '\b') {
            if (!shown.empty()) shown.pop_back();
        } else {
            shown += *p;
        }
    }
    return shown;
}

// The run's line-end rule: a final LF becomes CR, and a line that does not end in CR gets one.
void NormaliseLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.back() = '\r';
    if (line.empty() || line.back() != '\r') line += '\r';
}

// GCC's form, which editors and terminals make clickable.
std::string WherePrefix(const SourcePlace& place) {
    return place.path + ":" + std::to_string(place.line) + ": ";
}

int Expand(const Options& options) {
    std::unique_ptr<Clock> ownClock;
    Clock* clock = &DefaultClock();
    if (options.noWait) {
        ownClock = options.time ? std::make_unique<VirtualClock>(*options.time)
                                : std::make_unique<VirtualClock>(DefaultClock().CalendarSeconds());
        clock = ownClock.get();
    } else if (options.time) {
        ownClock = std::make_unique<FixedStartClock>(DefaultClock(), *options.time);
        clock = ownClock.get();
    }

    auto root = std::make_unique<CPreprocessor>(*clock);
    if (!root->OpenFile(options.file)) {
        std::fprintf(stderr, "zentrip-cli expand: Couldn't open %s\n", options.file);
        return 2;
    }
    char buf[kReadSize + 1];
    for (int lineNumber = 1;; ++lineNumber) {
        const int result = root->ReadLine(buf, kReadSize);
        if (result == CPreprocessor::kEndOfFile) return 0;
        const std::string where = options.where ? WherePrefix(root->LinePlace()) : "";
        if (result < 0) {
            std::fflush(stdout);
            std::fprintf(stderr, "zentrip-cli expand: Fatal Error in Line %d (%s)\n", lineNumber,
                         root->ErrorText());
            if (options.where) std::fprintf(stderr, "%s%s\n", where.c_str(), root->ErrorText());
            return 1;
        }
        std::string shown;
        if (!options.echo) {
            shown = where + std::string(buf, static_cast<std::size_t>(result));
            if (options.where && shown.back() != '\n') shown += '\n';
        } else if (!root->IsHidden()) {
            std::string line(buf, static_cast<std::size_t>(result));
            NormaliseLineEnd(line);
            shown = where + EchoText(lineNumber, line.c_str());
        }
        std::fwrite(shown.data(), 1, shown.size(), stdout);
        // A wait inside the next ReadLine should find this line already on its way.
        std::fflush(stdout);
    }
}

}  // namespace

int RunExpand(int argc, char** argv) {
    Options options;
    const std::vector<CommandOption> table = {
        Flag("--no-wait", &options.noWait),
        Flag("--echo", &options.echo),
        Flag("--where", &options.where),
        {"--time", "a time",
         [&options](const std::string& value, std::string* error) {
             std::string why;
             options.time = ParseLocalTime(value.c_str(), &why);
             if (!options.time) *error = "bad time '" + value + "': " + why;
             return options.time.has_value();
         }},
    };
    std::vector<std::string> files;
    if (const int status = ReadCommandArgs(argc, argv, table, kHelp, &files); status >= 0) {
        return status;
    }
    if (files.empty()) return PrintUsageError(argv[0], "FILE missing");
    if (files.size() > 1)
        return PrintUsageError(argv[0], "more than one FILE ('" + files[1] + "')");
    options.file = files[0].c_str();
    return Expand(options);
}

}  // namespace zentrip::cli
