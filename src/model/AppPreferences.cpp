#include "AppPreferences.h"

#include "Coding.h"
#include "CopyAndMergeSeparatorPreference.h"
#include "HistoryItemActionPreference.h"
#include "HistorySortOption.h"
#include "HistoryWindowOpenStrategy.h"
#include "TextUtilities.h"

#include <QDir>
#include <QJsonDocument>

#include <cmath>
#include <variant>

namespace {

using BoolMember = bool AppPreferences::*;
using IntMember = qint64 AppPreferences::*;
using StringMember = QString AppPreferences::*;
using FrameMember = std::optional<double> AppPreferences::*;

struct Field
{
    QLatin1StringView key;
    std::variant<BoolMember, IntMember, StringMember, FrameMember> member;
};

// Every field but `appearance`, in declaration order.
const Field fields[] = {
    {QLatin1StringView("language"), &AppPreferences::language},
    {QLatin1StringView("launchAtLogin"), &AppPreferences::launchAtLogin},
    {QLatin1StringView("showMainWindowAtStartup"), &AppPreferences::showMainWindowAtStartup},
    {QLatin1StringView("checkForUpdatesAutomatically"), &AppPreferences::checkForUpdatesAutomatically},
    {QLatin1StringView("soundEffectsEnabled"), &AppPreferences::soundEffectsEnabled},
    {QLatin1StringView("playSoundOnCopy"), &AppPreferences::playSoundOnCopy},
    {QLatin1StringView("playSoundOnPaste"), &AppPreferences::playSoundOnPaste},
    {QLatin1StringView("playSoundOnDelete"), &AppPreferences::playSoundOnDelete},
    {QLatin1StringView("playSoundOnSelectionAdd"), &AppPreferences::playSoundOnSelectionAdd},
    {QLatin1StringView("playSoundOnSelectionRemove"), &AppPreferences::playSoundOnSelectionRemove},
    {QLatin1StringView("showMenuBarIcon"), &AppPreferences::showMenuBarIcon},
    {QLatin1StringView("hideOnFocusLoss"), &AppPreferences::hideOnFocusLoss},
    {QLatin1StringView("openWindowStrategy"), &AppPreferences::openWindowStrategy},
    {QLatin1StringView("historyWindowX"), &AppPreferences::historyWindowX},
    {QLatin1StringView("historyWindowY"), &AppPreferences::historyWindowY},
    {QLatin1StringView("historyWindowWidth"), &AppPreferences::historyWindowWidth},
    {QLatin1StringView("historyWindowHeight"), &AppPreferences::historyWindowHeight},
    {QLatin1StringView("settingsWindowX"), &AppPreferences::settingsWindowX},
    {QLatin1StringView("settingsWindowY"), &AppPreferences::settingsWindowY},
    {QLatin1StringView("settingsWindowWidth"), &AppPreferences::settingsWindowWidth},
    {QLatin1StringView("settingsWindowHeight"), &AppPreferences::settingsWindowHeight},
    {QLatin1StringView("historySortOption"), &AppPreferences::historySortOption},
    {QLatin1StringView("isHistorySortReversed"), &AppPreferences::isHistorySortReversed},
    {QLatin1StringView("copySequenceModeEnabled"), &AppPreferences::copySequenceModeEnabled},
    {QLatin1StringView("pinFavoritesToTop"), &AppPreferences::pinFavoritesToTop},
    {QLatin1StringView("pasteOnClick"), &AppPreferences::pasteOnClick},
    {QLatin1StringView("updateHistoryAfterAction"), &AppPreferences::updateHistoryAfterAction},
    {QLatin1StringView("copyAndMergeEnabled"), &AppPreferences::copyAndMergeEnabled},
    {QLatin1StringView("copyToClipboardAfterMerge"), &AppPreferences::copyToClipboardAfterMerge},
    {QLatin1StringView("copyAndMergeSeparator"), &AppPreferences::copyAndMergeSeparator},
    {QLatin1StringView("showPreviewForLinks"), &AppPreferences::showPreviewForLinks},
    {QLatin1StringView("showCommandNumberShortcut"), &AppPreferences::showCommandNumberShortcut},
    {QLatin1StringView("treatDigitNumbersAsColor"), &AppPreferences::treatDigitNumbersAsColor},
    {QLatin1StringView("preferPastingAsPlainText"), &AppPreferences::preferPastingAsPlainText},
    {QLatin1StringView("doubleClickAction"), &AppPreferences::doubleClickAction},
    {QLatin1StringView("numberKeyAction"), &AppPreferences::numberKeyAction},
    {QLatin1StringView("ignoreTransientContent"), &AppPreferences::ignoreTransientContent},
    {QLatin1StringView("ignoreConcealedContent"), &AppPreferences::ignoreConcealedContent},
    {QLatin1StringView("ignoredAppsText"), &AppPreferences::ignoredAppsText},
    {QLatin1StringView("maxHistoryItems"), &AppPreferences::maxHistoryItems},
    {QLatin1StringView("retentionDays"), &AppPreferences::retentionDays},
    {QLatin1StringView("textRetentionDays"), &AppPreferences::textRetentionDays},
    {QLatin1StringView("imageRetentionDays"), &AppPreferences::imageRetentionDays},
    {QLatin1StringView("fileRetentionDays"), &AppPreferences::fileRetentionDays},
    {QLatin1StringView("linkRetentionDays"), &AppPreferences::linkRetentionDays},
    {QLatin1StringView("emailRetentionDays"), &AppPreferences::emailRetentionDays},
    {QLatin1StringView("colorRetentionDays"), &AppPreferences::colorRetentionDays},
    {QLatin1StringView("keepFavoritesOnClearHistory"), &AppPreferences::keepFavoritesOnClearHistory},
    {QLatin1StringView("warnOnClearHistory"), &AppPreferences::warnOnClearHistory},
    {QLatin1StringView("clearHistoryOnQuit"), &AppPreferences::clearHistoryOnQuit},
    {QLatin1StringView("clearHistoryOnReboot"), &AppPreferences::clearHistoryOnReboot},
    {QLatin1StringView("showHistoryShortcut"), &AppPreferences::showHistoryShortcut},
    {QLatin1StringView("pauseShortcut"), &AppPreferences::pauseShortcut},
    {QLatin1StringView("pasteNextShortcut"), &AppPreferences::pasteNextShortcut},
    {QLatin1StringView("pasteNextRichShortcut"), &AppPreferences::pasteNextRichShortcut},
    {QLatin1StringView("closeHistoryShortcut"), &AppPreferences::closeHistoryShortcut},
    {QLatin1StringView("selectNextItemShortcut"), &AppPreferences::selectNextItemShortcut},
    {QLatin1StringView("selectPreviousItemShortcut"), &AppPreferences::selectPreviousItemShortcut},
    {QLatin1StringView("pasteSelectedShortcut"), &AppPreferences::pasteSelectedShortcut},
    {QLatin1StringView("pasteSelectedSecondaryShortcut"), &AppPreferences::pasteSelectedSecondaryShortcut},
    {QLatin1StringView("copySelectedShortcut"), &AppPreferences::copySelectedShortcut},
    {QLatin1StringView("copySelectedSecondaryShortcut"), &AppPreferences::copySelectedSecondaryShortcut},
    {QLatin1StringView("deleteItemShortcut"), &AppPreferences::deleteItemShortcut},
    {QLatin1StringView("toggleFavoriteShortcut"), &AppPreferences::toggleFavoriteShortcut},
    {QLatin1StringView("showInFinderShortcut"), &AppPreferences::showInFinderShortcut},
    {QLatin1StringView("openInBrowserShortcut"), &AppPreferences::openInBrowserShortcut},
    {QLatin1StringView("editItemShortcut"), &AppPreferences::editItemShortcut},
    {QLatin1StringView("renameItemShortcut"), &AppPreferences::renameItemShortcut},
    {QLatin1StringView("transformItemShortcut"), &AppPreferences::transformItemShortcut},
    {QLatin1StringView("focusSearchFieldShortcut"), &AppPreferences::focusSearchFieldShortcut},
    {QLatin1StringView("filterHistoryByTypeShortcut"), &AppPreferences::filterHistoryByTypeShortcut},
    {QLatin1StringView("openSettingsShortcut"), &AppPreferences::openSettingsShortcut},
    {QLatin1StringView("showCommandPaletteShortcut"), &AppPreferences::showCommandPaletteShortcut},
    {QLatin1StringView("hasCompletedOnboarding"), &AppPreferences::hasCompletedOnboarding},
};

const QLatin1StringView appearanceKey("appearance");
const QLatin1StringView sortOptionKey("historySortOption");
const QLatin1StringView copySequenceKey("copySequenceModeEnabled");

QString wrongTypeError(QLatin1StringView key)
{
    return QStringLiteral("The value of \"%1\" has the wrong type.").arg(key);
}

template<class... Ts> struct overloaded : Ts...
{
    using Ts::operator()...;
};
template<class... Ts> overloaded(Ts...) -> overloaded<Ts...>;

} // namespace

