#include "IgnoredApplicationsList.h"
#include "AppModel.h"
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
        pane = std::make_unique<PrivacySettingsView>(model, [this](QWidget *) { return answer; });
    }
    IgnoredApplicationsList &list() { return pane->ignoredApplications(); }
    QString text() const { return model.preferences().ignoredAppsText; }

    AppModel model;
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
