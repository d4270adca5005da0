#pragma once

#include <QString>

class QAction;

namespace tivrel {

class Dialogs;
class FileSystem;
class ShortcutShell;

// The "&File" menu item that places the program's shortcut in the all-users Startup folder,
// or removes it when it is there. Its caption names what the next click does.
class StartupShortcut {
public:
    static inline const QString kFolder =
        QStringLiteral("C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\");
    static inline const QString kLinkPath = kFolder + QStringLiteral("Tivrel.lnk");
    static inline const QString kPlaceCaption = QStringLiteral("Place shortcut in startup");
    static inline const QString kRemoveCaption = QStringLiteral("Remove shortcut from startup");

    // shell may be missing (the system offers none); placing then fails with the folder message.
    StartupShortcut(QAction& item, FileSystem& files, Dialogs& dialogs, ShortcutShell* shell)
        : m_item(item), m_files(files), m_dialogs(dialogs), m_shell(shell) {}

    // The caption for what is on disk now.
    void showState();
    void Startupatlogonmnu_Click();
    void CreateStartupShortcut(const QString& folder, const QString& name, const QString& target);

private:
    QAction& m_item;
    FileSystem& m_files;
    Dialogs& m_dialogs;
    ShortcutShell* m_shell;
};

} // namespace tivrel
