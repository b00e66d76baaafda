#include "AppAppearance.h"
#include "AppPreferences.h"
#include "ClipboardKind.h"
#include "CopyAndMergeSeparatorPreference.h"
#include "HistoryFilterContentType.h"
#include "HistoryItemActionPreference.h"
#include "HistorySortOption.h"
#include "HistoryWindowOpenStrategy.h"
#include "Localization.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>

// Failures show the stored form.
void PrintTo(const AppPreferences &preferences, std::ostream *out)
{
    *out << preferences.toJsonDocument().valueOr("(not encodable)").toStdString();
}

namespace {

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

AppPreferences decode(const char *json)
{
    const auto preferences = AppPreferences::fromJson(parse(json));
    EXPECT_TRUE(preferences.hasValue()) << json;
    return preferences.valueOr(AppPreferences());
}

// Every key of the stored document, in the record's order.
const QStringList allKeys = {
    QStringLiteral("appearance"),
    QStringLiteral("language"),
    QStringLiteral("launchAtLogin"),
    QStringLiteral("showMainWindowAtStartup"),
    QStringLiteral("checkForUpdatesAutomatically"),
    QStringLiteral("soundEffectsEnabled"),
    QStringLiteral("playSoundOnCopy"),
    QStringLiteral("playSoundOnPaste"),
    QStringLiteral("playSoundOnDelete"),
    QStringLiteral("playSoundOnSelectionAdd"),
    QStringLiteral("playSoundOnSelectionRemove"),
    QStringLiteral("showMenuBarIcon"),
    QStringLiteral("hideOnFocusLoss"),
    QStringLiteral("openWindowStrategy"),
    QStringLiteral("historyWindowX"),
    QStringLiteral("historyWindowY"),
    QStringLiteral("historyWindowWidth"),
    QStringLiteral("historyWindowHeight"),
    QStringLiteral("settingsWindowX"),
    QStringLiteral("settingsWindowY"),
    QStringLiteral("settingsWindowWidth"),
    QStringLiteral("settingsWindowHeight"),
    QStringLiteral("historySortOption"),
    QStringLiteral("isHistorySortReversed"),
    QStringLiteral("copySequenceModeEnabled"),
    QStringLiteral("pinFavoritesToTop"),
    QStringLiteral("pasteOnClick"),
    QStringLiteral("updateHistoryAfterAction"),
    QStringLiteral("copyAndMergeEnabled"),
    QStringLiteral("copyToClipboardAfterMerge"),
    QStringLiteral("copyAndMergeSeparator"),
    QStringLiteral("showPreviewForLinks"),
    QStringLiteral("showCommandNumberShortcut"),
    QStringLiteral("treatDigitNumbersAsColor"),
    QStringLiteral("preferPastingAsPlainText"),
    QStringLiteral("doubleClickAction"),
    QStringLiteral("numberKeyAction"),
    QStringLiteral("ignoreTransientContent"),
    QStringLiteral("ignoreConcealedContent"),
    QStringLiteral("ignoredAppsText"),
    QStringLiteral("maxHistoryItems"),
    QStringLiteral("retentionDays"),
    QStringLiteral("textRetentionDays"),
    QStringLiteral("imageRetentionDays"),
    QStringLiteral("fileRetentionDays"),
    QStringLiteral("linkRetentionDays"),
    QStringLiteral("emailRetentionDays"),
    QStringLiteral("colorRetentionDays"),
    QStringLiteral("keepFavoritesOnClearHistory"),
    QStringLiteral("warnOnClearHistory"),
    QStringLiteral("clearHistoryOnQuit"),
    QStringLiteral("clearHistoryOnReboot"),
    QStringLiteral("showHistoryShortcut"),
    QStringLiteral("pauseShortcut"),
    QStringLiteral("pasteNextShortcut"),
    QStringLiteral("pasteNextRichShortcut"),
    QStringLiteral("closeHistoryShortcut"),
    QStringLiteral("selectNextItemShortcut"),
    QStringLiteral("selectPreviousItemShortcut"),
    QStringLiteral("pasteSelectedShortcut"),
    QStringLiteral("pasteSelectedSecondaryShortcut"),
    QStringLiteral("copySelectedShortcut"),
    QStringLiteral("copySelectedSecondaryShortcut"),
    QStringLiteral("deleteItemShortcut"),
    QStringLiteral("toggleFavoriteShortcut"),
    QStringLiteral("showInFinderShortcut"),
    QStringLiteral("openInBrowserShortcut"),
    QStringLiteral("editItemShortcut"),
    QStringLiteral("renameItemShortcut"),
    QStringLiteral("transformItemShortcut"),
    QStringLiteral("focusSearchFieldShortcut"),
    QStringLiteral("filterHistoryByTypeShortcut"),
    QStringLiteral("openSettingsShortcut"),
    QStringLiteral("showCommandPaletteShortcut"),
    QStringLiteral("hasCompletedOnboarding"),
};

const QStringList frameKeys = {
    QStringLiteral("historyWindowX"),
    QStringLiteral("historyWindowY"),
    QStringLiteral("historyWindowWidth"),
    QStringLiteral("historyWindowHeight"),
    QStringLiteral("settingsWindowX"),
    QStringLiteral("settingsWindowY"),
    QStringLiteral("settingsWindowWidth"),
    QStringLiteral("settingsWindowHeight"),
};

} // namespace

