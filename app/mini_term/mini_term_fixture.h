// Pieces shared by the Mini Terminal's window tests: a terminal opened on a device as the
// main window opens it, and what it shows.
#pragma once

#include <QPushButton>
#include <QTest>
#include <string>

#include "app/mini_term/mini_term_dlg.h"
#include "app/mini_term/term_edit.h"
#include "app/mini_term/term_fixture.h"
#include "app/testing/qtest_fixture.h"

namespace zentrip::testing {

struct OpenTerminal {
    explicit OpenTerminal(const std::string& device) : dialog(SettingsFor(device)) {
        dialog.open();
        term = dialog.findChild<CTermEdit*>("id1012");
    }
    QPushButton* Button(int id) { return dialog.findChild<QPushButton*>(QString("id%1").arg(id)); }
    // Whether the title comes to say the terminal is open on its port (kComPort at kRate).
    bool WaitOpen() {
        return QTest::qWaitFor([&] { return dialog.windowTitle() == kOpenTitle; });
    }
    static constexpr const char* kOpenTitle = "Mini Terminal open to COM3 at 9600 bps.";

    CMiniTermDlg dialog;
    CTermEdit* term = nullptr;
};

}  // namespace zentrip::testing
