// The settings dialog, the modem-string prompt and the artwork, driven as a user would.
// The rules behind them (rate table, port clamp, usable paths) have plain tests of their own.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>

#include "app/comm_settings_dialog.h"
#include "app/prompt_dialog.h"
#include "app/resources.h"

namespace zentrip {

namespace {

template <typename T>
T* Control(const QWidget& dialog, const QString& name) {
    T* control = dialog.findChild<T*>(name);
    if (control == nullptr) qFatal("no control %s", qPrintable(name));
    return control;
}

CommSettings SettingsWith(int port, std::uint32_t rate) {
    CommSettings settings;
    settings.port = port;
    settings.dataRate = rate;
    settings.modemInitString = "ATX3";
    settings.devicePaths = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00",
                            "/dev/ttyACM1"};
    return settings;
}

// Types text key by key, also characters that have no key of their own.
void Type(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void Retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

void DragHandleToRightEnd(QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.subControls = QStyle::SC_All;
    const QPoint handle =
        slider->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
            .center();
    const QPoint end(slider->width() - 1, handle.y());
    QTest::mousePress(slider, Qt::LeftButton, {}, handle);
    QTest::mouseMove(slider, (handle + end) / 2);
    QTest::mouseMove(slider, end);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, end);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void storedRateShowsAtItsPosition_data();
    void storedRateShowsAtItsPosition();
    void draggingToTheRightEndGivesTheTopRate();
    void portOutsideTheRangeShowsAsCom1_data();
    void portOutsideTheRangeShowsAsCom1();
    void okReturnsTheChoiceAndCancelEndsRejected();
    void eachComNumberShowsItsOwnDevicePath();
    void refusedDevicePathKeepsOkFromTakingIt();

    void promptShowsItsTextAsTitleAndLabel();
    void escapeAfterEditingKeepsTheEdit();
    void promptRefusesOverlongAndNon8BitInput();

    void artworkLoadsAtItsSizes();
};

void DialogsTest::storedRateShowsAtItsPosition_data() {
    QTest::addColumn<uint>("stored");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("box");
    QTest::newRow("300, first entry") << 300u << 0 << "  300";
    QTest::newRow("1200") << 1200u << 1 << " 1200";
    QTest::newRow("230400, last entry") << 230400u << 9 << "230400";
    QTest::newRow("not in the table") << 14400u << 1 << " 1200";
    QTest::newRow("zero") << 0u << 1 << " 1200";
}

void DialogsTest::storedRateShowsAtItsPosition() {
    QFETCH(uint, stored);
    QFETCH(int, position);
    QFETCH(QString, box);
    CCommSettingsDlg dialog(SettingsWith(2, stored));
    dialog.open();
    QCOMPARE(Control<QSlider>(dialog, "id1004")->value(), position);
    QCOMPARE(Control<QLineEdit>(dialog, "id1005")->text(), box);

    QTest::mouseClick(Control<QPushButton>(dialog, "id1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), QDialog::Accepted);
    QCOMPARE(dialog.Settings().dataRate, stored == 14400u || stored == 0u ? 1200u : stored);
}

void DialogsTest::draggingToTheRightEndGivesTheTopRate() {
    CCommSettingsDlg dialog(SettingsWith(1, 9600));
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* trackbar = Control<QSlider>(dialog, "id1004");
    DragHandleToRightEnd(trackbar);
    QCOMPARE(trackbar->value(), 9);
    QCOMPARE(Control<QLineEdit>(dialog, "id1005")->text(), "230400");
    QCOMPARE(dialog.Settings().dataRate, 230400u);
}

void DialogsTest::portOutsideTheRangeShowsAsCom1_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("7") << 7 << 1;
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("-3") << -3 << 1;
    QTest::newRow("4") << 4 << 4;
}

void DialogsTest::portOutsideTheRangeShowsAsCom1() {
    QFETCH(int, stored);
    QFETCH(int, shown);
    CCommSettingsDlg dialog(SettingsWith(stored, 9600));
    for (int port = 1; port <= 4; ++port) {
        const auto* button = Control<QRadioButton>(dialog, QString("id%1").arg(999 + port));
        QCOMPARE(button->isChecked(), port == shown);
        QCOMPARE(button->accessibleName(), QString("COM%1").arg(port));
    }
    QCOMPARE(dialog.Settings().port, shown);
}

void DialogsTest::okReturnsTheChoiceAndCancelEndsRejected() {
    for (const bool ok : {true, false}) {
        CCommSettingsDlg dialog(SettingsWith(1, 9600));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.open();
        QTest::mouseClick(Control<QRadioButton>(dialog, "id1002"), Qt::LeftButton);
        QTest::keyClick(Control<QSlider>(dialog, "id1004"), Qt::Key_Left);
        QTest::mouseClick(Control<QPushButton>(dialog, ok ? "id1" : "id2"), Qt::LeftButton);

        QCOMPARE(accepted.count(), ok ? 1 : 0);
        QCOMPARE(rejected.count(), ok ? 0 : 1);
        QVERIFY(!dialog.isVisible());
        const CommSettings chosen = dialog.Settings();
        QCOMPARE(chosen.port, 3);
        QCOMPARE(chosen.dataRate, 4800u);
        QCOMPARE(chosen.modemInitString, "ATX3");
    }
}

void DialogsTest::eachComNumberShowsItsOwnDevicePath() {
    CCommSettingsDlg dialog(SettingsWith(3, 9600));
    dialog.open();
    auto* device = Control<QComboBox>(dialog, "devicePath");
    QCOMPARE(device->currentText(), "/dev/serial/by-id/usb-FTDI-if00");

    QTest::mouseClick(Control<QRadioButton>(dialog, "id1001"), Qt::LeftButton);
    QCOMPARE(device->currentText(), "/dev/ttyUSB0");
    Retype(device->lineEdit(), "/dev/ttyUSB3");
    QTest::mouseClick(Control<QRadioButton>(dialog, "id1003"), Qt::LeftButton);
    QCOMPARE(device->currentText(), "/dev/ttyACM1");
    QTest::mouseClick(Control<QRadioButton>(dialog, "id1001"), Qt::LeftButton);
    QCOMPARE(device->currentText(), "/dev/ttyUSB3");

    QTest::mouseClick(Control<QPushButton>(dialog, "id1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), QDialog::Accepted);
    const CommSettings chosen = dialog.Settings();
    QCOMPARE(chosen.port, 2);
    const std::array<std::string, 4> expected{"/dev/ttyS0", "/dev/ttyUSB3",
                                              "/dev/serial/by-id/usb-FTDI-if00", "/dev/ttyACM1"};
    QVERIFY(chosen.devicePaths == expected);
}

void DialogsTest::refusedDevicePathKeepsOkFromTakingIt() {
    CCommSettingsDlg dialog(SettingsWith(1, 9600));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.open();
    auto* device = Control<QComboBox>(dialog, "devicePath");
    auto* ok = Control<QPushButton>(dialog, "id1");
    auto* note = Control<QLabel>(dialog, "deviceNote");

    Retype(device->lineEdit(), "ttyUSB0");
    QVERIFY(!ok->isEnabled());
    QVERIFY(note->text().contains("COM1"));
    QTest::keyClick(device->lineEdit(), Qt::Key_Return);
    dialog.accept();
    QCOMPARE(accepted.count(), 0);
    QVERIFY(dialog.isVisible());

    // Another COM number shown does not hide the refused one.
    QTest::mouseClick(Control<QRadioButton>(dialog, "id1001"), Qt::LeftButton);
    QVERIFY(!ok->isEnabled());
    QVERIFY(note->text().contains("COM1"));

    QTest::mouseClick(Control<QRadioButton>(dialog, "id1000"), Qt::LeftButton);
    Retype(device->lineEdit(), "/dev/ttyUSB0");
    QVERIFY(ok->isEnabled());
    QVERIFY(!note->text().contains("COM1"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dialog.Settings().devicePaths[0], "/dev/ttyUSB0");
}

void DialogsTest::promptShowsItsTextAsTitleAndLabel() {
    const QString prompt = "Enter supplemental modem initialization string:";
    CPromptDlg dialog(prompt, "ATM0");
    dialog.open();
    QCOMPARE(dialog.windowTitle(), prompt);
    QCOMPARE(Control<QLabel>(dialog, "id1025")->text(), prompt);
    auto* box = Control<QLineEdit>(dialog, "id1024");
    QCOMPARE(box->text(), "ATM0");
    QCOMPARE(dialog.Value(), "ATM0");
    QCOMPARE(dialog.focusWidget(), box);
    QVERIFY(!box->hasSelectedText());
    QCOMPARE(box->cursorPosition(), 4);
}

void DialogsTest::escapeAfterEditingKeepsTheEdit() {
    CPromptDlg dialog("Prompt", "ATL1");
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    auto* box = Control<QLineEdit>(dialog, "id1024");
    box->end(false);
    QTest::keyClicks(box, "M2");
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(dialog.Value(), "ATL1M2");
}

void DialogsTest::promptRefusesOverlongAndNon8BitInput() {
    CPromptDlg dialog("Prompt", "");
    dialog.open();
    auto* box = Control<QLineEdit>(dialog, "id1024");
    Type(box, QString("AT") + QChar(0xE9) + QChar(0x20AC) + QChar(0x3B1) + "X");
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
    const QIcon icon = ProgramIcon();
    for (const int size : kIconSizes) {
        const QSize square(size, size);
        QCOMPARE(icon.actualSize(square), square);
        QCOMPARE(icon.pixmap(square, 1.0).toImage().size(), square);
    }
}

}  // namespace zentrip

QTEST_MAIN(zentrip::DialogsTest)
#include "dialogs_qtest.moc"
