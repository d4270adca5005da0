#pragma once

#include "platform/SettingsStore.h"

namespace tivrel {

// Settings in an INI file: TIVREL_SETTINGS_FILE when set, else Tivrel/Tivrel.ini in the
// user's configuration folder. Sections are INI groups.
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(const QString& path = defaultPath());
    static QString defaultPath();

    QString read(const QString& section, const QString& key) override;
    bool write(const QString& section, const QString& key, const QString& value,
               QString* error) override;
    const QString& path() const { return m_path; }

private:
    QString m_path;
};

} // namespace tivrel
