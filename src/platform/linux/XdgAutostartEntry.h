#pragma once

#include "platform/StartupEntry.h"

namespace tivrel {

// The start-up entry as a freedesktop.org autostart entry, "Tivrel.desktop": in the
// all-users folder (the first entry of $XDG_CONFIG_DIRS, default /etc/xdg, + /autostart)
// where this user may write, else in the user's own ($XDG_CONFIG_HOME, default ~/.config,
// + /autostart). The folders are looked up at each call.
class XdgAutostartEntry final : public StartupEntry {
public:
    // program: the file the entry starts, the running program's own.
    explicit XdgAutostartEntry(QString program) : m_program(std::move(program)) {}

    bool exists() override;
    bool place(QString* error) override;
    bool remove(QString* error) override;
    QStringList folders() override;

    static QString allUsersFolder();
    static QString userFolder();

    // The entry's text for a program file.
    static QString desktopEntry(const QString& program);
    // The program file quoted for an Exec key: double quotes, with ", `, $ and \ escaped,
    // then written as a desktop-entry string (\\, \n, \t, \r), with % doubled.
    static QString execQuoted(const QString& program);

private:
    QString m_program;
};

} // namespace tivrel
