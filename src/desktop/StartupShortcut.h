#pragma once

#include <QString>

#include <functional>

namespace tivrel {

class Dialogs;
class StartupEntry;

// The "&File" menu item that places the program's start-up entry, or removes it when it is
// there. Its caption names what the next click does.
class StartupShortcut {
public:
    static inline const QString kPlaceCaption = QStringLiteral("Place shortcut in startup");
    static inline const QString kRemoveCaption = QStringLiteral("Remove shortcut from startup");

    // showCaption puts a caption on the item.
    StartupShortcut(std::function<void(const QString&)> showCaption, StartupEntry& entry,
                    Dialogs& dialogs)
        : m_showCaption(std::move(showCaption)), m_entry(entry), m_dialogs(dialogs) {}

    // The caption for what is on disk now.
    void showState();
    void Startupatlogonmnu_Click();
    // Places the entry; when no folder takes it, says where one should go.
    void CreateStartupShortcut();

private:
    std::function<void(const QString&)> m_showCaption;
    StartupEntry& m_entry;
    Dialogs& m_dialogs;
};

} // namespace tivrel
