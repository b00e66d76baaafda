#include "AppModelTestSupport.h"
#include "HistoryCommandPaletteCommands.h"
#include "HistoryCommandPalettePickers.h"

#include "ClipboardTextTransform.h"
#include "CommandPalette.h"
#include "CommandPaletteRows.h"
#include "DefaultApplications.h"
#include "HistoryPasteTarget.h"
#include "Localization.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace HistoryCommandPaletteCommands;
using namespace HistoryCommandPalettePickers;

namespace {

// One line per command: id, title, key text and section.
QStringList describe(const QList<CommandPaletteCommand> &commands)
{
    QStringList lines;
    for (const CommandPaletteCommand &command : commands)
        lines.append(QStringLiteral("%1 | %2 | %3 | %4")
                         .arg(command.id, command.title, command.shortcut.value_or(QString()))
                         .arg(command.section));
    return lines;
}

HistoryCommandPaletteContext context(bool preferPlainText = true, bool linkPreviews = true)
{
    HistoryCommandPaletteContext context;
    context.preferences.preferPastingAsPlainText = preferPlainText;
    context.preferences.showPreviewForLinks = linkPreviews;
    context.pasteTargetName = QStringLiteral("Gedit");
    return context;
}

ClipboardItem ofKind(int n, ClipboardKind kind, const QString &text = QString())
{
    ClipboardItem item = testItem(n, text);
    item.kind = kind;
    if (kind == ClipboardKind::image || kind == ClipboardKind::file)
        item.text.reset();
    return item;
}

struct ListCase
{
    const char *name;
    QList<ClipboardItem> selection;
    HistoryCommandPaletteContext context;
    QStringList expected;
};

} // namespace

