// CProgrammerApp: Zentrip's start-up as the program `zentrip` runs it: the command line,
// the simulated controller for --simulate, the main window shown folded, and the
// termination signals wired to the window's Close command. The program ends when the window
// has gone through its close sequence. Tests and tools start Zentrip the same way.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window/programmer_dlg.h"
#include "app/program/termination_signals.h"

namespace zentrip {

namespace sim {
class PtySimulator;
}

class CProgrammerApp {
public:
    // `args` without the program name and Qt's own options. Call Ok() before using it.
    explicit CProgrammerApp(const std::vector<std::string>& args);
    ~CProgrammerApp();

    // False when the program should end at once with ExitStatus() (help, a wrong command
    // line, a simulator that could not start); the reason is already on stderr or stdout.
    bool Ok() const { return m_window != nullptr; }
    int ExitStatus() const { return m_exitStatus; }
    CProgrammerDlg& Window() { return *m_window; }

private:
    int m_exitStatus = 0;
    std::unique_ptr<sim::PtySimulator> m_simulator;
    std::unique_ptr<CProgrammerDlg> m_window;
    std::unique_ptr<TerminationSignals> m_signals;
};

// The whole program: QApplication, CProgrammerApp, the event loop.
int RunZentrip(int argc, char** argv);

}  // namespace zentrip
