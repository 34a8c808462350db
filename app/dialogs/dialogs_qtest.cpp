// The settings dialog, the modem-string prompt and the artwork, driven as a user would. The
// rules behind them (rate table, port clamp, usable paths) have plain tests of their own.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app/dialogs/comm_settings_dlg.h"
#include "app/dialogs/prompt_dlg.h"
#include "app/program/resources.h"
#include "app/testing/qtest_fixture.h"
#include "tests/support/temp_dir.h"

namespace zentrip {

namespace {

using namespace testing;

CommSettings SettingsWith(int port, std::uint32_t rate) {
    CommSettings settings;
    settings.port = port;
    settings.dataRate = rate;
    settings.modemInitString = "ATX3";
    settings.devicePaths = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00",
                            "/dev/ttyACM1"};
    return settings;
}

void DragToRightEnd(QSlider* trackbar) {
    const int y = trackbar->height() / 3;
    const int handle = QStyle::sliderPositionFromValue(trackbar->minimum(), trackbar->maximum(),
                                                       trackbar->value(), trackbar->width());
    const int end = trackbar->width() - 1;
    QTest::mousePress(trackbar, Qt::LeftButton, {}, QPoint(handle, y));
    QTest::mouseMove(trackbar, QPoint((handle + end) / 2, y));
    QTest::mouseMove(trackbar, QPoint(end, y));
    QTest::mouseRelease(trackbar, Qt::LeftButton, {}, QPoint(end, y));
}

void Retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void storedValuesShowAsChosen();
    void choiceComesBackAfterOkAndCancel();
    void eachComNumberShowsItsOwnDevicePath();
    void refusedDevicePathKeepsOkFromTakingIt();

    void promptOpensOnItsValue();
    void escapeAfterEditingKeepsTheEdit();
    void promptRefusesOverlongAndNon8BitInput();

    void artworkLoadsAtItsSizes();
};

void DialogsTest::storedValuesShowAsChosen() {
    // A stored 1200 sits at its own position; a port and a rate outside the choices show as
    // COM1 and 1200, which OK then returns.
    const struct {
        int port;
        std::uint32_t rate;
        const char* radio;
        int portOnOk;
    } cases[] = {{4, 1200, "id1003", 4}, {7, 14400, "id1000", 1}};
    for (const auto& stored : cases) {
        CCommSettingsDlg dialog(SettingsWith(stored.port, stored.rate));
        dialog.open();
        QVERIFY(Find<QRadioButton>(dialog, stored.radio)->isChecked());
        QCOMPARE(Find<QSlider>(dialog, "id1004")->value(), 1);
        QCOMPARE(Find<QLineEdit>(dialog, "id1005")->text(), " 1200");
        Click(dialog, "id1");
        QCOMPARE(dialog.result(), QDialog::Accepted);
        QCOMPARE(dialog.Settings().port, stored.portOnOk);
        QCOMPARE(dialog.Settings().dataRate, 1200u);
    }
}

void DialogsTest::choiceComesBackAfterOkAndCancel() {
    for (const bool ok : {true, false}) {
        CCommSettingsDlg dialog(SettingsWith(1, 9600));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Click(dialog, "id1002");
        DragToRightEnd(Find<QSlider>(dialog, "id1004"));
        QCOMPARE(Find<QLineEdit>(dialog, "id1005")->text(), "230400");
        Click(dialog, ok ? "id1" : "id2");

        QCOMPARE(accepted.count(), ok ? 1 : 0);
        QCOMPARE(rejected.count(), ok ? 0 : 1);
        QVERIFY(!dialog.isVisible());
        const CommSettings chosen = dialog.Settings();
        QCOMPARE(chosen.port, 3);
        QCOMPARE(chosen.dataRate, 230400u);
        QCOMPARE(chosen.modemInitString, "ATX3");
    }
}

// A device path that leads nowhere is named at OK; No leaves the dialog open on it.
void DialogsTest::eachComNumberShowsItsOwnDevicePath() {
    const TempDir dir;
    const QString missing = QString::fromStdString(dir.Path("ttyUSB3"));
    CCommSettingsDlg dialog(SettingsWith(3, 9600));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.open();
    auto* device = Find<QComboBox>(dialog, "devicePath");
    QCOMPARE(device->currentText(), "/dev/serial/by-id/usb-FTDI-if00");

    Click(dialog, "id1001");
    QCOMPARE(device->currentText(), "/dev/ttyUSB0");
    Retype(device->lineEdit(), missing);
    Click(dialog, "id1003");
    QCOMPARE(device->currentText(), "/dev/ttyACM1");
    Click(dialog, "id1001");
    QCOMPARE(device->currentText(), missing);

    Click(dialog, "id1");
    QMessageBox* box = WaitForDialog<QMessageBox>(dialog);
    QVERIFY(box);
    QCOMPARE(box->text(), "COM2 (" + missing +
                              "): No such file or directory.\n\nKeep it anyway? An adapter can be "
                              "plugged in later.");
    box->button(QMessageBox::No)->click();
    QTest::qWait(50);
    QVERIFY(dialog.isVisible());
    QCOMPARE(accepted.count(), 0);
    const CommSettings chosen = dialog.Settings();
    QCOMPARE(chosen.port, 2);
    const std::array<std::string, 4> expected{"/dev/ttyS0", missing.toStdString(),
                                              "/dev/serial/by-id/usb-FTDI-if00", "/dev/ttyACM1"};
    QVERIFY(chosen.devicePaths == expected);
}

