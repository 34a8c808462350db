// The main window on the fake line and virtual time, driven as a user would: start-up, the
// animations, Escape, both ways out in their order, runs from the file and from the editor,
// the continue question, Stop, the window's own extras and the Mini Terminal's turn. The rules
// behind them (steps, pane model, worker) have plain tests of their own; these check the wiring.
#include <termios.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "app/common/window_fonts.h"
#include "app/dialogs/about_dlg.h"
#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/prompt_dlg.h"
#include "app/dialogs/run_records_dlg.h"
#include "app/main_window/programmer_dlg.h"
#include "app/main_window/programmer_dlg_template.h"
#include "app/mini_term/mini_term_dlg.h"
#include "app/panes/editor_highlighter.h"
#include "app/program/termination_signals.h"
#include "app/testing/qtest_fixture.h"
#include "platform/pseudo_terminal.h"
#include "platform/system_error.h"
#include "session/run_records.h"
#include "sim/fake_line_simulator.h"
#include "sim/fake_serial_line.h"
#include "sim/simulator.h"
#include "tests/doubles/blocking_wait_clock.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace zentrip {

namespace {

const std::string kModemSetUp = "AT\rATS11=150\rATS8=1\r";

using namespace testing;

// The window's fold animation, a child of the window.
const FoldAnimator& Animator(const CProgrammerDlg& window) {
    return *window.findChild<FoldAnimator*>();
}

QString PaneText(const QWidget& window, int id) {
    return Find<QPlainTextEdit>(window, QString("id%1").arg(id))->toPlainText();
}

// One window on a fake line, the simulated controller answering, in its own folders.
struct Rig {
    // settingsFile: what Settings.ini holds when the window starts (none when empty).
    explicit Rig(sim::SimOptions options = {}, const std::string& settingsFile = "") {
        if (!settingsFile.empty()) {
            std::filesystem::create_directories(config.Path() + "/TALVEN_ORVANE7K_PGMR");
            std::ofstream(SettingsFile()) << settingsFile;
        }
        std::string error;
        simulator = sim::Simulator::Create(options, &error);
        sim::AttachSimulator(line, simulator);
        window = std::make_unique<CProgrammerDlg>(
            WindowServices{&clock, &opener, {}, [this](const QUrl& url) {
                               openedUrls.push_back(url);
                               return true;
                           }});
        window->show();
    }
    std::string SettingsFile() const {
        return config.Path() + "/TALVEN_ORVANE7K_PGMR/Settings.ini";
    }
    std::string Program(const std::string& text) const { return folder.Write("p.orv", text); }
    // Whether the start-up's modem set-up comes to an end.
    bool Idle() const {
        return QTest::qWaitFor([this] { return !window->SerialWorkBusy(); });
    }
    // Makes `text` the starting file once the serial work is done; whether the editor comes to
    // show it (by its first line).
    bool ShowProgram(const std::string& text) const {
        if (!Idle()) return false;
        window->SetStartingFile(Program(text));
        const QString first = QString::fromStdString(text.substr(0, text.find('\n')));
        return QTest::qWaitFor([&] { return PaneText(*window, 1001).startsWith(first); });
    }
    // Clicks Program from File; whether the run comes to line `number` ("00003").
    bool RunFromFileTo(const QString& number) const {
        Click(*window, ids::kProgramFromFile);
        return QTest::qWaitFor(
            [&] { return Find<QLineEdit>(*window, "id1016")->text() == number; });
    }

    testing::TempDir config;
    testing::TempDir temp;
    testing::TempDir folder;
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.Path()};
    ScopedEnv temporaryFolder{"TMPDIR", temp.Path()};
    BlockingWaitClock clock;
    FakeSerialLine line{clock};
    FakeSerialOpener opener{line};
    std::shared_ptr<sim::Simulator> simulator;
    std::vector<QUrl> openedUrls;  // what "Open Folder" asked the desktop to show
    std::unique_ptr<CProgrammerDlg> window;
};

sim::SimOptions Complaining() {
    sim::SimOptions options;
    options.controller.complainPattern = "^BAD";
    return options;
}

}  // namespace

class ProgrammerDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(QuietSizeHints); }

    void startsFoldedWithEveryControlOfTheTemplate();
    void runUnfoldsAndHideFoldsInStepsToExactHeights();
    void escapeDoesNothing();
    void returnPressesNothingButTheFocusedButton();
    void tabReachesOnlyTheControlsThatShow();
    void exitAndCloseAskDuringARunAndSignalsDoNot();
    void exitCollapsesHangsUpThenSaves();
    void closeCommandSavesThenCollapsesAndHangsUp();
    void closingDuringAWaitStopsTheRunFirst();
    void continueQuestionYesGoesOnAndNoHalts();
    void stopDuringAWaitTakesEffectAfterIt();
    void programSelectedAndAllInWindowPutTheEditorBack();
    void statusLinesAreShownApartAndNeverProgrammed();
    void typedWorkIsSavedOrKeptUnlessTheUserLetsItGo();
    void selectTakesANewFileOnlyInAFolderThatExists();
    void settingsComeFromTheFileAndGoBackToIt();
    void extrasDropPreviewSaveAndAbout();
    void savingTheResultsNamesWhyItFailed();
    void draggingTheBackgroundMovesTheWindow();
    void miniTerminalWaitsItsTurnAndHandsItsSettingsBack();
    void runRecordsShowTheRunAsThePaneShowedIt();
    void doubleClickOnAResultsLineShowsItsSource();
    void aProblemIsUnderlinedAndNamedOnHover();
};

