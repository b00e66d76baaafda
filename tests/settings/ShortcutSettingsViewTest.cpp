#include "CoordinatorTestSupport.h"

#include "KeyboardCodes.h"
#include "ServicesProbe.h"
#include "ShortcutRecorder.h"
#include "ShortcutSettingsView.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A started coordinator and the Shortcuts pane on screen.
struct ShortcutPane
{
    ShortcutPane()
    {
        h.storeOnboardedPreferences();
        h.coordinator->start();
        pane = std::make_unique<ShortcutSettingsView>(h.model, *h.coordinator);
        pane->show();
    }
    ShortcutRow &row(QString AppPreferences::*field) { return *pane->row(field); }
    // Records a key on the row as the user does: a click, then the key.
    void record(QString AppPreferences::*field, quint32 keycode, Qt::KeyboardModifiers modifiers)
    {
        ShortcutRecorder &recorder = row(field).recorder();
        QTest::mouseClick(&recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder.isRecording());
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, modifiers, keycode, 0, 0);
        QCoreApplication::sendEvent(&recorder, &key);
    }

    CoordinatorHarness h;
    std::unique_ptr<ShortcutSettingsView> pane;
};

} // namespace

TEST(ShortcutSettingsView, TwentyTwoShortcutsInThreeGroupsWithTheRecordDefaults)
{
    const AppPreferences defaults;
    EXPECT_EQ(ShortcutSettingsView::entries(ShortcutSettingsView::Group::global).size(), 4);
    EXPECT_EQ(ShortcutSettingsView::entries(ShortcutSettingsView::Group::navigation).size(), 7);
    EXPECT_EQ(ShortcutSettingsView::entries(ShortcutSettingsView::Group::itemActions).size(), 11);
    QList<QString AppPreferences::*> fields;
    for (const auto &entry : ShortcutSettingsView::allEntries()) {
        EXPECT_EQ(entry.defaultValue, defaults.*entry.field) << qPrintable(entry.title);
        EXPECT_FALSE(fields.contains(entry.field)) << qPrintable(entry.title);
        fields.append(entry.field);
    }
    EXPECT_EQ(fields.size(), 22);
}

// The commit rule: a shortcut that another action holds (in any group, in any order of its modifiers) is refused
// with a message naming that action; a system-wide shortcut needs Ctrl, Alt or Super; clearing never conflicts.
TEST(ShortcutSettingsView, CommitRule)
{
    struct Case
    {
        QString AppPreferences::*field;
        const char *candidate;
        bool stored;
        const char *message; // part of the refusal's text
    };
    const Case cases[] = {
        {&AppPreferences::transformItemShortcut, "cmd+c", false, "Ctrl+C is already used by \"Copy selected item\""},
        {&AppPreferences::pasteNextShortcut, "option+cmd+v", false, "\"Show clipboard history\""},
        {&AppPreferences::copySelectedShortcut, "alt+command+p", false, "\"Pause or resume capture\""},
        {&AppPreferences::showHistoryShortcut, "shift+v", false, "hold Ctrl, Alt or Super"},
        {&AppPreferences::pauseShortcut, "escape", false, "hold Ctrl, Alt or Super"},
        {&AppPreferences::showHistoryShortcut, "cmd+option+h", true, nullptr},
        {&AppPreferences::editItemShortcut, "escape", false, "\"Close history window\""},
        {&AppPreferences::editItemShortcut, "e", true, nullptr}, // a bare key is fine inside the window
        {&AppPreferences::editItemShortcut, "", true, nullptr},
    };
    for (const Case &c : cases) {
        ShortcutPane s;
        const QString before = s.h.model.preferences().*c.field;
        ShortcutRow &row = s.row(c.field);
        EXPECT_EQ(row.commit(QString::fromLatin1(c.candidate)), c.stored) << c.candidate;
        EXPECT_EQ(s.h.model.preferences().*c.field, c.stored ? QString::fromLatin1(c.candidate) : before);
        if (c.message) {
            ASSERT_TRUE(row.conflictMessage()) << c.candidate;
            EXPECT_TRUE(row.conflictMessage()->contains(QString::fromUtf8(c.message)))
                << qPrintable(*row.conflictMessage());
        } else {
            EXPECT_FALSE(row.conflictMessage());
        }
    }
}

