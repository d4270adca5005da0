#include "platform/linux/PathMapping.h"

#include <QDir>
#include <QRegularExpression>

namespace tivrel {

namespace {

const QString kStartupFolder =
    QStringLiteral("C:/Documents and Settings/All Users/Start Menu/Programs/Startup");

} // namespace

QString autostartFolder() {
    QString first = qEnvironmentVariable("XDG_CONFIG_DIRS").section(u':', 0, 0);
    if (first.isEmpty())
        first = QStringLiteral("/etc/xdg");
    while (first.size() > 1 && first.endsWith(u'/'))
        first.chop(1);
    return first + QStringLiteral("/autostart");
}

QString toLocalPath(const QString& path) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]+"));
    QString local = path;
    local.replace(separators, QStringLiteral("/"));
    if (local.startsWith(kStartupFolder + u'/', Qt::CaseInsensitive) ||
        local.compare(kStartupFolder, Qt::CaseInsensitive) == 0) {
        local = autostartFolder() + local.mid(kStartupFolder.size());
        if (local.endsWith(QStringLiteral(".lnk"), Qt::CaseInsensitive))
            local = local.chopped(4) + QStringLiteral(".desktop");
    }
    if (local.endsWith(QStringLiteral("/Tivrel.exe"), Qt::CaseInsensitive))
        local = local.chopped(10) + QStringLiteral("tivrel");
    return local;
}

} // namespace tivrel
