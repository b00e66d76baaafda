// The right-click menu of one history item and what its entries do: the entries of each kind of item in order with
// their keys, and each action against the real coordinator on a store in a temporary folder, also when the item
// changed or went between opening the menu and choosing the entry.

#include "../app/CoordinatorTestSupport.h"

#include "CommandPalette.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryCommandPalettes.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "HistoryTableView.h"
#include "ItemCommandMenu.h"
#include "ItemPreviewPresenter.h"
#include "TagDialogPresenter.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWidget>

namespace {

// The menu's names of the commands whose name differs from the id's.
QString entryName(ItemCommandID action)
{
    static const QHash<QString, QString> menuNames {{"pastePath", "pasteFilePath"}, {"copyPath", "copyFilePath"},
        {"saveAsFile", "saveImageAsFile"}, {"updateLinkPreview", "updateLink"}, {"delete", "deleteItem"},
        {"openInDefaultApplication", "openInAssociatedApplication"}};
    const QString name = itemCommandName(action);
    return menuNames.value(name, name);
}

// One line per entry: its id (a submenu by its title in brackets, a separator "-"), the key shown beside it, and
// "off" for a disabled entry.
QStringList describe(const QMenu &menu)
{
    QStringList lines;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator()) {
            lines.append(QStringLiteral("-"));
            continue;
        }
        const QStringList parts = action->text().split(QLatin1Char('\t'));
        QString line = action->menu() ? QLatin1Char('[') + parts.first() + QLatin1Char(']')
                                      : entryName(*ItemCommandMenu::commandOf(*action));
        if (parts.size() > 1)
            line += QLatin1Char(' ') + parts.at(1);
        if (!action->isEnabled())
            line += QStringLiteral(" off");
        lines.append(line);
    }
    return lines;
}

QAction *entry(const QMenu &menu, ItemCommandID id, int skip = 0)
{
    for (QAction *action : menu.actions()) {
        if (action->menu()) {
            if (QAction *found = entry(*action->menu(), id, skip))
                return found;
            continue;
        }
        if (ItemCommandMenu::commandOf(*action) == id && skip-- == 0)
            return action;
    }
    return nullptr;
}

QAction *submenuEntry(const QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->menu() && action->text().split(QLatin1Char('\t')).first() == title)
            return action;
    }
    return nullptr;
}

ClipboardItem withKind(int n, ClipboardKind kind, const QString &text = QString())
{
    ClipboardItem item = testItem(n, text);
    item.kind = kind;
    return item;
}

ClipboardItem fileItem(int n, const QStringList &paths)
{
    ClipboardItem item = testItem(n);
    item.kind = ClipboardKind::file;
    item.text.reset();
    item.filePaths = paths;
    return item.refreshingSearchText({});
}

// Records the dialog's save handler instead of showing one.
class RecordingTagDialogs final : public TagDialogPresenter
{
public:
    void presentTagDialog(QWidget *, const std::optional<Tag> &, SaveHandler onSave) override
    {
        ++presented;
        save = std::move(onSave);
    }
    int presented = 0;
    SaveHandler save;
};

// A coordinator on a real store, and the window's item commands on a panel with its list.
struct MenuHarness
{
    MenuHarness(const QList<ClipboardItem> &items = {}, const std::function<void(AppPreferences &)> &change = {},
        bool recordsTagDialogs = true)
    {
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.soundEffectsEnabled = false;
            if (change)
                change(p);
        });
        h.storeItems(items);
        h.coordinator->start();
        HistoryItemCommands::Desktop desktop;
        desktop.menus.pasteTarget = [] {
            return std::optional<RunningApplication>(
                RunningApplication {QStringLiteral("Editor"), QStringLiteral("editor"), {}, 0, {}});
        };
        desktop.menus.applicationForURL = [this](const QUrl &url) -> std::optional<AssociatedApplication> {
            if (!opensFiles)
                return std::nullopt;
            return AssociatedApplication {url, QStringLiteral("Viewer"), QIcon()};
        };
        desktop.preview.webPagesEnabled = false;
        if (recordsTagDialogs)
            desktop.tagDialogs = &tagDialogs;
        commands = std::make_unique<HistoryItemCommands>(h.model, *h.coordinator, std::move(desktop));
    }
    void attach()
    {
        panel = std::make_unique<QWidget>();
        list = new History(panel.get());
        panel->resize(500, 500);
        commands->attach(*panel, *list, nullptr);
    }
    std::unique_ptr<QMenu> menuFor(int n)
    {
        return std::unique_ptr<QMenu>(commands->makeItemContextMenu(*h.model.item(testId(n)), nullptr));
    }
    std::optional<ClipboardItem> stored(int n) { return h.storedItem(testId(n)); }
    const ClipboardItem *loaded(int n) { return h.model.item(testId(n)); }

    CoordinatorHarness h;
    RecordingTagDialogs tagDialogs;
    bool opensFiles = true;
    std::unique_ptr<QWidget> panel;
    History *list = nullptr;
    std::unique_ptr<HistoryItemCommands> commands;
};