void ProgrammerDlgTest::startsFoldedWithEveryControlOfTheTemplate() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    QCOMPARE(window.windowTitle(), QString("Zentrip V2.21"));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    const QRect button = Find(window, "id1008")->geometry();
    QCOMPARE(window.height(), button.y() + button.height() + 10);
    QCOMPARE(window.width(), DialogRect(0, 0, 490, 335).width());
    // Every control where the template puts it, named for assistive tools by its text (the
    // fields and panes by their labels).
    const std::map<int, QString> names{{ids::kWorkingFile, "Working File"},
                                       {ids::kSourceEditor, "Program Source Data"},
                                       {ids::kResults, "Programming Status and Results"},
                                       {ids::kLineNumber, "Line Number"},
                                       {ids::kTotalErrors, "Total Errors"},
                                       {ids::kComPort, " COM1\n9600 bps\nChange..."},
                                       {ids::kStop, "Hide Status Display"}};
    QList<QLabel*> labels = window.findChildren<QLabel*>("id-1");
    for (const ControlTemplate& control : kProgrammerDlgTemplate) {
        QWidget* widget = control.id == ids::kLabel ? labels.takeFirst()
                                                    : Find(window, QString("id%1").arg(control.id));
        const QRect place = DialogRect(control.x, control.y, control.width, control.height);
        QCOMPARE(widget->pos(), place.topLeft());
        QCOMPARE(widget->height(), place.height());
        const QString text = names.count(control.id) ? names.at(control.id)
                                                     : QString(control.text).replace('\r', '\n');
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), text);
    }
    QCOMPARE(Find<QPushButton>(window, "id1009")->text(), QString(" COM1\n9600 bps\nChange..."));
    QCOMPARE(Find(window, "id1011")->accessibleName(),
             QString("Check to directly program via RS232 (Only on Orvane 7330, etc)"));
    QVERIFY(Find(window, "id1005")->isHidden());
    QCOMPARE(rig.line.Written(), kModemSetUp);
    QCOMPARE(PaneText(window, 1001), QString("Initializing modem on COM1\nDone.\n"));
}

void ProgrammerDlgTest::runUnfoldsAndHideFoldsInStepsToExactHeights() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    const FoldHeights heights = Animator(window).Heights();
    QSignalSpy steps(&Animator(window), &FoldAnimator::Stepped);
    window.SetStartingFile(rig.Program("ONE\n"));
    Find<QCheckBox>(window, "id1011")->setChecked(true);
    Click(window, ids::kProgramFromFile);
    QTRY_VERIFY(
        PaneText(window, ids::kResults).endsWith("Programming complete with 00000 total errors"));
    QTRY_COMPARE(window.height(), heights.full);
    QList<int> expected;
    for (int h = heights.collapsed + 20; h < heights.full; h += 20) expected.append(h);
    expected.append(heights.full);
    QList<int> seen;
    for (const QList<QVariant>& step : steps) seen.append(step[0].toInt());
    QCOMPARE(seen, expected);
    QCOMPARE(Find<QPushButton>(window, "id1005")->accessibleName(), QString("Hide Status Display"));

    steps.clear();
    Click(window, ids::kStop);
    QTRY_COMPARE(window.height(), heights.collapsed);
    expected.clear();
    for (int h = heights.full - 20; h > heights.collapsed; h -= 20) expected.append(h);
    expected.append(heights.collapsed);
    seen.clear();
    for (const QList<QVariant>& step : steps) seen.append(step[0].toInt());
    QCOMPARE(seen, expected);
}

void ProgrammerDlgTest::escapeDoesNothing() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(Find(window, "id1001"), Qt::Key_Escape);
    QTest::qWait(100);
    QVERIFY(window.isVisible());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(rig.line.Written(), kModemSetUp);
}

void ProgrammerDlgTest::returnPressesNothingButTheFocusedButton() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("#direct\nONE\n#wait 100000\nTWO\n"));
    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    for (const bool running : {false, true}) {
        if (running) {  // what was typed idle may go
            Click(window, ids::kProgramFromFile);
            QMessageBox* keep = WaitForDialog<QMessageBox>(window);
            QVERIFY(keep);
            QTest::mouseClick(keep->button(QMessageBox::Discard), Qt::LeftButton);
            QTRY_COMPARE(Find<QLineEdit>(window, "id1016")->text(), QString("00003"));
        }
        for (const char* name : {"id1003", "id1011", "id1001", "id1013", "id1016", "id1017"}) {
            QWidget* control = Find(window, name);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
            QTest::keyClick(control, Qt::Key_Enter);
        }
        QTest::qWait(50);
        QVERIFY(!WaitForDialog<QMessageBox>(window, 0));
        QCOMPARE(closed.count(), 0);
        QCOMPARE(window.RunInProgress(), running);
        QVERIFY(!PaneText(window, ids::kResults).contains("halted"));
    }
    // The editor takes Return as a line break, idle and during a run from the file.
    QCOMPARE(editor->toPlainText().count('\n'), 4 + 2);
    // A focused button still answers Return.
    auto* exit = Find<QPushButton>(window, "id1004");
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Return);
    QVERIFY(WaitForDialog<QMessageBox>(window));
}

void ProgrammerDlgTest::tabReachesOnlyTheControlsThatShow() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("ONE\n"));
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    auto reached = [&window, editor] {
        editor->setFocus();
        QStringList names;
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            names.append(window.focusWidget()->objectName());
        }
        names.removeDuplicates();
        names.sort();
        return names;
    };
    const QStringList upper{"id1000", "id1001", "id1002", "id1003", "id1004", "id1006",
                            "id1007", "id1008", "id1009", "id1010", "id1011", "id1012"};
    QCOMPARE(reached(), upper);
    QCOMPARE(editor->toPlainText(), QString("ONE\n"));  // Tab left the editor, typing nothing
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(editor->toPlainText(), QString("ONE\n\t"));

    // Preview Expansion unfolds the status area, whose controls then take the focus too.
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "Preview Expansion") action->trigger();
    QTRY_COMPARE(window.height(), Animator(window).Heights().full);
    const QStringList unfolded = upper + QStringList{"id1013", "id1016", "id1017"};
    QCOMPARE(reached(), unfolded);
}

