#include "ProgramHome.h"

#include "TestSession.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tivrel::test {

ProgramHome::ProgramHome(const QString& program, const QString& folder)
    : m_root(folder), m_builtProgram(program), m_program(program) {
    if (m_root.isEmpty()) {
        m_temporary = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/tivrel-program-XXXXXX"));
        if (!m_temporary->isValid()) {
            m_error = QStringLiteral("no temp folder: ") + m_temporary->errorString();
            return;
        }
        m_root = m_temporary->path();
    }
    m_settingsFile = settingsFile();
    for (const char* name : {"home", "config", "runtime", "xdg"}) {
        if (!QDir().mkpath(path(QString::fromLatin1(name)))) {
            m_error = QStringLiteral("cannot make %1").arg(path(QString::fromLatin1(name)));
            return;
        }
    }
    // The runtime folder is the user's own, or Qt does not take it.
    QFile::setPermissions(path(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString ProgramHome::path(const QString& relative) const {
    return QDir(m_root).filePath(relative);
}

QString ProgramHome::termsFile() const {
    return QFileInfo(m_program).absolutePath() + QStringLiteral("/EULA.txt");
}

bool ProgramHome::useProgramCopy(QString* error, const QString& folderName) {
    const QString folder = path(QStringLiteral("program/") + folderName);
    const QString copy = folder + QStringLiteral("/tivrel");
    if (!QDir().mkpath(folder) || !QFile::copy(m_builtProgram, copy)) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(m_builtProgram, copy);
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

bool ProgramHome::writeAcceptedSettings(bool showWindow, bool withoutKey) const {
    // A user who has started the program before: told once already where the desktop gives
    // no start/stop key, which the tests of such desktops do not look at.
    QByteArray text = "[EULA]\nTrialRead=ACCEPTED\n[Keys]\nTold=NotOffered\n";
    // Tests of the clicks on a desktop whose key answers differently in each release.
    if (withoutKey)
        text += "StartStop=None\n";
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
    return parseDialogLog(dialogLogText());
}

bool ProgramHome::handTo(unsigned uid, unsigned gid, QString* error) const {
    // The temp folder itself is the test's, closed to others: open it for passing through.
    QFile::setPermissions(m_root, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                      QFileDevice::ExeGroup);
    QStringList paths{m_root};
    QDirIterator it(m_root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
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

QStringList ProgramHome::environment(const TestSession& session) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
          "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "TIVREL_X11_DISPLAY_FILE"})
        env.remove(QString::fromLatin1(name));
    // After the removals: a session may bring a bus of its own.
    session.addTo(env);
    env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("xdg")));
    env.insert(QStringLiteral("TIVREL_SETTINGS_FILE"), m_settingsFile);
    env.insert(QStringLiteral("TIVREL_DIALOG_LOG"), dialogLogFile());
    return env.toStringList();
}

std::pair<QString, QString> ProgramHome::nextOutputFiles() {
    const QString base = path(QStringLiteral("program-%1").arg(++m_starts));
    return {base + QStringLiteral(".out"), base + QStringLiteral(".err")};
}

} // namespace tivrel::test
