#pragma once

#include "platform/StartupEntry.h"

namespace tivrel {

// The start-up entry as a shell link "Tivrel.lnk": in the all-users Startup folder where the
// program may write there (administrators), otherwise in the user's own Startup folder.
class ShellLinkStartupEntry final : public StartupEntry {
public:
    static inline const QString kAllUsersFolder =
        QStringLiteral("C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup");

    // program: the file the link starts. The folders default to the all-users folder above
    // (current Windows resolves it through its compatibility links) and the user's
    // FOLDERID_Startup.
    explicit ShellLinkStartupEntry(QString program, QString allUsersFolder = kAllUsersFolder,
                                   QString userFolder = QString());

    bool exists() override;
    bool place(QString* error) override;
    bool remove(QString* error) override;
    QStringList folders() override;

    // The user's own Startup folder, as the shell names it.
    static QString userStartupFolder();

private:
    QStringList links() const;

    QString m_program;
    QString m_allUsersFolder;
    QString m_userFolder;
};

} // namespace tivrel
