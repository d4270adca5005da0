#include "platform/qt/TabColumns.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace tivrel {

namespace {

// The narrowest space the font draws, for the finest padding.
QChar paddingSpace(const QFontMetrics& metrics) {
    for (const QChar space : {QChar(0x200A), QChar(0x2009), QChar(u' ')}) {
        if (metrics.inFont(space) && metrics.horizontalAdvance(space) > 0)
            return space;
    }
    return QChar(u' ');
}

} // namespace

QString alignTabColumns(const QString& text, const QFontMetrics& metrics) {
    QStringList lines = text.split(u'\n');
    int column = 0;
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab >= 0)
            column = std::max(column, metrics.horizontalAdvance(line.left(tab)));
    }
    const QChar space = paddingSpace(metrics);
    const int spaceWidth = std::max(1, metrics.horizontalAdvance(space));
    column += 2 * metrics.horizontalAdvance(u' ');
    for (QString& line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0)
            continue;
        qsizetype rest = tab;
        while (rest < line.size() && line.at(rest) == u'\t')
            ++rest;
        const QString words = line.left(tab);
        // Measured as a whole: a narrow space's advance is often a fraction of a pixel.
        qsizetype count = (column - metrics.horizontalAdvance(words)) / spaceWidth;
        while (count > 0 && metrics.horizontalAdvance(words + QString(count, space)) > column)
            --count;
        while (count < 4096 &&
               metrics.horizontalAdvance(words + QString(count + 1, space)) <= column)
            ++count;
        // A further tab inside the value stays a tab.
        line = words + QString(count, space) + line.mid(rest);
    }
    return lines.join(u'\n');
}

} // namespace tivrel
