#include "platform/qt/IniSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tivrel {

IniSettingsStore::IniSettingsStore(const QString& path) : m_path(path) {}

QString IniSettingsStore::defaultPath() {
    const QString overridden = qEnvironmentVariable("TIVREL_SETTINGS_FILE");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tivrel/Tivrel.ini");
}

QString IniSettingsStore::read(const QString& section, const QString& key) {
    // A damaged file reads as far as it can; whatever cannot be read counts as empty.
    QSettings settings(m_path, QSettings::IniFormat);
    const QVariant value = settings.value(section + u'/' + key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool IniSettingsStore::write(const QString& section, const QString& key, const QString& value,
                             QString* error) {
    const QFileInfo file(m_path);
    if (!QDir().mkpath(file.absolutePath())) {
        if (error)
            *error = QStringLiteral("Tivrel cannot create the folder \"%1\" for its settings.")
                         .arg(QDir::toNativeSeparators(file.absolutePath()));
        return false;
    }
    if (file.isDir()) {
        if (error)
            *error = QStringLiteral("Tivrel cannot save its settings in \"%1\": a folder stands "
                                    "where the file should be.")
                         .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
    if (settings.status() == QSettings::AccessError || !settings.isWritable() ||
        QSettings(m_path, QSettings::IniFormat).value(section + u'/' + key).toString() != value) {
        if (error)
            *error = QStringLiteral("Tivrel cannot save its settings in \"%1\": the file cannot "
                                    "be written (check its permissions and free space).")
                         .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    return true;
}

} // namespace tivrel
