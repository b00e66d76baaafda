// The registry of item commands against the surfaces that show it: for each kind and state of a selection, the
// one-item menu, the menu of several rows, the actions palette and the preview's two menus show the registry's
// entries in its order, with the same keys for the same command wherever it appears.

#include "../app/CoordinatorTestSupport.h"

#include "FloatingHistoryWindow.h"
#include "HistoryCommandPaletteCommands.h"
#include "HistoryCommandPaletteController.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "ItemCommandMenu.h"
#include "ItemCommandRegistry.h"
#include "ItemPreviewPresenter.h"
#include "ShortcutText.h"
#include "TagOrder.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>

namespace {

// One line per entry: the command's name and the key beside it, "✓" or "~" for a checked or mixed tag, "red" for
// a destructive entry, "-" for a separator, a submenu as its title in brackets followed by its entries indented.
QStringList describe(const QMenu &menu, const QString &indent = QString())
{
    QStringList lines;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator()) {
            lines.append(indent + QStringLiteral("-"));
            continue;
        }
        const QStringList parts = action->text().split(QLatin1Char('\t'));
        QString line = indent;
        if (action->menu())
            line += QLatin1Char('[') + parts.first() + QLatin1Char(']');
        else
            line += ItemCommandMenu::commandOf(*action) ? itemCommandName(*ItemCommandMenu::commandOf(*action))
                                                        : QStringLiteral("?");
        if (parts.size() > 1)
            line += QLatin1Char(' ') + parts.at(1);
        if (action->isChecked())
            line += QStringLiteral(" ✓");
        else if (action->font().italic())
            line += QStringLiteral(" ~");
        lines.append(line);
        // The transforms are many and pinned elsewhere; the tags are the point here.
        if (action->menu() && !parts.first().startsWith(u"Transform"))
            lines += describe(*action->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

QStringList describe(const QList<ItemCommandEntry> &entries, const QString &indent = QString())
{
    QStringList lines;
    for (const ItemCommandEntry &entry : entries) {
        if (entry.kind == ItemCommandEntry::Kind::separator) {
            lines.append(indent + QStringLiteral("-"));
            continue;
        }
        const bool submenu = entry.kind == ItemCommandEntry::Kind::submenu;
        QString line = indent
            + (submenu ? QLatin1Char('[') + QString(entry.title).replace(QLatin1Char('&'), QStringLiteral("&&"))
                        + QLatin1Char(']')
                       : itemCommandName(entry.id));
        if (const auto key = entry.shortcut ? ItemCommandMenu::keyText(*entry.shortcut) : std::nullopt)
            line += QLatin1Char(' ') + *key;
        if (entry.check == ItemCommandEntry::Check::on)
            line += QStringLiteral(" ✓");
        else if (entry.check == ItemCommandEntry::Check::mixed)
            line += QStringLiteral(" ~");
        lines.append(line);
        if (submenu && entry.id != ItemCommandID::transform)
            lines += describe(entry.submenu, indent + QStringLiteral("  "));
    }
    return lines;
}

// The palette's commands and the registry's palette list: name, key caps, section, red.
QStringList describe(const QList<CommandPaletteCommand> &commands)
{
    QStringList lines;
    for (const CommandPaletteCommand &command : commands)
        lines.append(QStringLiteral("%1 %2 %3%4")
                         .arg(command.id, ShortcutText::displayText(command.shortcut.value_or(QString())))
                         .arg(command.section)
                         .arg(command.isDestructive ? QStringLiteral(" red") : QString()));
    return lines;
}

QStringList describePalette(const QList<ItemCommandEntry> &entries)
{
    QStringList lines;
    for (const ItemCommandEntry &entry : entries)
        lines.append(QStringLiteral("%1 %2 %3%4")
                         .arg(itemCommandName(entry.id), ShortcutText::displayText(entry.shortcut.value_or(QString())))
                         .arg(entry.section)
                         .arg(entry.isDestructive ? QStringLiteral(" red") : QString()));
    return lines;
}

// The shortcut text of every command of a list, submenus' parents included.
QHash<ItemCommandID, QString> shortcuts(const QList<ItemCommandEntry> &entries)
{
    QHash<ItemCommandID, QString> found;
    for (const ItemCommandEntry &entry : entries) {
        if (entry.kind != ItemCommandEntry::Kind::separator)
            found.insert(entry.id, entry.shortcut.value_or(QString()));
    }
    return found;
}

ClipboardItem ofKind(int n, ClipboardKind kind, const QString &text = QString())
{
    ClipboardItem item = testItem(n, text);
    item.kind = kind;
    if (kind == ClipboardKind::image || kind == ClipboardKind::file)
        item.text.reset();
    return item;
}

ClipboardItem files(int n, const QStringList &paths)
{
    ClipboardItem item = ofKind(n, ClipboardKind::file);
    item.filePaths = paths;
    return item.refreshingSearchText({});
}

// The window's own command objects on the real window, the desktop without a paste target or applications.
struct Surfaces
{
    explicit Surfaces(const QList<ClipboardItem> &items)
    {
        h.storeOnboardedPreferences([](AppPreferences &p) { p.soundEffectsEnabled = false; });
        h.storeItems(items);
        h.coordinator->start();
        window = std::make_unique<FloatingHistoryWindow>(
            h.model, *h.coordinator, HistoryWindowDesktop {nullptr, nullptr, nullptr, {}, {}, nullptr});
        window->show(false);
        QCoreApplication::processEvents();
        HistoryItemCommands::Desktop desktop;
        desktop.preview.webPagesEnabled = false;
        commands = std::make_unique<HistoryItemCommands>(h.model, *h.coordinator, std::move(desktop));
        commands->attach(window->panel(), window->contentViewController().list(), nullptr);
        palettes = std::make_unique<HistoryCommandPaletteController>(
            h.model, *h.coordinator, *commands, window->contentViewController(), window->panel());
        commands->setCommandPalettes(palettes.get());
    }

    ItemCommandContext context() const
    {
        ItemCommandContext made;
        made.preferences = h.model.preferences();
        made.pasteTargetName = QStringLiteral("Active App");
        made.tags = TagOrder::sortedByName(h.model.tags());
        return made;
    }
    QList<ClipboardItem> loaded(const QList<int> &numbers) const
    {
        QList<ClipboardItem> found;
        for (const int n : numbers)
            found.append(*h.model.item(testId(n)));
        return found;
    }

    CoordinatorHarness h;
    std::unique_ptr<FloatingHistoryWindow> window;
    std::unique_ptr<HistoryItemCommands> commands;
    std::unique_ptr<HistoryCommandPaletteController> palettes;
};

} // namespace

// Each single item, by kind and state: the menu, the palette and the preview's menus are the registry's lists, and a
// command shows the same key on each of them.
TEST(ItemCommandRegistry, EverySurfaceShowsTheRegistrysEntriesForOneItem)
{
    QTemporaryDir folder;
    const QString present = folder.filePath(QStringLiteral("notes.txt"));
    const QString picture = folder.filePath(QStringLiteral("photo.png"));
    writeFile(present);
    writeFile(picture);

    ClipboardItem rich = ofKind(2, ClipboardKind::richText, QStringLiteral("first line\n\nsecond line"));
    ClipboardItem recognised = ofKind(5, ClipboardKind::image);
    recognised.text = QStringLiteral("words in the picture");
    recognised.qrCodeText = QStringLiteral("https://example.com/qr");
    ClipboardItem favourite = testItem(12, QStringLiteral("kept"));
    favourite.isFavorite = true;
    Surfaces s({testItem(1, QStringLiteral("one line")), rich,
        ofKind(3, ClipboardKind::link, QStringLiteral("https://example.com/")), ofKind(4, ClipboardKind::image),
        recognised, files(6, {present}), files(7, {folder.filePath(QStringLiteral("gone.txt"))}),
        files(8, {present, picture}), files(9, {picture}), ofKind(10, ClipboardKind::color, QStringLiteral("#FF0000")),
        ofKind(11, ClipboardKind::email, QStringLiteral("a@example.com")), favourite,
        testItem(13, QStringLiteral("tagged"))});
    const auto work = s.h.coordinator->createTag(QStringLiteral("Work"), QColor(QStringLiteral("#3B85ED")));
    const auto home = s.h.coordinator->createTag(QStringLiteral("Home"), QColor(QStringLiteral("#FF0000")));
    ASSERT_TRUE(work && home);
    s.h.coordinator->assignTag(*s.h.model.item(testId(13)), work->id);

    const QStringList textActions {QStringLiteral("rename Ctrl+R"), QStringLiteral("[Transform] Ctrl+T"),
        QStringLiteral("split"), QStringLiteral("-"), QStringLiteral("delete Ctrl+Backspace")};
    const QStringList tags {QStringLiteral("Home"), QStringLiteral("Work"), QStringLiteral("-"),
        QStringLiteral("New Tag..."), QStringLiteral("-"), QStringLiteral("Edit Tags...")};
    const struct
    {
        const char *name;
        int item;
        bool linkPreviews = true;
        // The preview's More Actions as titles (empty: not checked), and the ticked tags of its Tags menu.
        QStringList previewActions;
        QStringList checkedTags;
    } cases[] = {
        {"text", 1, true,
            {QStringLiteral("rename Ctrl+R"), QStringLiteral("[Transform] Ctrl+T"), QStringLiteral("-"),
                QStringLiteral("delete Ctrl+Backspace")}},
        {"rich text of two lines", 2, true, textActions},
        {"link with link previews", 3, true,
            {QStringLiteral("openInBrowser Ctrl+B"), QStringLiteral("updateLinkPreview"), QStringLiteral("-"),
                QStringLiteral("rename Ctrl+R"), QStringLiteral("[Transform] Ctrl+T"), QStringLiteral("-"),
                QStringLiteral("delete Ctrl+Backspace")}},
        {"link without link previews", 3, false,
            {QStringLiteral("openInBrowser Ctrl+B"), QStringLiteral("-"), QStringLiteral("rename Ctrl+R"),
                QStringLiteral("[Transform] Ctrl+T"), QStringLiteral("-"), QStringLiteral("delete Ctrl+Backspace")}},
        {"image", 4, true,
            {QStringLiteral("saveAsFile"), QStringLiteral("rename Ctrl+R"), QStringLiteral("-"),
                QStringLiteral("openInDefaultApplication"), QStringLiteral("openWith"), QStringLiteral("-"),
                QStringLiteral("delete Ctrl+Backspace")}},
        {"image with recognised text and a QR code", 5},
        {"file", 6, true,
            {QStringLiteral("rename Ctrl+R"), QStringLiteral("-"), QStringLiteral("showInFileManager Ctrl+O"),
                QStringLiteral("openInDefaultApplication"), QStringLiteral("openWith"), QStringLiteral("-"),
                QStringLiteral("delete Ctrl+Backspace")}},
        {"file that is gone", 7, true,
            {QStringLiteral("rename Ctrl+R"), QStringLiteral("-"), QStringLiteral("delete Ctrl+Backspace")}},
        {"several files", 8},
        {"image file", 9},
        {"colour", 10},
        {"email", 11},
        {"favourite", 12},
        {"tagged", 13, true, {}, {QStringLiteral("Work")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        AppPreferences preferences = s.h.model.preferences();
        preferences.showPreviewForLinks = c.linkPreviews;
        s.h.model.setPreferences(preferences);
        const ClipboardItem item = *s.h.model.item(testId(c.item));
        const QList<ItemCommandEntry> menuEntries = ItemCommandRegistry::itemMenu(item, s.context());

        // The one-item menu.
        const std::unique_ptr<QMenu> menu(s.commands->makeItemContextMenu(item, nullptr));
        EXPECT_EQ(describe(*menu), describe(menuEntries));

        // The palette.
        const QList<ItemCommandEntry> paletteEntries = ItemCommandRegistry::paletteCommands({item}, s.context());
        EXPECT_EQ(describe(HistoryCommandPaletteCommands::makeCommandPaletteCommands(
                      {item}, s.palettes->makeContext({item}), {})),
            describePalette(paletteEntries));

        // A command has the same key in the menu and in the palette. Not the pastes and copies of one way: for a
        // link, an email or a colour the menu puts the primary keys on its one pair, the palette on the plain-text
        // pair.
        const QHash<ItemCommandID, QString> menuKeys = shortcuts(menuEntries);
        const QList<ItemCommandID> pastesAndCopies {ItemCommandID::paste, ItemCommandID::pastePlainText,
            ItemCommandID::pastePath, ItemCommandID::copy, ItemCommandID::copyPlainText, ItemCommandID::copyPath};
        for (const ItemCommandEntry &entry : paletteEntries) {
            if (menuKeys.contains(entry.id) && !pastesAndCopies.contains(entry.id)) {
                EXPECT_EQ(menuKeys.value(entry.id), entry.shortcut.value_or(QString()))
                    << itemCommandName(entry.id).toStdString();
            }
        }

        // The preview's menus.
        s.commands->presentPreview(item, false);
        ASSERT_TRUE(s.commands->preview().isShown());
        ItemPreviewDialogController &controller = *s.commands->preview().controller();
        const std::unique_ptr<QMenu> more(controller.moreActionsMenuProvider(item));
        ASSERT_TRUE(more);
        EXPECT_EQ(describe(*more), describe(ItemCommandRegistry::previewActions(menuEntries)));
        if (!c.previewActions.isEmpty()) {
            EXPECT_EQ(describe(*more), c.previewActions);
        }
        const std::unique_ptr<QMenu> tagMenu(controller.tagsMenuProvider(item));
        EXPECT_EQ(describe(*tagMenu), describe(ItemCommandRegistry::previewTags(menuEntries)));
        QStringList titles, checked;
        for (const QAction *action : tagMenu->actions()) {
            titles.append(action->isSeparator() ? QStringLiteral("-") : action->text());
            if (action->isChecked())
                checked.append(action->text());
        }
        EXPECT_EQ(titles, tags);
        EXPECT_EQ(checked, c.checkedTags);
        s.commands->preview().close();
    }
}

// Several rows: the menu is the registry's several-items list with the Tags submenu after the first group, and it
// shows the keys of its commands, Enter and Ctrl+Backspace among them, as the palette does.
TEST(ItemCommandRegistry, TheMenuOfSeveralRowsShowsTheRegistrysEntriesWithTheirKeys)
{
    ClipboardItem favourite1 = testItem(3, QStringLiteral("three")), favourite2 = testItem(4, QStringLiteral("four"));
    favourite1.isFavorite = favourite2.isFavorite = true;
    Surfaces s({testItem(1, QStringLiteral("one")), testItem(2, QStringLiteral("two")), favourite1, favourite2,
        ofKind(5, ClipboardKind::image)});
    const auto work = s.h.coordinator->createTag(QStringLiteral("Work"), QColor(QStringLiteral("#3B85ED")));
    ASSERT_TRUE(work);
    s.h.coordinator->assignTag(*s.h.model.item(testId(1)), work->id);
    s.h.coordinator->assignTag(*s.h.model.item(testId(3)), work->id);
    s.h.coordinator->assignTag(*s.h.model.item(testId(4)), work->id);

    const struct
    {
        const char *name;
        QList<int> items;
        QStringList menu;
    } cases[] = {
        {"two texts, one tagged", {1, 2},
            {QStringLiteral("pasteItems Enter"), QStringLiteral("pasteItemsWithSeparator"),
                QStringLiteral("copyItems Ctrl+C"), QStringLiteral("mergeItems"), QStringLiteral("-"),
                QStringLiteral("[Tags...]"), QStringLiteral("  applyTag ~"), QStringLiteral("  -"),
                QStringLiteral("  newTag"), QStringLiteral("-"), QStringLiteral("favoriteItems Ctrl+S"),
                QStringLiteral("-"), QStringLiteral("deleteItems Ctrl+Backspace")}},
        {"a text and an image", {2, 5},
            {QStringLiteral("pasteItems Enter"), QStringLiteral("pasteItemsWithSeparator"), QStringLiteral("-"),
                QStringLiteral("[Tags...]"), QStringLiteral("  applyTag"), QStringLiteral("  -"),
                QStringLiteral("  newTag"), QStringLiteral("-"), QStringLiteral("favoriteItems Ctrl+S"),
                QStringLiteral("-"), QStringLiteral("deleteItems Ctrl+Backspace")}},
        {"two tagged favourites", {3, 4},
            {QStringLiteral("pasteItems Enter"), QStringLiteral("pasteItemsWithSeparator"),
                QStringLiteral("copyItems Ctrl+C"), QStringLiteral("mergeItems"), QStringLiteral("-"),
                QStringLiteral("[Tags...]"), QStringLiteral("  applyTag ✓"), QStringLiteral("  -"),
                QStringLiteral("  newTag"), QStringLiteral("-"), QStringLiteral("unfavoriteItems Ctrl+S"),
                QStringLiteral("-"), QStringLiteral("deleteItems Ctrl+Backspace")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<ClipboardItem> items = s.loaded(c.items);
        QMenu menu;
        s.commands->fillContextMenu(menu, items);
        EXPECT_EQ(describe(menu), c.menu);
        EXPECT_EQ(describe(menu), describe(ItemCommandRegistry::selectionMenu(items, s.context())));

        // The palette lists the same commands with the same keys, and the three that are not about the items.
        const QList<ItemCommandEntry> palette = ItemCommandRegistry::paletteCommands(items, s.context());
        EXPECT_EQ(describe(HistoryCommandPaletteCommands::makeCommandPaletteCommands(
                      items, s.palettes->makeContext(items), {})),
            describePalette(palette));
        QStringList paletteWithoutGlobals, menuCommands;
        for (const ItemCommandEntry &entry : palette) {
            if (entry.id != ItemCommandID::filterByType && entry.id != ItemCommandID::settings
                && entry.id != ItemCommandID::deleteAll)
                paletteWithoutGlobals += describe(QList<ItemCommandEntry> {entry});
        }
        for (const QString &line : describe(menu)) {
            if (!line.startsWith(u'-') && !line.startsWith(u'[') && !line.startsWith(u' '))
                menuCommands.append(line);
        }
        EXPECT_EQ(menuCommands, paletteWithoutGlobals);
    }

    // The titles beside the keys.
    QMenu menu;
    s.commands->fillContextMenu(menu, s.loaded({1, 2}));
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("Paste 2 Items to Active App\tEnter"));
    EXPECT_EQ(menu.actions().last()->text(), QStringLiteral("Delete 2 Items\tCtrl+Backspace"));
}

// The entries run through the runner on the items they name, read afresh: the several rows' favourite entry on both
// items, a tag entry of the preview's Tags menu with the preview left open.
TEST(ItemCommandRegistry, EntriesRunTheirCommandOnTheItemsByID)
{
    Surfaces s({testItem(1, QStringLiteral("one")), testItem(2, QStringLiteral("two"))});
    const auto work = s.h.coordinator->createTag(QStringLiteral("Work"), QColor(QStringLiteral("#3B85ED")));
    ASSERT_TRUE(work);

    QMenu menu;
    s.commands->fillContextMenu(menu, s.loaded({2, 1}));
    s.h.coordinator->renameItem(*s.h.model.item(testId(1)), QStringLiteral("Renamed meanwhile"));
    for (QAction *action : menu.actions()) {
        if (ItemCommandMenu::commandOf(*action) == ItemCommandID::favoriteItems)
            action->trigger();
    }
    EXPECT_TRUE(s.h.storedItem(testId(1))->isFavorite);
    EXPECT_TRUE(s.h.storedItem(testId(2))->isFavorite);
    EXPECT_EQ(s.h.storedItem(testId(1))->title, QStringLiteral("Renamed meanwhile"));

    s.commands->presentPreview(*s.h.model.item(testId(2)), false);
    ItemPreviewDialogController &controller = *s.commands->preview().controller();
    const std::unique_ptr<QMenu> tags(controller.tagsMenuProvider(controller.item()));
    ASSERT_EQ(ItemCommandMenu::commandOf(*tags->actions().first()), ItemCommandID::toggleTag);
    tags->actions().first()->trigger();
    EXPECT_TRUE(s.h.storedItem(testId(2))->tags.contains(work->id));
    EXPECT_TRUE(s.commands->preview().isShown());
    s.commands->preview().close();
}