void ProgrammerDlgTest::exitAndCloseAskDuringARunAndSignalsDoNot() {
    for (const int signal : {SIGHUP, SIGINT}) {
        Rig rig;
        CProgrammerDlg& window = *rig.window;
        QVERIFY(rig.ShowProgram("#direct\nONE\n#wait 100000\nTWO\n"));
        QVERIFY(rig.RunFromFileTo("00003"));
        QSignalSpy closed(&window, &CProgrammerDlg::Closed);
        // A stray Return or Escape at the question answers No.
        const std::pair<std::function<void()>, Qt::Key> ways[] = {
            {[&] { window.close(); }, Qt::Key_Return},
            {[&] { Click(window, ids::kExit); }, Qt::Key_Escape}};
        for (const auto& [way, key] : ways) {
            way();
            QMessageBox* box = WaitForDialog<QMessageBox>(window);
            QVERIFY(box);
            QCOMPARE(box->text(),
                     QString("A controller is being programmed. Stop programming and exit?"));
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QTest::keyClick(box, key);
            QTest::qWait(50);
            QVERIFY(window.RunInProgress());
        }
        TerminationSignals termination;
        QVERIFY(termination.Ok());
        connect(&termination, &TerminationSignals::Received, &window,
                &CProgrammerDlg::CloseAsSystemCommand);
        raise(signal);
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(PaneText(window, ids::kResults).endsWith("** Programming halted by user. **\n"));
    }
}

namespace {

// A change of the window's rate for its close to save, after zentrip-cli stored a modem string
// that the save must keep.
void ChangeRateWhileAnotherWriterSaves(CProgrammerDlg& window) {
    SaveSettingValues({{kModemInitStringValue, "ATM0"}});
    CommSettings changed = window.Settings();
    changed.dataRate = 19200;
    window.TakeSerialSettings(changed);
}

// Watches a way out: whether the settings were saved and how often the window had collapsed
// when the close's hang-up sent its "AT\r", and when the window was done.
struct CloseWatch {
    explicit CloseWatch(Rig& rig)
        : line(rig.line), closed(rig.window.get(), &CProgrammerDlg::Closed) {
        QObject::connect(&Animator(*rig.window), &FoldAnimator::Collapsed, &closed,
                         [this] { ++collapses; });
        ChangeRateWhileAnotherWriterSaves(*rig.window);
        rig.line.SetResponder([this, &rig](std::string_view written, FakeSerialLine&) {
            if (written != "AT\r" || rig.line.Written() == "AT\r") return;  // not the set-up's
            savedAtHangUp = TempDir::Read(rig.SettingsFile()).find("DataRate") != std::string::npos;
            collapsesAtHangUp = collapses.load();
        });
    }

    ~CloseWatch() { line.SetResponder(nullptr); }

    FakeSerialLine& line;
    QSignalSpy closed;
    std::atomic<int> collapses{0};
    std::atomic<bool> savedAtHangUp{false};
    std::atomic<int> collapsesAtHangUp{-1};
};

}  // namespace

void ProgrammerDlgTest::exitCollapsesHangsUpThenSaves() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    CloseWatch watch(rig);
    Click(window, ids::kExit);
    QTRY_COMPARE(watch.closed.count(), 1);
    QCOMPARE(rig.line.Written(), kModemSetUp + "AT\rATH0\r");
    QCOMPARE(watch.collapsesAtHangUp.load(), 1);
    QVERIFY(!watch.savedAtHangUp);
    QCOMPARE(TempDir::Read(rig.SettingsFile()),
             std::string("[Settings]\nDataRate=19200\nModemInitString=ATM0\n"));
    QVERIFY(!window.isVisible());
    QVERIFY(Animator(window).Height() <= 4);
}

void ProgrammerDlgTest::closeCommandSavesThenCollapsesAndHangsUp() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    CloseWatch watch(rig);
    window.close();
    QVERIFY(window.isVisible());  // the close sequence runs first
    QVERIFY(TempDir::Read(rig.SettingsFile()).find("DataRate=19200") != std::string::npos);
    QTRY_COMPARE(watch.closed.count(), 1);
    QCOMPARE(rig.line.Written(), kModemSetUp + "AT\rATH0\r");
    QCOMPARE(watch.collapsesAtHangUp.load(), 1);
    QVERIFY(watch.savedAtHangUp);
}

void ProgrammerDlgTest::closingDuringAWaitStopsTheRunFirst() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("#direct\nONE\n#wait 100000\nTWO\n"));
    QVERIFY(rig.RunFromFileTo("00003"));
    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    ChangeRateWhileAnotherWriterSaves(window);
    window.close();
    QMessageBox* question = WaitForDialog<QMessageBox>(window);
    QVERIFY(question);
    QTest::mouseClick(question->button(QMessageBox::Yes), Qt::LeftButton);
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(PaneText(window, 1013).endsWith("** Programming halted by user. **\n"));
    // The run's own hang-up, then the close's.
    QCOMPARE(rig.line.Written(), kModemSetUp + "\r\rONE\rAT\rATH0\rAT\rATH0\r");
    QVERIFY(std::filesystem::exists(rig.SettingsFile()));
}

void ProgrammerDlgTest::continueQuestionYesGoesOnAndNoHalts() {
    Rig rig(Complaining());
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("#direct\nBAD 1\nTWO\n"));
    // Yes, No, then Stop and a termination signal while the question is open: both answer No.
    auto* stop = Find<QPushButton>(window, "id1005");
    const std::function<void(QMessageBox*)> answers[] = {
        [](QMessageBox* box) { QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton); },
        [](QMessageBox* box) { QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton); },
        [stop](QMessageBox*) { stop->click(); },
        [&window](QMessageBox*) { window.CloseAsSystemCommand(); }};
    for (const std::function<void(QMessageBox*)>& answer : answers) {
        Click(window, ids::kProgramFromFile);
        QMessageBox* box = WaitForDialog<QMessageBox>(window);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QVERIFY(box->text().startsWith("==== Error reported by controller during upload. ====\n"));
        QVERIFY(box->text().endsWith("Do you want to continue programming?"));
        QVERIFY(window.RunInProgress());
        answer(box);
        QTRY_VERIFY(!window.SerialWorkBusy());
    }
    QCOMPARE(rig.simulator->Controller().Lines(),
             (std::vector<std::string>{"BAD1", "TWO", "BAD1", "BAD1", "BAD1"}));
    QVERIFY(PaneText(window, 1013).contains("** Programming halted by error condition. **"));
}

