// zentrip-cli program FILE: what starting Zentrip and pressing "Program from File" does,
// without a window: the modem set-up, then one programming run of FILE.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console_host.h"
#include "cli/console_output.h"
#include "cli/error_policy.h"
#include "cli/interrupt.h"
#include "cli/port_options.h"
#include "cli/simulated_line.h"
#include "link/comm_settings.h"
#include "platform/clock.h"
#include "session/programmer.h"
#include "session/run_records.h"
#include "text/format_text.h"

namespace zentrip::cli {

namespace {

constexpr int kComplete = 0;
constexpr int kCompleteWithErrors = 1;
constexpr int kHalted = 2;
constexpr int kNotStarted = 3;

const char kHelp[] =
    "usage: zentrip-cli program [OPTIONS] FILE\n"
    "\n"
    "Programs a controller from the program file FILE, as pressing \"Program from File\"\n"
    "in Zentrip's window does: the modem is initialised first (as when Zentrip starts),\n"
    "then FILE is expanded line by line and each line goes to the controller. The run\n"
    "mode comes from the file and --direct: direct RS232 (the file holds \"#direct\", or\n"
    "--direct), remote session by telephone (the file holds \"#session\"), or else local\n"
    "touch tones through the modem.\n"
    "\n"
    "options:\n"
    "%s"
    "                  (the modem set-up and hang-up always talk at 9600 bit/s)\n"
    "  --direct        program directly via RS232 (the window's RS232 check box)\n"
    "  --no-init       skip the modem initialisation before the run\n"
    "  --on-error ask|continue|stop\n"
    "                  the answer to \"Do you want to continue programming?\" after a\n"
    "                  controller error: ask on the terminal, always Yes, or No at the\n"
    "                  first question (default: ask when stdin is a terminal, else stop)\n"
    "                  (ask: type y or yes to go on, anything else stops)\n"
    "  --no-record     leave no record of this run (see zentrip-cli runs)\n"
    "  --simulate      run against the built-in simulated controller (direct mode) or\n"
    "                  modem (tone modes) instead of a device, in simulated time, and\n"
    "                  print the traffic the simulator saw at the end (on stderr)\n"
    "  --help          this text\n"
    "\n"
    "output:\n"
    "  stdout          exactly the text of the window's \"Programming Status and Results\"\n"
    "                  pane, lines ended by CR LF\n"
    "  stderr          modem and session progress (the window's source editor), message\n"
    "                  box texts and, on a terminal, a status line with the line number,\n"
    "                  the error count and the elapsed time\n"
    "  record          a file in $XDG_STATE_HOME/zentrip/runs (default\n"
    "                  ~/.local/state/zentrip/runs) with the run's header (times, files\n"
    "                  and their SHA-256, mode, port, outcome) and exactly the text of\n"
    "                  stdout; written as the run goes, so a run cut short leaves one\n"
    "                  marked unfinished. The newest 1000 are kept. A record that cannot\n"
    "                  be written is said once (stdout and stderr); the run goes on.\n"
    "\n"
    "Ctrl-C, SIGTERM and SIGHUP (the terminal closed) are the STOP button: a \"wait\"\n"
    "command is cut short, any other line or telephone pause finishes first, then the\n"
    "run ends as usual (closing session, port closed, modem hung up); at the continue\n"
    "question they are the No answer. A second one closes the port and ends at once.\n"
    "\n"
    "exit status:\n"
    "  0   complete, no controller errors\n"
    "  1   complete, with controller errors\n"
    "  2   halted: by the user or a signal, by the No answer after an error, by a fatal\n"
    "      error in the program file, or because the serial device was lost\n"
    "  3   not started: the program file or the serial port could not be opened\n"
    "  64  the command line cannot be understood\n";

struct ProgramOptions {
    PortOptions port;
    bool direct = false;
    bool noInit = false;
    bool simulate = false;
    bool noRecord = false;
    std::optional<ErrorPolicy> onError;
    std::string file;
};

// Reads the command line: -1 when the run should start, else the exit status (after the help
// or the usage error).
int ParseOptions(int argc, char** argv, ProgramOptions& options) {
    std::vector<CommandOption> table = PortCommandOptions(options.port);
    table.insert(
        table.end(),
        {Flag("--direct", &options.direct),
         Flag("--no-init", &options.noInit),
         Flag("--simulate", &options.simulate),
         Flag("--no-record", &options.noRecord),
         {"--on-error", "a value", [&options](const std::string& value, std::string* error) {
              options.onError = ParseErrorPolicy(value);
              if (!options.onError) {
                  *error = "--on-error takes ask, continue or stop, not '" + value + "'";
              }
              return options.onError.has_value();
          }}});
    std::vector<std::string> files;
    const int status = ReadCommandArgs(argc, argv, table, Format(kHelp, kPortOptionsHelp), &files);
    if (status >= 0) return status;
    if (files.empty()) return PrintUsageError(argv[0], "which program file?");
    if (files.size() > 1) return PrintUsageError(argv[0], "one program file only");
    options.file = files[0];
    return -1;
}

int ExitStatus(const CProgrammer& programmer) {
    switch (programmer.LastOutcome()) {
        case CProgrammer::RunOutcome::NotStarted:
            return kNotStarted;
        case CProgrammer::RunOutcome::Complete:
            return programmer.ErrorCount() > 0 ? kCompleteWithErrors : kComplete;
        default:
            return kHalted;
    }
}

// The run's reaction to a signal: stop, and cut a wait command short.
void AbortProgramming(void* programmer) { static_cast<CProgrammer*>(programmer)->AbortRun(); }

}  // namespace

int RunProgram(int argc, char** argv) {
    CommSettings settings = LoadStoredSettings();
    ProgramOptions options;
    options.port = StoredPortOptions(settings);
    if (const int status = ParseOptions(argc, argv, options); status >= 0) return status;

    ConsoleOutput output(stdout, stderr, true);
    output.Err(UnofferedNote(options.port));
    InterruptWatch interrupts;
    const ErrorPolicy policy =
        options.onError.value_or(DefaultErrorPolicy(isatty(STDIN_FILENO) != 0));
    ConsoleHost host(output, policy, options.direct, &interrupts, STDIN_FILENO);

    std::unique_ptr<SimulatedLine> simulated;
    if (options.simulate) {
        std::string error;
        simulated = SimulatedLine::Create(&error);
        if (!simulated) {
            std::fprintf(stderr, "zentrip-cli program: simulator: %s\n", error.c_str());
            return kNotStarted;
        }
    }
    auto made =
        simulated ? std::make_unique<CProgrammer>(host, simulated->GetClock(), simulated->Opener())
                  : std::make_unique<CProgrammer>(host, DefaultClock());
    CProgrammer& programmer = *made;
    // Options stand for this run only; nothing is saved.
    settings.port = options.port.port;
    settings.dataRate = options.port.rate;
    programmer.Settings() = settings;
    ApplyPortOptions(programmer.SerialPort(), options.port);
    if (!options.noRecord) programmer.SetRecordFolder(DefaultRunRecordFolder());
    host.SetStopAction([&programmer] { programmer.AbortRun(); });
    interrupts.Arm(&AbortProgramming, &programmer);

    // The modem set-up and the run each say why the port did not open; the reason is told
    // once when both fail alike.
    std::string told;
    const auto tellOpenFailure = [&] {
        const std::string line = OpenFailureLine(programmer.SerialPort(), settings.port);
        if (line != told) output.Err(line);
        told = line;
    };
    if (!options.noInit) {
        programmer.InitModem();
        tellOpenFailure();
    }
    programmer.SetWorkingFile(options.file);
    programmer.ProgramFromFile();
    if (programmer.LastOutcome() == CProgrammer::RunOutcome::NotStarted) tellOpenFailure();
    interrupts.Arm(nullptr, nullptr);
    output.StopStatus();
    output.FinishOut();
    if (simulated) {
        output.Err("\n---- what the simulated devices received (rx) and sent (tx), in ms ----\n" +
                   simulated->TranscriptText());
    }
    return ExitStatus(programmer);
}

}  // namespace zentrip::cli
