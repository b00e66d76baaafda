// The preview's More Actions and Tags menus, built from small lists of the command registry's kind: which entries
// they keep, drop and forward, and when the forwarded work runs.

#include "ItemCommandMenu.h"
#include "ItemPreviewActionsMenu.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewTagsMenu.h"
#include "PreviewFixtures.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

using namespace PreviewFixtures;

namespace {

using Entry = ItemCommandEntry;

// What happened, in order: "dismiss" for closing the preview, the entry's title for its work.
struct Log
{
    QStringList events;
    std::function<void()> dismiss()
    {
        return [this] { events.append(QStringLiteral("dismiss")); };
    }
    ItemCommandMenu::Run run()
    {
        return [this](const Entry &entry) { events.append(entry.title); };
    }
};

Entry entry(const QString &title, ItemCommandID id)
{
    Entry made;
    made.id = id;
    made.title = title;
    made.request.id = id;
    return made;
}

Entry submenu(const QString &title, ItemCommandID id, QList<Entry> entries)
{
    Entry made = entry(title, id);
    made.kind = Entry::Kind::submenu;
    made.submenu = std::move(entries);
    return made;
}

// A tags submenu: one toggle per tag name, then "New Tag..." and "Edit Tags..." when asked for.
Entry tagsSubmenu(const QStringList &tags, bool withNewTag = true)
{
    QList<Entry> entries;
    for (const QString &tag : tags)
        entries.append(entry(tag, ItemCommandID::toggleTag));
    if (withNewTag) {
        if (!tags.isEmpty())
            entries.append(Entry::separator());
        entries.append(entry(QStringLiteral("New Tag..."), ItemCommandID::newTag));
        entries.append(entry(QStringLiteral("Edit Tags..."), ItemCommandID::editTags));
    }
    return submenu(QStringLiteral("Tags"), ItemCommandID::tags, entries);
}

// The menu as titles, "-" for a separator and "title>" for a submenu.
QStringList titles(const QMenu &menu)
{
    QStringList shown;
    for (const QAction *action : menu.actions())
        shown.append(action->isSeparator() ? QStringLiteral("-")
                                           : action->text() + (action->menu() ? QStringLiteral(">") : QString()));
    return shown;
}

QStringList titles(const QList<Entry> &entries)
{
    QStringList shown;
    for (const Entry &each : entries)
        shown.append(each.kind == Entry::Kind::separator ? QStringLiteral("-") : each.title);
    return shown;
}

QAction *entryTitled(const QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == title)
            return action;
        if (QMenu *submenu = action->menu()) {
            if (QAction *inside = entryTitled(*submenu, title))
                return inside;
        }
    }
    return nullptr;
}

ItemCommandMenuContent content(QList<Entry> entries)
{
    ItemCommandMenuContent made;
    made.entries = std::move(entries);
    return made;
}

// An item's list in the shape of the real one: paste and copy commands, favourite, transforms, rename and edit, the
// tags, open-with, preview and delete, with separators between the groups.
ItemCommandMenuContent fullItemMenu()
{
    using A = ItemCommandID;
    return content(
        {entry(QStringLiteral("Paste"), A::paste), entry(QStringLiteral("Paste as Plain Text"), A::pastePlainText),
            entry(QStringLiteral("Paste File Path"), A::pastePath), Entry::separator(),
            entry(QStringLiteral("Copy"), A::copy), entry(QStringLiteral("Copy as Plain Text"), A::copyPlainText),
            entry(QStringLiteral("Copy File Path"), A::copyPath),
            entry(QStringLiteral("Copy Text from Image"), A::copyTextFromImage),
            entry(QStringLiteral("Copy Text from QR Code"), A::copyTextFromQRCode), Entry::separator(),
            entry(QStringLiteral("Add to Favorites"), A::favorite),
            submenu(QStringLiteral("Transform"), A::transform,
                {entry(QStringLiteral("UPPER CASE"), A::applyTransform),
                    entry(QStringLiteral("lower case"), A::applyTransform)}),
            entry(QStringLiteral("Split into Lines"), A::split), entry(QStringLiteral("Rename..."), A::rename),
            entry(QStringLiteral("Edit"), A::edit), Entry::separator(),
            tagsSubmenu({QStringLiteral("Work"), QStringLiteral("Home")}), Entry::separator(),
            submenu(QStringLiteral("Open With"), A::openWith,
                {entry(QStringLiteral("Text Editor"), A::openWithApplication)}),
            // An entry the preview has no other place for: kept.
            entry(QStringLiteral("A line that does nothing"), A::updateLinkPreview),
            entry(QStringLiteral("Preview"), A::preview), Entry::separator(),
            entry(QStringLiteral("Delete"), A::deleteItem)});
}

} // namespace

