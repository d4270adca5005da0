#pragma once

// A private home for the real program: HOME, the configuration and runtime folders, the
// system-wide autostart folder, the settings file and the dialog log all lie in a temp
// folder of the test, so no test touches the user's or the system's files and every test
// starts as on a machine where Tivrel never ran.

#include "DialogLog.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

namespace tivrel::test {

class TestSession;

class ProgramHome {
public:
    // For the program at `program`, in a temporary folder of its own that goes with this
    // object, or in `folder`, which stays (the benchmark keeps its logs there).
    explicit ProgramHome(const QString& program, const QString& folder = QString());

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    QString path(const QString& relative) const;

    // The program to start: the one built beside its EULA.txt, or a copy (useProgramCopy).
    const QString& program() const { return m_program; }
    QString termsFile() const;
    // Copies the program into a folder of its own, "program/<folderName>", to change what
    // lies beside it. The copy gets no EULA.txt; write one with writeFile(termsFile(), ...).
    bool useProgramCopy(QString* error, const QString& folderName = QString());

    QString settingsFile() const { return path(QStringLiteral("config/Tivrel/Tivrel.ini")); }
    QString dialogLogFile() const { return path(QStringLiteral("dialogs.log")); }
    // Where the program's own settings file goes instead (TIVREL_SETTINGS_FILE).
    void setSettingsFile(const QString& file) { m_settingsFile = file; }
    const QString& settingsFileInUse() const { return m_settingsFile; }

    bool writeFile(const QString& file, const QByteArray& bytes) const;
    // Settings as the program stores them after the terms were accepted and the user was
    // told of a desktop without a start/stop key; `showWindow` adds the start-up visibility "1".
    // `withoutKey`: no start/stop key chosen ("None"), so no desktop's answer about it shows.
    bool writeAcceptedSettings(bool showWindow, bool withoutKey = false) const;
    // Every key in the settings file ("EULA/TrialRead" -> "ACCEPTED"); nothing when absent.
    QMap<QString, QString> storedSettings() const;
    std::vector<DialogLine> dialogs() const;
    QByteArray dialogLogText() const;

    // Gives every folder and file of the home to the user and group, for a program run as
    // that user.
    bool handTo(unsigned uid, unsigned gid, QString* error) const;

    // The environment for the program on `session`: the caller's own, with the home's
    // folders and files, and without what would reach a real desktop session (its D-Bus, its
    // session manager, another display).
    QStringList environment(const TestSession& session) const;

    // Standard output and error of the next start of the program: "program-N.out", ".err".
    std::pair<QString, QString> nextOutputFiles();

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_root;
    QString m_error;
    QString m_builtProgram;
    QString m_program;
    int m_starts = 0;
    QString m_settingsFile;
};

} // namespace tivrel::test
