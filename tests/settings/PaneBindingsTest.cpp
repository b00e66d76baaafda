#include "CoordinatorTestSupport.h"

#include "GeneralSettingsView.h"
#include "HistorySettingsView.h"
#include "PrivacySettingsView.h"
#include "SettingsBlocks.h"
#include "SoundsSettingsView.h"
#include "StorageSettingsView.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// The keys of the record whose values differ.
QStringList changedKeys(const AppPreferences &before, const AppPreferences &after)
{
    const QJsonObject a = *before.toJson();
    const QJsonObject b = *after.toJson();
    QStringList keys;
    for (auto it = b.begin(); it != b.end(); ++it) {
        if (a.value(it.key()) != it.value())
            keys.append(it.key());
    }
    return keys;
}

// Flipping each switch of a pane, in order, changes exactly its own field of the record.
QStringList switchedFields(AppModel &model, QWidget &pane)
{
    QStringList fields;
    for (SettingsToggle *toggle : pane.findChildren<SettingsToggle *>()) {
        if (!toggle->toggle().isEnabled())
            continue;
        const AppPreferences before = model.preferences();
        toggle->toggle().click();
        const QStringList changed = changedKeys(before, model.preferences());
        EXPECT_EQ(changed.size(), 1) << qPrintable(toggle->titleLabel().text()) << qPrintable(changed.join(u','));
        fields.append(changed.value(0));
    }
    return fields;
}

} // namespace

TEST(PaneBindings, EachSwitchWritesItsOwnField)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &preferences) { preferences.copyAndMergeEnabled = true; });
    h.coordinator->start();

    HistorySettingsView history(h.model);
    EXPECT_EQ(switchedFields(h.model, history),
        QStringList({
            QStringLiteral("updateHistoryAfterAction"), QStringLiteral("pinFavoritesToTop"),
            QStringLiteral("showCommandNumberShortcut"), QStringLiteral("showPreviewForLinks"),
            QStringLiteral("treatDigitNumbersAsColor"), QStringLiteral("preferPastingAsPlainText"),
            QStringLiteral("pasteOnClick"), QStringLiteral("copyAndMergeEnabled"),
            // switching copy and merge off disables the last switch of its group
        }));

    StorageSettingsView storage(h.model);
    EXPECT_EQ(switchedFields(h.model, storage),
        QStringList({QStringLiteral("keepFavoritesOnClearHistory"), QStringLiteral("warnOnClearHistory"),
            QStringLiteral("clearHistoryOnQuit"), QStringLiteral("clearHistoryOnReboot")}));

    PrivacySettingsView privacy(h.model, *h.coordinator);
    EXPECT_EQ(switchedFields(h.model, privacy),
        QStringList({QStringLiteral("ignoreConcealedContent"), QStringLiteral("ignoreTransientContent")}));

    SoundsSettingsView sounds(h.model, *h.coordinator);
    EXPECT_EQ(switchedFields(h.model, sounds),
        QStringList(
            {QStringLiteral("playSoundOnCopy"), QStringLiteral("playSoundOnPaste"), QStringLiteral("playSoundOnDelete"),
                QStringLiteral("playSoundOnSelectionAdd"), QStringLiteral("playSoundOnSelectionRemove")}));

    GeneralSettingsView general(h.model, *h.coordinator);
    EXPECT_EQ(switchedFields(h.model, general),
        QStringList({QStringLiteral("launchAtLogin"), QStringLiteral("showMainWindowAtStartup"),
            QStringLiteral("showMenuBarIcon")}));
}
