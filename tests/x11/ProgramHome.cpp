#include "ProgramHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <unistd.h>

namespace tivrel::test {

namespace {

// The log writes backslash, tab, CR and LF as \\, \t, \r and \n.
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

ProgramHome::ProgramHome() : m_root(QDir::tempPath() + QStringLiteral("/tivrel-program-XXXXXX")) {
    if (!m_root.isValid()) {
        m_error = QStringLiteral("no temp folder: ") + m_root.errorString();
        return;
    }
    m_program = QStringLiteral(TIVREL_PROGRAM_FILE);
    m_settingsFile = settingsFile();
    for (const char* folder : {"home", "config", "runtime", "xdg"}) {
        if (!QDir().mkpath(path(QString::fromLatin1(folder)))) {
            m_error = QStringLiteral("cannot make %1").arg(path(QString::fromLatin1(folder)));
            return;
        }
    }
    // The runtime folder is the user's own, or Qt does not take it.
    QFile::setPermissions(path(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString ProgramHome::path(const QString& relative) const {
    return m_root.filePath(relative);
}

QString ProgramHome::termsFile() const {
    return QFileInfo(m_program).absolutePath() + QStringLiteral("/EULA.txt");
}

bool ProgramHome::useProgramCopy(QString* error, const QString& folderName) {
    const QString folder = path(QStringLiteral("program/") + folderName);
    const QString copy = folder + QStringLiteral("/tivrel");
    if (!QDir().mkpath(folder) || !QFile::copy(QStringLiteral(TIVREL_PROGRAM_FILE), copy)) {
        *error =
            QStringLiteral("cannot copy %1 to %2").arg(QStringLiteral(TIVREL_PROGRAM_FILE), copy);
        return false;
    }
    m_program = copy;
    return true;
}

bool ProgramHome::writeFile(const QString& file, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

bool ProgramHome::writeAcceptedSettings(bool showWindow) const {
    QByteArray text = "[EULA]\nTrialRead=ACCEPTED\n";
    if (showWindow)
        text += "[Auto-Hide]\nShow=1\n";
    return writeFile(m_settingsFile, text);
}

QMap<QString, QString> ProgramHome::storedSettings() const {
    QMap<QString, QString> values;
    if (!QFileInfo::exists(m_settingsFile))
        return values;
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key).toString());
    return values;
}

QByteArray ProgramHome::dialogLogText() const {
    QFile log(dialogLogFile());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

std::vector<DialogLine> ProgramHome::dialogs() const {
    std::vector<DialogLine> lines;
    const QString text = QString::fromUtf8(dialogLogText());
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 3)
            lines.push_back({fields[0], unescape(fields[1]), unescape(fields[2])});
        else
            lines.push_back({QStringLiteral("unreadable line"), QString(), line});
    }
    return lines;
}

bool ProgramHome::handTo(unsigned uid, unsigned gid, QString* error) const {
    // The temp folder itself is the test's, closed to others: open it for passing through.
    QFile::setPermissions(m_root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                             QFileDevice::ExeGroup);
    QStringList paths{m_root.path()};
    QDirIterator it(m_root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    for (const QString& entry : paths) {
        if (::chown(QFile::encodeName(entry).constData(), uid, gid) != 0) {
            *error = QStringLiteral("chown %1: %2")
                         .arg(entry, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

QStringList ProgramHome::environment(const QByteArray& display) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
          "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "TIVREL_X11_DISPLAY_FILE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(display));
    env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("xdg")));
    env.insert(QStringLiteral("TIVREL_SETTINGS_FILE"), m_settingsFile);
    env.insert(QStringLiteral("TIVREL_DIALOG_LOG"), dialogLogFile());
    return env.toStringList();
}

} // namespace tivrel::test