// --- Enumerations ----------------------------------------------------------------------------------------------------

TEST(PreferenceEnumerations, EveryCaseReadsBackFromItsRawValue)
{
    for (const auto value : AppAppearance::allCases)
        EXPECT_EQ(AppAppearance::fromRawValue(AppAppearance(value).rawValue()), AppAppearance(value));
    for (const auto value : HistorySortOption::allCases)
        EXPECT_EQ(HistorySortOption::fromRawValue(HistorySortOption(value).rawValue()), HistorySortOption(value));
    for (const auto value : HistoryFilterContentType::allCases)
        EXPECT_EQ(HistoryFilterContentType::fromRawValue(HistoryFilterContentType(value).rawValue()),
            HistoryFilterContentType(value));
    for (const auto value : HistoryWindowOpenStrategy::allCases) {
        const HistoryWindowOpenStrategy strategy(value);
        EXPECT_EQ(HistoryWindowOpenStrategy::fromStoredString(strategy.rawValue()), strategy);
        EXPECT_EQ(HistoryWindowOpenStrategy::fromStoredString(strategy.englishTitle()), strategy);
    }
    for (const auto value : HistoryItemActionPreference::allCases) {
        const HistoryItemActionPreference action(value);
        EXPECT_EQ(HistoryItemActionPreference::resolved(action.rawValue()), action);
        EXPECT_EQ(HistoryItemActionPreference::resolved(action.englishTitle()), action);
    }
    for (const auto value : CopyAndMergeSeparatorPreference::allCases) {
        const CopyAndMergeSeparatorPreference separator(value);
        EXPECT_EQ(CopyAndMergeSeparatorPreference::resolved(separator.rawValue()), separator);
        EXPECT_EQ(CopyAndMergeSeparatorPreference::resolved(separator.englishTitle()), separator);
    }
}

// The raw values are the cases' names, and stored preferences and histories hold them: a renamed case would lose
// what they say. Every case is listed, in order.
template<typename Enumeration> QStringList rawValues()
{
    QStringList values;
    for (const auto value : Enumeration::allCases)
        values.append(Enumeration(value).rawValue());
    return values;
}

TEST(PreferenceEnumerations, RawValuesAreTheStoredNames)
{
    EXPECT_EQ(rawValues<ClipboardKind>(), QStringList({"text", "richText", "link", "email", "color", "image", "file"}));
    EXPECT_EQ(rawValues<AppAppearance>(), QStringList({"system", "light", "dark"}));
    EXPECT_EQ(rawValues<HistoryFilterContentType>(),
        QStringList({"all", "favorites", "text", "images", "files", "links", "emails", "colors"}));
    EXPECT_EQ(rawValues<HistoryWindowOpenStrategy>(),
        QStringList({"lastLocation", "activeScreenCenter", "activeWindowCenter", "screenWithCursor", "mouseCursor",
            "inputCursor"}));
    EXPECT_EQ(rawValues<HistoryItemActionPreference>(), QStringList({"paste", "copy"}));
    EXPECT_EQ(rawValues<CopyAndMergeSeparatorPreference>(), QStringList({"newLine", "space", "comma", "empty"}));
    // Only the name itself: Qt's own reader would also take the scoped form.
    EXPECT_FALSE(ClipboardKind::fromRawValue(u"ClipboardKind::text"));
    EXPECT_FALSE(AppAppearance::fromRawValue(u""));
}