const QString tags = QStringLiteral("[Tags]");
const QString tagsMore = QStringLiteral("[Tags...]");

} // namespace

// Each kind of item gets its own entries in its own order, with the keys this platform writes.
TEST(HistoryItemContextMenu, ListsTheEntriesOfEachKindInOrderWithTheirKeys)
{
    QTemporaryDir files;
    const QString present = files.filePath(QStringLiteral("notes.txt"));
    const QString picture = files.filePath(QStringLiteral("photo.png"));
    writeFile(present);
    writeFile(picture);
    const QString gone = files.filePath(QStringLiteral("gone.png"));

    ClipboardItem twoLines = testItem(2, QStringLiteral("first line\n\n  second line  "));
    twoLines.kind = ClipboardKind::richText;
    ClipboardItem image = withKind(6, ClipboardKind::image, QStringLiteral("recognised"));
    image.qrCodeText = QStringLiteral("https://example.com/qr");
    ClipboardItem favourite = withKind(12, ClipboardKind::link, QStringLiteral("https://example.com/"));
    favourite.isFavorite = true;

    MenuHarness m({testItem(1), twoLines, withKind(3, ClipboardKind::link, QStringLiteral("https://example.com/")),
        withKind(4, ClipboardKind::email, QStringLiteral("a@example.com")),
        withKind(5, ClipboardKind::color, QStringLiteral("#FF0000")), image, fileItem(7, {gone}),
        fileItem(8, {present, picture, gone}), fileItem(9, {picture}), fileItem(10, {present}), fileItem(11, {}),
        favourite});

    const QStringList textTail = {QStringLiteral("-"), QStringLiteral("edit Ctrl+E"), QStringLiteral("favorite Ctrl+S"),
        QStringLiteral("rename Ctrl+R"), QStringLiteral("[Transform] Ctrl+T")};
    const QStringList fileHead = {QStringLiteral("paste Enter"), QStringLiteral("pasteFilePath Shift+Enter"),
        QStringLiteral("copy Ctrl+C"), QStringLiteral("copyFilePath Ctrl+Shift+C"), QStringLiteral("-")};
    const QStringList fileTail = {QStringLiteral("favorite Ctrl+S"), QStringLiteral("rename Ctrl+R"),
        QStringLiteral("preview Space"), QStringLiteral("-"), tagsMore, QStringLiteral("-"),
        QStringLiteral("showInFileManager Ctrl+O"), QStringLiteral("openInAssociatedApplication"),
        QStringLiteral("openWith"), QStringLiteral("-"), QStringLiteral("deleteItem Ctrl+Backspace")};
    const QStringList linkMiddle
        = QStringList {QStringLiteral("paste Enter"), QStringLiteral("copy Ctrl+C"), QStringLiteral("-"),
              QStringLiteral("openInBrowser Ctrl+B"), QStringLiteral("updateLink")}
        + textTail
        + QStringList {QStringLiteral("preview Space"), QStringLiteral("-"), tagsMore, QStringLiteral("-"),
            QStringLiteral("deleteItem Ctrl+Backspace")};

    const struct
    {
        int item;
        QStringList entries;
    } cases[] = {
        // Plain text is preferred: the plain-text pair comes first, with the primary keys.
        {1,
            QStringList {QStringLiteral("pastePlainText Enter"), QStringLiteral("paste Shift+Enter"),
                QStringLiteral("copyPlainText Ctrl+C"), QStringLiteral("copy Ctrl+Shift+C")}
                + textTail
                + QStringList {QStringLiteral("preview Space"), QStringLiteral("-"), tags, QStringLiteral("-"),
                    QStringLiteral("deleteItem Ctrl+Backspace")}},
        // Two non-empty lines offer Split.
        {2,
            QStringList {QStringLiteral("pastePlainText Enter"), QStringLiteral("paste Shift+Enter"),
                QStringLiteral("copyPlainText Ctrl+C"), QStringLiteral("copy Ctrl+Shift+C")}
                + textTail
                + QStringList {QStringLiteral("split"), QStringLiteral("preview Space"), QStringLiteral("-"), tags,
                    QStringLiteral("-"), QStringLiteral("deleteItem Ctrl+Backspace")}},
        {3, linkMiddle},
        {12, linkMiddle},
        {4,
            QStringList {QStringLiteral("paste Enter"), QStringLiteral("copy Ctrl+C")} + textTail
                + QStringList {QStringLiteral("preview Space"), QStringLiteral("-"), tagsMore, QStringLiteral("-"),
                    QStringLiteral("deleteItem Ctrl+Backspace")}},
        {6,
            {QStringLiteral("paste Enter"), QStringLiteral("copy Ctrl+C"), QStringLiteral("-"),
                QStringLiteral("copyTextFromImage"), QStringLiteral("copyTextFromQRCode"),
                QStringLiteral("saveImageAsFile"), QStringLiteral("favorite Ctrl+S"), QStringLiteral("rename Ctrl+R"),
                QStringLiteral("preview Space"), QStringLiteral("-"), tagsMore, QStringLiteral("-"),
                QStringLiteral("openInAssociatedApplication"), QStringLiteral("openWith"), QStringLiteral("-"),
                QStringLiteral("deleteItem Ctrl+Backspace")}},
        // The one file is gone, although it named an image: only its path can be pasted and copied.
        {7,
            {QStringLiteral("pasteFilePath Shift+Enter"), QStringLiteral("copyFilePath Ctrl+Shift+C"),
                QStringLiteral("-"), QStringLiteral("favorite Ctrl+S"), QStringLiteral("rename Ctrl+R"),
                QStringLiteral("preview Space"), QStringLiteral("-"), tagsMore, QStringLiteral("-"),
                QStringLiteral("deleteItem Ctrl+Backspace")}},
        // Several files: their paths are not looked at.
        {8,
            {QStringLiteral("paste Enter"), QStringLiteral("copy Ctrl+C"), QStringLiteral("-"),
                QStringLiteral("favorite Ctrl+S"), QStringLiteral("rename Ctrl+R"), QStringLiteral("preview Space"),
                QStringLiteral("-"), tagsMore, QStringLiteral("-"), QStringLiteral("deleteItem Ctrl+Backspace")}},
        {9, fileHead + fileTail},
        {10, fileHead + fileTail},
        {11, fileHead + fileTail},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.item);
        const auto menu = m.menuFor(c.item);
        EXPECT_EQ(describe(*menu), c.entries);
    }

    // Titles name the paste target, the count of files and the application that opens the file.
    const auto plain = m.menuFor(1);
    EXPECT_EQ(
        entry(*plain, ItemCommandID::pastePlainText)->text(), QStringLiteral("Paste as Plain Text to Editor\tEnter"));
    EXPECT_EQ(entry(*plain, ItemCommandID::favorite)->text(), QStringLiteral("Add to Favorites\tCtrl+S"));
    EXPECT_EQ(entry(*m.menuFor(12), ItemCommandID::favorite)->text(), QStringLiteral("Remove from Favorites\tCtrl+S"));
    const auto several = m.menuFor(8);
    EXPECT_EQ(entry(*several, ItemCommandID::paste)->text(), QStringLiteral("Paste 3 Items to Editor\tEnter"));
    EXPECT_EQ(entry(*several, ItemCommandID::copy)->text(), QStringLiteral("Copy 3 Items to Clipboard\tCtrl+C"));
    EXPECT_EQ(entry(*m.menuFor(9), ItemCommandID::openInDefaultApplication)->text(), QStringLiteral("Open in Viewer"));
    EXPECT_EQ(entry(*m.menuFor(11), ItemCommandID::openInDefaultApplication)->text(), QStringLiteral("Open"));
}