void ProgrammerDlgTest::stopDuringAWaitTakesEffectAfterIt() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("#direct\n#wait 2\nONE\nTWO\n"));
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    Click(window, ids::kProgramAllInWindow);
    QTRY_COMPARE(Find<QLineEdit>(window, "id1016")->text(), QString("00002"));
    // The editor's own text is being programmed: it is locked and says so.
    QVERIFY(editor->isReadOnly());
    QCOMPARE(editor->accessibleDescription(), QString("Locked while its text is being programmed"));
    QCOMPARE(Find<QPushButton>(window, "id1005")->accessibleName(), QString("STOP Programming"));
    QVERIFY(!Find(window, "id1000")->isEnabled());
    Click(window, ids::kStop);
    Click(window, ids::kProgramAllInWindow);  // refused while the run goes on
    QMessageBox* box = WaitForDialog<QMessageBox>(window);
    QVERIFY(box);
    QCOMPARE(box->text(), QString("In the process of programming a controller already."));
    box->accept();
    QTRY_VERIFY(!window.SerialWorkBusy());
    QVERIFY(PaneText(window, ids::kResults).endsWith("** Programming halted by user. **\n"));
    QCOMPARE(rig.clock.WaitedMs(), 2000u);  // Stop let the wait run out
    QCOMPARE(rig.simulator->Controller().Lines(), std::vector<std::string>{});
    QTRY_COMPARE(window.height(), Animator(window).Heights().full);
    QVERIFY(Find(window, "id1000")->isEnabled());
    QVERIFY(!editor->isReadOnly());
}

void ProgrammerDlgTest::programSelectedAndAllInWindowPutTheEditorBack() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    Find<QCheckBox>(window, "id1011")->setChecked(true);
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    editor->setPlainText("ONE\nTWO\nTHREE");
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(2);
    editor->setTextCursor(cursor);
    Click(window, ids::kProgramSelected);  // nothing selected
    QMessageBox* box = WaitForDialog<QMessageBox>(window);
    QVERIFY(box);
    QCOMPARE(box->icon(), QMessageBox::Information);
    QCOMPARE(box->text(),
             QString("First select the text you want sent to the\ncontroller in the EDIT window."));
    box->accept();
    QTRY_VERIFY(!window.SerialWorkBusy());  // the refused job has ended

    cursor.setPosition(4);
    cursor.setPosition(8, QTextCursor::KeepAnchor);  // "TWO" and its line end
    editor->setTextCursor(cursor);
    Click(window, ids::kProgramSelected);
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(rig.simulator->Controller().Lines(), std::vector<std::string>{"TWO"});
    QCOMPARE(editor->toPlainText(), QString("ONE\nTWO\nTHREE"));
    QCOMPARE(editor->textCursor().selectionStart(), 4);
    QCOMPARE(editor->textCursor().selectionEnd(), 8);
    QCOMPARE(window.focusWidget(), editor);

    Click(window, ids::kProgramAllInWindow);
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(rig.simulator->Controller().Lines(),
             (std::vector<std::string>{"TWO", "ONE", "TWO", "THREE"}));
    QCOMPARE(editor->toPlainText(), QString("ONE\nTWO\nTHREE"));
    QCOMPARE(Find<QLineEdit>(window, "id1003")->text(), QString());
    QVERIFY(std::filesystem::is_empty(rig.temp.Path()));
    QVERIFY(!editor->isReadOnly());
}

void ProgrammerDlgTest::statusLinesAreShownApartAndNeverProgrammed() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    Find<QCheckBox>(window, "id1011")->setChecked(true);
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    // Typed during the start-up's modem set-up, which writes its lines meanwhile.
    editor->setFocus();
    QTest::keyClicks(editor, "ONE");
    QTextCursor typed(editor->document());
    typed.setPosition(3, QTextCursor::KeepAnchor);
    editor->setTextCursor(typed);
    // Started while the set-up still writes its lines: the selection still programs, the
    // status marks outlive the run, and a Mini Terminal asked for before the run stays shut.
    QVERIFY(window.SerialWorkBusy());
    Click(window, ids::kMiniTerminal);
    Click(window, ids::kProgramSelected);
    QVERIFY(rig.Idle());
    QCOMPARE(rig.simulator->Controller().Lines(), std::vector<std::string>{"ONE"});
    QVERIFY(!window.findChild<CMiniTermDlg*>());
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "TWO");
    QCOMPARE(editor->toPlainText(), QString("ONEInitializing modem on COM1\nDone.\n\nTWO"));
    QCOMPARE(editor->extraSelections().size(), 1);
    QCOMPARE(editor->extraSelections()[0].cursor.selectedText(),
             QString("Initializing modem on COM1") + QChar::ParagraphSeparator + "Done." +
                 QChar::ParagraphSeparator);
    QCOMPARE(editor->extraSelections()[0].format.foreground().color(), QColor(128, 128, 128));

    Click(window, ids::kProgramAllInWindow);
    QTRY_VERIFY(!window.SerialWorkBusy());
    editor->selectAll();
    Click(window, ids::kProgramSelected);
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(rig.simulator->Controller().Lines(),
             (std::vector<std::string>{"ONE", "ONE", "TWO", "ONE", "TWO"}));
    QTRY_COMPARE(editor->extraSelections().size(), 1);
    // Undo takes back what was typed, and nothing else.
    for (int i = 0; i < 5; ++i) QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor->toPlainText(), QString("Initializing modem on COM1\nDone.\n"));
}

