// ConsoleHost: the main window's operations for a run without a window. The results pane
// streams to stdout exactly as text enters it, the source editor and the message boxes go to
// stderr, the line and error fields feed the terminal's status line, and the continue
// question is answered by the --on-error policy. Ctrl-C, SIGTERM and SIGHUP reach the run as
// the Stop button, at the points where the run pumps its messages.
#pragma once

#include <functional>

#include "cli/console_output.h"
#include "cli/error_policy.h"
#include "cli/interrupt.h"
#include "platform/memory_text_sink.h"
#include "session/run_host.h"

namespace zentrip::cli {

class ConsoleHost final : public RunHost {
public:
    // The stop action is the Stop button's handler (the session's AbortRun for a signal).
    ConsoleHost(ConsoleOutput& output, ErrorPolicy policy, bool directChecked,
                InterruptWatch* interrupts, int answers);

    void SetStopAction(std::function<void()> stop) { m_stop = std::move(stop); }

    TextSink& SourceEditor() override { return m_editor; }
    void PumpMessages() override;
    // zentrip-cli names a failed open on stderr, once for the set-up and the run.
    bool NamesOpenFailures() const override { return false; }
    TextSink& ResultsPane() override { return m_results; }
    void SetLineNumberText(std::string_view text) override;
    void SetTotalErrorsText(std::string_view text) override;
    MessageBoxAnswer MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) override;
    // The working file comes from the command line; there is nobody to choose another.
    std::optional<std::string> ChooseProgramFile(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    bool DirectModeChecked() override { return m_directChecked; }
    void ShowStatusDisplay() override { m_output.StartRun(); }
    // "PATH:LINE: WHY" on stderr, the form compilers use.
    void LineFailedAt(const SourcePlace& place, std::string_view why) override;
    void Diagnostic(std::string_view line) override {
        m_output.Err("zentrip-cli: " + std::string(line) + "\n");
    }

private:
    ConsoleOutput& m_output;
    ErrorPolicy m_policy;
    bool m_directChecked;
    InterruptWatch* m_interrupts;
    int m_answers;  // where the answers to questions are read, stdin
    std::function<void()> m_stop;
    MemoryTextSink m_results;
    MemoryTextSink m_editor;
};

}  // namespace zentrip::cli
