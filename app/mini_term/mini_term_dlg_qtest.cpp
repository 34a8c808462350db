// The Mini Terminal's wiring on a pseudo-terminal: received text on screen by the display
// rules, keys on the wire, focus, titles, a device that vanishes and another at its path, Exit,
// logging, the time and hex views.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <memory>

#include "app/mini_term/mini_term_fixture.h"
#include "platform/pseudo_terminal.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_zone.h"

namespace zentrip {

namespace {

using namespace testing;

QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The next n bytes on the line, the window's timers running meanwhile (a paste is paced by one).
std::string ReadPaced(PseudoTerminal& line, std::size_t n) {
    std::string got;
    (void)QTest::qWaitFor([&] {
        got += line.ReadMaster(n - got.size(), 0);
        return got.size() >= n;
    });
    return got;
}

// The terminal's context menu as a key opens it, and its entry `text`.
QAction* MenuEntry(CTermEdit* term, const QString& text) {
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          term->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(term, &key);
    for (QMenu* menu : term->findChildren<QMenu*>()) {
        if (!menu->isVisible()) continue;
        for (QAction* action : menu->actions()) {
            if (action->text() == text) return action;
        }
    }
    return nullptr;
}

// Turns the menu's checkable entry `text` over, and closes the menu.
void Toggle(CTermEdit* term, const QString& text) {
    QAction* entry = MenuEntry(term, text);
    QVERIFY(entry && entry->isCheckable());
    entry->trigger();
    qobject_cast<QMenu*>(entry->parent())->close();
}

constexpr std::int64_t kAt = 1796825002042;  // 2026-12-09 14:03:22.042 UTC
const QString kAtText = "14:03:22.042 ";

}  // namespace

class MiniTermTest : public QObject {
    Q_OBJECT

private slots:
    void showsReceivedTextByTheRules();
    void keysGoToTheLine();
    void pastesAsTypedKeysAndGrowsWithTheWindow();
    void focusComesBack();
    void vanishedDeviceIsReportedAndADifferentOneLeftAlone();
    void exitClosesThePortBeforeEnding();
    void logsEveryReceivedByte();
    void logThatCannotStartOrGoOnSaysWhy();
    void timeViewStartsLinesFromTheNextByte();
    void hexViewEndsLinesWhenFullOrAfterAPause();
    void logWithTimesStampsTheLogOnly();

private:
    ScopedTimeZone m_zone{"UTC0"};
};

void MiniTermTest::showsReceivedTextByTheRules() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    QVERIFY(t.term->isVisible());

    // Every byte value that stands for itself, then backspaces that reach back into what is
    // shown: through a line break (its LF, then its CR) to the last character.
    std::string all;
    for (int c = 1; c < 256; ++c) {
        if (c != '\b' && c != '\n' && c != '\r') all += static_cast<char>(c);
    }
    QVERIFY(line.WriteMaster("one\rtwo\r\n" + all + "\r\nx\b"));
    QVERIFY(line.WriteMaster("\b\b\b"));
    all.pop_back();
    QTRY_COMPARE(Shown(t.term), Latin1("one\ntwo\n" + all));
}

void MiniTermTest::keysGoToTheLine() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());

    QTest::keyClick(t.term, Qt::Key_Escape);
    QCOMPARE(line.ReadMaster(1), std::string("\x1b"));
    QTest::keyClick(t.term, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(line.ReadMaster(1), std::string("\x03"));
    QVERIFY2(t.dialog.isVisible(), "Escape never closes the terminal");

    // Echo off: sent, not shown.
    QTest::keyClicks(t.term, "ab");
    QTest::keyClick(t.term, Qt::Key_Return);
    QCOMPARE(line.ReadMaster(3), std::string("ab\r"));
    QCOMPARE(Shown(t.term), QString());

    // Echo on: a typed CR starts a new line, a backspace takes a character back.
    t.dialog.findChild<QCheckBox*>("id1014")->click();
    QCOMPARE(t.dialog.focusWidget(), t.term);
    QTest::keyClicks(t.term, "xy");
    QTest::keyClick(t.term, Qt::Key_Backspace);
    QTest::keyClick(t.term, Qt::Key_Return);
    QTest::keyClicks(t.term, "z");
    QCOMPARE(line.ReadMaster(5), std::string("xy\b\rz"));
    QCOMPARE(Shown(t.term), QString("x\nz"));

    // No dialog navigation: keys meant for a button go to the terminal, Tab included.
    QPushButton* settings = t.Button(1015);
    settings->setFocus();
    QTest::keyClick(settings, Qt::Key_Return);
    QTest::keyClick(t.term, Qt::Key_Tab);
    QCOMPARE(line.ReadMaster(2), std::string("\r\t"));
    QCOMPARE(t.dialog.focusWidget(), t.term);
}

