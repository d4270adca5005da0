#include "platform/linux/XdgAutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tivrel {

namespace {

const QString kEntryName = QStringLiteral("/Tivrel.desktop");

QString withoutTrailingSlashes(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// Written whole or not at all: a session starting now never reads half an entry.
bool writeEntry(const QString& path, const QByteArray& text, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

} // namespace

QString XdgAutostartEntry::allUsersFolder() {
    QString first = qEnvironmentVariable("XDG_CONFIG_DIRS").section(u':', 0, 0);
    if (first.isEmpty())
        first = QStringLiteral("/etc/xdg");
    return withoutTrailingSlashes(first) + QStringLiteral("/autostart");
}

QString XdgAutostartEntry::userFolder() {
    // A relative XDG_CONFIG_HOME is not valid and counts as unset.
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!home.startsWith(u'/'))
        home = QDir::homePath() + QStringLiteral("/.config");
    return withoutTrailingSlashes(home) + QStringLiteral("/autostart");
}

QStringList XdgAutostartEntry::folders() {
    return {allUsersFolder(), userFolder()};
}

bool XdgAutostartEntry::exists() {
    for (const QString& folder : folders()) {
        if (QFileInfo(folder + kEntryName).isFile())
            return true;
    }
    return false;
}

bool XdgAutostartEntry::place(QString* error) {
    const QByteArray text = desktopEntry(m_program).toUtf8();
    QString allUsersError;
    // The all-users folder belongs to the system: it is used where it is, never made.
    const QString allUsers = allUsersFolder();
    if (QFileInfo(allUsers).isDir()) {
        if (writeEntry(allUsers + kEntryName, text, &allUsersError))
            return true;
    } else {
        allUsersError = QStringLiteral("%1: no such folder").arg(allUsers);
    }
    const QString own = userFolder();
    QString ownError;
    if (!QDir().mkpath(own))
        ownError = QStringLiteral("%1: the folder cannot be made").arg(own);
    else if (writeEntry(own + kEntryName, text, &ownError))
        return true;
    if (error)
        *error = allUsersError + QStringLiteral("; ") + ownError;
    return false;
}

bool XdgAutostartEntry::remove(QString* error) {
    QStringList failures;
    for (const QString& folder : folders()) {
        QFile entry(folder + kEntryName);
        if (QFileInfo(entry).isFile() && !entry.remove())
            failures << QStringLiteral("%1: %2").arg(entry.fileName(), entry.errorString());
    }
    if (failures.isEmpty())
        return true;
    if (error)
        *error = failures.join(QStringLiteral("; "));
    return false;
}

QString XdgAutostartEntry::execQuoted(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted = u'"' + quoted + u'"';
    // The Exec value is itself a string value: its backslashes are escaped once more, and
    // the breaks a string cannot hold raw are written as escapes.
    QString value;
    for (const QChar c : quoted) {
        switch (c.unicode()) {
        case u'\\':
            value += QStringLiteral("\\\\");
            break;
        case u'\n':
            value += QStringLiteral("\\n");
            break;
        case u'\t':
            value += QStringLiteral("\\t");
            break;
        case u'\r':
            value += QStringLiteral("\\r");
            break;
        case u'%':
            value += QStringLiteral("%%");
            break;
        default:
            value += c;
        }
    }
    return value;
}

QString XdgAutostartEntry::desktopEntry(const QString& program) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tivrel\n"
                          "Comment=Clicks the mouse many times at the place you choose\n"
                          "Exec=%1\n"
                          "Icon=tivrel\n"
                          "Terminal=false\n"
                          "Categories=Utility;\n")
        .arg(execQuoted(program));
}

} // namespace tivrel