// The preferences of the moment decide the pair order, the link preview entry and the keys; a key a menu cannot
// show as one character is left out.
TEST(HistoryItemContextMenu, FollowsThePreferencesOfTheMoment)
{
    MenuHarness m(
        {testItem(1), withKind(2, ClipboardKind::link, QStringLiteral("https://example.com/"))}, [](AppPreferences &p) {
            p.preferPastingAsPlainText = false;
            p.showPreviewForLinks = false;
            p.editItemShortcut = QStringLiteral("down");
            p.renameItemShortcut = QString();
            p.toggleFavoriteShortcut = QStringLiteral("cmd+nonsense");
        });
    EXPECT_EQ(describe(*m.menuFor(1)).mid(0, 8),
        QStringList({QStringLiteral("paste Enter"), QStringLiteral("pastePlainText Shift+Enter"),
            QStringLiteral("copy Ctrl+C"), QStringLiteral("copyPlainText Ctrl+Shift+C"), QStringLiteral("-"),
            QStringLiteral("edit"), QStringLiteral("favorite"), QStringLiteral("rename")}));
    EXPECT_EQ(describe(*m.menuFor(2)).mid(2, 3),
        QStringList({QStringLiteral("-"), QStringLiteral("openInBrowser Ctrl+B"), QStringLiteral("-")}));
}