TEST(ShortcutSettingsView, ClearedRowsDoNotConflictAndRevertCanBeRefused)
{
    ShortcutPane s;
    EXPECT_TRUE(s.row(&AppPreferences::editItemShortcut).commit(QString()));
    EXPECT_TRUE(s.row(&AppPreferences::renameItemShortcut).commit(QString()));
    // Another action took "escape": reverting Close history window to it is refused.
    EXPECT_TRUE(s.row(&AppPreferences::closeHistoryShortcut).commit(QStringLiteral("cmd+w")));
    EXPECT_TRUE(s.row(&AppPreferences::editItemShortcut).commit(QStringLiteral("escape")));
    ShortcutRecorder &close = s.row(&AppPreferences::closeHistoryShortcut).recorder();
    EXPECT_TRUE(close.revertButton().isVisibleTo(&close));
    close.revertShortcut();
    EXPECT_EQ(s.h.model.preferences().closeHistoryShortcut, QStringLiteral("cmd+w"));
    EXPECT_TRUE(s.row(&AppPreferences::closeHistoryShortcut).conflictMessage()->contains(QStringLiteral("Edit item")));
    // The default written in another order is still the default: no revert button.
    EXPECT_TRUE(s.row(&AppPreferences::showHistoryShortcut).commit(QStringLiteral("option+cmd+v")));
    ShortcutRecorder &show = s.row(&AppPreferences::showHistoryShortcut).recorder();
    EXPECT_FALSE(show.revertButton().isVisibleTo(&show));
}

// Recording from the keyboard: the key ends recording stored or not; Escape records "escape"; while recording
// our hot keys are lifted, and the stored change is applied at once.
TEST(ShortcutSettingsView, RecordingAppliesAtOnceAndLiftsTheHotKeysMeanwhile)
{
    ShortcutPane s;
    ASSERT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 4);
    const qsizetype appliesBefore = s.h.appearance.applied.size();
    ShortcutRecorder &recorder = s.row(&AppPreferences::showHistoryShortcut).recorder();
    QTest::mouseClick(&recorder, Qt::LeftButton);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(recorder.labelText(), QStringLiteral("Recording..."));
    EXPECT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 0);
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, 37, 0, 0);
    QCoreApplication::sendEvent(&recorder, &ctrl);
    EXPECT_EQ(recorder.labelText(), QStringLiteral("Ctrl"));
    QKeyEvent h(QEvent::KeyPress, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier, 43, 0, 0);
    QCoreApplication::sendEvent(&recorder, &h);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(s.h.model.preferences().showHistoryShortcut, QStringLiteral("cmd+option+h"));
    EXPECT_EQ(recorder.labelText(), QStringLiteral("Ctrl+Alt+H"));
    EXPECT_EQ(s.h.appearance.applied.size(), appliesBefore + 1);
    EXPECT_EQ(s.h.preferencesStore.load().showHistoryShortcut, QStringLiteral("cmd+option+h"));
    EXPECT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 4);
    EXPECT_TRUE(s.h.hotKeys.press(4, HotKeyModifier::command | HotKeyModifier::option)); // "h" is key code 4

    // Escape is a key like any other inside the window; F1 is not recorded and recording goes on.
    s.record(&AppPreferences::closeHistoryShortcut, 67, Qt::NoModifier);
    ShortcutRecorder &close = s.row(&AppPreferences::closeHistoryShortcut).recorder();
    EXPECT_TRUE(close.isRecording());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::ControlModifier, 9, 0, 0);
    QCoreApplication::sendEvent(&close, &escape);
    EXPECT_EQ(s.h.model.preferences().closeHistoryShortcut, QStringLiteral("cmd+escape"));

    // A refused key also ends recording and keeps the stored shortcut.
    s.record(&AppPreferences::pauseShortcut, 55, Qt::ShiftModifier); // Shift+V: not system-wide
    EXPECT_FALSE(s.row(&AppPreferences::pauseShortcut).recorder().isRecording());
    EXPECT_EQ(s.h.model.preferences().pauseShortcut, QStringLiteral("cmd+option+p"));
    EXPECT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 4);
}

