// The transfer dialog started from the Mini Terminal's buttons, against lrzsz over a
// pseudo-terminal and against a silent peer that the test plays: titles, progress, the closing
// lines, Escape, cancelling, and the terminal taking its port back afterwards.
#include <unistd.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <atomic>

#include "app/mini_term/mini_term_fixture.h"
#include "app/mini_term/xfer_dlg.h"
#include "platform/pseudo_terminal.h"
#include "sim/fake_serial_line.h"
#include "terminal/xmodem_test_util.h"
#include "tests/support/lrzsz_peer.h"

namespace zentrip {

namespace {

using namespace testing;

constexpr int kTransferMs = 30000;

bool HaveLrzsz() {
    return !FindProgram("socat").empty() && !FindProgram("rx").empty() &&
           !FindProgram("sx").empty();
}

QString StatusOf(CXferDlg* transfer) {
    return transfer->findChild<QPlainTextEdit*>("id1022")->toPlainText();
}

QPushButton* ButtonOf(CXferDlg* transfer) { return transfer->findChild<QPushButton*>("id1021"); }

// Presses a transfer button of the terminal and chooses `path` in the file dialog it opens.
CXferDlg* StartTransfer(OpenTerminal& t, int button, const char* title, const std::string& path) {
    t.Button(button)->click();
    QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
    if (!files || files->windowTitle() != title) return nullptr;
    ChooseFile(files, path);
    return WaitForDialog<CXferDlg>(t.dialog);
}

// Virtual time that the worker advances while the window thread reads it for the progress.
class SharedFakeClock final : public Clock {
public:
    std::uint64_t TickMs() override { return m_nowMs.load(); }
    void SleepMs(std::uint32_t ms) override { m_nowMs.fetch_add(ms); }
    std::int64_t CalendarSeconds() override { return static_cast<std::int64_t>(TickMs() / 1000); }
    LocalTime LocalNow() override { return {}; }

private:
    std::atomic<std::uint64_t> m_nowMs{0};
};

const QString kBlockOneSent = "\nBlocks Sent: 1\nBlocks Rejected: 0\nBytes Sent: 0\n";

}  // namespace

class XferDlgTest : public QObject {
    Q_OBJECT

private slots:
    void receiveEndsWithTheFullPath();
    void transmitNamesTheCrcMode();
    void fileChoicesStartOnOrvaneFilesAndNeedAFolderThatExists();
    void cancelledTransferClosesQuietlyAndTheTerminalReopens();
    void textTransmitEndsAndAFailedReopenIsWatched();
    void silentPeerEndsWithTheErrorLine();
    void vanishedDeviceIsNamedAfterTheErrorLine();
    void fileProblemIsNamedAfterTheErrorLine();
};

void XferDlgTest::receiveEndsWithTheFullPath() {
    if (!HaveLrzsz()) QSKIP("socat and lrzsz are needed");
    TempDir dir;
    const std::string data = Pattern(300);
    dir.Write("in.bin", data);
    LrzszPeer peer(dir.Path(), {"sx", "in.bin"});
    QVERIFY(peer.Ready(5000));
    OpenTerminal t(peer.TtyPath());
    QVERIFY(t.WaitOpen());
    const std::string path = dir.Path("got.bin");

    QPointer<CXferDlg> transfer = StartTransfer(t, 1020, "Select XMODEM File to Receive...", path);
    QVERIFY(transfer);
    QCOMPARE(transfer->windowTitle(), QString("XMODEM Receive (CRC Mode)"));
    QVERIFY(!transfer->findChild<QProgressBar*>("id1020")->isVisible());
    QTest::keyClick(transfer, Qt::Key_Escape);
    QVERIFY2(transfer->isVisible(), "Escape neither cancels nor closes");

    QTRY_COMPARE_WITH_TIMEOUT(ButtonOf(transfer)->text(), QString("CLOSE"), kTransferMs);
    const QString status = StatusOf(transfer);
    QVERIFY2(status.startsWith("     XMODEM RECEIVE PROGRESS\n\nFile Being Received: " +
                               QString::fromStdString(path) + "\nBlocks Received: 3\n"),
             qPrintable(status));
    QVERIFY2(status.endsWith("\n\nTransfer of \"" + QString::fromStdString(path) +
                             "\" completed successfully!"),
             qPrintable(status));
    QCOMPARE(transfer->windowTitle(), QString("XMODEM Receive (CRC Mode)"));
    std::string expected = data;
    expected.resize(384, 0x1A);  // sx pads its last block with SUB
    QCOMPARE(TempDir::Read(path), expected);

    ButtonOf(transfer)->click();
    QTRY_VERIFY(!transfer);
}

void XferDlgTest::transmitNamesTheCrcMode() {
    if (!HaveLrzsz()) QSKIP("socat and lrzsz are needed");
    TempDir dir;
    const std::string data = Pattern(200);
    const std::string in = dir.Write("in.bin", data);
    // The receiver starts only when the file is chosen, so its first 'C' waits for the engine
    // instead of going to the terminal's screen.
    OpenTerminal t(dir.Path("tty"));
    QTRY_COMPARE(t.dialog.windowTitle(),
                 Title("Mini Terminal: Failed to open serial port COM3 at 9600 bps. " +
                       dir.Path("tty") + ": No such file or directory."));
    t.Button(1019)->click();
    QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
    QVERIFY(files);
    QCOMPARE(files->windowTitle(), QString("Select XMODEM File to Transmit..."));
    LrzszPeer peer(dir.Path(), {"rx", "-c", "out.bin"});
    QVERIFY(peer.Ready(5000));
    ChooseFile(files, in);
    QPointer<CXferDlg> transfer = WaitForDialog<CXferDlg>(t.dialog);
    QVERIFY(transfer);

    QTRY_COMPARE_WITH_TIMEOUT(transfer->windowTitle(), QString("XMODEM Transmit (CRC Mode)"),
                              kTransferMs);
    QTRY_COMPARE_WITH_TIMEOUT(ButtonOf(transfer)->text(), QString("CLOSE"), kTransferMs);
    const QString status = StatusOf(transfer);
    QVERIFY2(status.contains("\nBlocks Sent: 2\nBlocks Rejected: 0\nBytes Sent: 256\n"),
             qPrintable(status));
    QVERIFY2(status.endsWith("\n\nTransfer completed successfully!"), qPrintable(status));
    const auto* bar = transfer->findChild<QProgressBar*>("id1020");
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(peer.Wait(10000));
    std::string expected = data;
    expected.resize(256, '\0');
    QCOMPARE(TempDir::Read(dir.Path("out.bin")), expected);
}

// Each choice starts on the Orvane files with the name "*.*", which shows files rather than being
// taken; a name in a folder that does not exist is refused.
void XferDlgTest::fileChoicesStartOnOrvaneFilesAndNeedAFolderThatExists() {
    PseudoTerminal line;
    TempDir dir;
    OpenTerminal t(line.SlavePath());
    QVERIFY(t.WaitOpen());
    for (const int button : {1019, 1020, 1021}) {
        t.Button(button)->click();
        QFileDialog* files = WaitForDialog<QFileDialog>(t.dialog);
        QVERIFY(files);
        QCOMPARE(files->nameFilters(), QStringList({"Orvane Files (*.orv)", "All Files (*)"}));
        QCOMPARE(files->selectedNameFilter(), QString("Orvane Files (*.orv)"));
        QCOMPARE(files->findChild<QLineEdit*>("fileNameEdit")->text(), QString("*.*"));
        static_cast<QDialog*>(files)->accept();
        QVERIFY(files->isVisible());
        ChooseFile(files, dir.Path("no/folder/got.bin"));
        QMessageBox* refusal = WaitForDialog<QMessageBox>(*files);
        QVERIFY(refusal);
        refusal->accept();
        QVERIFY(files->isVisible());
        files->reject();
    }
    QVERIFY2(!WaitForDialog<CXferDlg>(t.dialog, 200), "nothing was chosen");
}

// A cancel during a receive (the sender is told with CAN) and during a transmit's wait for the
// first block's answer closes the dialog without a word; the terminal takes its port back.
void XferDlgTest::cancelledTransferClosesQuietlyAndTheTerminalReopens() {
    const struct {
        int button;
        const char* title;
        const char* peerSays;
        std::size_t sent;  // what the line carries before the cancel: 'C', or the first block
        std::string afterCancel;
    } cases[] = {{1020, "Select XMODEM File to Receive...", "", 1, std::string(1, kCan)},
                 {1019, "Select XMODEM File to Transmit...", "C", 133, ""}};
    for (const auto& c : cases) {
        PseudoTerminal line;
        TempDir dir;
        OpenTerminal t(line.SlavePath());
        QVERIFY(t.WaitOpen());
        QPointer<CXferDlg> transfer =
            StartTransfer(t, c.button, c.title, dir.Write("file.bin", Pattern(300)));
        QVERIFY(transfer);
        QVERIFY(line.WriteMaster(c.peerSays));
        QCOMPARE(line.ReadMaster(c.sent, 3000).size(), c.sent);
        ButtonOf(transfer)->click();
        QCOMPARE(line.ReadMaster(1, 500), c.afterCancel);
        QTRY_VERIFY(!transfer);
        QVERIFY2(!WaitForDialog<QDialog>(t.dialog, 200), "no message after a cancel");

        QVERIFY(line.WriteMaster("back\r"));
        QTRY_COMPARE(Shown(t.term), QString("back\n"));
    }
}

// The text goes out while its device's path goes away: the transmission ends well, the
// terminal cannot reopen, waits for the device as for a lost one (typing sends and shows
// nothing meanwhile) and takes it back once its path is there again.
void XferDlgTest::textTransmitEndsAndAFailedReopenIsWatched() {
    PseudoTerminal line;
    TempDir dir;
    const std::string link = dir.Path("ttyUSB0");
    QCOMPARE(symlink(line.SlavePath().c_str(), link.c_str()), 0);
    const std::string in = dir.Write("in.txt", "A\nB\n");
    OpenTerminal t(link);
    QVERIFY(t.WaitOpen());
    t.dialog.findChild<QCheckBox*>("id1014")->click();

    QPointer<CXferDlg> transfer = StartTransfer(t, 1021, "Select TEXT file to transmit...", in);
    QVERIFY(transfer);
    QCOMPARE(transfer->windowTitle(), QString("Raw Text Transmission"));
    QCOMPARE(line.ReadMaster(2, 3000), std::string("A\r"));
    QCOMPARE(unlink(link.c_str()), 0);
    QTRY_COMPARE(ButtonOf(transfer)->text(), QString("CLOSE"));
    QCOMPARE(line.ReadMaster(2, 3000), std::string("B\r"));
    const QRegularExpression ended("^     TEXT TRANSMIT PROGRESS\n\nFile Being Sent: " +
                                   QRegularExpression::escape(QString::fromStdString(in)) +
                                   "\nLines Sent: 2\nApprox Chars Sent: 8\nTime Elapsed: \\d+"
                                   "\nText transmission completed!$");
    QVERIFY2(ended.match(StatusOf(transfer)).hasMatch(), qPrintable(StatusOf(transfer)));

    ButtonOf(transfer)->click();
    QTRY_COMPARE(t.dialog.windowTitle(), Title("Mini Terminal: serial device " + link +
                                               " lost (No such file or directory)."));
    QTest::keyClick(t.term, Qt::Key_Q);
    QCOMPARE(Shown(t.term), QString());

    QCOMPARE(symlink(line.SlavePath().c_str(), link.c_str()), 0);
    QTRY_COMPARE(t.dialog.windowTitle(), Title("Mini Terminal open to COM3 at 9600 bps (serial "
                                               "device " +
                                               link + " is back)."));
    QTest::keyClick(t.term, Qt::Key_Z);
    QCOMPARE(line.ReadMaster(1), std::string("z"));
    QCOMPARE(Shown(t.term), QString("z"));
}

// A peer that falls silent, in virtual time: 90 seconds without a reply to a block sent in
// the mode the receiver asked for, or a sender that never sends.
void XferDlgTest::silentPeerEndsWithTheErrorLine() {
    const struct {
        TransferMode mode;
        const char* peerSays;
        const char* title;
        const char* status;
        const char* end;
    } cases[] = {
        {TransferMode::kXmodemTransmit, "C", "XMODEM Transmit (CRC Mode)",
         "\nBlocks Sent: 1\nBlocks Rejected: 0\n",
         "\n\n*** ERROR 4: No response from client after block sent. ***"},
        {TransferMode::kXmodemTransmit, "\x15", "XMODEM Transmit (Checksum Mode)",
         "\nBlocks Sent: 1\nBlocks Rejected: 0\n",
         "\n\n*** ERROR 4: No response from client after block sent. ***"},
        {TransferMode::kXmodemReceive, "", "XMODEM Receive (CRC Mode)",
         "\nBlocks Received: 0\nBlocks Rejected: 10\n",
         "\n\n*** ERROR 8: Too many tries or aborted during reception. ***"},
    };
    for (const auto& c : cases) {
        SharedFakeClock clock;
        FakeSerialLine line(clock);
        FakeSerialOpener opener(line);
        CSerialPort port(opener);
        TempDir dir;
        line.Feed(c.peerSays);
        const std::string path = c.mode == TransferMode::kXmodemTransmit
                                     ? dir.Write("in.bin", Pattern(300))
                                     : dir.Path("got");
        CXferDlg transfer(c.mode, &port, 1, 9600, path, nullptr, clock);
        transfer.open();
        QTRY_COMPARE(ButtonOf(&transfer)->text(), QString("CLOSE"));
        const QString status = StatusOf(&transfer);
        QVERIFY2(status.contains(c.status) && status.endsWith(c.end), qPrintable(status));
        QCOMPARE(transfer.windowTitle(), QString(c.title));
    }
}

void XferDlgTest::vanishedDeviceIsNamedAfterTheErrorLine() {
    PseudoTerminal line;
    TempDir dir;
    CSerialPort port;
    port.SetDevicePathFn([&](int) { return line.SlavePath(); });
    CXferDlg transfer(TransferMode::kXmodemTransmit, &port, 1, 9600,
                      dir.Write("in.bin", Pattern(300)));
    transfer.open();
    QVERIFY(line.WriteMaster("C"));
    QCOMPARE(line.ReadMaster(133).size(), std::size_t{133});
    line.CloseMaster();
    QTRY_COMPARE(ButtonOf(&transfer)->text(), QString("CLOSE"));
    const QString status = StatusOf(&transfer);
    QVERIFY2(status.contains(kBlockOneSent), qPrintable(status));
    QVERIFY2(status.endsWith("\n*** ERROR 3: Too many retries or aborted during transmission. ***\n"
                             "*** serial device " +
                             QString::fromStdString(line.SlavePath()) +
                             " lost (Input/output error). ***"),
             qPrintable(status));
}

void XferDlgTest::fileProblemIsNamedAfterTheErrorLine() {
    PseudoTerminal line;
    TempDir dir;
    CSerialPort port;
    port.SetDevicePathFn([&](int) { return line.SlavePath(); });
    const std::string path = dir.Path("no/folder/got.bin");
    CXferDlg transfer(TransferMode::kXmodemReceive, &port, 1, 9600, path);
    transfer.open();
    QTRY_COMPARE(ButtonOf(&transfer)->text(), QString("CLOSE"));
    const QString status = StatusOf(&transfer);
    QVERIFY2(status.endsWith("\n*** ERROR 7: Unable to create receive file. ***\n" +
                             QString::fromStdString(path) + ": No such file or directory"),
             qPrintable(status));
}

}  // namespace zentrip

QTEST_MAIN(zentrip::XferDlgTest)
#include "xfer_dlg_qtest.moc"