// The Transform submenu lists every transform by title; the Tags submenu the tags with the item's own checked.
TEST(HistoryItemContextMenu, OffersEveryTransformAndEveryTag)
{
    ClipboardItem tagged = testItem(1);
    MenuHarness m({tagged});
    const auto work = m.h.coordinator->createTag(QStringLiteral("work"), QColor(QStringLiteral("#3B85ED")));
    const auto home = m.h.coordinator->createTag(QStringLiteral("R&D"), QColor(QStringLiteral("#FF0000")));
    ASSERT_TRUE(work && home);
    m.h.coordinator->assignTag(*m.loaded(1), work->id);

    const auto menu = m.menuFor(1);
    const QMenu *transforms = submenuEntry(*menu, QStringLiteral("Transform"))->menu();
    ASSERT_EQ(transforms->actions().size(), ClipboardTextTransform::caseCount);
    QStringList titles;
    for (const QAction *action : transforms->actions()) {
        EXPECT_EQ(ItemCommandMenu::commandOf(*action), ItemCommandID::applyTransform);
        titles.append(action->text());
    }
    QStringList sorted = titles;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(titles.first(), sorted.first());
    EXPECT_EQ(titles.last(), sorted.last());

    const QMenu *tagMenu = submenuEntry(*menu, QStringLiteral("Tags"))->menu();
    QStringList lines;
    for (const QAction *action : tagMenu->actions())
        lines.append(action->isSeparator() ? QStringLiteral("-")
                                           : action->text() + (action->isChecked() ? QStringLiteral(" ✓") : QString()));
    EXPECT_EQ(lines,
        // An ampersand of a name is shown as it is, not taken for a mnemonic.
        QStringList({QStringLiteral("R&&D"), QStringLiteral("work ✓"), QStringLiteral("-"),
            QStringLiteral("New Tag..."), QStringLiteral("-"), QStringLiteral("Edit Tags...")}));

    // Without tags: New Tag, a separator, Edit Tags.
    m.h.coordinator->deleteTag(work->id);
    m.h.coordinator->deleteTag(home->id);
    const auto bare = m.menuFor(1);
    EXPECT_EQ(submenuEntry(*bare, QStringLiteral("Tags"))->menu()->actions().size(), 3);
}

// The entries act on the item as it is when chosen: a change made after the menu opened is kept, and an item gone
// by then is left alone (and not written back).
TEST(ItemCommandRunner, ActOnTheItemAsItIsWhenChosen)
{
    MenuHarness m({testItem(1, QStringLiteral("hello world")), testItem(2), testItem(3)});
    const auto first = m.menuFor(1);
    const auto second = m.menuFor(2);

    m.h.coordinator->renameItem(*m.loaded(1), QStringLiteral("Greeting"));
    entry(*first, ItemCommandID::favorite)->trigger();
    ASSERT_TRUE(m.stored(1));
    EXPECT_TRUE(m.stored(1)->isFavorite);
    EXPECT_EQ(m.stored(1)->title, QStringLiteral("Greeting"));

    QAction *upper = nullptr;
    for (QAction *action : submenuEntry(*first, QStringLiteral("Transform"))->menu()->actions()) {
        if (action->text() == ClipboardTextTransform(ClipboardTextTransform::upperCase).title())
            upper = action;
    }
    ASSERT_TRUE(upper);
    upper->trigger();
    EXPECT_EQ(m.stored(1)->text, QStringLiteral("HELLO WORLD"));
    EXPECT_TRUE(m.stored(1)->isFavorite);
    EXPECT_EQ(m.stored(1)->title, QStringLiteral("Greeting"));

    m.h.coordinator->deleteItems({*m.loaded(2)});
    for (const ItemCommandID id :
        {ItemCommandID::favorite, ItemCommandID::rename, ItemCommandID::copyPlainText, ItemCommandID::deleteItem})
        entry(*second, id)->trigger();
    entry(*second, ItemCommandID::applyTransform)->trigger();
    EXPECT_FALSE(m.stored(2));
    EXPECT_FALSE(m.loaded(2));
    EXPECT_FALSE(m.h.model.lastError());

    // Delete takes exactly the item of the menu, whatever is selected.
    m.h.model.setSelectedItemIDs({testId(1), testId(3)});
    entry(*m.menuFor(3), ItemCommandID::deleteItem)->trigger();
    EXPECT_EQ(numbersOf(m.h.storedItems()), QList<int>({1}));
}

TEST(ItemCommandRunner, CopyPasteAndOpenGoToTheCoordinator)
{
    ClipboardItem rich = withKind(1, ClipboardKind::richText, QStringLiteral("plain words"));
    rich.html = QStringLiteral("<b>plain words</b>");
    MenuHarness m({rich});
    const auto menu = m.menuFor(1);
    entry(*menu, ItemCommandID::copyPlainText)->trigger();
    EXPECT_EQ(m.h.pasteboard.string(PasteboardType::plainText()), QStringLiteral("plain words"));
    EXPECT_FALSE(m.h.pasteboard.content().hasType(QStringLiteral("text/html")));

    entry(*menu, ItemCommandID::copy)->trigger();
    EXPECT_TRUE(m.h.pasteboard.content().hasType(QStringLiteral("text/html")));

    entry(*menu, ItemCommandID::newTag)->trigger();
    EXPECT_EQ(m.tagDialogs.presented, 0); // no window to show it on

    QAction *editTags = entry(*menu, ItemCommandID::editTags);
    editTags->trigger();
    EXPECT_EQ(m.h.coordinator->settingsSection(), SettingsSection::tags);
}