void DialogsTest::refusedDevicePathKeepsOkFromTakingIt() {
    CCommSettingsDlg dialog(SettingsWith(1, 9600));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.open();
    auto* device = Find<QComboBox>(dialog, "devicePath");
    auto* ok = Find<QPushButton>(dialog, "id1");
    auto* note = Find<QLabel>(dialog, "deviceNote");

    Retype(device->lineEdit(), "ttyUSB0");
    QVERIFY(!ok->isEnabled());
    QVERIFY(note->text().contains("COM1"));
    QTest::keyClick(device->lineEdit(), Qt::Key_Return);
    dialog.accept();
    // Showing another COM number does not hide the refused one.
    Click(dialog, "id1001");
    QVERIFY(!ok->isEnabled());
    QVERIFY(note->text().contains("COM1"));
    QCOMPARE(accepted.count(), 0);

    // A file is not a terminal device, but the user may keep it.
    const TempDir dir;
    const std::string file = dir.Write("ttyUSB0", "");
    Click(dialog, "id1000");
    Retype(device->lineEdit(), QString::fromStdString(file));
    QVERIFY(!note->text().contains("COM1"));
    Click(dialog, "id1");
    QMessageBox* box = WaitForDialog<QMessageBox>(dialog);
    QVERIFY(box);
    QVERIFY2(box->text().startsWith(
                 QString::fromStdString("COM1 (" + file + "): not a terminal device.\n")),
             qPrintable(box->text()));
    box->button(QMessageBox::Yes)->click();
    QTRY_COMPARE(accepted.count(), 1);
    QCOMPARE(dialog.Settings().devicePaths[0], file);
}

void DialogsTest::promptOpensOnItsValue() {
    const QString prompt = "Enter supplemental modem initialization string:";
    CPromptDlg dialog(prompt, "ATM0");
    dialog.open();
    QCOMPARE(dialog.windowTitle(), prompt);
    QCOMPARE(Find<QLabel>(dialog, "id1025")->text(), prompt);
    auto* box = Find<QLineEdit>(dialog, "id1024");
    QCOMPARE(box->text(), "ATM0");
    QCOMPARE(dialog.focusWidget(), box);
    QVERIFY(!box->hasSelectedText());
    QCOMPARE(box->cursorPosition(), 4);
}

void DialogsTest::escapeAfterEditingKeepsTheEdit() {
    CPromptDlg dialog("Prompt", "ATL1");
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    auto* box = Find<QLineEdit>(dialog, "id1024");
    QTest::keyClicks(box, "M2");
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(dialog.Value(), "ATL1M2");
}

void DialogsTest::promptRefusesOverlongAndNon8BitInput() {
    CPromptDlg dialog("Prompt", "");
    dialog.open();
    auto* box = Find<QLineEdit>(dialog, "id1024");
    // Characters without a key of their own arrive as key events carrying text.
    for (const QChar c : QString("AT") + QChar(0xE9) + QChar(0x20AC) + QChar(0x3B1) + "X") {
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(dialog.Value(), "AT\xE9X");

    const QString full(127, 'A');
    Retype(box, full);
    QTest::keyClicks(box, "B");
    QCOMPARE(box->text(), full);
    QCOMPARE(dialog.Value(), full.toStdString());

    CPromptDlg overlong("Prompt", std::string(200, 'C'));
    QCOMPARE(overlong.Value(), std::string(127, 'C'));
}

void DialogsTest::artworkLoadsAtItsSizes() {
    QCOMPARE(QImage(kBackgroundResource).size(), QSize(800, 600));
    QCOMPARE(QImage(kIconResource).size(), QSize(256, 256));
    // Each size is drawn from a picture of its own: QIcon would scale a larger one down.
    QList<QSize> sizes;
    for (const int size : kIconSizes) {
        const QSize square(size, size);
        QCOMPARE(QImage(QString(":/zentrip/icon-%1.png").arg(size)).size(), square);
        sizes.append(square);
    }
    QCOMPARE(ProgramIcon().availableSizes(), sizes);
}

}  // namespace zentrip

QTEST_MAIN(zentrip::DialogsTest)
#include "dialogs_qtest.moc"