TEST(PreferenceEnumerations, TolerantReadersFallBackOnAnythingElse)
{
    struct Case
    {
        const char *input;
        int strategy, action, separator;
    };
    using S = HistoryWindowOpenStrategy;
    using A = HistoryItemActionPreference;
    using C = CopyAndMergeSeparatorPreference;
    const Case cases[] = {
        {"", S::activeScreenCenter, A::paste, C::newLine},
        {"Mouse cursor", S::mouseCursor, A::paste, C::newLine},
        {"mouse cursor", S::activeScreenCenter, A::paste, C::newLine},
        {"MouseCursor", S::activeScreenCenter, A::paste, C::newLine},
        {"Copy", S::activeScreenCenter, A::copy, C::newLine},
        {"copy ", S::activeScreenCenter, A::paste, C::newLine},
        {"COPY", S::activeScreenCenter, A::paste, C::newLine},
        {"Comma", S::activeScreenCenter, A::paste, C::comma},
        {"COMMA", S::activeScreenCenter, A::paste, C::newLine},
        {"empty", S::activeScreenCenter, A::paste, C::empty},
        {"Space", S::activeScreenCenter, A::paste, C::space},
    };
    for (const Case &c : cases) {
        const QString input = QString::fromUtf8(c.input);
        EXPECT_EQ(int(S::fromStoredString(input)), c.strategy) << c.input;
        EXPECT_EQ(int(A::resolved(input)), c.action) << c.input;
        EXPECT_EQ(int(C::resolved(input)), c.separator) << c.input;
    }

    // The exact readers give nothing for a near miss.
    EXPECT_EQ(HistorySortOption::fromRawValue(u"Size"), HistorySortOption(HistorySortOption::size));
    EXPECT_FALSE(HistorySortOption::fromRawValue(u"size"));
    EXPECT_FALSE(HistorySortOption::fromRawValue(u"Copy Sequence"));
    EXPECT_FALSE(AppAppearance::fromRawValue(u"Dark"));
    EXPECT_FALSE(HistoryFilterContentType::fromRawValue(u"Images"));
}

TEST(PreferenceEnumerations, SeparatorTexts)
{
    EXPECT_EQ(CopyAndMergeSeparatorPreference(CopyAndMergeSeparatorPreference::newLine).separatorText(), u"\n");
    EXPECT_EQ(CopyAndMergeSeparatorPreference(CopyAndMergeSeparatorPreference::space).separatorText(), u" ");
    EXPECT_EQ(CopyAndMergeSeparatorPreference(CopyAndMergeSeparatorPreference::comma).separatorText(), u", ");
    EXPECT_EQ(CopyAndMergeSeparatorPreference(CopyAndMergeSeparatorPreference::empty).separatorText(), u"");
}

TEST(PreferenceEnumerations, TitlesFollowTheInterfaceLanguage)
{
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    EXPECT_EQ(HistoryFilterContentType(HistoryFilterContentType::favorites).title(), u"Favoriten");
    EXPECT_EQ(HistoryFilterContentType(HistoryFilterContentType::text).title(), u"Text");
    EXPECT_EQ(AppAppearance(AppAppearance::dark).title(), u"Dunkel");
    setCurrentInterfaceLanguage(QStringLiteral("en-GB"));
    EXPECT_EQ(HistoryFilterContentType(HistoryFilterContentType::colors).title(), u"Colours");
    EXPECT_EQ(
        HistoryWindowOpenStrategy(HistoryWindowOpenStrategy::activeScreenCenter).title(), u"Active screen centre");
    setCurrentInterfaceLanguage(QStringLiteral("en"));
    EXPECT_EQ(HistoryFilterContentType(HistoryFilterContentType::colors).title(), u"Colors");
    EXPECT_EQ(HistorySortOption(HistorySortOption::numberOfCopies).title(), u"Number of Copies");
}

// --- Decoding --------------------------------------------------------------------------------------------------------

