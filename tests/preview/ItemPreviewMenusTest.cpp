// The preview's More Actions and Tags menus, built from small item menus marked the way the history window marks
// its own: which entries they keep, drop and forward, and when the forwarded work runs.

#include "HistoryMenuEntry.h"
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

// What happened, in order: "dismiss" for closing the preview, the entry's name for its work.
struct Log
{
    QStringList events;
    std::function<void()> dismiss()
    {
        return [this] { events.append(QStringLiteral("dismiss")); };
    }
};

QAction *addEntry(QMenu &menu, Log &log, const QString &name, HistoryMenuAction id)
{
    QAction *action = menu.addAction(name);
    setHistoryMenuEntry(*action, id, [&log, name] { log.events.append(name); });
    return action;
}

// A tags submenu: one toggle per tag name, then "New Tag..." and "Edit Tags..." when asked for.
QMenu *addTagsSubmenu(QMenu &menu, Log &log, const QStringList &tags, bool withNewTag = true)
{
    QMenu *submenu = menu.addMenu(QStringLiteral("Tags"));
    for (const QString &tag : tags)
        addEntry(*submenu, log, tag, HistoryMenuAction::toggleTag);
    if (withNewTag) {
        if (!tags.isEmpty())
            submenu->addSeparator();
        addEntry(*submenu, log, QStringLiteral("New Tag..."), HistoryMenuAction::newTag);
        addEntry(*submenu, log, QStringLiteral("Edit Tags..."), HistoryMenuAction::editTags);
    }
    return submenu;
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

// The history window's item menu, in the shape of the real one: paste and copy commands, favourite, transforms,
// rename and edit, the tags, open-with, preview and delete, with separators between the groups.
QMenu *fullItemMenu(Log &log)
{
    auto *menu = new QMenu;
    using A = HistoryMenuAction;
    addEntry(*menu, log, QStringLiteral("Paste"), A::paste);
    addEntry(*menu, log, QStringLiteral("Paste as Plain Text"), A::pastePlainText);
    addEntry(*menu, log, QStringLiteral("Paste File Path"), A::pasteFilePath);
    menu->addSeparator();
    addEntry(*menu, log, QStringLiteral("Copy"), A::copy);
    addEntry(*menu, log, QStringLiteral("Copy as Plain Text"), A::copyPlainText);
    addEntry(*menu, log, QStringLiteral("Copy File Path"), A::copyFilePath);
    addEntry(*menu, log, QStringLiteral("Copy Text from Image"), A::copyTextFromImage);
    addEntry(*menu, log, QStringLiteral("Copy Text from QR Code"), A::copyTextFromQRCode);
    menu->addSeparator();
    addEntry(*menu, log, QStringLiteral("Add to Favorites"), A::favorite);
    QMenu *transforms = menu->addMenu(QStringLiteral("Transform"));
    addEntry(*transforms, log, QStringLiteral("UPPER CASE"), A::applyTransform);
    addEntry(*transforms, log, QStringLiteral("lower case"), A::applyTransform);
    addEntry(*menu, log, QStringLiteral("Split into Lines"), A::split);
    addEntry(*menu, log, QStringLiteral("Rename..."), A::rename);
    addEntry(*menu, log, QStringLiteral("Edit"), A::edit);
    menu->addSeparator();
    addTagsSubmenu(*menu, log, {QStringLiteral("Work"), QStringLiteral("Home")});
    menu->addSeparator();
    QMenu *openWith = menu->addMenu(QStringLiteral("Open With"));
    addEntry(*openWith, log, QStringLiteral("Text Editor"), A::openWith);
    menu->addAction(QStringLiteral("A line that does nothing")); // no entry: left alone
    addEntry(*menu, log, QStringLiteral("Preview"), A::preview);
    menu->addSeparator();
    addEntry(*menu, log, QStringLiteral("Delete"), A::deleteItem);
    return menu;
}

} // namespace

TEST(ItemPreviewActionsMenu, KeepsWhatThePreviewDoesNotOfferItselfWithTidySeparators)
{
    Log log;
    ItemPreviewActionsMenu actions([&](const ClipboardItem &) { return fullItemMenu(log); }, log.dismiss());
    const std::unique_ptr<QMenu> menu(actions.makeMenu(textItem(ClipboardKind::text, QStringLiteral("words"))));
    ASSERT_TRUE(menu);
    EXPECT_EQ(titles(*menu),
        QStringList({QStringLiteral("Transform>"), QStringLiteral("Split into Lines"), QStringLiteral("Rename..."),
            QStringLiteral("-"), QStringLiteral("Open With>"), QStringLiteral("A line that does nothing"),
            QStringLiteral("-"), QStringLiteral("Delete")}));
    EXPECT_TRUE(log.events.isEmpty());

    // No item menu, no menu.
    ItemPreviewActionsMenu none([](const ClipboardItem &) { return nullptr; }, log.dismiss());
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
        QMenu menu;
        for (const QChar part : c.shape) {
            if (part == QLatin1Char('-'))
                menu.addSeparator();
            else
                menu.addAction(QString(part));
        }
        ItemPreviewActionsMenu::tidySeparators(menu);
        EXPECT_EQ(titles(menu).join(QString()), c.tidied) << c.shape.toStdString();
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
        ItemPreviewActionsMenu actions([&](const ClipboardItem &) { return fullItemMenu(log); }, log.dismiss());
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
        auto *menu = new QMenu;
        addEntry(*menu, log, QStringLiteral("Copy"), HistoryMenuAction::copy);
        QMenu *other = menu->addMenu(QStringLiteral("Open With")); // a submenu, but not the tags
        addEntry(*other, log, QStringLiteral("Text Editor"), HistoryMenuAction::openWith);
        addTagsSubmenu(*menu, log, {QStringLiteral("Work"), QStringLiteral("Home")});
        return menu;
    };
    ItemPreviewTagsMenu tags(itemMenu, log.dismiss());
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

TEST(ItemPreviewTagsMenu, FindsTheTagsSubmenuByItsEntriesOnly)
{
    Log log;
    const struct
    {
        const char *name;
        std::function<void(QMenu &)> build;
        QStringList shown;
    } cases[] = {
        {"no tags submenu",
            [&](QMenu &menu) {
                QMenu *other = menu.addMenu(QStringLiteral("Transform"));
                addEntry(*other, log, QStringLiteral("UPPER CASE"), HistoryMenuAction::applyTransform);
            },
            {}},
        {"no tags yet, only New Tag", [&](QMenu &menu) { addTagsSubmenu(menu, log, {}); },
            {QStringLiteral("New Tag..."), QStringLiteral("Edit Tags...")}},
        {"tags without New Tag", [&](QMenu &menu) { addTagsSubmenu(menu, log, {QStringLiteral("Work")}, false); },
            {QStringLiteral("Work")}},
        {"titled Tags but holding something else",
            [&](QMenu &menu) {
                QMenu *impostor = menu.addMenu(QStringLiteral("Tags"));
                addEntry(*impostor, log, QStringLiteral("Delete"), HistoryMenuAction::deleteItem);
            },
            {}},
    };
    for (const auto &c : cases) {
        ItemPreviewTagsMenu tags(
            [&](const ClipboardItem &) {
                auto *menu = new QMenu;
                c.build(*menu);
                return menu;
            },
            log.dismiss());
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
    const auto itemMenu = [&](const ClipboardItem &) { return fullItemMenu(log); };
    ItemPreviewActionsMenu actions(itemMenu, log.dismiss());
    ItemPreviewTagsMenu tags(itemMenu, log.dismiss());
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
