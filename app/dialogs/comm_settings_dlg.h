// CCommSettingsDlg: the "Serial Communications Settings" dialog. Edits the COM port, the data
// rate and the device behind each COM number; returns them as a plain value. Open it with
// open() and read Settings() on accepted. At OK, a device path changed here that does not lead
// to a terminal device is named, and kept only if the user says so.
#pragma once

#include <QDialog>
#include <array>

#include "link/comm_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace zentrip {

class CCommSettingsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CCommSettingsDlg(const CommSettings& settings, QWidget* parent = nullptr);

    // The port, rate and device paths as chosen; the modem string as it came in.
    CommSettings Settings() const;

    void accept() override;

private:
    void BuildPortGroup();
    void BuildRateGroup();
    void BuildDefaultsGroup();
    void SelectPort(int port);  // its radio button has just been checked
    void SelectRateIndex(int index);
    void TakeDevicePath(const QString& text);
    // The first COM number whose device path the store would refuse, 0 when all are usable.
    int FirstRefusedPort() const;
    // A line per device path changed here that is not a terminal device; empty when none is.
    QString DeviceProblems() const;
    void ShowDeviceState();

    CommSettings m_settings;
    const std::array<std::string, kComPortCount> m_pathsBefore;
    std::array<QRadioButton*, kComPortCount> m_portButtons{};
    QComboBox* m_devicePath = nullptr;
    QLabel* m_deviceNote = nullptr;
    QSlider* m_trackbar = nullptr;
    QLineEdit* m_rateBox = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace zentrip