void ProgrammerDlgTest::typedWorkIsSavedOrKeptUnlessTheUserLetsItGo() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    Find<QCheckBox>(window, "id1011")->setChecked(true);
    const std::string path = rig.Program("ONE\r\n\xE9\r\n");
    window.SetStartingFile(path);
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    QTRY_VERIFY(editor->toPlainText().startsWith("ONE"));
    auto type = [editor](const QString& text) {
        editor->moveCursor(QTextCursor::End);
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, lines[i]);
        }
    };
    auto keys = [&window, editor](QKeyCombination combination) {
        window.activateWindow();  // they are the window's shortcuts
        QTRY_VERIFY(window.isActiveWindow());
        QTest::keyClick(editor, combination.key(), combination.keyboardModifiers());
    };
    auto answer = [&window](QMessageBox::StandardButton button) {
        QMessageBox* box = WaitForDialog<QMessageBox>(window);
        QVERIFY(box);
        QCOMPARE(box->text(), QString("Save changes to the program in the editor?"));
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    };

    type("TWO");
    Click(window, ids::kSelect);
    answer(QMessageBox::Cancel);
    QTest::qWait(50);
    QVERIFY(!WaitForDialog<QFileDialog>(window, 0));
    keys(Qt::CTRL | Qt::Key_S);  // the file keeps its CR LF and 8 bits
    QCOMPARE(TempDir::Read(path), std::string("ONE\r\n\xE9\r\nTWO"));

    type("X");
    Click(window, ids::kProgramFromFile);
    answer(QMessageBox::Discard);
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(rig.simulator->Controller().Lines(), (std::vector<std::string>{"ONE", "\xE9", "TWO"}));
    QCOMPARE(editor->toPlainText(), QString("ONE\n") + QChar(0xE9) + "\nTWO");

    type("\nY");
    keys(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    QFileDialog* saveAs = WaitForDialog<QFileDialog>(window);
    QVERIFY(saveAs);
    const std::string fresh = rig.folder.Path("new.orv");
    ChooseFile(saveAs, fresh);
    QCOMPARE(TempDir::Read(fresh), std::string("ONE\n\xE9\nTWO\nY"));  // a new file: LF
    QCOMPARE(Find<QLineEdit>(window, "id1003")->text(), QString::fromStdString(fresh));

    type("W");  // Save at the question: the run programs what was just written
    Click(window, ids::kProgramFromFile);
    answer(QMessageBox::Save);
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(TempDir::Read(fresh), std::string("ONE\n\xE9\nTWO\nYW"));
    QCOMPARE(rig.simulator->Controller().Lines().back(), std::string("YW"));

    // Unsaved at a termination signal: the text goes to a recovery file.
    const TempDir state;
    const ScopedEnv stateHome("XDG_STATE_HOME", state.Path());
    type("Z");
    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    window.CloseAsSystemCommand();
    QTRY_COMPARE(closed.count(), 1);
    const auto recovered = std::filesystem::directory_iterator(state.Path() + "/zentrip");
    QVERIFY(recovered != std::filesystem::directory_iterator());
    QCOMPARE(TempDir::Read(recovered->path().string()), std::string("ONE\n\xE9\nTWO\nYWZ"));
}

void ProgrammerDlgTest::selectTakesANewFileOnlyInAFolderThatExists() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    Click(window, ids::kSelect);
    QFileDialog* choice = WaitForDialog<QFileDialog>(window);
    QVERIFY(choice);
    QCOMPARE(choice->windowModality(), Qt::WindowModal);
    QCOMPARE(choice->nameFilters(), QStringList({"Orvane Files (*.orv)", "All Files (*)"}));
    ChooseFile(choice, rig.folder.Path("no-folder/new.orv"));
    QMessageBox* refusal = WaitForDialog<QMessageBox>(*choice);
    QVERIFY(refusal);
    refusal->accept();
    QVERIFY(choice->isVisible());
    QCOMPARE(Find<QLineEdit>(window, "id1003")->text(), QString());

    const std::string fresh = rig.folder.Path("new.orv");
    ChooseFile(choice, fresh);
    QTRY_COMPARE(Find<QLineEdit>(window, "id1003")->text(), QString::fromStdString(fresh));
    QTRY_COMPARE(
        PaneText(window, 1001),
        QString("\n** File content couldn't be displayed. **\nNo such file or directory\n"));
}

