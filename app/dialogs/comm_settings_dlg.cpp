#include "app/dialogs/comm_settings_dlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/common/dialog_layout.h"
#include "app/common/qt_text.h"
#include "link/comm_settings_choices.h"
#include "platform/serial_device_list.h"
#include "platform/terminal_device.h"

namespace zentrip {

namespace {

// Ids of the template's controls.
constexpr int kFirstPortId = 1000;  // "COM1"; "COM2".."COM4" follow
constexpr int kTrackbarId = 1004;
constexpr int kRateBoxId = 1005;

QLabel* AddLabel(const QString& text, QWidget* parent, int x, int y, int width, int height) {
    auto* label = new QLabel(text, parent);
    PlaceControl(label, x, y, width, height);
    return label;
}

}  // namespace

CCommSettingsDlg::CCommSettingsDlg(const CommSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_pathsBefore(settings.devicePaths) {
    setWindowTitle("Serial Communications Settings");
    SetDialogSize(this, 292, 132);
    BuildPortGroup();
    BuildRateGroup();
    BuildDefaultsGroup();

    m_ok = new QPushButton("OK", this);
    PlaceControl(m_ok, 231, 7, 54, 14);
    NameControl(m_ok, 1, "OK");
    m_ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    PlaceControl(cancel, 231, 25, 54, 14);
    NameControl(cancel, 2, "Cancel");
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const RateChoice rate = LookupRate(m_settings.dataRate);
    m_trackbar->setValue(rate.index);
    SelectRateIndex(rate.index);
    connect(m_trackbar, &QSlider::valueChanged, this, &CCommSettingsDlg::SelectRateIndex);

    m_portButtons[static_cast<std::size_t>(ClampPort(m_settings.port) - 1)]->setChecked(true);
    // Connected last: filling the list would otherwise put its first entry behind a port.
    connect(m_devicePath, &QComboBox::editTextChanged, this, &CCommSettingsDlg::TakeDevicePath);
}

CommSettings CCommSettingsDlg::Settings() const { return m_settings; }

void CCommSettingsDlg::accept() {
    if (FirstRefusedPort() != 0) return;
    const QString problems = DeviceProblems();
    if (problems.isEmpty()) return QDialog::accept();
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                problems + "\nKeep it anyway? An adapter can be plugged in later.",
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this](int answer) {
        if (answer == QMessageBox::Yes) QDialog::accept();
    });
    box->open();
}

QString CCommSettingsDlg::DeviceProblems() const {
    QString problems;
    for (int port = 1; port <= kComPortCount; ++port) {
        const std::string& path = m_settings.devicePaths[static_cast<std::size_t>(port - 1)];
        if (path == m_pathsBefore[static_cast<std::size_t>(port - 1)]) continue;
        const std::string problem = TerminalDeviceProblem(path);
        if (problem.empty()) continue;
        problems += QStringLiteral("COM%1 (%2): %3.\n")
                        .arg(port)
                        .arg(PathText(path), QString::fromLocal8Bit(problem.c_str()));
    }
    return problems;
}

void CCommSettingsDlg::BuildPortGroup() {
    auto* group = new QGroupBox("Communications Port", this);
    PlaceControl(group, 7, 7, 216, 68);
    for (int port = 1; port <= kComPortCount; ++port) {
        const QString text = QStringLiteral("COM%1").arg(port);
        auto* button = new QRadioButton(text, group);
        PlaceControl(button, 15 + (port - 1) * 50, 22, 44, 10);
        NameControl(button, kFirstPortId + port - 1, text);
        connect(button, &QRadioButton::toggled, this, [this, port](bool checked) {
            if (checked) SelectPort(port);
        });
        m_portButtons[static_cast<std::size_t>(port - 1)] = button;
    }

    QLabel* label = AddLabel("Device", group, 15, 42, 28, 8);
    m_devicePath = new QComboBox(group);
    PlaceControl(m_devicePath, 45, 40, 170, 13);
    m_devicePath->setObjectName("devicePath");
    m_devicePath->setAccessibleName("Device");
    m_devicePath->setEditable(true);
    m_devicePath->setInsertPolicy(QComboBox::NoInsert);
    for (const SerialDeviceInfo& device : ListSerialDevices()) {
        m_devicePath->addItem(PathText(device.path));
        m_devicePath->setItemData(m_devicePath->count() - 1, QString::fromStdString(device.detail),
                                  Qt::ToolTipRole);
    }
    m_devicePath->view()->setMinimumWidth(m_devicePath->view()->sizeHintForColumn(0) + 8);
    label->setBuddy(m_devicePath);

    m_deviceNote = AddLabel(QString(), group, 45, 56, 170, 9);
    m_deviceNote->setObjectName("deviceNote");
}

