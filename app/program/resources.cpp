#include "app/program/resources.h"

namespace zentrip {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : kIconSizes) {
        icon.addFile(QStringLiteral(":/zentrip/icon-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace zentrip
