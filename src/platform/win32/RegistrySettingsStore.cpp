#include "platform/win32/RegistrySettingsStore.h"

#include <QSettings>

namespace tivrel {

QString RegistrySettingsStore::read(const QString& section, const QString& key) {
    // A value of another type (a number someone stored by hand) reads as its text.
    return QSettings(m_key, QSettings::NativeFormat).value(section + u'/' + key).toString();
}

bool RegistrySettingsStore::write(const QString& section, const QString& key, const QString& value,
                                  QString* error) {
    {
        QSettings settings(m_key, QSettings::NativeFormat);
        settings.setValue(section + u'/' + key, value);
        settings.sync();
    }
    if (QSettings(m_key, QSettings::NativeFormat).value(section + u'/' + key).toString() == value)
        return true;
    if (error)
        *error = QStringLiteral("Tivrel cannot save its settings in the registry key "
                                "\"%1\\%2\": the key cannot be written.")
                     .arg(m_key, section);
    return false;
}

} // namespace tivrel
