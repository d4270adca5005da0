#pragma once

#include <QString>

#include <memory>

namespace tivrel {

// A shortcut being made: nothing is written until Save.
class Shortcut {
public:
    virtual ~Shortcut() = default;
    virtual void setTargetPath(const QString& target) = 0;
    // Writes the shortcut, replacing one of that name; false with a reason on failure.
    virtual bool Save(QString* error) = 0;
};

// The system's maker of shortcuts (start-menu and autostart entries).
class ShortcutShell {
public:
    virtual ~ShortcutShell() = default;
    // A shortcut object for the given link path (program-style path, see FileSystem).
    virtual std::unique_ptr<Shortcut> CreateShortcut(const QString& linkPath) = 0;
};

} // namespace tivrel
