#pragma once

#include <QString>

namespace tivrel {

// The per-user store of the program's few settings: strings under a section and a key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or the empty text when there is none or it cannot be read.
    virtual QString read(const QString& section, const QString& key) = 0;
    // Stores the text at once. On failure returns false with a message naming the file.
    virtual bool write(const QString& section, const QString& key, const QString& value,
                       QString* error) = 0;
};

} // namespace tivrel