// Open in Browser opens a link and hides the window; a link item whose text is no address is left alone. An image's
// recognised text is copied trimmed.
TEST(HistoryItemCommands, OpensLinksAndCopiesRecognisedText)
{
    MenuHarness m({withKind(1, ClipboardKind::link, QStringLiteral("two words")),
        withKind(2, ClipboardKind::link, QStringLiteral("https://example.com/page")),
        withKind(3, ClipboardKind::image, QStringLiteral("  seen in the picture \n"))});
    m.h.coordinator->showHistoryWindow(false, false);
    m.h.log.events.clear();

    entry(*m.menuFor(1), ItemCommandID::openInBrowser)->trigger();
    EXPECT_TRUE(m.h.launcher.openedURLs.isEmpty());
    EXPECT_TRUE(m.h.log.events.isEmpty());
    entry(*m.menuFor(2), ItemCommandID::openInBrowser)->trigger();
    EXPECT_EQ(m.h.launcher.openedURLs, QList<QUrl>({QUrl(QStringLiteral("https://example.com/page"))}));
    EXPECT_TRUE(m.h.log.events.contains(QStringLiteral("history hidden")));

    entry(*m.menuFor(3), ItemCommandID::copyTextFromImage)->trigger();
    EXPECT_EQ(m.h.pasteboard.string(PasteboardType::plainText()), QStringLiteral("seen in the picture"));
    EXPECT_FALSE(m.h.model.lastError());
}

// A tag entry of the item's menu takes the tag off the item when it carries it, else puts it on.
TEST(ItemCommandRunner, TogglesATagOfTheItem)
{
    MenuHarness m({testItem(3)});
    const auto tag = m.h.coordinator->createTag(QStringLiteral("Work"), QColor(Qt::blue));
    ASSERT_TRUE(tag);
    entry(*m.menuFor(3), ItemCommandID::toggleTag)->trigger();
    EXPECT_EQ(m.stored(3)->tags, QList<qint64>({tag->id}));
    entry(*m.menuFor(3), ItemCommandID::toggleTag)->trigger();
    EXPECT_TRUE(m.stored(3)->tags.isEmpty());
}

// The new-tag dialog: an existing name in another letter case is refused with the dialog left open; a new one is
// made and put on every item; a failure keeps the dialog open with the reason.
TEST(ItemCommandRunner, NewTagFromTheDialog)
{
    MenuHarness m({testItem(1), testItem(2), testItem(3)});
    m.attach();
    const auto work = m.h.coordinator->createTag(QStringLiteral("Work"), QColor(Qt::blue));
    ASSERT_TRUE(work);

    m.commands->presentNewTagSheet({testId(1)});
    ASSERT_EQ(m.tagDialogs.presented, 1);
    EXPECT_TRUE(m.commands->isOverlayOpen());
    const auto taken = m.tagDialogs.save(QStringLiteral("work"), Qt::red);
    EXPECT_TRUE(taken && !taken->isEmpty());
    EXPECT_TRUE(m.commands->isOverlayOpen());
    EXPECT_EQ(m.h.model.tags().size(), 1);
    EXPECT_TRUE(m.stored(1)->tags.isEmpty());
    EXPECT_EQ(m.tagDialogs.save(QStringLiteral("Home"), Qt::red), std::nullopt);
    EXPECT_FALSE(m.commands->isOverlayOpen());
    ASSERT_EQ(m.h.model.tags().size(), 2);
    EXPECT_EQ(m.stored(1)->tags.size(), 1);

    m.commands->presentNewTagSheet({testId(1), testId(2), testId(3)});
    m.h.coordinator->deleteItems({*m.loaded(2)});
    EXPECT_EQ(m.tagDialogs.save(QStringLiteral("Errands"), Qt::red), std::nullopt);
    ASSERT_EQ(m.h.model.tags().size(), 3);
    const auto errandsTag = std::find_if(m.h.model.tags().cbegin(), m.h.model.tags().cend(),
        [](const Tag &tag) { return tag.name == QStringLiteral("Errands"); });
    ASSERT_NE(errandsTag, m.h.model.tags().cend());
    const qint64 errands = errandsTag->id;
    EXPECT_TRUE(m.stored(1)->tags.contains(errands));
    EXPECT_TRUE(m.stored(3)->tags.contains(errands));
    EXPECT_FALSE(m.stored(2)); // gone meanwhile, and not written back

    m.commands->presentNewTagSheet({testId(3)});
    m.h.faults.failOn(FaultInjectingStore::Operation::ensureTag);
    const auto refusal = m.tagDialogs.save(QStringLiteral("Later"), Qt::red);
    EXPECT_TRUE(refusal && !refusal->isEmpty());
    EXPECT_TRUE(m.commands->isOverlayOpen());
    EXPECT_EQ(m.h.model.tags().size(), 3);
}

