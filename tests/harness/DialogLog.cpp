#include "DialogLog.h"

#include <QStringList>

#include <ostream>

namespace tivrel::test {

namespace {

QString unescape(const QString& field) {
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 == field.size()) {
            text += c;
            continue;
        }
        const QChar next = field[++i];
        if (next == u'n')
            text += u'\n';
        else if (next == u'r')
            text += u'\r';
        else if (next == u't')
            text += u'\t';
        else
            text += next;
    }
    return text;
}

std::string escapedForPrint(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r"), QStringLiteral("\\r"));
    shown.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    return shown.toStdString();
}

} // namespace

std::ostream& operator<<(std::ostream& out, const DialogLine& line) {
    return out << line.kind.toStdString() << " \"" << escapedForPrint(line.title) << "\": \""
               << escapedForPrint(line.text) << '"';
}

DialogLine parseDialogLine(const QString& line) {
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 3)
        return {QStringLiteral("unreadable line"), QString(), line};
    return {fields[0], unescape(fields[1]), unescape(fields[2])};
}

std::vector<DialogLine> parseDialogLog(const QByteArray& text) {
    std::vector<DialogLine> lines;
    for (const QString& line : QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts))
        lines.push_back(parseDialogLine(line));
    return lines;
}

} // namespace tivrel::test
