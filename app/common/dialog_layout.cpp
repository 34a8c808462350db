#include "app/common/dialog_layout.h"

#include <QWidget>

#include "app/common/window_fonts.h"

namespace zentrip {

void SetDialogSize(QWidget* window, int width, int height) {
    window->setFont(DialogFont());
    window->setFixedSize(DialogRect(0, 0, width, height, window->font()).size());
}

void PlaceControl(QWidget* control, int x, int y, int width, int height) {
    QRect rect = DialogRect(x, y, width, height, control->window()->font());
    const QWidget* parent = control->parentWidget();
    if (parent != nullptr && !parent->isWindow()) {
        rect.translate(-parent->mapTo(control->window(), QPoint(0, 0)));
    }
    control->setGeometry(rect);
}

void NameControl(QWidget* control, int id, const QString& text) {
    control->setObjectName(ControlName(id));
    control->setAccessibleName(text);
}

QString ControlName(int id) { return QStringLiteral("id%1").arg(id); }

}  // namespace zentrip
