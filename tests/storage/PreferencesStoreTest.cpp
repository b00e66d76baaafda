#include "PreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

// Failures show the stored form.
void PrintTo(const AppPreferences &preferences, std::ostream *out)
{
    *out << preferences.toJsonDocument().valueOr("(not encodable)").toStdString();
}

namespace {

class PreferencesStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.clear();
        settings.sync();
    }

    // Where the program keeps its settings; the test runner points XDG_CONFIG_HOME at a temporary folder.
    static QString settingsFile()
    {
        return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("Varnisto/Varnisto.conf"));
    }

    static void store(const QVariant &value)
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue(PreferencesStore::key, value);
        settings.sync();
    }

    static QVariant stored(QLatin1StringView key) { return QSettings(settingsFile(), QSettings::IniFormat).value(key); }

    PreferencesStore store_;
};

} // namespace

TEST_F(PreferencesStoreTest, FirstStartLoadsTheDefaults)
{
    EXPECT_EQ(store_.load(), AppPreferences());
    EXPECT_FALSE(stored(PreferencesStore::unreadableKey).isValid());
}

TEST_F(PreferencesStoreTest, SavedRecordLoadsBackInCanonicalForm)
{
    AppPreferences preferences;
    preferences.appearance = AppAppearance::dark;
    preferences.doubleClickAction = QStringLiteral("Copy");
    preferences.historySortOption = QStringLiteral("Size");
    preferences.historyWindowX = 10.5;
    preferences.historyWindowY = -200;
    preferences.historyWindowWidth = 480;
    preferences.historyWindowHeight = 620;
    preferences.textRetentionDays = 7;
    preferences.colorRetentionDays = -1;
    preferences.ignoredAppsText = QStringLiteral("KeePassXC\n/usr/share/applications/x.desktop");
    store_.save(preferences);

    EXPECT_TRUE(QFile::exists(settingsFile()));
    const AppPreferences loaded = store_.load();
    AppPreferences expected = preferences;
    expected.doubleClickAction = QStringLiteral("copy");
    EXPECT_EQ(loaded, expected);

    // A second store on the same file sees it too: nothing is held in memory.
    EXPECT_EQ(PreferencesStore().load(), expected);
}

TEST_F(PreferencesStoreTest, PartialDocumentsTakeDefaultsForTheRest)
{
    store(QByteArray("{}"));
    EXPECT_EQ(store_.load(), AppPreferences());

    store(QByteArray(R"({"maxHistoryItems": 250})"));
    AppPreferences expected;
    expected.maxHistoryItems = 250;
    EXPECT_EQ(store_.load(), expected);
    EXPECT_FALSE(stored(PreferencesStore::unreadableKey).isValid());
}

// An unreadable document gives the defaults in every field, and is kept aside so that saving the defaults does
// not destroy what the user had.
TEST_F(PreferencesStoreTest, UnreadableDocumentIsKeptAside)
{
    const QVariant unreadable[] = {
        QByteArray(R"({"appearance": "sepia", "maxHistoryItems": 250, "pasteOnClick": true})"),
        QByteArray("{\"maxHistoryItems\": 25"), QByteArray(R"({"maxHistoryItems": "250"})"),
        QStringLiteral(R"({"maxHistoryItems": 250})"), // text, not a document
    };
    for (const QVariant &value : unreadable) {
        SetUp();
        store(value);
        EXPECT_EQ(store_.load(), AppPreferences()) << qPrintable(value.toString());
        EXPECT_EQ(stored(PreferencesStore::unreadableKey), value);

        store_.save(AppPreferences());
        EXPECT_EQ(stored(PreferencesStore::unreadableKey), value);
        EXPECT_EQ(store_.load(), AppPreferences());
    }
}

TEST_F(PreferencesStoreTest, RecordThatCannotBeEncodedLeavesTheStoredOne)
{
    AppPreferences first;
    first.maxHistoryItems = 42;
    store_.save(first);

    AppPreferences broken = first;
    broken.settingsWindowWidth = std::nan("");
    broken.maxHistoryItems = 43;
    store_.save(broken);
    EXPECT_EQ(store_.load(), first);
}
