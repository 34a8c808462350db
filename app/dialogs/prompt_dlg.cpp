#include "app/dialogs/prompt_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "app/common/dialog_layout.h"
#include "app/common/qt_text.h"
#include "link/comm_settings_choices.h"

namespace zentrip {

namespace {

// The value goes to the modem byte for byte: a character without a Latin-1 byte is refused
// as it is typed or pasted, not changed on the way out.
class Latin1Validator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            if (c.unicode() > 0xFF) return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace

CPromptDlg::CPromptDlg(const QString& prompt, const std::string& value, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(prompt);
    SetDialogSize(this, 262, 38);

    auto* label = new QLabel(prompt, this);
    PlaceControl(label, 7, 7, 190, 8);
    NameControl(label, 1025, prompt);
    m_box = new QLineEdit(this);
    PlaceControl(m_box, 7, 19, 190, 12);
    NameControl(m_box, 1024, prompt);
    m_box->setMaxLength(static_cast<int>(kModemInitStringMax));
    m_box->setValidator(new Latin1Validator(m_box));
    label->setBuddy(m_box);
    auto* ok = new QPushButton("OK", this);
    PlaceControl(ok, 205, 7, 50, 14);
    NameControl(ok, 1, "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    connect(m_box, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_value = text.toLatin1().toStdString(); });
    m_box->setText(Latin1(value));
    if (!value.empty()) m_box->setFocus();
}

std::string CPromptDlg::Value() const { return m_value; }

void CPromptDlg::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // Showing a dialog gives its focus widget a tab focus, which selects a line edit's text.
    if (visible) m_box->deselect();
}

}  // namespace zentrip