// The shared tag sheet over the window holds the window's keys while it is up, and lets go when it closes.
TEST(HistoryItemCommands, TheTagSheetIsAnOverlayWhileItIsUp)
{
    MenuHarness m({testItem(1)}, {}, false);
    m.attach();
    m.commands->presentNewTagSheet({testId(1)});
    QDialog *sheet = m.panel->findChild<QDialog *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(m.commands->isOverlayOpen());
    m.commands->presentPreview(*m.loaded(1), false);
    EXPECT_FALSE(m.commands->preview().isShown());
    sheet->reject();
    EXPECT_FALSE(m.commands->isOverlayOpen());
}

// The commands' refusals, each with its own text, and nothing done.
TEST(HistoryItemCommands, RefuseWhatTheItemCannotDo)
{
    ClipboardItem image = withKind(1, ClipboardKind::image, QStringLiteral("   "));
    MenuHarness m({image, testItem(2)});
    const ClipboardItem img = *m.loaded(1), text = *m.loaded(2);
    const struct
    {
        std::function<void()> command;
        QString error;
    } cases[] = {
        {[&] { m.commands->editItem(img); }, QStringLiteral("Image cannot be edited.")},
        {[&] { m.commands->transformItem(img); }, QStringLiteral("Image cannot be transformed.")},
        {[&] { m.commands->copyTextFromImage(img); }, QStringLiteral("Image does not contain image text.")},
        {[&] { m.commands->copyTextFromQRCode(text); }, QStringLiteral("Text does not contain a QR code.")},
        {[&] { m.commands->openWith(text); }, QStringLiteral("Text cannot be opened with another app.")},
        // Without a window there is nowhere to show the field, the dialog or the preview.
        {[&] { m.commands->renameItem(text); }, QStringLiteral("Cannot rename this item right now.")},
        {[&] { m.commands->editItem(text); }, QStringLiteral("Cannot edit this item right now.")},
        {[&] {
             m.commands->saveImageAsFile(img);
             EXPECT_TRUE(m.commands->isModalSheetPresentationPending());
             QCoreApplication::processEvents();
         },
            QStringLiteral("Cannot save this image right now.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        m.h.model.setLastError(std::nullopt);
        c.command();
        EXPECT_EQ(m.h.model.lastError(), c.error);
    }
    EXPECT_FALSE(m.commands->isModalSheetPresentationPending());
    EXPECT_FALSE(m.commands->isOverlayOpen());
    EXPECT_EQ(m.stored(1), img);
    EXPECT_EQ(m.stored(2), text);
}

// Copying the selection: one item in its primary way, several merged only when each gives text.
TEST(HistoryItemCommands, CopiesTheSelection)
{
    MenuHarness m({testItem(1, QStringLiteral("one")), testItem(2, QStringLiteral("two")),
        withKind(3, ClipboardKind::image, QStringLiteral("picture"))});
    m.h.model.setSelectedItemID(testId(1));
    m.h.model.setSelectedItemIDs({testId(1), testId(2)});
    m.h.model.setSelectedItemIDsInSelectionOrder({testId(2), testId(1)});
    EXPECT_TRUE(m.commands->copySelected());
    EXPECT_EQ(m.h.pasteboard.string(PasteboardType::plainText()), QStringLiteral("two\none"));

    m.h.model.setSelectedItemIDs({testId(1), testId(3)});
    m.h.model.setSelectedItemIDsInSelectionOrder({testId(1), testId(3)});
    const int writes = m.h.pasteboard.writeCount();
    EXPECT_FALSE(m.commands->copySelected());
    EXPECT_EQ(m.h.pasteboard.writeCount(), writes);
    EXPECT_FALSE(m.h.model.lastError());

    // The second way of one image is nothing at all.
    m.h.model.setSelectedItemIDs({testId(3)});
    m.h.model.setSelectedItemIDsInSelectionOrder({testId(3)});
    m.h.model.setSelectedItemID(testId(3));
    EXPECT_FALSE(m.commands->copySelectedSecondary());
    EXPECT_EQ(m.h.pasteboard.writeCount(), writes);
}

// Renaming through the dialog over the window: the trimmed text becomes the title, an empty one clears it, Cancel
// changes nothing; while it is up no preview opens.
TEST(HistoryItemCommands, RenamesThroughTheDialog)
{
    ClipboardItem titled = testItem(1);
    titled.title = QStringLiteral("Old");
    MenuHarness m({titled});
    m.attach();

    const struct
    {
        QString typed;
        bool accept;
        std::optional<QString> title;
    } cases[] = {
        {QStringLiteral("  New title \n"), true, QStringLiteral("New title")},
        {QStringLiteral("Ignored"), false, QStringLiteral("New title")},
        {QString(), true, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        m.commands->renameItem(*m.loaded(1));
        QDialog *dialog = m.commands->renameDialog();
        ASSERT_TRUE(dialog);
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("renameItemField"));
        ASSERT_TRUE(field);
        EXPECT_EQ(field->text(), m.loaded(1)->customTitle().value_or(QString()));
        EXPECT_EQ(field->size(), QSize(228, 22));
        EXPECT_TRUE(m.commands->isOverlayOpen());
        m.commands->presentPreview(*m.loaded(1), false);
        EXPECT_FALSE(m.commands->preview().isShown());
        field->setText(c.typed);
        if (c.accept)
            dialog->accept();
        else
            dialog->reject();
        EXPECT_EQ(m.stored(1)->title, c.title);
        waitUntil([&] { return !m.commands->renameDialog(); });
        EXPECT_FALSE(m.commands->isOverlayOpen());
    }
}

// The preview over the window: one at a time, following the selection, and the paste shortcut closes it and pastes
// the previewed item.
TEST(HistoryItemCommands, PreviewsTheItemAndTakesItsShortcuts)
{
    MenuHarness m({testItem(1), testItem(2)});
    m.attach();
    m.commands->presentPreview(*m.loaded(1), false);
    ASSERT_TRUE(m.commands->preview().isShown());
    EXPECT_TRUE(m.commands->isOverlayOpen());
    m.commands->presentPreview(*m.loaded(2), false);
    EXPECT_EQ(m.commands->preview().shownItem()->id, testId(1));

    // Its two menus are its share of the item's menu.
    ItemPreviewDialogController &controller = *m.commands->preview().controller();
    const std::unique_ptr<QMenu> more(controller.moreActionsMenuProvider(controller.item()));
    EXPECT_TRUE(entry(*more, ItemCommandID::rename));
    EXPECT_FALSE(entry(*more, ItemCommandID::edit));
    const std::unique_ptr<QMenu> tagMenu(controller.tagsMenuProvider(controller.item()));
    EXPECT_TRUE(entry(*tagMenu, ItemCommandID::newTag));
    EXPECT_FALSE(entry(*tagMenu, ItemCommandID::rename));

    m.commands->retargetPreview(*m.loaded(2));
    EXPECT_EQ(m.commands->preview().shownItem()->id, testId(2));
    m.h.coordinator->renameItem(*m.loaded(2), QStringLiteral("Renamed"));
    m.commands->refreshPreviewSheetItem();
    EXPECT_EQ(m.commands->preview().shownItem()->title, QStringLiteral("Renamed"));

    // Shift+Down is not the preview's; the copy shortcut is, and copies the previewed item once the preview closed.
    EXPECT_FALSE(m.commands->handlePreviewKeyDown(HistoryKeyEvent::fromShortcutText(QStringLiteral("shift+down"))));
    EXPECT_TRUE(m.commands->handlePreviewKeyDown(HistoryKeyEvent::fromShortcutText(QStringLiteral("cmd+c"))));
    EXPECT_FALSE(m.commands->preview().isShown());
    EXPECT_FALSE(m.commands->isOverlayOpen());
    EXPECT_TRUE(waitUntil([&] { return m.h.pasteboard.string(PasteboardType::plainText()) == u"item 2"; }));

    // Editing opens the preview for the item, editing its text.
    m.commands->editItem(*m.loaded(1));
    ASSERT_TRUE(m.commands->preview().isShown());
    EXPECT_EQ(m.commands->preview().shownItem()->id, testId(1));
    EXPECT_TRUE(m.commands->preview().controller()->isEditing());
    m.commands->preview().close();

    // An item that leaves the history while it is only shown takes its preview with it.
    m.commands->presentPreview(*m.loaded(2), false);
    ASSERT_TRUE(m.commands->preview().isShown());
    m.h.coordinator->deleteItems({*m.loaded(2)});
    m.commands->refreshPreviewSheetItem();
    EXPECT_FALSE(m.commands->preview().isShown());
}

namespace {

// Palettes whose selection menu has one entry, and which remember what they were asked for.
class OneEntryPalettes final : public HistoryCommandPalettes
{
public:
    bool isOpen() const override { return false; }
    void close() override { }
    void presentActions() override { }
    void showTransformPicker(const ClipboardItem &) override { }
    void showTypePicker() override { }
    bool showApplicationPicker(const ClipboardItem &, const QUrl &) override { return false; }
    void showSeparatorPicker(const QList<QUuid> &) override { }
    QMenu *makeMultiItemContextMenu(const QList<ClipboardItem> &items, QWidget *parent) override
    {
        askedFor = numbersOf(items);
        auto *menu = new QMenu(parent);
        ItemCommandEntry merge;
        merge.id = ItemCommandID::mergeItems;
        merge.title = QStringLiteral("Merge");
        ItemCommandMenu::fill(*menu, {merge}, {}, {});
        return menu;
    }
    QList<int> askedFor;
};

} // namespace

// The list's menu: the item's own for one row, the selection's from the palettes for more, nothing for none.
TEST(HistoryItemCommands, FillTheListsMenuForTheSelection)
{
    MenuHarness m({testItem(1), testItem(2)});
    OneEntryPalettes palettes;
    m.commands->setCommandPalettes(&palettes);

    QMenu none;
    m.commands->fillContextMenu(none, {});
    EXPECT_TRUE(none.isEmpty());

    QMenu one;
    m.commands->fillContextMenu(one, {*m.loaded(2)});
    EXPECT_EQ(ItemCommandMenu::commandOf(*one.actions().first()), ItemCommandID::pastePlainText);
    EXPECT_TRUE(palettes.askedFor.isEmpty());

    QMenu two;
    m.commands->fillContextMenu(two, {*m.loaded(2), *m.loaded(1)});
    EXPECT_EQ(palettes.askedFor, QList<int>({2, 1}));
    ASSERT_EQ(two.actions().size(), 1);
    EXPECT_EQ(ItemCommandMenu::commandOf(*two.actions().first()), ItemCommandID::mergeItems);
}

namespace {

// The real window over a started coordinator with two items, shown.
struct ShownWindow
{
    ShownWindow()
    {
        h.storeOnboardedPreferences();
        h.storeItems({testItem(1, QStringLiteral("apple pie")), testItem(2, QStringLiteral("banana bread"))});
        h.coordinator->start();
        window = std::make_unique<FloatingHistoryWindow>(
            h.model, *h.coordinator, HistoryWindowDesktop {&h.keyPoster, nullptr, nullptr, {}, {}, &h.workspace});
        window->show(false);
        QCoreApplication::processEvents();
    }

    CoordinatorHarness h;
    std::unique_ptr<FloatingHistoryWindow> window;
};

} // namespace

// The real window: a right-click on one row gives the item's menu, on two selected rows the palettes' menu of the
// selection; the transform shortcut opens the palettes' transform picker over the window.
TEST(HistoryItemCommands, TheWindowsListMakesItsMenusThroughThem)
{
    ShownWindow shown;
    CoordinatorHarness &h = shown.h;
    FloatingHistoryWindow &window = *shown.window;
    HistoryTableView &table = window.contentViewController().list().tableView();
    const auto select = [&](const QList<int> &numbers) {
        QList<QUuid> ids;
        for (const int n : numbers)
            ids.append(testId(n));
        h.model.setSelectedItemID(ids.first());
        h.model.setSelectedItemIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
        h.model.setSelectedItemIDsInSelectionOrder(ids);
        waitUntil([&] { return window.contentViewController().list().selectedItemsInRowOrder().size() == ids.size(); });
    };

    select({2});
    QMenu one;
    table.onPrepareContextMenu(one);
    ASSERT_FALSE(one.isEmpty());
    EXPECT_EQ(ItemCommandMenu::commandOf(*one.actions().first()), ItemCommandID::pastePlainText);
    EXPECT_TRUE(entry(one, ItemCommandID::deleteItem));

    select({2, 1});
    QMenu two;
    table.onPrepareContextMenu(two);
    ASSERT_FALSE(two.isEmpty());
    EXPECT_FALSE(entry(two, ItemCommandID::pastePlainText));
    EXPECT_TRUE(entry(two, ItemCommandID::newTag));

    // Transform opens the palettes' picker on the next turn.
    select({2});
    window.contentViewController().performShortcutAction(HistoryShortcutAction::transformItem, HistoryKeyFocus::list);
    EXPECT_TRUE(waitUntil([&] {
        for (const CommandPalette *palette : window.panel().findChildren<CommandPalette *>()) {
            if (!palette->isDismissed())
                return true;
        }
        return false;
    }));
}

// A key that reaches the window while its preview is up goes to the preview; when that key closes the preview
// (Escape typed before the window manager moved the focus), the preview stays closed, also once the window is shown
// again.
TEST(HistoryItemCommands, APreviewClosedByAKeyTypedIntoTheWindowStaysClosed)
{
    ShownWindow shown;
    FloatingHistoryWindow &window = *shown.window;
    HistoryTableView &table = window.contentViewController().list().tableView();
    const auto visiblePreviews = [] {
        int visible = 0;
        for (const QWidget *widget : QApplication::topLevelWidgets())
            visible += qobject_cast<const ItemPreviewDialog *>(widget) && widget->isVisible();
        return visible;
    };

    QTest::keyClick(&table, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return visiblePreviews() == 1; }));
    // The window manager has not moved the focus to the preview yet.
    window.panel().activateWindow();
    QCoreApplication::processEvents();
    QTest::keyClick(&table, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(visiblePreviews(), 0);
    EXPECT_TRUE(window.isVisible());

    window.hide();
    window.show(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(visiblePreviews(), 0);
}