void CCommSettingsDlg::BuildRateGroup() {
    auto* group = new QGroupBox("Data Rate", this);
    PlaceControl(group, 7, 81, 216, 44);
    m_trackbar = new QSlider(Qt::Horizontal, group);
    PlaceControl(m_trackbar, 13, 95, 156, 20);
    NameControl(m_trackbar, kTrackbarId, "Data Rate");
    m_trackbar->setRange(0, static_cast<int>(kDataRates.size()) - 1);
    m_trackbar->setPageStep(1);
    m_trackbar->setTickPosition(QSlider::TicksBelow);
    m_trackbar->setTickInterval(1);

    m_rateBox = new QLineEdit(group);
    PlaceControl(m_rateBox, 177, 97, 38, 12);
    NameControl(m_rateBox, kRateBoxId, "Data Rate (bits per second)");
    m_rateBox->setReadOnly(true);
    m_rateBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void CCommSettingsDlg::BuildDefaultsGroup() {
    auto* group = new QGroupBox("Defaults", this);
    PlaceControl(group, 231, 81, 54, 44);
    AddLabel("8 Data Bits", group, 238, 94, 44, 8);
    AddLabel("1 Stop Bit", group, 238, 104, 44, 8);
    AddLabel("No Parity", group, 238, 114, 44, 8);
}

void CCommSettingsDlg::SelectPort(int port) {
    m_settings.port = port;
    m_devicePath->setEditText(PathText(DevicePathOf(m_settings, port)));
    m_devicePath->lineEdit()->setCursorPosition(0);  // a long by-id name shows its maker
    ShowDeviceState();
}

void CCommSettingsDlg::SelectRateIndex(int index) {
    m_settings.dataRate = RateAtIndex(index);
    m_rateBox->setText(QString::fromStdString(RateBoxText(m_settings.dataRate)));
}

void CCommSettingsDlg::TakeDevicePath(const QString& text) {
    std::string& path = m_settings.devicePaths[static_cast<std::size_t>(m_settings.port - 1)];
    // Showing a path is not editing it: a name that is not valid in the locale's encoding
    // stays byte for byte as stored until the user changes it.
    if (text != PathText(path)) path = PathBytes(text);
    ShowDeviceState();
}

int CCommSettingsDlg::FirstRefusedPort() const {
    for (int port = 1; port <= kComPortCount; ++port) {
        if (!IsUsableDevicePath(m_settings.devicePaths[static_cast<std::size_t>(port - 1)])) {
            return port;
        }
    }
    return 0;
}

void CCommSettingsDlg::ShowDeviceState() {
    const int refused = FirstRefusedPort();
    m_ok->setEnabled(refused == 0);
    QPalette palette = this->palette();
    if (refused != 0) {
        palette.setColor(QPalette::WindowText, QColor(176, 0, 32));
        m_deviceNote->setText(
            QStringLiteral("COM%1 needs a device path such as /dev/ttyUSB0.").arg(refused));
    } else {
        palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
        // Where a by-id name leads or which driver serves the device; a path not found is
        // allowed (an adapter plugged in later) but said.
        const int listed = m_devicePath->findText(m_devicePath->currentText());
        m_deviceNote->setText(listed < 0
                                  ? QStringLiteral("Not among the serial devices found now.")
                                  : m_devicePath->itemData(listed, Qt::ToolTipRole).toString());
    }
    m_deviceNote->setPalette(palette);
}

}  // namespace zentrip
