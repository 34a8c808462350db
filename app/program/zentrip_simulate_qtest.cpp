// `zentrip --simulate` end to end over its pseudo-terminal, in real time: the start-up the
// program runs, programming the demo into the simulated controller from the window, and the
// program itself closing on a termination signal with the settings saved and the simulated
// device kept out of them.
#include <signal.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "app/program/programmer_app.h"
#include "app/testing/qtest_fixture.h"
#include "platform/terminal_device.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace zentrip {

class SimulateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qInstallMessageHandler(testing::QuietSizeHints);
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        // The demo's include names are relative to the top folder.
        QDir::setCurrent(ZENTRIP_SOURCE_DIR);
    }
    void theWindowProgramsTheDemoIntoTheSimulator();
    void aTerminationSignalClosesTheProgramAsItsCloseCommand();

private:
    testing::TempDir m_config{"zentrip-simulate-"};
};

void SimulateTest::theWindowProgramsTheDemoIntoTheSimulator() {
    CProgrammerApp app({"--simulate", "examples/demo.orv"});
    QVERIFY(app.Ok());
    CProgrammerDlg& window = app.Window();
    QCOMPARE(window.windowTitle(), QString("Zentrip V2.21 (simulated)"));
    QVERIFY(window.findChild<QCheckBox*>("id1011")->isChecked());
    auto* editor = window.findChild<QPlainTextEdit*>("id1001");
    QTRY_VERIFY_WITH_TIMEOUT(editor->toPlainText().startsWith("; Demo program"), 10000);
    // The simulator's pseudo-terminal; the stored device stays.
    QCOMPARE(TerminalDeviceProblem(window.EffectiveSettings().devicePaths[0]), std::string());
    QCOMPARE(window.Settings().devicePaths[0], std::string("/dev/ttyS0"));

    QTest::mouseClick(window.findChild<QPushButton*>("id1000"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window.SerialWorkBusy(), 30000);
    const QString results = window.findChild<QPlainTextEdit*>("id1013")->toPlainText();
    QVERIFY2(results.endsWith("Programming complete with 00000 total errors"), qPrintable(results));
    QCOMPARE(window.findChild<QLineEdit*>("id1016")->text(), QString("00035"));

    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    window.CloseAsSystemCommand();
    QTRY_VERIFY_WITH_TIMEOUT(closed.count() == 1, 10000);
}

void SimulateTest::aTerminationSignalClosesTheProgramAsItsCloseCommand() {
    const std::string settings = m_config.Path("TALVEN_ORVANE7K_PGMR/Settings.ini");
    std::remove(settings.c_str());
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::BackgroundChild zentrip({ZENTRIP_APP, "--simulate"});
    QVERIFY(zentrip.Started());
    const std::string ready = zentrip.ReadLine(10000);
    QVERIFY2(ready.find("zentrip: simulated controller and modem on /dev/") == 0, ready.c_str());
    zentrip.Signal(SIGTERM);
    QCOMPARE(zentrip.Wait(10000), 0);
    // Nothing was changed, so nothing is saved: above all not the simulator's device.
    QVERIFY2(!std::filesystem::exists(settings), testing::TempDir::Read(settings).c_str());
}

}  // namespace zentrip

QTEST_MAIN(zentrip::SimulateTest)
#include "zentrip_simulate_qtest.moc"
