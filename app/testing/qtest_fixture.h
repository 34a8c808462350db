// Pieces shared by the Qt Test programs that drive the windows offscreen: a control found by its
// name and clicked, a dialog a window opened, a file chosen in a file dialog.
#pragma once

#include <QFileDialog>
#include <QTest>
#include <QWidget>
#include <string>

namespace zentrip::testing {

// The control `name` (the template's "id<N>") below `parent`; the test program stops without it.
template <typename T = QWidget>
T* Find(const QWidget& parent, const QString& name) {
    T* found = parent.findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
}

inline void Click(const QWidget& parent, const QString& name) {
    QTest::mouseClick(Find(parent, name), Qt::LeftButton);
}

inline void Click(const QWidget& parent, int id) { Click(parent, QString("id%1").arg(id)); }

// The visible dialog of type T that `owner` opened, once it is there (null after a while).
template <typename T>
T* WaitForDialog(const QWidget& owner, int timeoutMs = 5000) {
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

// Offscreen windows cannot pass size hints on; the warning says nothing about Zentrip.
inline void QuietSizeHints(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.contains("propagateSizeHints")) return;
    qt_message_output(type, context, message);
}

}  // namespace zentrip::testing