// The stored settings are what the window shows and uses; what the settings dialog, the prompt
// and the Mini Terminal change is what the file holds after the close, beside what it held.
void ProgrammerDlgTest::settingsComeFromTheFileAndGoBackToIt() {
    PseudoTerminal device;
    Rig rig({},
            "[Settings]\nComPort=2\nDataRate=19200\nModemInitString=ATM1\n"
            "Device2=/dev/ttyUSB7\nDevice4=/dev/ttyACM0\n");
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    QCOMPARE(Find<QPushButton>(window, "id1009")->text(), QString(" COM2\n19200 bps\nChange..."));
    QCOMPARE(rig.line.OpenedPaths(), std::vector<std::string>{"/dev/ttyUSB7"});
    QCOMPARE(rig.line.Written(), kModemSetUp + "ATM1\r");

    Click(window, ids::kComPort);
    CCommSettingsDlg* settings = WaitForDialog<CCommSettingsDlg>(window);
    QVERIFY(settings);
    Click(*settings, "id1000");  // COM1
    settings->reject();
    QTest::qWait(50);
    QCOMPARE(window.Settings().port, 2);

    Click(window, ids::kComPort);
    settings = WaitForDialog<CCommSettingsDlg>(window);
    QVERIFY(settings);
    QCOMPARE(settings->windowModality(), Qt::WindowModal);
    Click(*settings, "id1003");  // COM4
    Find<QComboBox>(*settings, "devicePath")
        ->setEditText(QString::fromStdString(device.SlavePath()));
    settings->accept();
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(Find<QPushButton>(window, "id1009")->text(), QString(" COM4\n19200 bps\nChange..."));
    QCOMPARE(rig.line.OpenedPaths().back(), device.SlavePath());

    Click(window, ids::kModemString);
    CPromptDlg* prompt = WaitForDialog<CPromptDlg>(window);
    QVERIFY(prompt);
    QTest::keyClicks(Find(*prompt, "id1024"), "ATX4");
    QTest::keyClick(prompt, Qt::Key_Escape);
    QTRY_COMPARE(window.Settings().modemInitString, std::string("ATM1ATX4"));

    Click(window, ids::kMiniTerminal);
    CMiniTermDlg* terminal = WaitForDialog<CMiniTermDlg>(window);
    QVERIFY(terminal);
    QTRY_COMPARE(terminal->windowTitle(), QString("Mini Terminal open to COM4 at 19200 bps."));
    Click(*terminal, 1015);
    CCommSettingsDlg* terminalSettings = WaitForDialog<CCommSettingsDlg>(*terminal);
    QVERIFY(terminalSettings);
    Find<QSlider>(*terminalSettings, "id1004")->setValue(7);
    terminalSettings->accept();
    QTRY_COMPARE(terminal->windowTitle(), QString("Mini Terminal open to COM4 at 57600 bps."));
    Click(*terminal, 2);
    QTRY_VERIFY(!window.findChild<CMiniTermDlg*>());

    QSignalSpy closed(&window, &CProgrammerDlg::Closed);
    window.close();
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(TempDir::Read(rig.SettingsFile()),
             "[Settings]\nComPort=4\nDataRate=57600\nDevice2=/dev/ttyUSB7\nDevice4=" +
                 device.SlavePath() + "\nModemInitString=ATM1ATX4\n");
}

void ProgrammerDlgTest::extrasDropPreviewSaveAndAbout() {
    const TempDir state;
    const ScopedEnv stateHome("XDG_STATE_HOME", state.Path());
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    const std::string path =
        rig.Program("#define PW 1234\nPW 10 *\n#hide\nPW 56 *\n#SHOW\n\xE9t\xE9\n");
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(editor->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(editor->viewport(), &drop);
    QCOMPARE(Find<QLineEdit>(window, "id1003")->text(), QString::fromStdString(path));
    QTRY_COMPARE(editor->toPlainText(),
                 QString("#define PW 1234\nPW 10 *\n#hide\nPW 56 *\n#SHOW\n") + QChar(0xE9) + "t" +
                     QChar(0xE9) + "\n");

    const std::size_t opened = rig.line.OpenedPaths().size();
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "Preview Expansion") action->trigger();
    QTRY_VERIFY(!window.SerialWorkBusy());
    QCOMPARE(PaneText(window, 1013), QString("[    1] #define PW 1234\n[    2] 1234 10 *\n"
                                             "[    5] #SHOW\n[    6] ") +
                                         QChar(0xE9) + "t" + QChar(0xE9) + "\n");
    QCOMPARE(rig.line.OpenedPaths().size(), opened);
    QVERIFY(!std::filesystem::exists(state.Path() + "/zentrip/runs"));  // a preview is no run
    QAccessibleTextInterface* shown =
        QAccessible::queryAccessibleInterface(Find(window, "id1013"))->textInterface();
    QVERIFY(shown);
    QCOMPARE(shown->text(0, shown->characterCount()), PaneText(window, 1013));

    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "Save Results As...") action->trigger();
    QFileDialog* save = WaitForDialog<QFileDialog>(window);
    QVERIFY(save);
    const std::string saved = rig.folder.Path("results.txt");
    ChooseFile(save, saved);
    QCOMPARE(testing::TempDir::Read(saved),
             std::string("[    1] #define PW 1234\r\n[    2] 1234 10 *\r\n"
                         "[    5] #SHOW\r\n[    6] \xE9t\xE9\r\n"));

    QTest::keyClick(&window, Qt::Key_F1);
    CAboutDlg* about = WaitForDialog<CAboutDlg>(window);
    QVERIFY(about);
    QVERIFY(about->isVisible());
    about->accept();
    QTRY_VERIFY(!WaitForDialog<CAboutDlg>(window, 0));

    // The background's context menu has it too.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &menuKey);
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "&About Zentrip...") action->trigger();
    about = WaitForDialog<CAboutDlg>(window);
    QVERIFY(about);
    about->accept();
}

void ProgrammerDlgTest::savingTheResultsNamesWhyItFailed() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == "Save Results As...") action->trigger();
    QFileDialog* save = WaitForDialog<QFileDialog>(window);
    QVERIFY(save);
    // The folder goes after the choice: the save finds it gone.
    const std::string folder = rig.folder.Path("gone");
    std::filesystem::create_directory(folder);
    const std::string gone = folder + "/results.txt";
    save->selectFile(QString::fromStdString(gone));
    std::filesystem::remove(folder);
    static_cast<QDialog*>(save)->accept();
    QMessageBox* box = WaitForDialog<QMessageBox>(window);
    QVERIFY(box);
    QCOMPARE(box->text(), QString::fromStdString("Couldn't save the results to " + gone + ".\n" +
                                                 SystemErrorText(ENOENT)));
}

void ProgrammerDlgTest::draggingTheBackgroundMovesTheWindow() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.Idle());
    window.move(100, 100);
    QTRY_COMPARE(window.pos(), QPoint(100, 100));
    QLabel* label = window.findChildren<QLabel*>("id-1").first();
    QTest::mouseMove(label, QPoint(5, 5));
    QTest::mouseMove(&window, QPoint(3, 3));  // the button held, but no press in the window
    QCOMPARE(window.pos(), QPoint(100, 100));
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(label, QPoint(25, 15));
    QTRY_COMPARE(window.pos(), QPoint(120, 110));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(25, 15));
}

