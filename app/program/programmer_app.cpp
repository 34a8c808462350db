#include "app/program/programmer_app.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/program/app_options.h"
#include "app/program/resources.h"
#include "sim/pty_simulator.h"
#include "text/command_line.h"

namespace zentrip {

CProgrammerApp::CProgrammerApp(const std::vector<std::string>& args) {
    const AppOptions options = ParseAppOptions(args);
    if (options.help) {
        std::fputs(kAppHelp, stdout);
        return;
    }
    if (!options.error.empty()) {
        std::fputs(UsageErrorText("zentrip", options.error).c_str(), stderr);
        m_exitStatus = kUsageStatus;
        return;
    }
    WindowServices services;
    if (options.simulate) {
        std::string error;
        m_simulator = sim::PtySimulator::Start({}, &error);
        if (!m_simulator) {
            std::fprintf(stderr, "zentrip: the simulator did not start: %s\n", error.c_str());
            m_exitStatus = 1;
            return;
        }
        services.simulatedDevice = m_simulator->DevicePath();
    }
    m_window = std::make_unique<CProgrammerDlg>(services);
    if (!options.workingFile.empty()) m_window->SetStartingFile(options.workingFile);
    m_signals = std::make_unique<TerminationSignals>();
    if (!m_signals->Ok()) {
        std::fputs(
            "zentrip: warning: cannot catch SIGTERM, SIGHUP and SIGINT; they end Zentrip at "
            "once, without hanging up or saving the settings\n",
            stderr);
    }
    QObject::connect(m_signals.get(), &TerminationSignals::Received, m_window.get(),
                     &CProgrammerDlg::CloseAsSystemCommand);
    m_window->show();
    if (m_simulator) {
        std::printf(
            "zentrip: simulated controller and modem on %s, the configured COM port "
            "while Zentrip runs\n",
            m_simulator->DevicePath().c_str());
        std::fflush(stdout);
    }
}

CProgrammerApp::~CProgrammerApp() {
    m_signals.reset();
    m_window.reset();  // the window's worker goes before the simulator it may talk to
    m_simulator.reset();
}

int RunZentrip(int argc, char** argv) {
    // The help needs no display, so it comes before Qt looks for one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kAppHelp, stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    application.setApplicationName("Zentrip");
    application.setQuitOnLastWindowClosed(false);
    application.setWindowIcon(ProgramIcon());
    // QApplication has taken its own options out of argv; the rest stay bytes, so a file name
    // that is not valid in the locale's encoding still names its file.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    CProgrammerApp zentrip(args);
    if (!zentrip.Ok()) return zentrip.ExitStatus();
    QObject::connect(&zentrip.Window(), &CProgrammerDlg::Closed, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    return application.exec();
}

}  // namespace zentrip