TEST(PreferencesDecoding, EmptyDocumentGivesTheDefaults)
{
    EXPECT_EQ(decode("{}"), AppPreferences());
    const AppPreferences defaults;
    EXPECT_EQ(defaults.maxHistoryItems, 5000);
    EXPECT_EQ(defaults.openWindowStrategy, u"activeScreenCenter");
    EXPECT_EQ(defaults.historySortOption, u"Last Copy Time");
    EXPECT_FALSE(defaults.historyWindowX);
}

// The hot keys default to Ctrl+Alt+V and Ctrl+Alt+P, which no terminal, browser or editor uses. A document that
// holds a hot key, the former defaults included, keeps it; one without the key takes the default.
TEST(PreferencesDecoding, StoredHotKeysStayAndMissingOnesTakeTheDefaults)
{
    const AppPreferences defaults;
    EXPECT_EQ(defaults.showHistoryShortcut, u"cmd+option+v");
    EXPECT_EQ(defaults.pauseShortcut, u"cmd+option+p");

    const AppPreferences stored = decode(R"({"showHistoryShortcut": "shift+cmd+v", "pauseShortcut": "shift+cmd+p"})");
    EXPECT_EQ(stored.showHistoryShortcut, u"shift+cmd+v");
    EXPECT_EQ(stored.pauseShortcut, u"shift+cmd+p");
    const AppPreferences onlyOne = decode(R"({"showHistoryShortcut": "shift+cmd+v", "hasCompletedOnboarding": true})");
    EXPECT_EQ(onlyOne.showHistoryShortcut, u"shift+cmd+v");
    EXPECT_EQ(onlyOne.pauseShortcut, u"cmd+option+p");
    EXPECT_EQ(decode(R"({"pauseShortcut": ""})").pauseShortcut, u"");
}

TEST(PreferencesDecoding, Normalisations)
{
    struct Case
    {
        const char *json;
        std::function<void(const AppPreferences &)> check;
    };
    const Case cases[] = {
        {R"({"historySortOption": "Copy Sequence"})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.historySortOption, u"Last Copy Time");
                EXPECT_TRUE(p.copySequenceModeEnabled);
            }},
        {R"({"historySortOption": "Copy Sequence", "copySequenceModeEnabled": false})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.historySortOption, u"Last Copy Time");
                EXPECT_FALSE(p.copySequenceModeEnabled);
            }},
        {R"({"historySortOption": "Copy Sequence", "copySequenceModeEnabled": null})",
            [](const AppPreferences &p) { EXPECT_TRUE(p.copySequenceModeEnabled); }},
        {R"({"historySortOption": "Size", "copySequenceModeEnabled": true})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.historySortOption, u"Size");
                EXPECT_TRUE(p.copySequenceModeEnabled);
            }},
        {R"({"historySortOption": "size"})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.historySortOption, u"Last Copy Time");
                EXPECT_FALSE(p.copySequenceModeEnabled);
            }},
        {R"({"copyAndMergeSeparator": "Comma"})",
            [](const AppPreferences &p) { EXPECT_EQ(p.copyAndMergeSeparator, u"comma"); }},
        {R"({"copyAndMergeSeparator": "COMMA"})",
            [](const AppPreferences &p) { EXPECT_EQ(p.copyAndMergeSeparator, u"newLine"); }},
        {R"({"doubleClickAction": "Copy", "numberKeyAction": "COPY"})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.doubleClickAction, u"copy");
                EXPECT_EQ(p.numberKeyAction, u"paste");
            }},
        {R"({"numberKeyAction": "copy"})", [](const AppPreferences &p) { EXPECT_EQ(p.numberKeyAction, u"copy"); }},
        {R"({"openWindowStrategy": "Mouse cursor"})",
            [](const AppPreferences &p) { EXPECT_EQ(p.openWindowStrategy, u"mouseCursor"); }},
        {R"({"openWindowStrategy": "under the desk"})",
            [](const AppPreferences &p) { EXPECT_EQ(p.openWindowStrategy, u"activeScreenCenter"); }},
        {R"({"historyWindowX": null, "historyWindowY": 12.5, "appearance": null})",
            [](const AppPreferences &p) {
                EXPECT_FALSE(p.historyWindowX);
                EXPECT_EQ(p.historyWindowY, 12.5);
                EXPECT_EQ(p.appearance, AppAppearance::system);
            }},
        {R"({"maxHistoryItems": 0, "retentionDays": -1, "language": "xx", "deleteItemShortcut": "delete"})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.maxHistoryItems, 0);
                EXPECT_EQ(p.historyItemLimit(), 5000);
                EXPECT_EQ(p.retentionDays, -1);
                EXPECT_EQ(p.language, u"xx");
                EXPECT_EQ(p.deleteItemShortcut, u"delete");
            }},
        {R"({"appearance": "dark", "somethingNew": [1, 2], "ignoredAppsText": "Terminal"})",
            [](const AppPreferences &p) {
                EXPECT_EQ(p.appearance, AppAppearance::dark);
                EXPECT_EQ(p.ignoredAppsText, u"Terminal");
            }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.json);
        c.check(decode(c.json));
    }
}

