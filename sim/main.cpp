// zentrip-sim: the simulated controller and modem as a program, for users without hardware
// and for tests that need a separate process.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_error.h"
#include "sim/pty_simulator.h"
#include "sim/sim_args.h"
#include "text/command_line.h"

namespace {

using zentrip::sim::PtySimulator;

// Points linkPath at device. An existing symlink (a stale one from a killed run) is replaced;
// any other file is left alone.
bool MakeLink(const std::string& linkPath, const std::string& device, std::string* error) {
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = linkPath + " exists and is not a symbolic link";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(device.c_str(), linkPath.c_str()) != 0) {
        *error = linkPath + ": " + zentrip::SystemErrorText(errno);
        return false;
    }
    return true;
}

// Removes the link only while it still leads to our device: another run may have taken it.
void RemoveLink(const std::string& linkPath, const std::string& device) {
    char target[4096];
    const ssize_t n = readlink(linkPath.c_str(), target, sizeof target - 1);
    if (n < 0) return;
    target[n] = '\0';
    if (device == target) unlink(linkPath.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    zentrip::sim::SimArgs args;
    std::string error;
    if (!zentrip::sim::ParseSimArgs(std::vector<std::string>(argv + 1, argv + argc), &args,
                                    &error)) {
        std::fputs(zentrip::UsageErrorText("zentrip-sim", error).c_str(), stderr);
        return zentrip::kUsageStatus;
    }
    if (args.help) {
        std::fputs(zentrip::sim::kSimUsage, stdout);
        return 0;
    }

    // Signals are taken by sigwait below; the serving thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);  // its terminal closed: leave no stale link behind
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> transcript(nullptr, &std::fclose);
    if (!args.transcriptPath.empty()) {
        transcript.reset(std::fopen(args.transcriptPath.c_str(), "w"));
        if (!transcript) {
            std::fprintf(stderr, "zentrip-sim: %s: %s\n", args.transcriptPath.c_str(),
                         zentrip::SystemErrorText(errno).c_str());
            return 1;
        }
    }
    PtySimulator::TranscriptSink sink;
    if (transcript) {
        sink = [file = transcript.get()](const zentrip::sim::TranscriptEntry& entry) {
            std::fprintf(file, "%s\n", zentrip::sim::FormatTranscriptLine(entry).c_str());
            std::fflush(file);
        };
    }

    auto pty = PtySimulator::Start(args.options, &error, sink);
    if (!pty) {
        std::fprintf(stderr, "zentrip-sim: %s\n", error.c_str());
        return 1;
    }
    if (!args.linkPath.empty() && !MakeLink(args.linkPath, pty->DevicePath(), &error)) {
        std::fprintf(stderr, "zentrip-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", pty->DevicePath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    pty->Stop();
    if (!args.linkPath.empty()) RemoveLink(args.linkPath, pty->DevicePath());
    return 0;
}