void MiniTermTest::pastesAsTypedKeysAndGrowsWithTheWindow() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    t.dialog.findChild<QCheckBox*>("id1014")->click();
    QGuiApplication::clipboard()->setText(QString("ab\r\nc") + QChar(0xE9));
    const std::string pasted = "ab\rc\xE9";

    QTest::keyClick(t.term, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(ReadPaced(line, pasted.size()), pasted);
    QTest::keyClick(t.term, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(ReadPaced(line, pasted.size()), pasted);
    QAction* paste = MenuEntry(t.term, "Paste");
    QVERIFY(paste);
    paste->trigger();
    QCOMPARE(ReadPaced(line, pasted.size()), pasted);
    QTest::keyClick(t.term, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(line.ReadMaster(1), std::string("\x16"));
    const QString shown = QString("ab\nc") + QChar(0xE9);
    QCOMPARE(Shown(t.term), shown + shown + shown + QChar(0x16));

    const QRect pane = t.term->geometry();
    const QPoint exit = t.Button(2)->pos();
    t.dialog.resize(t.dialog.size() + QSize(200, 100));
    QTRY_COMPARE(t.term->geometry(), pane.adjusted(0, 0, 200, 100));
    QCOMPARE(t.Button(2)->pos(), exit + QPoint(100, 100));
}

void MiniTermTest::focusComesBack() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QPushButton* receive = t.Button(1020);
    receive->setFocus();
    QCOMPARE(t.dialog.focusWidget(), receive);
    QTRY_COMPARE_WITH_TIMEOUT(t.dialog.focusWidget(), t.term, CMiniTermDlg::kFocusPeriodMs + 1000);
}

// The device vanishes and another takes its path: the title names both, and the terminal
// neither shows what the other sends nor sends it what is typed.
void MiniTermTest::vanishedDeviceIsReportedAndADifferentOneLeftAlone() {
    TempDir dir;
    const std::string link = dir.Path("ttyUSB0");
    auto first = std::make_unique<PseudoTerminal>();
    QCOMPARE(symlink(first->SlavePath().c_str(), link.c_str()), 0);
    OpenTerminal t(link);
    QVERIFY(t.WaitOpen());
    QVERIFY(first->WriteMaster("before\r"));
    QTRY_COMPARE(Shown(t.term), QString("before\n"));

    // Pulled as udev does it: the link goes, then the device.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(unlink(link.c_str()), 0);
    first->CloseMaster();
    QTRY_COMPARE(t.dialog.windowTitle(),
                 Title("Mini Terminal: serial device " + link + " lost (Input/output error)."));
    qInfo("lost device reported after %lld ms", static_cast<long long>(clock.elapsed()));

    PseudoTerminal second;
    QCOMPARE(symlink(second.SlavePath().c_str(), link.c_str()), 0);
    QTRY_COMPARE(t.dialog.windowTitle(),
                 Title("Mini Terminal: serial device " + link +
                       " lost (Input/output error); a different device appeared at that path "
                       "and is left alone."));
    QVERIFY(second.WriteMaster("other\r"));
    QTest::keyClick(t.term, Qt::Key_Q);
    QCOMPARE(second.ReadMaster(1, 500), std::string());
    QTest::qWait(2 * LostDeviceWatch::kPollMs);
    QCOMPARE(Shown(t.term), QString("before\n"));
}

void MiniTermTest::exitClosesThePortBeforeEnding() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    bool portFreeAtEnd = false;
    connect(&t.dialog, &QDialog::finished, this, [&] {
        CSerialPort other;
        other.SetDevicePathFn([&](int) { return line.SlavePath(); });
        portFreeAtEnd = other.Open(kComPort, kRate) == 1;
    });
    t.Button(2)->click();
    QTRY_VERIFY(!t.dialog.isVisible());
    QVERIFY2(portFreeAtEnd, "the terminal's port is closed when the dialog ends");
    QCOMPARE(t.dialog.Settings().port, kComPort);
    QCOMPARE(t.dialog.Settings().dataRate, kRate);
}

void MiniTermTest::logsEveryReceivedByte() {
    PseudoTerminal line;
    TempDir dir;
    const std::string path = dir.Path("session.log");
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    const QString open = OpenTerminal::kOpenTitle;

    emit t.term->LogToFileRequested();
    QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
    QVERIFY(files);
    QCOMPARE(files->windowTitle(), QString("Log to File..."));
    ChooseFile(files, path);
    QTRY_COMPARE(t.dialog.windowTitle(), open + Title(" Logging to " + path + "."));

    const std::string bytes("A\r\n\0B\b\xFF", 7);
    QVERIFY(line.WriteMaster(bytes));
    QTRY_COMPARE(TempDir::Read(path), bytes);
    QTRY_COMPARE(Shown(t.term), QString("A\n"));

    emit t.term->StopLoggingRequested();
    QCOMPARE(t.dialog.windowTitle(), open);
    QVERIFY(line.WriteMaster("more"));
    QTRY_COMPARE(Shown(t.term), QString("A\nmore"));
    QCOMPARE(TempDir::Read(path), bytes);
}