TEST(HistoryCommandPaletteCommands, EachSelectionGetsItsListInOrderWithTitlesAndShortcuts)
{
    QTemporaryDir folder;
    const QString present = folder.filePath(QStringLiteral("notes.txt"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    ClipboardItem twoLines = testItem(1, QStringLiteral("first\n\n   second"));
    ClipboardItem oneLine = testItem(2, QStringLiteral("just one line"));
    ClipboardItem link = ofKind(3, ClipboardKind::link, QStringLiteral("https://example.com"));
    ClipboardItem image = ofKind(4, ClipboardKind::image);
    ClipboardItem imageWithText = ofKind(5, ClipboardKind::image);
    imageWithText.text = QStringLiteral("recognised words");
    ClipboardItem oneFile = ofKind(6, ClipboardKind::file);
    oneFile.filePaths = {present};
    ClipboardItem missingFile = ofKind(7, ClipboardKind::file);
    missingFile.filePaths = {folder.filePath(QStringLiteral("gone.txt"))};
    ClipboardItem files = ofKind(8, ClipboardKind::file);
    files.filePaths = {present, folder.filePath(QStringLiteral("other.txt")), folder.filePath(QStringLiteral("x"))};
    ClipboardItem favourite1 = testItem(9), favourite2 = testItem(10);
    favourite1.isFavorite = favourite2.isFavorite = true;

    HistoryCommandPaletteContext withApplication = context();
    withApplication.defaultApplicationName = QStringLiteral("Image Viewer");

    const QStringList tailFrom2 {QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 2"),
        QStringLiteral("settings | Settings... | cmd+, | 3"), QStringLiteral("delete | Delete | cmd+delete | 4"),
        QStringLiteral("deleteAll | Delete All |  | 4")};
    const QStringList tailFrom3 {QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 3"),
        QStringLiteral("settings | Settings... | cmd+, | 4"), QStringLiteral("delete | Delete | cmd+delete | 5"),
        QStringLiteral("deleteAll | Delete All |  | 5")};

    const QList<ListCase> cases {
        {"text, plain text preferred, two lines", {twoLines}, context(true),
            QStringList {QStringLiteral("pastePlainText | Paste as Plain Text to Gedit | return | 0"),
                QStringLiteral("paste | Paste to Gedit | shift+return | 0"),
                QStringLiteral("copyPlainText | Copy as Plain Text to Clipboard | cmd+c | 0"),
                QStringLiteral("copy | Copy to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("edit | Edit... | cmd+e | 1"), QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"),
                QStringLiteral("transform | Transform... | cmd+t | 1"), QStringLiteral("split | Split |  | 1"),
                QStringLiteral("preview | Preview | space | 1")}
                + tailFrom2},
        {"text, rich text preferred, one line", {oneLine}, context(false),
            QStringList {QStringLiteral("paste | Paste to Gedit | return | 0"),
                QStringLiteral("pastePlainText | Paste as Plain Text to Gedit | shift+return | 0"),
                QStringLiteral("copy | Copy to Clipboard | cmd+c | 0"),
                QStringLiteral("copyPlainText | Copy as Plain Text to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("edit | Edit... | cmd+e | 1"), QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"),
                QStringLiteral("transform | Transform... | cmd+t | 1"), QStringLiteral("preview | Preview | space | 1")}
                + tailFrom2},
        {"link, rich text preferred, no link previews", {link}, context(false, false),
            QStringList {QStringLiteral("pastePlainText | Paste to Gedit | shift+return | 0"),
                QStringLiteral("copy | Copy to Clipboard | cmd+c | 0"),
                QStringLiteral("copyPlainText | Copy as Plain Text to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("openInBrowser | Open in Browser | cmd+b | 1"),
                QStringLiteral("edit | Edit... | cmd+e | 2"), QStringLiteral("favorite | Add to Favorites | cmd+s | 2"),
                QStringLiteral("rename | Rename... | cmd+r | 2"),
                QStringLiteral("transform | Transform... | cmd+t | 2"), QStringLiteral("preview | Preview | space | 2")}
                + tailFrom3},
        {"link with link previews", {link}, context(true, true),
            QStringList {QStringLiteral("pastePlainText | Paste to Gedit | return | 0"),
                QStringLiteral("copyPlainText | Copy as Plain Text to Clipboard | cmd+c | 0"),
                QStringLiteral("copy | Copy to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("openInBrowser | Open in Browser | cmd+b | 1"),
                QStringLiteral("updateLinkPreview | Update Link Preview |  | 1"),
                QStringLiteral("edit | Edit... | cmd+e | 2"), QStringLiteral("favorite | Add to Favorites | cmd+s | 2"),
                QStringLiteral("rename | Rename... | cmd+r | 2"),
                QStringLiteral("transform | Transform... | cmd+t | 2"), QStringLiteral("preview | Preview | space | 2")}
                + tailFrom3},
        {"image without text, no application", {image}, context(),
            QStringList {QStringLiteral("paste | Paste to Gedit | return | 0"),
                QStringLiteral("copy | Copy to Clipboard | cmd+c | 0"),
                QStringLiteral("saveAsFile | Save as File... |  | 1"),
                QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"), QStringLiteral("preview | Preview | space | 1"),
                QStringLiteral("openInDefaultApplication | Open |  | 2"),
                QStringLiteral("openWith | Open With... |  | 2")}
                + tailFrom3},
        {"image with recognised text and an application", {imageWithText}, withApplication,
            QStringList {QStringLiteral("paste | Paste to Gedit | return | 0"),
                QStringLiteral("copy | Copy to Clipboard | cmd+c | 0"),
                QStringLiteral("copyTextFromImage | Copy Text from Image |  | 1"),
                QStringLiteral("saveAsFile | Save as File... |  | 1"),
                QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"), QStringLiteral("preview | Preview | space | 1"),
                QStringLiteral("openInDefaultApplication | Open in Image Viewer |  | 2"),
                QStringLiteral("openWith | Open With... |  | 2")}
                + tailFrom3},
        {"one file", {oneFile}, context(),
            QStringList {QStringLiteral("paste | Paste to Gedit | return | 0"),
                QStringLiteral("pastePath | Paste Path to Gedit | shift+return | 0"),
                QStringLiteral("copy | Copy to Clipboard | cmd+c | 0"),
                QStringLiteral("copyPath | Copy Path to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"), QStringLiteral("preview | Preview | space | 1"),
                QStringLiteral("showInFileManager | Show in File Manager | cmd+o | 2"),
                QStringLiteral("openInDefaultApplication | Open |  | 2"),
                QStringLiteral("openWith | Open With... |  | 2")}
                + tailFrom3},
        {"a file that is gone", {missingFile}, context(),
            QStringList {QStringLiteral("pastePath | Paste Path to Gedit | shift+return | 0"),
                QStringLiteral("copyPath | Copy Path to Clipboard | shift+cmd+c | 0"),
                QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"), QStringLiteral("preview | Preview | space | 1")}
                + tailFrom2},
        {"several files", {files}, context(),
            QStringList {QStringLiteral("paste | Paste 3 Items to Gedit | return | 0"),
                QStringLiteral("copy | Copy 3 Items to Clipboard | cmd+c | 0"),
                QStringLiteral("favorite | Add to Favorites | cmd+s | 1"),
                QStringLiteral("rename | Rename... | cmd+r | 1"), QStringLiteral("preview | Preview | space | 1")}
                + tailFrom2},
        {"nothing selected", {}, context(),
            {QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 0"),
                QStringLiteral("settings | Settings... | cmd+, | 1"), QStringLiteral("deleteAll | Delete All |  | 2")}},
        {"several, one of them an image", {oneLine, image}, context(),
            {QStringLiteral("pasteItems | Paste 2 Items to Gedit | return | 0"),
                QStringLiteral("pasteItemsWithSeparator | Paste 2 Items to Gedit with Separator... |  | 0"),
                QStringLiteral("favoriteItems | Add 2 Items to Favorites | cmd+s | 1"),
                QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 2"),
                QStringLiteral("settings | Settings... | cmd+, | 3"),
                QStringLiteral("deleteItems | Delete 2 Items | cmd+delete | 4"),
                QStringLiteral("deleteAll | Delete All |  | 4")}},
        {"two favourites and a file", {favourite1, favourite2, oneFile}, context(),
            {QStringLiteral("pasteItems | Paste 3 Items to Gedit | return | 0"),
                QStringLiteral("pasteItemsWithSeparator | Paste 3 Items to Gedit with Separator... |  | 0"),
                QStringLiteral("copyItems | Copy 3 Items to Clipboard | cmd+c | 0"),
                QStringLiteral("mergeItems | Merge 3 Items |  | 0"),
                QStringLiteral("favoriteItems | Add 3 Items to Favorites | cmd+s | 1"),
                QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 2"),
                QStringLiteral("settings | Settings... | cmd+, | 3"),
                QStringLiteral("deleteItems | Delete 3 Items | cmd+delete | 4"),
                QStringLiteral("deleteAll | Delete All |  | 4")}},
        {"several favourites", {favourite1, favourite2}, context(),
            {QStringLiteral("pasteItems | Paste 2 Items to Gedit | return | 0"),
                QStringLiteral("pasteItemsWithSeparator | Paste 2 Items to Gedit with Separator... |  | 0"),
                QStringLiteral("copyItems | Copy 2 Items to Clipboard | cmd+c | 0"),
                QStringLiteral("mergeItems | Merge 2 Items |  | 0"),
                QStringLiteral("unfavoriteItems | Remove 2 Items from Favorites | cmd+s | 1"),
                QStringLiteral("filterByType | Filter by Type... | shift+cmd+t | 2"),
                QStringLiteral("settings | Settings... | cmd+, | 3"),
                QStringLiteral("deleteItems | Delete 2 Items | cmd+delete | 4"),
                QStringLiteral("deleteAll | Delete All |  | 4")}},
    };
    for (const ListCase &c : cases) {
        const QList<CommandPaletteCommand> commands = makeCommandPaletteCommands(c.selection, c.context, {});
        EXPECT_EQ(describe(commands), c.expected) << c.name;
        for (const CommandPaletteCommand &command : commands) {
            EXPECT_FALSE(command.systemImageName.isEmpty()) << c.name << " " << command.id.toStdString();
            EXPECT_EQ(command.isDestructive, command.id.startsWith(u"delete")) << c.name;
        }
    }
}

TEST(HistoryCommandPaletteCommands, ActionsNameTheirItemsByIdAndPasteRowsShowTheTarget)
{
    HistoryCommandPaletteContext withIcon = context();
    withIcon.pasteTargetIcon = QImage(22, 22, QImage::Format_ARGB32);
    QList<HistoryPaletteRequest> requests;
    const HistoryPaletteActionSink sink = [&](const HistoryPaletteRequest &request) { requests.append(request); };
    const ClipboardItem item = testItem(1, QStringLiteral("a\nb"));
    for (const CommandPaletteCommand &command : makeCommandPaletteCommands({item}, withIcon, sink)) {
        command.action();
        EXPECT_EQ(!command.image.isNull(), command.id.startsWith(u"paste")) << command.id.toStdString();
    }
    ASSERT_EQ(requests.size(), 14);
    for (const HistoryPaletteRequest &request : std::as_const(requests)) {
        const QString name = itemCommandName(request.id);
        const bool global = name == u"filterByType" || name == u"settings" || name == u"deleteAll";
        EXPECT_EQ(request.itemIDs, global ? QList<QUuid>() : QList<QUuid> {item.id}) << name.toStdString();
    }

    requests.clear();
    const QList<ClipboardItem> two {testItem(2), testItem(3)};
    for (const CommandPaletteCommand &command : makeCommandPaletteCommands(two, context(), sink)) {
        if (command.id == u"pasteItems")
            command.action();
    }
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().itemIDs, (QList<QUuid> {two.at(0).id, two.at(1).id}));
    EXPECT_FALSE(requests.first().separator);
}

TEST(HistoryCommandPalettePickers, SeparatorsTransformsAndTypesInTheirOrder)
{
    QList<HistoryPaletteRequest> requests;
    const HistoryPaletteActionSink sink = [&](const HistoryPaletteRequest &request) { requests.append(request); };

    const QList<CommandPaletteCommand> separators = makeSeparatorCommands({testId(1), testId(2)}, sink);
    ASSERT_EQ(separators.size(), 7);
    EXPECT_EQ(separators.first().title, QStringLiteral("None"));
    EXPECT_EQ(separators.last().title, PasteSeparator(PasteSeparator::space).title());
    EXPECT_EQ(commandPaletteRows(separators).first().title, QStringLiteral("Separator"));
    EXPECT_EQ(commandPaletteRows(separators).size(), 8); // one heading
    separators.at(4).action();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().separator, PasteSeparator(PasteSeparator::keyDown));
    EXPECT_EQ(requests.first().itemIDs, (QList<QUuid> {testId(1), testId(2)}));

    const QList<CommandPaletteCommand> transforms = makeTransformCommands(testId(3), sink);
    ASSERT_EQ(transforms.size(), 74);
    QList<ClipboardTextTransform> sorted;
    for (const ClipboardTextTransform::Value value : ClipboardTextTransform::allCases())
        sorted.append(value);
    HistoryPasteTarget::sortTransformsByTitle(sorted);
    for (int i = 0; i < 74; ++i) {
        EXPECT_EQ(transforms.at(i).title, sorted.at(i).title());
        EXPECT_EQ(transforms.at(i).description, sorted.at(i).description());
        EXPECT_FALSE(transforms.at(i).showsIcon);
        EXPECT_EQ(transforms.at(i).sectionTitle, QStringLiteral("Format text"));
    }
    transforms.at(10).action();
    EXPECT_EQ(requests.last().transform, sorted.at(10));
    EXPECT_EQ(requests.last().itemIDs, QList<QUuid> {testId(3)});

    const auto checked = [&](const QSet<HistoryFilterContentType> &selected) {
        QStringList titles;
        for (const CommandPaletteCommand &command : makeTypeFilterCommands(selected, sink)) {
            if (command.isChecked)
                titles.append(command.title);
        }
        return titles;
    };
    EXPECT_EQ(checked({}), QStringList {QStringLiteral("All Types")});
    EXPECT_EQ(checked({HistoryFilterContentType::images, HistoryFilterContentType::links}),
        (QStringList {QStringLiteral("Images"), QStringLiteral("Links")}));
    const QList<CommandPaletteCommand> types = makeTypeFilterCommands({HistoryFilterContentType::images}, sink);
    ASSERT_EQ(types.size(), 8);
    types.at(3).action(); // Images, checked: taken out
    EXPECT_EQ(requests.last().contentType, HistoryFilterContentType(HistoryFilterContentType::images));
    EXPECT_FALSE(requests.last().select);
    types.at(5).action(); // Links, unchecked: added
    EXPECT_TRUE(requests.last().select);
}

// The transform picker in German finds "Großbuchstaben" (upper case) for "gross" and for "GROSS", as a user without
// the sharp s on the keyboard types it.
TEST(HistoryCommandPalettePickers, TheTransformPickerFindsTitlesWithTheSharpS)
{
    const QString language = currentInterfaceLanguage();
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    const QList<CommandPaletteCommand> transforms
        = makeTransformCommands(testId(3), [](const HistoryPaletteRequest &) {});
    CommandPalette palette(transforms, QSize(400, 460), QStringLiteral("Search for transforms..."), u"cmd+k"_qs);
    const auto found = [&](const QString &query) {
        palette.searchField().setText(query);
        QStringList titles;
        for (const CommandPaletteRow &row : palette.rows()) {
            if (row.isCommand())
                titles.append(row.command.title);
        }
        return titles;
    };
    const QString upper = ClipboardTextTransform(ClipboardTextTransform::upperCase).title();
    EXPECT_EQ(upper, QStringLiteral("Großbuchstaben"));
    for (const QString &query : {u"gross"_qs, u"GROSS"_qs, u"großb"_qs, u"GROẞBUCHSTABEN"_qs})
        EXPECT_TRUE(found(query).contains(upper)) << qPrintable(query) << ": " << qPrintable(found(query).join(u'|'));
    EXPECT_FALSE(found(u"grosz"_qs).contains(upper));
    setCurrentInterfaceLanguage(language);
}

namespace {

class ListedApplications final : public DefaultApplications
{
public:
    std::optional<DefaultApplication> forURL(const QUrl &) const override { return defaultApplication; }
    QList<DefaultApplication> allForURL(const QUrl &) const override { return all; }

    std::optional<DefaultApplication> defaultApplication;
    QList<DefaultApplication> all;
};

DefaultApplication application(const QString &path, const QString &name)
{
    return DefaultApplication {path, name, {}};
}

} // namespace

TEST(HistoryCommandPalettePickers, TheDefaultApplicationComesFirstAndEachApplicationOnce)
{
    ListedApplications applications;
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/picture.png"));
    EXPECT_TRUE(makeOpenWithApplicationCommands(testId(1), file, applications, {}).isEmpty());

    applications.defaultApplication = application(QStringLiteral("/apps/viewer.desktop"), QStringLiteral("Viewer"));
    applications.all = {application(QStringLiteral("/apps/gimp.desktop"), QStringLiteral("GIMP")),
        application(QStringLiteral("/apps/viewer.desktop"), QStringLiteral("Viewer")),
        application(QStringLiteral("/apps/app10.desktop"), QStringLiteral("App 10")),
        application(QStringLiteral("/apps/./gimp.desktop"), QStringLiteral("GIMP again")),
        application(QStringLiteral("/apps/app9.desktop"), QStringLiteral("App 9"))};
    QList<HistoryPaletteRequest> requests;
    const QList<CommandPaletteCommand> commands = makeOpenWithApplicationCommands(
        testId(1), file, applications, [&](const HistoryPaletteRequest &request) { requests.append(request); });
    QStringList rows;
    for (const CommandPaletteCommand &command : commands)
        rows.append(command.sectionTitle.value_or(QString()) + QLatin1Char(':') + command.title);
    EXPECT_EQ(rows,
        (QStringList {QStringLiteral("Default:Viewer"), QStringLiteral("Recommended:App 9"),
            QStringLiteral("Recommended:App 10"), QStringLiteral("Recommended:GIMP")}));
    commands.at(3).action();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().applicationURL, QUrl::fromLocalFile(QStringLiteral("/apps/gimp.desktop")));
    EXPECT_EQ(requests.first().itemIDs, QList<QUuid> {testId(1)});
}