TEST(ItemPreviewActionsMenu, KeepsWhatThePreviewDoesNotOfferItselfWithTidySeparators)
{
    Log log;
    ItemPreviewActionsMenu actions([&](const ClipboardItem &) { return fullItemMenu(); }, log.run(), log.dismiss());
    const std::unique_ptr<QMenu> menu(actions.makeMenu(textItem(ClipboardKind::text, QStringLiteral("words"))));
    ASSERT_TRUE(menu);
    EXPECT_EQ(titles(*menu),
        QStringList({QStringLiteral("Transform>"), QStringLiteral("Split into Lines"), QStringLiteral("Rename..."),
            QStringLiteral("-"), QStringLiteral("Open With>"), QStringLiteral("A line that does nothing"),
            QStringLiteral("-"), QStringLiteral("Delete")}));
    EXPECT_TRUE(log.events.isEmpty());

    // No item menu, no menu.
    ItemPreviewActionsMenu none(
        [](const ClipboardItem &) { return ItemCommandMenuContent(); }, log.run(), log.dismiss());
    EXPECT_EQ(none.makeMenu(textItem(ClipboardKind::text, QStringLiteral("words"))), nullptr);
}

TEST(ItemPreviewActionsMenu, SeparatorsNeverLeadTrailOrRepeat)
{
    const struct
    {
        QString shape; // "a" an entry, "-" a separator
        QString tidied;
    } cases[] = {
        {QStringLiteral("--a--b--"), QStringLiteral("a-b")},
        {QStringLiteral("a-b"), QStringLiteral("a-b")},
        {QStringLiteral("---"), QString()},
        {QStringLiteral("a---"), QStringLiteral("a")},
        {QStringLiteral("-a-b-c"), QStringLiteral("a-b-c")},
        {QString(), QString()},
    };
    for (const auto &c : cases) {
        QList<Entry> entries;
        for (const QChar part : c.shape)
            entries.append(part == QLatin1Char('-') ? Entry::separator() : entry(QString(part), ItemCommandID::rename));
        ItemCommandRegistry::tidySeparators(entries);
        EXPECT_EQ(titles(entries).join(QString()), c.tidied) << c.shape.toStdString();
    }
}

// Choosing an entry closes the preview first and runs the entry's work on the next turn; a transform runs at once
// with the preview open; entries inside submenus are forwarded like the others.
TEST(ItemPreviewActionsMenu, EntriesCloseThePreviewFirstTransformsRunInPlace)
{
    const struct
    {
        QString entry;
        QStringList atOnce;
        QStringList afterTheTurn;
    } cases[] = {
        {QStringLiteral("Delete"), {QStringLiteral("dismiss")}, {QStringLiteral("dismiss"), QStringLiteral("Delete")}},
        {QStringLiteral("Rename..."), {QStringLiteral("dismiss")},
            {QStringLiteral("dismiss"), QStringLiteral("Rename...")}},
        {QStringLiteral("Text Editor"), {QStringLiteral("dismiss")},
            {QStringLiteral("dismiss"), QStringLiteral("Text Editor")}},
        {QStringLiteral("UPPER CASE"), {QStringLiteral("UPPER CASE")}, {QStringLiteral("UPPER CASE")}},
    };
    for (const auto &c : cases) {
        Log log;
        ItemPreviewActionsMenu actions([&](const ClipboardItem &) { return fullItemMenu(); }, log.run(), log.dismiss());
        std::unique_ptr<QMenu> menu(actions.makeMenu(textItem(ClipboardKind::text, QStringLiteral("words"))));
        QAction *entry = entryTitled(*menu, c.entry);
        ASSERT_TRUE(entry) << c.entry.toStdString();
        entry->trigger();
        EXPECT_EQ(log.events, c.atOnce) << c.entry.toStdString();
        // The preview may take its menu with it when it closes: the work still runs.
        menu.reset();
        QCoreApplication::processEvents();
        EXPECT_EQ(log.events, c.afterTheTurn) << c.entry.toStdString();
    }
}

