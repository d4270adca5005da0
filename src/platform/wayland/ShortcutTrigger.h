#pragma once

#include <QString>

namespace tivrel {

// A key in Qt's portable text ("F6", "Ctrl+Alt+K") as the desktop portal's shortcuts name
// triggers: modifiers in capitals, then the key's XKB name ("F6", "CTRL+ALT+k"). Empty where
// the key has no such name (or is not one key).
QString shortcutTrigger(const QString& portableKey);

} // namespace tivrel
