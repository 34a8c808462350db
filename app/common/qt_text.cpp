#include "app/common/qt_text.h"

#include <QFile>

namespace zentrip {

QString Latin1(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Latin1Lines(std::string_view bytes) {
    QString text = Latin1(bytes);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    return text;
}

QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace zentrip