TEST(PreferencesDecoding, WrongTypesFailTheWholeDocument)
{
    const char *documents[] = {
        R"({"appearance": "Dark", "maxHistoryItems": 7})",
        R"({"appearance": 1})",
        R"({"maxHistoryItems": "5000"})",
        R"({"maxHistoryItems": 10.5})",
        R"({"launchAtLogin": "true"})",
        R"({"pinFavoritesToTop": 1})",
        R"({"historyWindowX": "12"})",
        R"({"ignoredAppsText": ["Terminal"]})",
        R"({"historySortOption": 3})",
        R"({"copySequenceModeEnabled": "yes"})",
        R"([])",
        R"({"language": "en")",
        "",
    };
    for (const char *document : documents)
        EXPECT_FALSE(AppPreferences::fromJsonDocument(QByteArray(document))) << document;
}

// --- Encoding --------------------------------------------------------------------------------------------------------

TEST(PreferencesEncoding, DefaultRecordWritesNoFrame)
{
    const auto json = AppPreferences().toJson();
    ASSERT_TRUE(json);
    QStringList expected = allKeys;
    for (const QString &key : frameKeys)
        expected.removeOne(key);
    QStringList keys = json->keys();
    keys.sort();
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(json->value(u"appearance").toString(), u"system");
    EXPECT_EQ(json->value(u"maxHistoryItems").toInteger(), 5000);
}

// Every field, each set away from its default, survives a trip through the stored form.
TEST(PreferencesEncoding, EveryFieldRoundTrips)
{
    const QJsonObject defaults = *AppPreferences().toJson();
    QJsonObject changed;
    int n = 0;
    for (const QString &key : allKeys) {
        ++n;
        const QJsonValue value = defaults.value(key);
        if (value.isBool())
            changed.insert(key, !value.toBool());
        else if (value.isDouble())
            changed.insert(key, -n); // every integer field, the retentions included, gets its own value
        else if (value.isString())
            changed.insert(key, QStringLiteral("value %1").arg(n));
        else
            changed.insert(key, 100.25 * n - 3000); // the frames: absent by default
    }
    // Fields with a closed vocabulary take other members of it.
    changed.insert(u"appearance", u"light"_qs);
    changed.insert(u"openWindowStrategy", u"inputCursor"_qs);
    changed.insert(u"historySortOption", u"Number of Copies"_qs);
    changed.insert(u"copyAndMergeSeparator", u"empty"_qs);
    changed.insert(u"doubleClickAction", u"copy"_qs);
    changed.insert(u"numberKeyAction", u"copy"_qs);

    const auto decoded = AppPreferences::fromJson(changed);
    ASSERT_TRUE(decoded) << qPrintable(decoded.error());
    const auto document = decoded->toJsonDocument();
    ASSERT_TRUE(document);
    const QJsonObject written = QJsonDocument::fromJson(*document).object();
    for (const QString &key : allKeys)
        EXPECT_EQ(written.value(key), changed.value(key)) << qPrintable(key);
    EXPECT_EQ(written.size(), 75);

    const auto reread = AppPreferences::fromJsonDocument(*document);
    ASSERT_TRUE(reread);
    EXPECT_EQ(*reread, *decoded);
    EXPECT_NE(*reread, AppPreferences());
    EXPECT_EQ(reread->imageRetentionDays, -44);
    EXPECT_EQ(reread->settingsWindowHeight, 100.25 * 22 - 3000);
}

TEST(PreferencesEncoding, NonFiniteFrameRefusesToEncode)
{
    AppPreferences preferences;
    preferences.historyWindowWidth = std::nan("");
    EXPECT_FALSE(preferences.toJsonDocument());
    preferences.historyWindowWidth = INFINITY;
    EXPECT_FALSE(preferences.toJsonDocument());
    preferences.historyWindowWidth = 640;
    EXPECT_TRUE(preferences.toJsonDocument());
}

