#include "CoordinatorTestSupport.h"

#include "IgnoredApplicationsList.h"
#include "PrivacySettingsView.h"
#include "SettingsBlocks.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct ListFixture
{
    explicit ListFixture(const QString &text)
    {
        AppPreferences preferences = model.preferences();
        preferences.ignoredAppsText = text;
        model.setPreferences(preferences);
        pane = std::make_unique<PrivacySettingsView>(model, *h.coordinator, [this](QWidget *) { return answer; });
    }
    IgnoredApplicationsList &list() { return pane->ignoredApplications(); }
    QString text() const { return model.preferences().ignoredAppsText; }

    CoordinatorHarness h;
    AppModel &model = h.model;
    std::optional<QStringList> answer; // what the application dialog answers; nothing: cancelled
    std::unique_ptr<PrivacySettingsView> pane;
};

} // namespace

TEST(IgnoredApplicationsList, EntriesAreTrimmedLinesWithoutBlanks)
{
    const std::pair<QString, QStringList> cases[] = {
        {QString(), {}},
        {QStringLiteral("  a \n\n b\r\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("x\u2028y\u0085z\vw"),
            {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w")}},
        {QStringLiteral("Same\nSame"), {QStringLiteral("Same"), QStringLiteral("Same")}},
    };
    for (const auto &[text, entries] : cases)
        EXPECT_EQ(IgnoredApplicationsList::entries(text), entries) << qPrintable(text);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(0), 40);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(1), 46);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(2), 92);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(3), 132);
    EXPECT_EQ(
        IgnoredApplicationsList::displayName(QStringLiteral("/nowhere/Editor.app")), QStringLiteral("Editor.app"));
    EXPECT_EQ(IgnoredApplicationsList::displayName(QStringLiteral("Firefox")), QStringLiteral("Firefox"));
}

TEST(IgnoredApplicationsList, AddingMergesAndWritesTheTextInNormalForm)
{
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("first.desktop"));
    const QString second = folder.filePath(QStringLiteral("second.desktop"));
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=First Editor\nName[de]=Erster Editor\nExec=first\n");
    file.close();

    ListFixture s(QStringLiteral("  a \n\n b\r\n"));
    EXPECT_EQ(s.list().rows().size(), 2);
    EXPECT_FALSE(s.list().removeButton().isEnabled());

    // Cancelled: nothing changes.
    s.list().addApplications();
    EXPECT_EQ(s.text(), QStringLiteral("  a \n\n b\r\n"));

    // Chosen twice, added once, in the order chosen; the blanks, the empty line and the CR are gone.
    s.answer = QStringList {first, first, second};
    s.list().addApplications();
    EXPECT_EQ(s.text(), QString(QStringLiteral("a\nb\n") + first + u'\n' + second));
    EXPECT_EQ(s.list().selectedEntry(), second);
    s.answer = QStringList {first};
    s.list().addApplications();
    EXPECT_EQ(IgnoredApplicationsList::entries(s.text()).count(first), 1);
    EXPECT_EQ(s.list().selectedEntry(), first);
    EXPECT_TRUE(s.list().removeButton().isEnabled());
    EXPECT_EQ(IgnoredApplicationsList::displayName(first), QStringLiteral("First Editor"));
}

TEST(IgnoredApplicationsList, RemovingTakesEveryEqualLineAndAGoneEntryIsUnselected)
{
    ListFixture s(QStringLiteral("Same\nOther\nSame"));
    ASSERT_EQ(s.list().rows().size(), 3);
    QTest::mouseClick(s.list().rows().at(2), Qt::LeftButton);
    EXPECT_EQ(s.list().selectedEntry(), QStringLiteral("Same"));
    s.list().removeButton().click();
    EXPECT_EQ(s.text(), QStringLiteral("Other"));
    EXPECT_FALSE(s.list().selectedEntry());
    EXPECT_FALSE(s.list().removeButton().isEnabled());

    QTest::mouseClick(s.list().rows().at(0), Qt::LeftButton);
    EXPECT_EQ(s.list().selectedEntry(), QStringLiteral("Other"));
    AppPreferences preferences = s.model.preferences();
    preferences.ignoredAppsText = QStringLiteral("Else");
    s.model.setPreferences(preferences);
    EXPECT_FALSE(s.list().selectedEntry());
    EXPECT_FALSE(s.list().removeButton().isEnabled());
    EXPECT_EQ(s.list().rows().size(), 1);
}

// What the Privacy pane keeps out is kept out at once, while the settings are still open: an application added to
// the list, and a marker switch turned off, reach capture and the saved record without closing anything.
TEST(PrivacySettingsView, ItsExclusionsTakeEffectWhileTheSettingsAreOpen)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const RunningApplication secrets {QStringLiteral("Secret Keeper"), QStringLiteral("org.example.Secrets"),
        QStringLiteral("/usr/share/applications/org.example.Secrets.desktop"), 11, QString()};
    const RunningApplication notes {QStringLiteral("Notes"), QStringLiteral("org.example.Notes"),
        QStringLiteral("/usr/share/applications/org.example.Notes.desktop"), 12, QString()};
    PrivacySettingsView pane(h.model, *h.coordinator, [&](QWidget *) { return QStringList {secrets.bundlePath}; });
    const auto copyIn = [&](const RunningApplication &application, const QString &text, bool concealed = false) {
        h.activateApplication(quint32(application.processId), application);
        h.clock.advanceSeconds(1);
        PasteboardContent content;
        content.setString(PasteboardType::plainText(), text);
        if (concealed)
            content.setData(PasteboardType::concealed(), QByteArray());
        h.pasteboard.setContent(content);
        h.monitor.checkPasteboard();
    };
    const auto storedTexts = [&] {
        QStringList texts;
        for (const ClipboardItem &item : h.storedItems())
            texts.append(item.text.value_or(QString()));
        return texts;
    };

    pane.ignoredApplications().addApplications();
    EXPECT_EQ(h.preferencesStore.load().ignoredAppsText, secrets.bundlePath);
    copyIn(secrets, QStringLiteral("the password"));
    // A copy elsewhere afterwards is recorded: by then the one before has been looked at.
    copyIn(notes, QStringLiteral("a note"));
    ASSERT_TRUE(waitUntil([&] { return storedTexts().contains(QStringLiteral("a note")); }));
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("a note")}));

    // Concealed contents are skipped by default; with the switch turned off they are recorded at once.
    copyIn(notes, QStringLiteral("concealed before"), true);
    SettingsToggle *concealed = pane.findChildren<SettingsToggle *>().value(0);
    ASSERT_NE(concealed, nullptr);
    concealed->toggle().click();
    EXPECT_FALSE(h.preferencesStore.load().ignoreConcealedContent);
    copyIn(notes, QStringLiteral("concealed after"), true);
    ASSERT_TRUE(waitUntil([&] { return storedTexts().contains(QStringLiteral("concealed after")); }));
    EXPECT_FALSE(storedTexts().contains(QStringLiteral("concealed before")));
    EXPECT_FALSE(storedTexts().contains(QStringLiteral("the password")));
}
