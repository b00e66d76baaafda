#include "PreferencesStore.h"

#include "StorageLogging.h"

#include <QSettings>

namespace {

QString defaultSettingsFilePath()
{
    // The native format on this platform is the INI format in "<config>/Varnisto/Varnisto.conf".
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

} // namespace

PreferencesStore::PreferencesStore() : PreferencesStore(defaultSettingsFilePath()) { }

PreferencesStore::PreferencesStore(QString settingsFilePath) : m_settingsFilePath(std::move(settingsFilePath)) { }

AppPreferences PreferencesStore::load() const
{
    QSettings settings(m_settingsFilePath, QSettings::IniFormat);
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return {};
    if (stored.metaType().id() == QMetaType::QByteArray) {
        const auto preferences = AppPreferences::fromJsonDocument(stored.toByteArray());
        if (preferences)
            return *preferences;
        // Debug lines, quiet unless asked for: the user is not bothered with settings that could not be read or
        // written.
        qCDebug(lcStorage) << "stored preferences unreadable, defaults used:" << preferences.error();
    } else {
        qCDebug(lcStorage) << "stored preferences are no document, defaults used";
    }
    // Keep what the user had, so that a later save of the defaults does not destroy it.
    settings.setValue(unreadableKey, stored);
    settings.sync();
    return {};
}

void PreferencesStore::save(const AppPreferences &preferences) const
{
    const auto document = preferences.toJsonDocument();
    if (!document) {
        qCDebug(lcStorage) << "preferences not saved:" << document.error();
        return;
    }
    QSettings settings(m_settingsFilePath, QSettings::IniFormat);
    settings.setValue(key, *document);
    settings.sync();
}