TEST(PreferencesEquality, FramesCompareByPresenceAndValue)
{
    AppPreferences a, b;
    a.historyWindowX = 0.0;
    EXPECT_NE(a, b);
    b.historyWindowX = 0.0;
    EXPECT_EQ(a, b);
    b.textRetentionDays = 30;
    EXPECT_NE(a, b);
}

TEST(PreferencesRetention, EachKindHasItsOwnPeriod)
{
    AppPreferences preferences;
    preferences.textRetentionDays = 1;
    preferences.imageRetentionDays = 2;
    preferences.fileRetentionDays = 3;
    preferences.linkRetentionDays = 4;
    preferences.emailRetentionDays = 5;
    preferences.colorRetentionDays = -1;
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::text), 1);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::richText), 1);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::image), 2);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::file), 3);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::link), 4);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::email), 5);
    EXPECT_EQ(preferences.retentionDaysFor(ClipboardKind::color), -1);
}

// --- Ignored applications --------------------------------------------------------------------------------------------

TEST(IgnoredApplications, Entries)
{
    struct Case
    {
        QString text;
        QStringList entries;
    };
    const Case cases[] = {
        {QString(), {}},
        {u"  \n\t\n \r\n   "_qs, {}},
        {u"Terminal\r\nKeePassXC\r\n"_qs, {u"Terminal"_qs, u"KeePassXC"_qs}},
        {u"  Terminal  \n\n\nTerminal\rVim"_qs, {u"Terminal"_qs, u"Terminal"_qs, u"Vim"_qs}},
        {u"A\u2028B\u2029C\u0085D\u000bE\u000cF"_qs, {u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs, u"F"_qs}},
        {u"Gnome Terminal\u00a0"_qs, {u"Gnome Terminal"_qs}},
    };
    for (const Case &c : cases) {
        AppPreferences preferences;
        preferences.ignoredAppsText = c.text;
        EXPECT_EQ(preferences.ignoredApplicationEntries(), c.entries) << qPrintable(c.text);
    }
}

TEST(IgnoredApplications, Matching)
{
    const QString entryPath = u"/usr/share/applications/org.keepassxc.KeePassXC.desktop"_qs;
    struct Case
    {
        QString text;
        QString name;
        QString path;
        bool ignored;
    };
    const Case cases[] = {
        {u" \n \n"_qs, u"KeePassXC"_qs, entryPath, false},
        {u"KeePassXC"_qs, u"KeePassXC"_qs, QString(), true},
        {u"Terminal\r\nKeePassXC\r\n"_qs, u"KeePassXC"_qs, QString(), true},
        {u"keepassxc"_qs, u"KeePassXC"_qs, entryPath, false},
        {u"KeePassXC"_qs, u"KeePassXC Browser"_qs, entryPath, false},
        {u"KeePass"_qs, u"KeePassXC"_qs, entryPath, false},
        {entryPath, u"KeePassXC"_qs, entryPath, true},
        {u"/usr/share/applications/../applications/./org.keepassxc.KeePassXC.desktop"_qs, QString(), entryPath, true},
        {entryPath, u"KeePassXC"_qs, u"/usr/share/applications//x/../org.keepassxc.KeePassXC.desktop"_qs, true},
        // A trailing "/" makes it a name, which no application has.
        {entryPath + u'/', u"KeePassXC"_qs, entryPath, false},
        // A path entry never matches by name, a name entry never by path.
        {entryPath, entryPath, QString(), false},
        {u"KeePassXC"_qs, QString(), u"/opt/KeePassXC"_qs, false},
        {u"/opt/KeePassXC.desktop"_qs, u"KeePassXC"_qs, entryPath, false},
        {u"/usr/share/applications/org.KeePassXC.KeePassXC.desktop"_qs, QString(), entryPath, false},
    };
    for (const Case &c : cases) {
        AppPreferences preferences;
        preferences.ignoredAppsText = c.text;
        EXPECT_EQ(preferences.isIgnoredApplication(c.name, c.path), c.ignored)
            << qPrintable(c.text) << " / " << qPrintable(c.name) << " / " << qPrintable(c.path);
    }
}
