#include "platform/FileSystem.h"

#include <QDir>

namespace tivrel {

QString FileSystem::programFile(const QString& name) {
    const QString folder = programFolder();
    if (folder.endsWith(u'/') || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + u'/' + name;
}

QStringList splitTextLines(const QString& text) {
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

} // namespace tivrel
