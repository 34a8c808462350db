// Pieces shared by the Mini Terminal's window tests: a terminal opened on a device as the
// main window opens it, what it shows, and the window-modal dialogs it opens on the way.
#pragma once

#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <string>

#include "app/mini_term_dlg.h"
#include "app/term_edit.h"

namespace zentrip::testing {

inline constexpr int kComPort = 3;
inline constexpr std::uint32_t kRate = 9600;

inline CommSettings SettingsFor(const std::string& device) {
    CommSettings settings;
    settings.port = kComPort;
    settings.dataRate = kRate;
    settings.devicePaths[kComPort - 1] = device;
    return settings;
}

// What the terminal shows, line breaks as '\n' and every other character as it is.
inline QString Shown(CTermEdit* term) {
    return term->document()->toRawText().replace(QChar::ParagraphSeparator, '\n');
}

struct OpenTerminal {
    explicit OpenTerminal(const std::string& device) : dialog(SettingsFor(device)) {
        dialog.open();
        term = dialog.findChild<CTermEdit*>("id1012");
    }
    QPushButton* Button(int id) { return dialog.findChild<QPushButton*>(QString("id%1").arg(id)); }

    CMiniTermDlg dialog;
    CTermEdit* term = nullptr;
};

// The visible dialog of type T that `owner` opened, once it is there (null after a while).
template <typename T>
T* WaitForDialog(QWidget& owner, int timeoutMs = 5000) {
    T* found = nullptr;
    const auto look = [&] {
        for (T* dialog : owner.findChildren<T*>()) {
            if (dialog->isVisible()) found = dialog;
        }
        return found != nullptr;
    };
    return QTest::qWaitFor(look, timeoutMs) ? found : nullptr;
}

// Chooses a file in a file dialog as the user would: its name typed, then accepted.
inline void ChooseFile(QFileDialog* files, const std::string& path) {
    files->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(files)->accept();  // QFileDialog hides its override
}

}  // namespace zentrip::testing
