#include "AppModelTestSupport.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

namespace {

// Installed applications by desktop-entry id and by name; counts the questions asked.
class FakeLocator final : public SourceApplicationLocator
{
public:
    QHash<QString, QString> byIdentifier;
    QHash<QString, QString> byName;
    mutable QStringList asked;

    std::optional<QString> pathForIdentifier(const QString &identifier) const override
    {
        asked.append(u"id " + identifier);
        return byIdentifier.contains(identifier) ? std::optional<QString>(byIdentifier.value(identifier))
                                                 : std::nullopt;
    }
    std::optional<QString> pathForName(const QString &name) const override
    {
        asked.append(u"name " + name);
        return byName.contains(name) ? std::optional<QString>(byName.value(name)) : std::nullopt;
    }
};

ClipboardItem from(int n, const char *name, std::optional<const char *> identifier = std::nullopt)
{
    ClipboardItem item = testItem(n);
    item.sourceAppName = QString::fromUtf8(name);
    if (identifier)
        item.sourceBundleIdentifier = QString::fromUtf8(*identifier);
    return item;
}

QStringList describe(const QList<HistorySourceApplication> &applications)
{
    QStringList lines;
    for (const HistorySourceApplication &application : applications)
        lines.append(application.id + u'|' + application.name + u'|'
            + application.bundleIdentifier.value_or(QStringLiteral("-")));
    return lines;
}

} // namespace

TEST(SourceApplications, OneEntryPerFoldedNameSortedByName)
{
    // Names sort as the user's locale has it.
    const QLocale systemLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(systemLocale); });
    AppModel model;
    EXPECT_TRUE(model.sourceApplications().isEmpty());

    ClipboardItem unnamed = testItem(1);
    model.setItems({unnamed, from(2, "  \n"), from(3, "Zed"), from(4, " Editor\t", "org.one.Editor"),
        from(5, "editor", "org.two.Editor"), from(6, "alpha", "  "), from(7, "Éditeur"), from(8, "Editeur"),
        from(9, "Beta")});
    EXPECT_EQ(describe(model.sourceApplications()),
        (QStringList {
            u"name:alpha|alpha|-"_qs,
            u"name:beta|Beta|-"_qs,
            u"name:editeur|Éditeur|-"_qs,
            u"name:editor|Editor|org.one.Editor"_qs,
            u"name:zed|Zed|-"_qs,
        }));
}

// Of two entries with one id, a later one replaces the first only when its application is installed and the
// first one's is not. Lookups are made for repeated ids only, and each is asked once.
TEST(SourceApplications, InstalledApplicationWinsAndLookupsAreRemembered)
{
    auto locator = std::make_shared<FakeLocator>();
    locator->byIdentifier.insert(
        u"org.gnome.TextEditor"_qs, u"/usr/share/applications/org.gnome.TextEditor.desktop"_qs);
    AppModel model(locator);
    model.setItems({from(1, "Text Editor"), from(2, "Terminal"), from(3, "text editor", "org.gnome.TextEditor"),
        from(4, "Text Editor", "org.other.Editor")});

    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(describe(model.sourceApplications()),
            (QStringList {
                u"name:terminal|Terminal|-"_qs,
                u"name:text editor|text editor|org.gnome.TextEditor"_qs,
            }));
    }
    EXPECT_EQ(locator->asked,
        (QStringList {u"id org.gnome.TextEditor"_qs, u"name Text Editor"_qs, u"id org.other.Editor"_qs}));
    EXPECT_EQ(model.applicationPath(model.sourceApplications().at(1)),
        u"/usr/share/applications/org.gnome.TextEditor.desktop"_qs);

    // Without a locator nothing is installed, and the first entry stays.
    AppModel plain;
    plain.setItems(model.items());
    EXPECT_EQ(describe(plain.sourceApplications()).at(1), u"name:text editor|Text Editor|-"_qs);
}

TEST(SourceApplications, DesktopEntriesAreFoundByIdAndName)
{
    const QString folder = QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath(QStringLiteral("applications"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + u"/org.example.Notes.desktop";
    QFile entry(path);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Example Notes\nName[de]=Beispielnotizen\nExec=notes\n"
                "[Desktop Action New]\nName=New Note\n");
    entry.close();

    DesktopEntryLocator locator;
    EXPECT_EQ(locator.pathForIdentifier(u"org.example.Notes"_qs), path);
    EXPECT_FALSE(locator.pathForIdentifier(u"org.example.Missing"_qs));
    EXPECT_FALSE(locator.pathForIdentifier(u"../applications/org.example.Notes"_qs));
    EXPECT_EQ(locator.pathForName(u"Example Notes"_qs), path);
    EXPECT_EQ(locator.pathForName(u"Beispielnotizen"_qs), path);
    EXPECT_FALSE(locator.pathForName(u"New Note"_qs));
    EXPECT_FALSE(locator.pathForName(u"example notes"_qs));
}
