// CAboutDlg: the "About Zentrip" box with the program icon and version.
#pragma once

#include <QDialog>

namespace zentrip {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace zentrip
