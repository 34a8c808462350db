#include "app/dialogs/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/common/dialog_layout.h"
#include "app/program/resources.h"

namespace zentrip {

namespace {

constexpr int kIconPixels = 32;  // the platform's icon size, whatever the dialog units

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Zentrip");
    SetDialogSize(this, 217, 55);

    auto* icon = new QLabel(this);
    PlaceControl(icon, 11, 17, 1, 1);
    icon->resize(kIconPixels, kIconPixels);
    icon->setPixmap(ProgramIcon().pixmap(kIconPixels));
    icon->setObjectName("icon");
    icon->setAccessibleName("Zentrip");

    auto* version = new QLabel("Zentrip Version 2.21", this);
    PlaceControl(version, 40, 10, 119, 8);

    auto* ok = new QPushButton("OK", this);
    PlaceControl(ok, 178, 7, 32, 14);
    NameControl(ok, 1, "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zentrip
