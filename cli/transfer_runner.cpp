#include "cli/transfer_runner.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "cli/interrupt.h"
#include "terminal/term_texts.h"
#include "terminal/transfer_job.h"
#include "terminal/transfer_texts.h"

namespace zentrip::cli {

namespace {

std::string Bar(std::int64_t done, std::int64_t total) {
    constexpr int kWidth = 20;
    const std::int64_t percent = total > 0 ? std::min<std::int64_t>(100, done * 100 / total) : 0;
    const int filled = static_cast<int>(percent * kWidth / 100);
    char text[64];
    std::snprintf(text, sizeof text, "  [%s%s] %3d%%", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, '.').c_str(), static_cast<int>(percent));
    return text;
}

std::string ProgressLine(TransferMode mode, const CXmodem& engine) {
    char text[256];
    const unsigned seconds = engine.ElapsedSeconds();
    const char* title = TransferTitle(mode, engine.Mode());
    switch (mode) {
        case TransferMode::kXmodemTransmit:
            std::snprintf(text, sizeof text,
                          "%s: Blocks Sent: %d  Blocks Rejected: %d  Bytes Sent: %lld  %u s", title,
                          engine.BlockCount(), engine.RejectedCount(),
                          static_cast<long long>(engine.ByteCount()), seconds);
            return text + Bar(engine.ByteCount(), engine.Total());
        case TransferMode::kXmodemReceive:
            std::snprintf(
                text, sizeof text,
                "%s: Blocks Received: %d  Blocks Rejected: %d  Bytes Received: %lld  %u s", title,
                engine.BlockCount(), engine.RejectedCount(),
                static_cast<long long>(engine.ByteCount()), seconds);
            return text;
        case TransferMode::kTextTransmit:
            std::snprintf(text, sizeof text, "%s: Lines Sent: %d  Approx Chars Sent: %lld  %u s",
                          title, engine.BlockCount(), static_cast<long long>(engine.ByteCount()),
                          seconds);
            return text + Bar(engine.ByteCount(), engine.Total());
    }
    return text;
}

// Parses "[options] FILE"; prints help or the usage error itself. Returns -1 when the
// transfer should run, else the exit status.
int ParseTransferArgs(int argc, char** argv, const char* help, PortOptions& options,
                      std::string& path) {
    options = DefaultPortOptions();
    std::vector<std::string> files;
    const int status = ReadCommandArgs(argc, argv, PortCommandOptions(options),
                                       std::string(help) + kPortOptionsHelp, &files);
    if (status >= 0) return status;
    if (files.empty()) return PrintUsageError(argv[0], "FILE is missing");
    if (files.size() > 1) return PrintUsageError(argv[0], "one FILE only");
    path = files[0];
    return -1;
}

int RunTransfer(TransferMode mode, const std::string& path, const PortOptions& options) {
    CSerialPort port;
    ApplyPortOptions(port, options);
    std::fputs(UnofferedNote(options).c_str(), stderr);
    // The engine does not report a port that fails to open (it would only time out), so a
    // wrong device is caught here, before anything waits.
    if (!port.Open(options.port, options.rate)) {
        std::fputs(OpenFailureLine(port, options.port).c_str(), stderr);
        return kXmodemNoPort;
    }

    TransferJob job(mode, &port, options.port, options.rate, path);
    std::atomic<int> notifications{0};
    const bool live = isatty(STDERR_FILENO) == 1;
    // Ctrl-C, SIGTERM and SIGHUP cancel; a second one ends the program as usual.
    InterruptWatch interrupts(InterruptWatch::Again::kDefaultAction);
    job.Start([&] { notifications.fetch_add(1, std::memory_order_relaxed); }, {});

    std::string shown;
    const auto draw = [&] {
        if (notifications.load(std::memory_order_relaxed) == 0) return;  // not started yet
        const std::string line = ProgressLine(mode, job.Engine());
        if (!live || line == shown) return;
        shown = line;
        std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
        std::fflush(stderr);
    };
    while (!job.Ended()) {
        if (interrupts.TakeStopRequest()) job.Cancel();
        draw();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const int result = job.Finish();
    draw();
    if (live && !shown.empty()) std::fputc('\n', stderr);

    // A transfer the user cancelled ends quietly: its result (for text, "cancelled by
    // receiver") would only misreport what happened. The exit status still carries it.
    if (job.Cancelled()) return result;
    if (result != kXmodemSuccess && port.DeviceLost()) {
        std::fprintf(stderr, "zentrip-cli: %s\n",
                     DeviceLostText(port.DevicePath(), port.LostReason()).c_str());
    }
    std::error_code ignored;
    const auto full = std::filesystem::absolute(path, ignored);
    const std::string line = TransferEndLine(mode, result, full.string());
    std::FILE* out = result == kXmodemSuccess ? stdout : stderr;
    std::fprintf(out, "%s\n", line.c_str());
    for (const std::string& note : TransferFileLines(mode, result, full.string(), job.Engine())) {
        std::fprintf(out, "%s\n", note.c_str());
    }
    return result;
}

}  // namespace

int RunTransferCommand(int argc, char** argv, const char* help, TransferMode mode) {
    PortOptions options;
    std::string path;
    if (const int status = ParseTransferArgs(argc, argv, help, options, path); status >= 0) {
        return status;
    }
    return RunTransfer(mode, path, options);
}

}  // namespace zentrip::cli