// A device is refused with its reason; a FIFO whose reader goes stops the log, said in the title,
// and the menu offers a new log.
void MiniTermTest::logThatCannotStartOrGoOnSaysWhy() {
    PseudoTerminal line;
    TempDir dir;
    const std::string fifo = dir.Path("fifo");
    QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    const QString open = OpenTerminal::kOpenTitle;
    const auto chooseLog = [&](const std::string& path) {
        MenuEntry(t.term, "Log to File...")->trigger();
        QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
        if (files) ChooseFile(files, path);
        return files != nullptr;
    };

    QVERIFY(chooseLog("/dev/null"));
    QMessageBox* box = WaitForDialog<QMessageBox>(t.dialog);
    QVERIFY(box);
    QCOMPARE(box->text(), QString("Cannot log to /dev/null: it is a device, not a file"));
    box->accept();
    QCOMPARE(t.dialog.windowTitle(), open);

    QVERIFY(chooseLog(fifo));
    QTRY_COMPARE(t.dialog.windowTitle(), open + Title(" Logging to " + fifo + "."));
    close(reader);
    QVERIFY(line.WriteMaster("x"));
    QTRY_COMPARE(t.dialog.windowTitle(),
                 open + Title(" Logging to " + fifo + " stopped (Broken pipe)."));
    QVERIFY(MenuEntry(t.term, "Log to File...")->isEnabled());
    QVERIFY(!MenuEntry(t.term, "Stop Logging")->isEnabled());
}

void MiniTermTest::timeViewStartsLinesFromTheNextByte() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    t.term->SetClockFn([] { return kAt; });
    QVERIFY(line.WriteMaster("a"));
    QTRY_COMPARE(Shown(t.term), QString("a"));

    Toggle(t.term, "Show Time");
    QVERIFY(line.WriteMaster("b\rc\r"));
    QTRY_COMPARE(Shown(t.term), "ab\n" + kAtText + "c\n");
    Toggle(t.term, "Show Time");
    QVERIFY(line.WriteMaster("d"));
    QTRY_COMPARE(Shown(t.term), "ab\n" + kAtText + "c\nd");
}

void MiniTermTest::hexViewEndsLinesWhenFullOrAfterAPause() {
    PseudoTerminal line;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    std::int64_t now = kAt;
    t.term->SetClockFn([&now] { return now; });
    QVERIFY(line.WriteMaster("x"));
    QTRY_COMPARE(Shown(t.term), QString("x"));

    Toggle(t.term, "Show as Hex");
    QVERIFY(line.WriteMaster("0123456789ABCDEF\x01"));
    const QString full = "x\n30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46  0123456789ABCDEF\n";
    QTRY_COMPARE(Shown(t.term), full);
    now = kAt + 101;
    const QString paused = full + "01                                               .\n";
    QTRY_COMPARE(Shown(t.term), paused);
    Toggle(t.term, "Show as Hex");
    QVERIFY(line.WriteMaster("y"));
    QTRY_COMPARE(Shown(t.term), paused + "y");
    QCOMPARE(line.ReadMaster(100, 0), std::string());
}

void MiniTermTest::logWithTimesStampsTheLogOnly() {
    PseudoTerminal line;
    TempDir dir;
    const std::string path = dir.Path("session.log");
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    t.term->SetClockFn([] { return kAt; });
    emit t.term->LogToFileRequested();
    QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
    QVERIFY(files);
    ChooseFile(files, path);
    QTRY_VERIFY(t.dialog.windowTitle() != OpenTerminal::kOpenTitle);

    QVERIFY(line.WriteMaster("p\r\nq"));
    QTRY_COMPARE(TempDir::Read(path), std::string("p\r\nq"));
    Toggle(t.term, "Log with Times");
    QVERIFY(line.WriteMaster("r\r\ns"));
    QTRY_COMPARE(TempDir::Read(path), std::string("p\r\nqr\r\n14:03:22.042 s"));
    QTRY_COMPARE(Shown(t.term), QString("p\nqr\ns"));
}

}  // namespace zentrip

QTEST_MAIN(zentrip::MiniTermTest)
#include "mini_term_dlg_qtest.moc"
