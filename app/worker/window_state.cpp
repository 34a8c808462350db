#include "app/worker/window_state.h"

#include <utility>

namespace zentrip {

bool WindowState::BeginClose(const std::vector<CloseStep>& steps) {
    if (m_closing) return false;
    m_closing = true;
    m_closeSteps.assign(steps.begin(), steps.end());
    return true;
}

std::optional<WindowState::CloseStep> WindowState::FirstCloseStep(bool workBusy) {
    m_waitingForPorts = true;
    return PortsFreed(workBusy);
}

std::optional<WindowState::CloseStep> WindowState::PortsFreed(bool workBusy) {
    if (!m_waitingForPorts || PortsInUse(workBusy)) return std::nullopt;
    m_waitingForPorts = false;
    return NextCloseStep();
}

std::optional<WindowState::CloseStep> WindowState::NextCloseStep() {
    if (m_closeSteps.empty()) return std::nullopt;
    const CloseStep step = m_closeSteps.front();
    m_closeSteps.pop_front();
    if (step == CloseStep::Finish) m_closed = true;
    return step;
}

WindowState::TerminalAnswer WindowState::AskForTerminal(bool runInProgress, bool workBusy) {
    if (m_closing || m_terminalOpen) return TerminalAnswer::Nothing;
    if (runInProgress) return TerminalAnswer::Refuse;
    if (workBusy) {
        m_terminalWanted = true;
        return TerminalAnswer::OpenAfterWork;
    }
    return TerminalAnswer::Open;
}

bool WindowState::OpenTerminal() {
    if (m_closing) return false;
    m_terminalOpen = true;
    return true;
}

bool WindowState::TakeWantedTerminal() { return std::exchange(m_terminalWanted, false); }

void WindowState::LockEditor(EditorLock lock, std::size_t loads) {
    m_editorLock = lock;
    m_loadsAtLock = loads;
}

bool WindowState::FileShown(std::size_t loads) const {
    return m_editorLock == EditorLock::UntilShown && loads != m_loadsAtLock;
}

bool WindowState::BeginAnalysis() {
    if (m_analysing) {
        m_analysisWanted = true;
        return false;
    }
    m_analysing = true;
    return true;
}

bool WindowState::EndAnalysis() {
    m_analysing = false;
    return std::exchange(m_analysisWanted, false);
}

}  // namespace zentrip
