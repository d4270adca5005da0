#pragma once

#include "platform/ShortcutShell.h"

namespace tivrel {

// Shortcuts as freedesktop.org desktop entries: a ".lnk" path in the Startup folder becomes
// a ".desktop" file in the autostart folder that starts the target.
class DesktopEntryShortcutShell final : public ShortcutShell {
public:
    std::unique_ptr<Shortcut> CreateShortcut(const QString& linkPath) override;

    // The entry's text for a program file.
    static QString desktopEntry(const QString& program);
    // The program file quoted for an Exec key: double quotes, with ", `, $ and \ escaped,
    // then written as a desktop-entry string, with % doubled.
    static QString execQuoted(const QString& program);
};

} // namespace tivrel
