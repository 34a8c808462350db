// zentrip-cli terminal: the Mini Terminal on a text console.
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console_terminal.h"
#include "cli/port_options.h"
#include "terminal/term_texts.h"

namespace zentrip::cli {

namespace {

const char kHelp[] =
    "usage: zentrip-cli terminal [options]\n\n"
    "A plain serial terminal, like the Mini Terminal window. Every key is sent at once, byte\n"
    "by byte, as the window sends it: Enter as CR, Backspace as BS, Escape as 0x1B, Ctrl-C as\n"
    "0x03 (control keys do not act on Zentrip). What the device sends is shown by the\n"
    "terminal's rules: a line feed is dropped and a carriage return starts a new line, so a\n"
    "controller that ends its lines with CR alone shows them one under the other; a backspace\n"
    "takes back the last character; a zero byte ends what arrived with it; other control\n"
    "characters show as ^X. Press Ctrl-] to end the terminal.\n\n"
    "A device that vanishes (USB adapter pulled) is reported; the terminal waits for the same\n"
    "device to come back and goes on with it. A different device that appears at its path\n"
    "is named and left alone.\n\n"
    "Exit status: 0 when ended by Ctrl-] or by the end of the input, 1 when the serial port or\n"
    "the log file cannot be opened or the console fails, 64 for a command line that cannot be\n"
    "understood, 128+N when ended by signal N. The console's modes are restored in every case.\n"
    "\noptions:\n"
    "  --echo          show what you type (local echo)\n"
    "  --log FILE      append every byte received, unchanged, to FILE (a file, or a FIFO that\n"
    "                  a program reads; never a device)\n"
    "  --log-times     with --log: each line in the log starts with the local time its first\n"
    "                  byte came, as HH:MM:SS.mmm and a blank (a line ends at LF, CR LF or CR)\n"
    "  --time          each line shown starts with the local time its first byte came\n"
    "  --hex           show what arrives as hex, 16 bytes to a line with their printable\n"
    "                  characters beside them (dots for the rest); a line also ends after a\n"
    "                  pause of more than 100 ms. With --time each line starts with the time\n"
    "                  of its first byte\n";

struct TerminalOptions {
    PortOptions port;
    bool echo = false;
    TerminalViews views;
    std::string log;
};

// -1 when the terminal should run, else the exit status (help or a usage error was printed).
int Parse(int argc, char** argv, TerminalOptions& options) {
    options.port = DefaultPortOptions();
    std::vector<CommandOption> table = PortCommandOptions(options.port);
    table.insert(table.end(),
                 {Flag("--echo", &options.echo),
                  Flag("--time", &options.views.time),
                  Flag("--hex", &options.views.hex),
                  Flag("--log-times", &options.views.logTimes),
                  {"--log", "a file", [&options](const std::string& value, std::string* error) {
                       options.log = value;
                       if (value.empty()) *error = "--log needs a file";
                       return !value.empty();
                   }}});
    std::vector<std::string> operands;
    const int status =
        ReadCommandArgs(argc, argv, table, std::string(kHelp) + kPortOptionsHelp, &operands);
    if (status >= 0) return status;
    if (!operands.empty()) return PrintUsageError(argv[0], "unknown argument " + operands[0]);
    if (options.views.logTimes && options.log.empty()) {
        return PrintUsageError(argv[0], "--log-times needs --log FILE");
    }
    return -1;
}

}  // namespace

int RunTerminal(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "");  // the console's character set decides how text is shown
    TerminalOptions options;
    if (const int status = Parse(argc, argv, options); status >= 0) return status;

    CSerialPort port;
    ApplyPortOptions(port, options.port);
    std::fputs(UnofferedNote(options.port).c_str(), stderr);
    if (!port.Open(options.port.port, options.port.rate)) {
        std::fputs(OpenFailureLine(port, options.port.port).c_str(), stderr);
        return 1;
    }
    // After the port: a port that fails to open leaves no empty log behind.
    CTerminalLog log;
    std::string error;
    if (!options.log.empty() && !log.Start(options.log, port.DevicePath(), &error)) {
        std::fprintf(stderr, "zentrip-cli terminal: cannot log to %s: %s\n", options.log.c_str(),
                     error.c_str());
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);  // a console that went away ends the loop, not the program
    int status = 0;
    bool atLineStart = true;
    {
        RawConsole console(STDIN_FILENO);
        const std::string logNote = log.IsOn() ? LoggingNote(log.Path()) : "";
        std::fprintf(stderr, "%s (%s)%s Press Ctrl-] to end.\r\n",
                     TerminalOpenTitle(options.port.port, options.port.rate).c_str(),
                     port.DevicePath().c_str(), logNote.c_str());
        ConsoleTerminal terminal(port, options.port, options.echo, options.views, log, console);
        status = terminal.Run();
        atLineStart = terminal.AtLineStart();
    }
    std::fprintf(stderr, "%sMini Terminal ended.\n", atLineStart ? "" : "\n");
    return status;
}

}  // namespace zentrip::cli
