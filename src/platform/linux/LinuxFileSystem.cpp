#include "platform/linux/LinuxFileSystem.h"

#include "platform/linux/PathMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace tivrel {

QString LinuxFileSystem::programFolder() {
    return QCoreApplication::applicationDirPath();
}

bool LinuxFileSystem::fileExists(const QString& path) {
    // Like a listing that asks for normal files only: folders and hidden files do not count.
    const QFileInfo info(toLocalPath(path));
    return info.exists() && info.isFile() && !info.isHidden();
}

std::optional<QStringList> LinuxFileSystem::readTextLines(const QString& path, QString* error) {
    const QString local = toLocalPath(path);
    QFile file(local);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The file \"%1\" cannot be read: %2.")
                         .arg(QDir::toNativeSeparators(local), file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("The file \"%1\" cannot be read: %2.")
                         .arg(QDir::toNativeSeparators(local), file.errorString());
        return std::nullopt;
    }
    // UTF-8 where it is; bytes that are not UTF-8 show as replacement characters.
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    text.replace(QChar(0), QChar(0xFFFD));
    return splitTextLines(text);
}

bool LinuxFileSystem::deleteFile(const QString& path, QString* error) {
    QFile file(toLocalPath(path));
    if (file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace tivrel
