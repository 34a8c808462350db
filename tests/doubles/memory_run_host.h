// MemoryRunHost: a RunHost without a window, for tests (and any caller that wants a record).
// It keeps both text controls in memory, records every window operation in order as a short
// text (Events()), answers message boxes and the file choice from a script, and stamps every
// PumpMessages with the clock's tick. Hooks let a test act from inside a pump or a message
// box, as a user pressing Stop would.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "session/run_host.h"
#include "text/memory_text_sink.h"

namespace zentrip {

class MemoryRunHost : public RunHost {
public:
    static constexpr int kCollapsedHeight = 300;
    static constexpr int kFullHeight = 600;

    explicit MemoryRunHost(Clock* clock = nullptr);

    TextSink& SourceEditor() override { return m_editor; }
    TextSink& ResultsPane() override { return m_results; }
    void PumpMessages() override;
    void SetLineNumberText(std::string_view text) override;
    void SetTotalErrorsText(std::string_view text) override;
    void SetWorkingFileText(std::string_view text) override;
    MessageBoxAnswer MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) override;
    std::optional<std::string> ChooseProgramFile(std::string_view initialName,
                                                 std::string_view filter) override;
    bool DirectModeChecked() override { return m_directChecked; }
    void EnableProgramButton(bool enable) override;
    void ShowStopButton(std::string_view caption) override;
    void SetStopButtonCaption(std::string_view caption) override;
    void ShowStatusDisplay() override;
    void HideStatusDisplay() override;
    int WindowHeight() override { return m_height; }
    int FullHeight() override { return kFullHeight; }
    void SetCursor(RunCursor cursor) override;
    void FocusEditor() override;

    // Script.
    void SetDirectModeChecked(bool checked) { m_directChecked = checked; }
    // Answers for the coming message boxes, in order; without one an OK box answers Ok and
    // a Yes/No box answers No.
    void QueueAnswer(MessageBoxAnswer answer) { m_answers.push_back(answer); }
    // What the next file choices return, in order; without one the choice is cancelled.
    void QueueFileChoice(std::optional<std::string> path) { m_choices.push_back(std::move(path)); }
    void OnPump(std::function<void()> hook) { m_onPump = std::move(hook); }
    void OnMessageBox(std::function<void(std::string_view text)> hook) {
        m_onBox = std::move(hook);
    }

    // Record.
    const std::vector<std::string>& Events() const { return m_events; }
    const std::vector<std::uint64_t>& PumpTicks() const { return m_pumpTicks; }
    const std::vector<std::string>& MessageBoxTexts() const { return m_boxTexts; }
    std::string Results() const { return m_results.Text(); }
    std::string Editor() const { return m_editor.Text(); }
    MemoryTextSink& EditorSink() { return m_editor; }
    const std::string& LineNumber() const { return m_lineNumber; }
    const std::string& TotalErrors() const { return m_totalErrors; }
    const std::string& StopCaption() const { return m_stopCaption; }
    bool ProgramButtonEnabled() const { return m_programEnabled; }
    bool StopButtonVisible() const { return m_stopVisible; }

private:
    void Record(std::string event) { m_events.push_back(std::move(event)); }

    Clock* m_clock;
    MemoryTextSink m_editor;
    MemoryTextSink m_results;
    std::vector<std::string> m_events;
    std::vector<std::uint64_t> m_pumpTicks;
    std::vector<std::string> m_boxTexts;
    std::deque<MessageBoxAnswer> m_answers;
    std::deque<std::optional<std::string>> m_choices;
    std::function<void()> m_onPump;
    std::function<void(std::string_view)> m_onBox;
    std::string m_lineNumber;
    std::string m_totalErrors;
    std::string m_stopCaption;
    bool m_directChecked = false;
    bool m_programEnabled = true;
    bool m_stopVisible = false;
    bool m_unfolding = false;
    int m_height = kCollapsedHeight;
};

}  // namespace zentrip
