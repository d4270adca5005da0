#pragma once

#include "platform/SettingsStore.h"

namespace tivrel {

// Settings in the user's registry hive, HKEY_CURRENT_USER\Software\Tivrel\<section>\<key>,
// or under another key given for tests.
class RegistrySettingsStore final : public SettingsStore {
public:
    static inline const QString kDefaultKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tivrel");

    explicit RegistrySettingsStore(QString key = kDefaultKey) : m_key(std::move(key)) {}

    QString read(const QString& section, const QString& key) override;
    bool write(const QString& section, const QString& key, const QString& value,
               QString* error) override;

private:
    QString m_key;
};

} // namespace tivrel
