#include "CoordinatorTestSupport.h"

#include "HistorySettingsView.h"
#include "SettingsBlocks.h"
#include "SoundsSettingsView.h"

#include <QComboBox>

#include <gtest/gtest.h>

TEST(HistorySettingsView, DisabledConditionsFollowTheRecordAndPickersWriteRawValues)
{
    CoordinatorHarness h;
    HistorySettingsView pane(h.model);
    EXPECT_TRUE(pane.updateHistoryAfterAction().isEnabled());
    EXPECT_FALSE(pane.separator().isEnabled());
    EXPECT_FALSE(pane.copyToClipboardAfterMerge().isEnabled());

    h.changePreferences([](AppPreferences &preferences) {
        preferences.copySequenceModeEnabled = true;
        preferences.copyAndMergeEnabled = true;
    });
    EXPECT_FALSE(pane.updateHistoryAfterAction().isEnabled());
    EXPECT_TRUE(pane.separator().isEnabled());
    EXPECT_TRUE(pane.copyToClipboardAfterMerge().isEnabled());
    // A disabled switch still shows its stored value.
    EXPECT_TRUE(static_cast<SettingsToggle &>(pane.updateHistoryAfterAction()).toggle().isChecked());

    auto *numberKeys = static_cast<PreferencePicker *>(&pane.numberKeyAction().trailing());
    ASSERT_EQ(numberKeys->comboBox().count(), 2);
    EXPECT_EQ(numberKeys->comboBox().currentText(), QStringLiteral("Paste"));
    Q_EMIT numberKeys->comboBox().activated(1);
    EXPECT_EQ(h.model.preferences().numberKeyAction, QStringLiteral("copy"));
    EXPECT_EQ(h.model.preferences().doubleClickAction, QStringLiteral("paste"));
    auto *separator = static_cast<PreferencePicker *>(&pane.separator().trailing());
    EXPECT_EQ(separator->comboBox().itemData(3).toString(), QStringLiteral("empty"));
}

TEST(SoundsSettingsView, FiveSwitchesUnderTheMasterSwitch)
{
    CoordinatorHarness h;
    SoundsSettingsView pane(h.model, *h.coordinator);
    for (SoundEffect::Value effect : SoundEffect::allCases) {
        EXPECT_TRUE(pane.toggle(effect).toggle().isChecked());
        EXPECT_TRUE(pane.toggle(effect).toggle().isEnabled());
    }
    EXPECT_EQ(pane.toggle(SoundEffect::delete_).titleLabel().text(), QStringLiteral("Delete item"));

    pane.toggle(SoundEffect::delete_).toggle().click();
    EXPECT_FALSE(h.model.preferences().playSoundOnDelete);
    pane.toggle(SoundEffect::delete_).toggle().click();
    EXPECT_TRUE(h.model.preferences().playSoundOnDelete);

    // The master switch off greys them; they keep their values and cannot be changed.
    h.changePreferences([](AppPreferences &preferences) {
        preferences.soundEffectsEnabled = false;
        preferences.playSoundOnCopy = false;
    });
    EXPECT_FALSE(pane.toggle(SoundEffect::paste).toggle().isEnabled());
    EXPECT_FALSE(pane.toggle(SoundEffect::copy).toggle().isChecked());
    EXPECT_TRUE(pane.toggle(SoundEffect::paste).toggle().isChecked());
    h.changePreferences([](AppPreferences &preferences) { preferences.soundEffectsEnabled = true; });
    EXPECT_TRUE(pane.toggle(SoundEffect::paste).toggle().isEnabled());
}