TEST(ShortcutSettingsView, WindowFrameChangesAreNotApplied)
{
    ShortcutPane s;
    const qsizetype appliesBefore = s.h.appearance.applied.size();
    s.h.changePreferences([](AppPreferences &preferences) { preferences.settingsWindowWidth = 900; });
    s.h.changePreferences([](AppPreferences &preferences) { preferences.historyWindowX = 12; });
    EXPECT_EQ(s.h.appearance.applied.size(), appliesBefore);
    s.h.changePreferences([](AppPreferences &preferences) { preferences.pinFavoritesToTop = false; });
    EXPECT_EQ(s.h.appearance.applied.size(), appliesBefore + 1);
    // Hidden, the pane applies nothing.
    s.pane->hide();
    s.h.changePreferences([](AppPreferences &preferences) { preferences.pinFavoritesToTop = true; });
    EXPECT_EQ(s.h.appearance.applied.size(), appliesBefore + 1);
}

// The latest refusal keeps its message; the one before it no longer decides when it goes.
TEST(ShortcutSettingsView, TheConflictMessageGoesAfterSixSeconds)
{
    ShortcutPane s;
    ShortcutRow &row = s.row(&AppPreferences::transformItemShortcut);
    row.commit(QStringLiteral("cmd+c"));
    ASSERT_TRUE(row.conflictMessage());
    EXPECT_TRUE(waitUntil([&] { return !row.conflictMessage(); }, ShortcutRow::conflictMessageMs + 2000));
    // A new recording takes the message away at once.
    row.commit(QStringLiteral("cmd+c"));
    QTest::mouseClick(&row.recorder(), Qt::LeftButton);
    EXPECT_FALSE(row.conflictMessage());
}

// Leaving the pane while a row records gives the hot keys back.
TEST(ShortcutSettingsView, HotKeysComeBackWhenThePaneGoesWhileRecording)
{
    ShortcutPane s;
    QTest::mouseClick(&s.row(&AppPreferences::pauseShortcut).recorder(), Qt::LeftButton);
    EXPECT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 0);
    s.pane.reset();
    EXPECT_EQ(ServicesProbe::hotKeyCount(s.h.shortcuts), 4);
}

// Every default key, and a key of a name that is long in some language, shows whole and in the recorder's own
// size in every interface language, also beside the revert button of a changed key and while recording.
TEST(ShortcutSettingsView, EveryKeyShowsWholeInEveryLanguage)
{
    QStringList shortcuts {u"cmd+shift+delete"_qs, u"control+option+shift+v"_qs};
    for (const auto &entry : ShortcutSettingsView::allEntries())
        shortcuts.append(entry.defaultValue);
    ShortcutRecorder recorder;
    recorder.show();
    const QLabel *label = recorder.findChild<QLabel *>();
    ASSERT_TRUE(label);
    for (const QString &language : supportedInterfaceLanguages()) {
        setCurrentInterfaceLanguage(language);
        for (const QString &shortcut : shortcuts) {
            for (const bool changed : {false, true}) {
                recorder.setDefaultShortcut(changed ? u"cmd+f"_qs : shortcut);
                recorder.setShortcut(shortcut);
                const std::string trace = language.toStdString() + " " + shortcut.toStdString();
                EXPECT_EQ(label->text(), recorder.labelText()) << trace;
                EXPECT_EQ(label->font().pixelSize(), 13) << trace;
            }
        }
        recorder.startRecording();
        EXPECT_EQ(label->text(), recorder.labelText()) << language.toStdString();
        recorder.cancelRecording();
    }
    setCurrentInterfaceLanguage(u"en"_qs);
}