void ProgrammerDlgTest::miniTerminalWaitsItsTurnAndHandsItsSettingsBack() {
    PseudoTerminal first;
    PseudoTerminal second;
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    CommSettings settings = window.Settings();
    settings.devicePaths[0] = first.SlavePath();
    window.TakeSerialSettings(settings);

    // Asked for during the start-up's modem set-up: it opens once that is over.
    QVERIFY(window.SerialWorkBusy());
    Click(window, ids::kMiniTerminal);
    QVERIFY(!window.findChild<CMiniTermDlg*>());
    CMiniTermDlg* terminal = WaitForDialog<CMiniTermDlg>(window);
    QVERIFY(terminal);
    QCOMPARE(rig.line.Written(), kModemSetUp);
    QCOMPARE(terminal->windowModality(), Qt::WindowModal);
    QTRY_COMPARE(terminal->windowTitle(), QString("Mini Terminal open to COM1 at 9600 bps."));

    // What the terminal's own settings dialog chose comes back when it closes.
    Click(*terminal, 1015);
    CCommSettingsDlg* dialog = WaitForDialog<CCommSettingsDlg>(*terminal);
    QVERIFY(dialog);
    Click(*dialog, "id1001");
    Find<QComboBox>(*dialog, "devicePath")->setEditText(QString::fromStdString(second.SlavePath()));
    Find<QSlider>(*dialog, "id1004")->setValue(5);
    dialog->accept();
    QTRY_COMPARE(terminal->windowTitle(), QString("Mini Terminal open to COM2 at 19200 bps."));
    QCOMPARE(terminal->focusWidget(), terminal->findChild<QWidget*>("id1012"));
    termios line{};
    QCOMPARE(tcgetattr(second.SlaveFd(), &line), 0);
    QCOMPARE(cfgetospeed(&line), static_cast<speed_t>(B19200));
    Click(*terminal, 2);
    QTRY_VERIFY(!window.findChild<CMiniTermDlg*>());
    QCOMPARE(window.Settings().port, 2);
    QCOMPARE(window.Settings().dataRate, 19200u);
    QCOMPARE(window.Settings().devicePaths[1], second.SlavePath());
    QCOMPARE(Find<QPushButton>(window, "id1009")->text(), QString(" COM2\n19200 bps\nChange..."));

    // Refused while a run is under way.
    QVERIFY(rig.ShowProgram("#direct\nONE\n#wait 100000\nTWO\n"));
    QVERIFY(rig.RunFromFileTo("00003"));
    Click(window, ids::kMiniTerminal);
    QMessageBox* box = WaitForDialog<QMessageBox>(window);
    QVERIFY(box);
    QCOMPARE(box->text(), QString("Mini Terminal mode unavailable during programming."));
    QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    QVERIFY(!window.findChild<CMiniTermDlg*>());
}

// "Run Records..." from the results pane: one window, the run just made first and its record
// holding the results as the pane showed them, ordered by a column's title, the folder opened.
void ProgrammerDlgTest::runRecordsShowTheRunAsThePaneShowedIt() {
    const TempDir state;
    const ScopedEnv stateHome("XDG_STATE_HOME", state.Path());
    const std::string runs = state.Path() + "/zentrip/runs";
    std::filesystem::create_directories(runs);
    std::ofstream(runs + "/1960-01-01T00-00-00_a.orv.txt", std::ios::binary)
        << "Zentrip run record\r\nStart: 1960-01-01 00:00:00 +0000\r\nProgram: a.orv\r\n"
           "Device: /dev/ttyS9\r\nOutcome: complete\r\nErrors: 0\r\nResults: 0\r\n\r\n";
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("ONE\n\xE9t\xE9\n"));
    Find<QCheckBox>(window, "id1011")->setChecked(true);
    Click(window, ids::kProgramFromFile);
    QTRY_VERIFY(
        PaneText(window, ids::kResults).endsWith("Programming complete with 00000 total errors"));
    QTRY_VERIFY(!window.SerialWorkBusy());
    const QString shown = PaneText(window, ids::kResults);
    QVERIFY(shown.contains(QString("] ") + QChar(0xE9) + "t" + QChar(0xE9) + "\n"));

    auto* results = Find(window, "id1013");
    for (int open = 0; open < 2; ++open) {
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                  results->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(results, &menuKey);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        for (QAction* action : menu->actions())
            if (action->text() == "Run Records...") action->trigger();
        menu->close();
    }
    CRunRecordsDlg* records = WaitForDialog<CRunRecordsDlg>(window);
    QVERIFY(records);
    QCOMPARE(window.findChildren<CRunRecordsDlg*>().size(), 1);
    QVERIFY(!records->isModal());
    auto* list = Find<QTreeWidget>(*records, "runList");
    QTRY_COMPARE(list->topLevelItemCount(), 2);
    const auto column = [&](int row, RunColumn c) {
        return list->topLevelItem(row)->text(static_cast<int>(c));
    };
    QCOMPARE(column(0, RunColumn::Program), QString("p.orv"));
    QCOMPARE(column(0, RunColumn::Outcome), QString("complete"));
    QCOMPARE(column(1, RunColumn::Program), QString("a.orv"));

    // The record holds the pane's text byte for byte, and the window shows the record whole.
    const std::vector<std::string> files = RunRecordFiles(runs);
    std::string why;
    const auto record = ReadRunRecord(files.front(), false, &why);
    QVERIFY(record);
    QCOMPARE(record->results, shown.toLatin1().replace("\n", "\r\n").toStdString());
    auto* text = Find<QPlainTextEdit>(*records, "recordText");
    QTRY_VERIFY(text->toPlainText().endsWith("\n\n" + shown));
    QVERIFY(text->isReadOnly());
    QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(text)->textInterface();
    QVERIFY(read);
    QCOMPARE(read->text(0, read->characterCount()), text->toPlainText());

    QHeaderView* header = list->header();
    const auto clickTitle = [&](RunColumn c) {
        const int section = static_cast<int>(c);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 5));
    };
    clickTitle(RunColumn::Program);
    QCOMPARE(column(0, RunColumn::Program), QString("a.orv"));
    QCOMPARE(header->sortIndicatorSection(), static_cast<int>(RunColumn::Program));
    clickTitle(RunColumn::Program);
    QCOMPARE(column(0, RunColumn::Program), QString("p.orv"));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));  // the run's record stays chosen

    Click(*records, "openFolder");
    QCOMPARE(rig.openedUrls, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(runs))});

    QTest::keyClick(records, Qt::Key_Escape);
    QTRY_VERIFY(!window.findChild<CRunRecordsDlg*>());
}

