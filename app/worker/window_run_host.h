// WindowRunHost: the run's host on the worker thread of the main window. Every window
// operation goes to the window thread through the window queue, with copies of its
// arguments, and the worker goes on at once; only the continue question and the file choice
// wait, on a future the window fulfils when its box closes. The text panes are shared
// models (app/worker/text_model.h), and the window's heights are atomics the window keeps current,
// so reading them never waits on the window thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "app/worker/editor_status_sink.h"
#include "app/worker/run_window.h"
#include "app/worker/text_model.h"
#include "app/worker/window_queue.h"
#include "session/run_host.h"
#include "text/path_text.h"

namespace zentrip {

class WindowRunHost final : public RunHost {
public:
    WindowRunHost(WindowQueue& queue, RunWindow& window, TextModel& editor, TextModel& results)
        : m_queue(queue),
          m_window(window),
          m_editor(editor),
          m_editorStatus(editor),
          m_results(results) {}

    // Worker thread, before each job: the RS232 check box as it was when the job was asked for.
    void BeginJob(bool directChecked) { m_directChecked = directChecked; }
    // Window thread: the status display's height as the animation leaves it, and the full one.
    void NoteHeights(int height, int fullHeight);

    TextSink& SourceEditor() override { return m_editor; }
    TextSink& EditorStatus() override { return m_editorStatus; }
    TextSink& ResultsPane() override { return m_results; }
    std::string PaneText(const std::string& path) const override { return PathAsLatin1(path); }
    // Nothing waits here for the window: the window thread handles its own messages.
    void PumpMessages() override {}
    void SetLineNumberText(std::string_view text) override;
    void SetTotalErrorsText(std::string_view text) override;
    void SetWorkingFileText(std::string_view text) override;
    // An OK box is shown and the run goes on; a Yes/No box waits for the answer.
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
    int WindowHeight() override { return m_height.load(); }
    int FullHeight() override { return m_fullHeight.load(); }
    // A short pause for the animation to move on, unless the window is that high already.
    void AwaitHeight(int height) override;
    void SetCursor(RunCursor cursor) override;
    void FocusEditor() override;

private:
    void Post(std::function<void(RunWindow&)> operation);

    WindowQueue& m_queue;
    RunWindow& m_window;
    TextModel& m_editor;
    EditorStatusSink m_editorStatus;
    TextModel& m_results;
    bool m_directChecked = false;  // worker thread only
    std::atomic<int> m_height{0};
    std::atomic<int> m_fullHeight{0};
    std::mutex m_lineMutex;
    std::string m_lineNumber;  // the latest, for the one update that waits
    bool m_lineNumberPosted = false;
    std::mutex m_heightMutex;
    std::condition_variable m_heightChanged;
};

}  // namespace zentrip