TEST(ItemPreviewTagsMenu, HoldsTheTagsSubmenusEntriesTogglesStayOthersCloseFirst)
{
    Log log;
    const auto itemMenu = [&](const ClipboardItem &) {
        return content({entry(QStringLiteral("Copy"), ItemCommandID::copy),
            // a submenu, but not the tags
            submenu(QStringLiteral("Open With"), ItemCommandID::openWith,
                {entry(QStringLiteral("Text Editor"), ItemCommandID::openWithApplication)}),
            tagsSubmenu({QStringLiteral("Work"), QStringLiteral("Home")})});
    };
    ItemPreviewTagsMenu tags(itemMenu, log.run(), log.dismiss());
    std::unique_ptr<QMenu> menu(tags.menu(textItem(ClipboardKind::text, QStringLiteral("words"))));
    EXPECT_EQ(titles(*menu),
        QStringList({QStringLiteral("Work"), QStringLiteral("Home"), QStringLiteral("-"), QStringLiteral("New Tag..."),
            QStringLiteral("Edit Tags...")}));

    // The item menu is gone; its entries live on in the tags menu.
    entryTitled(*menu, QStringLiteral("Home"))->trigger();
    EXPECT_EQ(log.events, QStringList({QStringLiteral("Home")}));
    entryTitled(*menu, QStringLiteral("New Tag..."))->trigger();
    EXPECT_EQ(log.events, QStringList({QStringLiteral("Home"), QStringLiteral("dismiss")}));
    menu.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(
        log.events, QStringList({QStringLiteral("Home"), QStringLiteral("dismiss"), QStringLiteral("New Tag...")}));

    // Built again, each entry is forwarded once: one close, one run.
    log.events.clear();
    menu.reset(tags.menu(textItem(ClipboardKind::text, QStringLiteral("words"))));
    entryTitled(*menu, QStringLiteral("Edit Tags..."))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.events, QStringList({QStringLiteral("dismiss"), QStringLiteral("Edit Tags...")}));
}

TEST(ItemPreviewTagsMenu, FindsTheTagsSubmenuByItsId)
{
    Log log;
    const struct
    {
        const char *name;
        QList<Entry> entries;
        QStringList shown;
    } cases[] = {
        {"no tags submenu",
            {submenu(QStringLiteral("Transform"), ItemCommandID::transform,
                {entry(QStringLiteral("UPPER CASE"), ItemCommandID::applyTransform)})},
            {}},
        {"no tags yet, only New Tag", {tagsSubmenu({})},
            {QStringLiteral("New Tag..."), QStringLiteral("Edit Tags...")}},
        {"tags without New Tag", {tagsSubmenu({QStringLiteral("Work")}, false)}, {QStringLiteral("Work")}},
        {"titled Tags but holding something else",
            {submenu(QStringLiteral("Tags"), ItemCommandID::openWith,
                {entry(QStringLiteral("Delete"), ItemCommandID::deleteItem)})},
            {}},
    };
    for (const auto &c : cases) {
        ItemPreviewTagsMenu tags([&](const ClipboardItem &) { return content(c.entries); }, log.run(), log.dismiss());
        const std::unique_ptr<QMenu> menu(tags.menu(textItem(ClipboardKind::text, QStringLiteral("words"))));
        ASSERT_TRUE(menu) << c.name;
        EXPECT_EQ(titles(*menu), c.shown) << c.name;
    }
}

// The two menus as the preview's toolbar opens them: their entries move into the toolbar's menus, outlive the menus
// they came from, and still close the preview first and then do their work.
TEST(ItemPreviewMenus, WorkThroughThePreviewsToolbar)
{
    Log log;
    const auto itemMenu = [&](const ClipboardItem &) { return fullItemMenu(); };
    ItemPreviewActionsMenu actions(itemMenu, log.run(), log.dismiss());
    ItemPreviewTagsMenu tags(itemMenu, log.run(), log.dismiss());
    ItemPreviewDialogController controller(textItem(ClipboardKind::text, QStringLiteral("words")), room, offline());
    controller.moreActionsMenuProvider = [&](const ClipboardItem &item) { return actions.makeMenu(item); };
    controller.tagsMenuProvider = [&](const ClipboardItem &item) { return tags.menu(item); };
    ItemPreviewToolbar &toolbar = controller.toolbar();
    toolbar.itemForIdentifier(ItemPreviewToolbar::moreActions);
    toolbar.itemForIdentifier(ItemPreviewToolbar::tags);
    toolbar.fillMenu(toolbar.moreActionsMenu());
    toolbar.fillMenu(toolbar.tagsMenu());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the menus they came from go

    EXPECT_EQ(titles(*toolbar.moreActionsMenu()),
        QStringList({QStringLiteral("Transform>"), QStringLiteral("Split into Lines"), QStringLiteral("Rename..."),
            QStringLiteral("-"), QStringLiteral("Open With>"), QStringLiteral("A line that does nothing"),
            QStringLiteral("-"), QStringLiteral("Delete")}));
    EXPECT_EQ(titles(*toolbar.tagsMenu()),
        QStringList({QStringLiteral("Work"), QStringLiteral("Home"), QStringLiteral("-"), QStringLiteral("New Tag..."),
            QStringLiteral("Edit Tags...")}));

    entryTitled(*toolbar.tagsMenu(), QStringLiteral("Work"))->trigger();
    entryTitled(*toolbar.moreActionsMenu(), QStringLiteral("Text Editor"))->trigger();
    EXPECT_EQ(log.events, QStringList({QStringLiteral("Work"), QStringLiteral("dismiss")}));
    QCoreApplication::processEvents();
    EXPECT_EQ(
        log.events, QStringList({QStringLiteral("Work"), QStringLiteral("dismiss"), QStringLiteral("Text Editor")}));
}