namespace {

// The results pane's first line that begins with `start`.
QTextBlock ResultsLine(const QWidget& window, const QString& start) {
    const auto* results = Find<QPlainTextEdit>(window, "id1013");
    for (QTextBlock block = results->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().startsWith(start)) return block;
    }
    return {};
}

void DoubleClick(QWidget& window, const QTextBlock& line) {
    auto* results = Find<QPlainTextEdit>(window, "id1013");
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {},
                       results->cursorRect(QTextCursor(line)).center());
}

}  // namespace

void ProgrammerDlgTest::doubleClickOnAResultsLineShowsItsSource() {
    Rig rig(Complaining());
    CProgrammerDlg& window = *rig.window;
    const std::string include = rig.folder.Write("site.inc", "; site\nBAD 1\n");
    QVERIFY(rig.ShowProgram("#direct\nONE\n#include " + include + "\nTWO\n"));
    Click(window, ids::kProgramFromFile);
    QMessageBox* box = WaitForDialog<QMessageBox>(window);
    QVERIFY(box);
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    QTRY_VERIFY(!window.SerialWorkBusy());

    // A line of the program: the editor selects it.
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    DoubleClick(window, ResultsLine(window, "[    6] TWO"));
    QCOMPARE(editor->textCursor().selectedText(), QString("TWO"));
    QCOMPARE(editor->textCursor().blockNumber(), 3);

    // The refused line of the include file: named at the pointer, and shown on asking.
    const QTextBlock refused = ResultsLine(window, "Error in Line 5 ");
    DoubleClick(window, refused);
    QTRY_VERIFY(QToolTip::text().startsWith(QString::fromStdString(include) + ":2: "));
    QCOMPARE(editor->textCursor().blockNumber(), 3);
    auto* results = Find<QPlainTextEdit>(window, "id1013");
    results->setTextCursor(QTextCursor(refused));
    QAction* open = nullptr;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == "Open Include File") open = action;
    }
    QVERIFY(open->isEnabled());
    open->trigger();
    QDialog* shown = WaitForDialog<QDialog>(window);
    QVERIFY(shown);
    QCOMPARE(shown->windowTitle(), QString::fromStdString(include) + " (read-only)");
    auto* view = shown->findChild<QPlainTextEdit*>();
    QVERIFY(view->isReadOnly());
    QCOMPARE(view->textCursor().selectedText(), QString("BAD 1"));
    QCOMPARE(Find<QLineEdit>(window, "id1003")->text(),
             QString::fromStdString(rig.folder.Path("p.orv")));
    shown->close();

    // A results line with no run line number leads nowhere.
    results->setTextCursor(QTextCursor(ResultsLine(window, "Beginning programming")));
    QVERIFY(!open->isEnabled());

    // A preview numbers the editor's lines as a run does; the include's lines stay its own.
    editor->setPlainText("ONE\n#include " + QString::fromStdString(include) + "\nTWO\n");
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == "Preview Expansion") action->trigger();
    }
    QTRY_VERIFY(ResultsLine(window, "[    5] TWO").isValid());
    DoubleClick(window, ResultsLine(window, "[    5] TWO"));
    QCOMPARE(editor->textCursor().blockNumber(), 2);
    QToolTip::hideText();
    DoubleClick(window, ResultsLine(window, "[    4] BAD 1"));
    QTRY_VERIFY(QToolTip::text().startsWith(QString::fromStdString(include) + ":2: "));
    QCOMPARE(editor->textCursor().blockNumber(), 2);
}

void ProgrammerDlgTest::aProblemIsUnderlinedAndNamedOnHover() {
    Rig rig;
    CProgrammerDlg& window = *rig.window;
    QVERIFY(rig.ShowProgram("ONE\n#include missing.inc\n; fine\n"));
    auto* editor = Find<QPlainTextEdit>(window, "id1001");
    auto* highlighter = editor->findChild<EditorHighlighter*>();
    QTRY_VERIFY(highlighter->Current());
    const QTextBlock line = editor->document()->findBlockByNumber(1);
    QTRY_VERIFY(!line.layout()->formats().isEmpty());
    const auto marked = [](const QTextBlock& block) {
        std::vector<std::pair<int, int>> underlined;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                underlined.emplace_back(range.start, range.length);
        }
        return underlined;
    };
    QCOMPARE(marked(line), (std::vector<std::pair<int, int>>{{9, 11}}));
    QVERIFY(marked(editor->document()->findBlockByNumber(2)).empty());

    QTextCursor name(line);
    name.setPosition(line.position() + 12);
    const QPoint at = editor->cursorRect(name).center();
    QHelpEvent hover(QEvent::ToolTip, at, editor->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(editor->viewport(), &hover);
    QCOMPARE(QToolTip::text(), QString("Unable to open include file 'missing.inc'."));
}

}  // namespace zentrip

QTEST_MAIN(zentrip::ProgrammerDlgTest)
#include "programmer_dlg_qtest.moc"
