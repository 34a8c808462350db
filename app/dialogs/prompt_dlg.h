// CPromptDlg: asks for one line of 8-bit text (the supplemental modem string) under a prompt.
// Value() always holds what the box shows, however the dialog ends, so the caller reads it
// on finished.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace zentrip {

class CPromptDlg : public QDialog {
    Q_OBJECT

public:
    CPromptDlg(const QString& prompt, const std::string& value, QWidget* parent = nullptr);

    std::string Value() const;

    // Opens with the caret after the text and nothing selected, so a stray key adds to the
    // string instead of replacing it (and Escape keeps what the box shows).
    void setVisible(bool visible) override;

private:
    QLineEdit* m_box = nullptr;
    std::string m_value;
};

}  // namespace zentrip
