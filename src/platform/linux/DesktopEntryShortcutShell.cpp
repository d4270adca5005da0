#include "platform/linux/DesktopEntryShortcutShell.h"

#include "platform/linux/PathMapping.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tivrel {

namespace {

class DesktopEntryShortcut final : public Shortcut {
public:
    explicit DesktopEntryShortcut(QString path) : m_path(std::move(path)) {}

    void setTargetPath(const QString& target) override { m_target = toLocalPath(target); }

    bool Save(QString* error) override {
        const QFileInfo info(m_path);
        if (!info.dir().exists()) {
            if (error)
                *error = QStringLiteral("The folder \"%1\" does not exist.").arg(info.path());
            return false;
        }
        // Written whole or not at all: a session starting now never reads half an entry.
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly)) {
            if (error)
                *error = file.errorString();
            return false;
        }
        file.write(DesktopEntryShortcutShell::desktopEntry(m_target).toUtf8());
        if (!file.commit()) {
            if (error)
                *error = file.errorString();
            return false;
        }
        return true;
    }

private:
    QString m_path;
    QString m_target;
};

} // namespace

std::unique_ptr<Shortcut> DesktopEntryShortcutShell::CreateShortcut(const QString& linkPath) {
    return std::make_unique<DesktopEntryShortcut>(toLocalPath(linkPath));
}

QString DesktopEntryShortcutShell::execQuoted(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted = u'"' + quoted + u'"';
    // The Exec value is itself a string value: its backslashes are escaped once more.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return quoted;
}

QString DesktopEntryShortcutShell::desktopEntry(const QString& program) {
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