Expected<AppPreferences, QString> AppPreferences::fromJson(const QJsonObject &object)
{
    using Result = Expected<AppPreferences, QString>;
    AppPreferences preferences;

    const auto appearanceText = Coding::readString(object, appearanceKey);
    if (appearanceText.isWrongType())
        return Result::failure(wrongTypeError(appearanceKey));
    if (appearanceText.isPresent()) {
        const auto appearance = AppAppearance::fromRawValue(appearanceText.value);
        if (!appearance)
            return Result::failure(QStringLiteral("\"%1\" is not an appearance.").arg(appearanceText.value.left(64)));
        preferences.appearance = *appearance;
    }

    bool copySequenceKeyPresent = false;
    for (const Field &field : fields) {
        bool wrongType = false;
        std::visit(overloaded {
                       [&](BoolMember member) {
                           const auto value = Coding::readBool(object, field.key);
                           wrongType = value.isWrongType();
                           if (value.isPresent())
                               preferences.*member = value.value;
                           if (field.key == copySequenceKey)
                               copySequenceKeyPresent = value.isPresent();
                       },
                       [&](IntMember member) {
                           const auto value = Coding::readInt64(object, field.key);
                           wrongType = value.isWrongType();
                           if (value.isPresent())
                               preferences.*member = value.value;
                       },
                       [&](StringMember member) {
                           const auto value = Coding::readString(object, field.key);
                           wrongType = value.isWrongType();
                           if (value.isPresent())
                               preferences.*member = value.value;
                       },
                       [&](FrameMember member) {
                           const auto value = Coding::readDouble(object, field.key);
                           wrongType = value.isWrongType();
                           if (value.isPresent())
                               preferences.*member = value.value;
                       },
                   },
            field.member);
        if (wrongType)
            return Result::failure(wrongTypeError(field.key));
    }

    // Canonical forms. The sort option as stored (before it is made canonical) also says whether a record from
    // before copy-sequence mode had its own switch meant copy-sequence order.
    preferences.openWindowStrategy
        = HistoryWindowOpenStrategy::fromStoredString(preferences.openWindowStrategy).rawValue();
    const QString storedSortOption = preferences.historySortOption;
    preferences.historySortOption
        = HistorySortOption::fromRawValue(storedSortOption).value_or(HistorySortOption::lastCopyTime).rawValue();
    if (!copySequenceKeyPresent)
        preferences.copySequenceModeEnabled = storedSortOption == QLatin1String("Copy Sequence");
    preferences.copyAndMergeSeparator
        = CopyAndMergeSeparatorPreference::resolved(preferences.copyAndMergeSeparator).rawValue();
    preferences.doubleClickAction = HistoryItemActionPreference::resolved(preferences.doubleClickAction).rawValue();
    preferences.numberKeyAction = HistoryItemActionPreference::resolved(preferences.numberKeyAction).rawValue();
    return preferences;
}

