// WindowState: what the main window has under way beyond its widgets: the start-up's modem
// set-up, the way out and its steps, the port's turns between the serial work and the Mini
// Terminal, the editor's lock and the editor's analysis. The window asks it what comes next
// and does that; whether the worker is busy or running a run is the worker's to say, so it
// comes in as an argument. Qt-free, so the rules have plain tests.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace zentrip {

class WindowState {
public:
    enum class CloseStep { Save, Collapse, HangUp, Finish };
    // The editor is read-only while a run programs its text, and until a run from the file
    // has shown the file there (which replaces what the editor holds); typing is kept otherwise.
    enum class EditorLock { None, WhileRunning, UntilShown };
    // What the Mini Terminal button leads to: nothing (on the way out, or one is open), the
    // refusal during a run, an opening once the modem job under way has ended, or one now.
    enum class TerminalAnswer { Nothing, Refuse, OpenAfterWork, Open };

    void EndStartup() { m_startupDone = true; }
    bool StartupDone() const { return m_startupDone; }

    // The way out. Nothing new starts once it has begun, and only one begins.
    bool Closing() const { return m_closing; }
    // Its Finish step has been given: the window may go.
    bool Closed() const { return m_closed; }
    bool BeginClose(const std::vector<CloseStep>& steps);
    // The first step, once the ports are free; while the work or the Mini Terminal holds one,
    // none: the way out waits for PortsFreed.
    std::optional<CloseStep> FirstCloseStep(bool workBusy);
    // The step a waiting way out goes on with now that the work has ended or the terminal has
    // closed; none when nothing waits or a port is still held.
    std::optional<CloseStep> PortsFreed(bool workBusy);
    // The step after the one that has just ended; none once the steps are over.
    std::optional<CloseStep> NextCloseStep();

    // The Mini Terminal and the window take turns at the port.
    TerminalAnswer AskForTerminal(bool runInProgress, bool workBusy);
    // The terminal opens (false on the way out) and holds the port until TerminalClosed.
    bool OpenTerminal();
    void TerminalClosed() { m_terminalOpen = false; }
    // A run asked for: a terminal asked for before it would open unasked after it.
    void RunAsked() { m_terminalWanted = false; }
    // The work has ended: whether a terminal asked for meanwhile opens now.
    bool TakeWantedTerminal();

    void LockEditor(EditorLock lock, std::size_t loads);
    // The editor's model has taken `loads` loads: whether that shows the file a lock waits for.
    bool FileShown(std::size_t loads) const;

    // One analysis at a time: a change during one gets one more after it.
    bool BeginAnalysis();
    // Whether another analysis starts now.
    bool EndAnalysis();

private:
    bool PortsInUse(bool workBusy) const { return workBusy || m_terminalOpen; }

    bool m_startupDone = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_waitingForPorts = false;
    std::deque<CloseStep> m_closeSteps;
    bool m_terminalWanted = false;  // asked for while a modem job held the port
    bool m_terminalOpen = false;    // from its opening until its port has closed
    EditorLock m_editorLock = EditorLock::None;
    std::size_t m_loadsAtLock = 0;
    bool m_analysing = false;
    bool m_analysisWanted = false;
};

}  // namespace zentrip
