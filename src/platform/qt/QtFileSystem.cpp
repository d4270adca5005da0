#include "platform/qt/QtFileSystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>

namespace tivrel {

QString QtFileSystem::programFolder() {
    return QCoreApplication::applicationDirPath();
}

std::optional<QStringList> QtFileSystem::readTextLines(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QStringLiteral("The file \"%1\" cannot be read: %2.").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error =
                QStringLiteral("The file \"%1\" cannot be read: %2.").arg(path, file.errorString());
        return std::nullopt;
    }
    // UTF-8 where it is; bytes that are not UTF-8 show as replacement characters.
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    text.replace(QChar(0), QChar(0xFFFD));
    return splitTextLines(text);
}

} // namespace tivrel