Expected<AppPreferences, QString> AppPreferences::fromJsonDocument(const QByteArray &document)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError)
        return Expected<AppPreferences, QString>::failure(error.errorString());
    if (!json.isObject())
        return Expected<AppPreferences, QString>::failure(QStringLiteral("The preferences are not a JSON object."));
    return fromJson(json.object());
}

Expected<QJsonObject, QString> AppPreferences::toJson() const
{
    QJsonObject object;
    object.insert(appearanceKey, appearance.rawValue());
    for (const Field &field : fields) {
        bool finite = true;
        std::visit(overloaded {
                       [&](BoolMember member) { object.insert(field.key, this->*member); },
                       [&](IntMember member) { object.insert(field.key, Coding::int64Value(this->*member)); },
                       [&](StringMember member) { object.insert(field.key, this->*member); },
                       [&](FrameMember member) {
                           if (const auto value = this->*member) {
                               finite = std::isfinite(*value);
                               object.insert(field.key, *value);
                           }
                       },
                   },
            field.member);
        if (!finite)
            return Expected<QJsonObject, QString>::failure(
                QStringLiteral("The value of \"%1\" is not a finite number.").arg(field.key));
    }
    return object;
}

Expected<QByteArray, QString> AppPreferences::toJsonDocument() const
{
    const auto object = toJson();
    if (!object)
        return Expected<QByteArray, QString>::failure(object.error());
    return QJsonDocument(*object).toJson(QJsonDocument::Compact);
}

qint64 AppPreferences::historyItemLimit() const
{
    return maxHistoryItems > 0 ? maxHistoryItems : defaultMaxHistoryItems;
}

qint64 AppPreferences::retentionDaysFor(ClipboardKind kind) const
{
    return retentionDaysField(*this, kind);
}

QStringList AppPreferences::ignoredApplicationEntries() const
{
    QStringList entries;
    const QString &text = ignoredAppsText;
    qsizetype start = 0;
    auto take = [&](qsizetype end) {
        const QString entry = TextUtilities::trimmedWhitespaceAndNewlines(QStringView(text).sliced(start, end - start));
        if (!entry.isEmpty())
            entries.append(entry);
    };
    // Every newline character is a single UTF-16 unit.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (TextUtilities::isNewline(text.at(i).unicode())) {
            take(i);
            start = i + 1;
        }
    }
    take(text.size());
    return entries;
}

bool AppPreferences::isIgnoredApplication(const QString &name, const QString &desktopEntryPath) const
{
    const QStringList entries = ignoredApplicationEntries();
    if (entries.isEmpty())
        return false;
    const QString applicationPath = desktopEntryPath.isEmpty() ? QString() : QDir::cleanPath(desktopEntryPath);
    for (const QString &entry : entries) {
        if (entry.startsWith(QLatin1Char('/')) && entry.endsWith(QLatin1String(".desktop"))) {
            if (!applicationPath.isEmpty() && QDir::cleanPath(entry) == applicationPath)
                return true;
        } else if (!name.isEmpty() && entry == name) {
            return true;
        }
    }
    return false;
}
