#include "ItemCommandRegistry.h"

#include "FileTypes.h"
#include "HistorySourceApplication.h"
#include "ItemCommands.h"
#include "Localization.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

using ID = ItemCommandID;
using Entry = ItemCommandEntry;

namespace {

QCollator interfaceCollator()
{
    QCollator collator(QLocale(supportedLanguageCode(currentInterfaceLanguage())));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QList<QUuid> idsOf(const QList<ClipboardItem> &items)
{
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const ClipboardItem &item : items)
        ids.append(item.id);
    return ids;
}

// Collects the entries of one list. Titles arrive in the interface language; a shortcut text that is empty is none.
struct Builder
{
    const ItemCommandContext &context;
    QList<Entry> entries;

    const AppPreferences &p() const { return context.preferences; }

    Entry &add(ID id, const QString &title, const QString &symbol, const std::optional<QString> &shortcut,
        QList<QUuid> itemIDs, int section = 0)
    {
        Entry entry;
        entry.id = id;
        entry.title = title;
        entry.symbol = symbol;
        if (shortcut && !shortcut->isEmpty())
            entry.shortcut = shortcut;
        entry.section = section;
        entry.request.id = id;
        entry.request.itemIDs = std::move(itemIDs);
        entries.append(std::move(entry));
        return entries.last();
    }
    void separator() { entries.append(Entry::separator()); }

    QString pasteTitle(const QString &key, QVariantList arguments = {}) const
    {
        arguments.append(context.pasteTargetName);
        return localized(key, arguments);
    }
    Entry &paste(ID id, const QString &title, const QString &symbol, const QString &shortcut, const ClipboardItem &item,
        int section = 0)
    {
        Entry &entry = add(id, title, symbol, shortcut, {item.id}, section);
        entry.image = Entry::Image::pasteTarget;
        return entry;
    }
    Entry &copy(ID id, const QString &title, const QString &shortcut, const ClipboardItem &item, int section = 0)
    {
        return add(id, title, QStringLiteral("square.on.square"), shortcut, {item.id}, section);
    }

    // Shared by the menu and the palette.
    void favorite(const ClipboardItem &item, int section = 0)
    {
        add(ID::favorite,
            localized(item.isFavorite ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites")),
            QStringLiteral("star"), p().toggleFavoriteShortcut, {item.id}, section);
    }
    void rename(const ClipboardItem &item, int section = 0)
    {
        add(ID::rename, localized(QStringLiteral("Rename...")), QStringLiteral("rectangle.and.pencil.and.ellipsis"),
            p().renameItemShortcut, {item.id}, section);
    }
    void edit(const ClipboardItem &item, int section = 0)
    {
        add(ID::edit, localized(QStringLiteral("Edit...")), QStringLiteral("square.and.pencil"), p().editItemShortcut,
            {item.id}, section);
    }
    void preview(const ClipboardItem &item, int section = 0)
    {
        add(ID::preview, localized(QStringLiteral("Preview")), QStringLiteral("eye"), QStringLiteral("space"),
            {item.id}, section);
    }
    void split(const ClipboardItem &item, int section = 0)
    {
        if (ItemCommands::trimmedTextLines(item).size() >= 2)
            add(ID::split, localized(QStringLiteral("Split")),
                QStringLiteral("arrow.up.and.line.horizontal.and.arrow.down"), std::nullopt, {item.id}, section);
    }
    // The menu's two act on the item; the palette's on the item selected when they run (no ids).
    void recognisedTexts(const ClipboardItem &item, const QList<QUuid> &itemIDs, int section = 0)
    {
        if (item.hasImageText())
            add(ID::copyTextFromImage, localized(QStringLiteral("Copy Text from Image")),
                QStringLiteral("text.viewfinder"), std::nullopt, itemIDs, section);
        if (item.hasQRCodeText())
            add(ID::copyTextFromQRCode, localized(QStringLiteral("Copy Text from QR Code")),
                QStringLiteral("qrcode.viewfinder"), std::nullopt, itemIDs, section);
    }
    void saveAsFile(const ClipboardItem &item, int section = 0)
    {
        add(ID::saveAsFile, localized(QStringLiteral("Save as File...")), QStringLiteral("square.and.arrow.down"),
            std::nullopt, {item.id}, section);
    }
    void openInDefaultApplication(const ClipboardItem &item, int section = 0)
    {
        const std::optional<QString> &name = context.defaultApplicationName;
        Entry &entry = add(ID::openInDefaultApplication,
            name ? localized(QStringLiteral("Open in %@"), {*name}) : localized(QStringLiteral("Open")),
            QStringLiteral("app"), std::nullopt, {item.id}, section);
        if (name)
            entry.image = Entry::Image::defaultApplication;
    }
    void openWith(const ClipboardItem &item, int section = 0)
    {
        add(ID::openWith, localized(QStringLiteral("Open With...")), QStringLiteral("square.and.arrow.up"),
            std::nullopt, {item.id}, section);
    }
    void showInFileManager(const ClipboardItem &item, int section = 0)
    {
        add(ID::showInFileManager, localized(QStringLiteral("Show in File Manager")), QStringLiteral("folder"),
            p().showInFinderShortcut, {item.id}, section)
            .image
            = Entry::Image::fileManager;
    }
    void deleteItem(const ClipboardItem &item, int section = 0)
    {
        add(ID::deleteItem, localized(QStringLiteral("Delete")), QStringLiteral("trash"), p().deleteItemShortcut,
            {item.id}, section)
            .isDestructive
            = true;
    }

    // The palette's commands that are not about one item.
    void filter(int section)
    {
        add(ID::filterByType, localized(QStringLiteral("Filter by Type...")),
            QStringLiteral("line.3.horizontal.decrease"), p().filterHistoryByTypeShortcut, {}, section);
    }
    void settings(int section)
    {
        add(ID::settings, localized(QStringLiteral("Settings...")), QStringLiteral("gearshape"),
            p().openSettingsShortcut, {}, section);
    }
    void deleteAll(int section)
    {
        add(ID::deleteAll, localized(QStringLiteral("Delete All")), QStringLiteral("trash"), std::nullopt, {}, section)
            .isDestructive
            = true;
    }
    // Filter, settings, then the two deletions, from the section given on.
    void paletteTail(const ClipboardItem &item, int section)
    {
        filter(section);
        settings(section + 1);
        deleteItem(item, section + 2);
        deleteAll(section + 2);
    }

    // The menu's submenus.
    void transformMenu(const ClipboardItem &item)
    {
        Entry &parent = add(ID::transform, localized(QStringLiteral("Transform")), QStringLiteral("wand.and.sparkles"),
            p().transformItemShortcut, {item.id});
        parent.kind = Entry::Kind::submenu;
        QList<ClipboardTextTransform> transforms;
        transforms.reserve(ClipboardTextTransform::caseCount);
        for (const ClipboardTextTransform::Value value : ClipboardTextTransform::allCases())
            transforms.append(value);
        ItemCommandRegistry::sortTransformsByTitle(transforms);
        parent.submenu.reserve(transforms.size());
        for (const ClipboardTextTransform transform : std::as_const(transforms)) {
            Entry entry;
            entry.id = ID::applyTransform;
            entry.title = transform.title();
            entry.image = Entry::Image::none;
            entry.request = {ID::applyTransform, {item.id}, transform};
            parent.submenu.append(std::move(entry));
        }
    }
    void tagsMenu(const QString &title, const ClipboardItem &item)
    {
        Entry &parent = add(ID::tags, localized(title), QStringLiteral("circle"), std::nullopt, {item.id});
        parent.kind = Entry::Kind::submenu;
        for (const Tag &tag : context.tags) {
            Entry entry;
            entry.id = ID::toggleTag;
            entry.title = tag.name;
            entry.image = Entry::Image::tagColor;
            entry.tagColor = tag.color;
            entry.check = item.tags.contains(tag.id) ? Entry::Check::on : Entry::Check::off;
            entry.request = {ID::toggleTag, {item.id}, std::nullopt, tag.id};
            parent.submenu.append(std::move(entry));
        }
        if (!context.tags.isEmpty())
            parent.submenu.append(Entry::separator());
        parent.submenu.append(newTagEntry({item.id}));
        parent.submenu.append(Entry::separator());
        Entry editTags;
        editTags.id = ID::editTags;
        editTags.title = localized(QStringLiteral("Edit Tags..."));
        editTags.symbol = QStringLiteral("circle");
        editTags.request.id = ID::editTags;
        parent.submenu.append(std::move(editTags));
    }
    static Entry newTagEntry(const QList<QUuid> &itemIDs)
    {
        Entry entry;
        entry.id = ID::newTag;
        entry.title = localized(QStringLiteral("New Tag..."));
        entry.symbol = QStringLiteral("plus");
        entry.request = {ID::newTag, itemIDs};
        return entry;
    }
};

// --- The one-item menu -----------------------------------------------------------------------------------------------

QList<Entry> makeItemMenu(const ClipboardItem &item, const ItemCommandContext &context)
{
    using Variant = ItemCommandRegistry::MenuVariant;
    Builder b {context, {}};
    const AppPreferences &p = context.preferences;
    const Variant variant = ItemCommandRegistry::menuVariant(item);

    const auto pastePath = [&] {
        b.paste(ID::pastePath, b.pasteTitle(QStringLiteral("Paste Path to %@")), {}, p.pasteSelectedSecondaryShortcut,
            item);
    };
    const auto copyPath = [&] {
        b.copy(
            ID::copyPath, localized(QStringLiteral("Copy Path to Clipboard")), p.copySelectedSecondaryShortcut, item);
    };
    const auto tags = [&](const QString &title) {
        b.separator();
        b.tagsMenu(title, item);
        b.separator();
    };
    // Link, email and colour items share the middle of their lists.
    const auto textLikeMiddle = [&] {
        b.edit(item);
        b.favorite(item);
        b.rename(item);
        b.transformMenu(item);
    };

    switch (variant) {
    case Variant::text: {
        // The first of each pair does what the primary shortcut does in the window.
        const auto plainPaste = [&](const QString &shortcut) {
            b.paste(ID::pastePlainText, b.pasteTitle(QStringLiteral("Paste as Plain Text to %@")), {}, shortcut, item);
        };
        const auto standardPaste = [&](const QString &shortcut) {
            b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), {}, shortcut, item);
        };
        const auto plainCopy = [&](const QString &shortcut) {
            b.copy(ID::copyPlainText, localized(QStringLiteral("Copy as Plain Text to Clipboard")), shortcut, item);
        };
        const auto standardCopy = [&](const QString &shortcut) {
            b.copy(ID::copy, localized(QStringLiteral("Copy to Clipboard")), shortcut, item);
        };
        if (p.preferPastingAsPlainText) {
            plainPaste(p.pasteSelectedShortcut);
            standardPaste(p.pasteSelectedSecondaryShortcut);
            plainCopy(p.copySelectedShortcut);
            standardCopy(p.copySelectedSecondaryShortcut);
        } else {
            standardPaste(p.pasteSelectedShortcut);
            plainPaste(p.pasteSelectedSecondaryShortcut);
            standardCopy(p.copySelectedShortcut);
            plainCopy(p.copySelectedSecondaryShortcut);
        }
        b.separator();
        textLikeMiddle();
        if (context.canSplit)
            b.split(item);
        b.preview(item);
        tags(QStringLiteral("Tags"));
        b.deleteItem(item);
        break;
    }
    case Variant::link:
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste Link to %@")), {}, p.pasteSelectedShortcut, item);
        b.copy(ID::copy, localized(QStringLiteral("Copy Link to Clipboard")), p.copySelectedShortcut, item);
        b.separator();
        b.add(ID::openInBrowser, localized(QStringLiteral("Open in Browser")), QStringLiteral("globe"),
            p.openInBrowserShortcut, {item.id});
        if (p.showPreviewForLinks)
            b.add(ID::updateLinkPreview, localized(QStringLiteral("Update Link Preview")),
                QStringLiteral("arrow.clockwise"), std::nullopt, {item.id});
        b.separator();
        textLikeMiddle();
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.deleteItem(item);
        break;
    case Variant::email:
    case Variant::color: {
        const bool email = variant == Variant::email;
        b.paste(ID::paste,
            b.pasteTitle(email ? QStringLiteral("Paste Email to %@") : QStringLiteral("Paste Color to %@")), {},
            p.pasteSelectedShortcut, item);
        b.copy(ID::copy,
            localized(email ? QStringLiteral("Copy Email to Clipboard") : QStringLiteral("Copy Color to Clipboard")),
            p.copySelectedShortcut, item);
        b.separator();
        textLikeMiddle();
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.deleteItem(item);
        break;
    }
    case Variant::image:
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste Image to %@")), {}, p.pasteSelectedShortcut, item);
        b.copy(ID::copy, localized(QStringLiteral("Copy Image to Clipboard")), p.copySelectedShortcut, item);
        b.separator();
        b.recognisedTexts(item, {item.id});
        b.saveAsFile(item);
        b.favorite(item);
        b.rename(item);
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.openInDefaultApplication(item);
        b.openWith(item);
        b.separator();
        b.deleteItem(item);
        break;
    case Variant::missingFile:
        pastePath();
        copyPath();
        b.separator();
        b.recognisedTexts(item, {item.id});
        b.favorite(item);
        b.rename(item);
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.deleteItem(item);
        break;
    case Variant::multipleFiles: {
        const int count = int(item.filePaths.size());
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste %d Items to %@"), {count}), {}, p.pasteSelectedShortcut,
            item);
        b.copy(
            ID::copy, localized(QStringLiteral("Copy %d Items to Clipboard"), {count}), p.copySelectedShortcut, item);
        b.separator();
        b.favorite(item);
        b.rename(item);
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.deleteItem(item);
        break;
    }
    case Variant::imageFile:
    case Variant::file:
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste File to %@")), {}, p.pasteSelectedShortcut, item);
        pastePath();
        b.copy(ID::copy, localized(QStringLiteral("Copy File to Clipboard")), p.copySelectedShortcut, item);
        copyPath();
        b.separator();
        if (variant == Variant::imageFile)
            b.recognisedTexts(item, {item.id});
        b.favorite(item);
        b.rename(item);
        b.preview(item);
        tags(QStringLiteral("Tags..."));
        b.showInFileManager(item);
        b.openInDefaultApplication(item);
        b.openWith(item);
        b.separator();
        b.deleteItem(item);
        break;
    }
    return b.entries;
}

// --- The palette's lists ---------------------------------------------------------------------------------------------

QList<Entry> multiItemCommands(const QList<ClipboardItem> &items, const ItemCommandContext &context)
{
    Builder b {context, {}};
    const AppPreferences &p = context.preferences;
    const QList<QUuid> ids = idsOf(items);
    const int n = int(items.size());
    const QString pasteSymbol = QStringLiteral("arrow.turn.down.left");
    b.add(ID::pasteItems, b.pasteTitle(QStringLiteral("Paste %d Items to %@"), {n}), pasteSymbol,
         p.pasteSelectedShortcut, ids)
        .image
        = Entry::Image::pasteTarget;
    b.add(ID::pasteItemsWithSeparator, b.pasteTitle(QStringLiteral("Paste %d Items to %@ with Separator..."), {n}),
         pasteSymbol, std::nullopt, ids)
        .image
        = Entry::Image::pasteTarget;
    if (ItemCommandRegistry::areMergeable(items)) {
        b.add(ID::copyItems, localized(QStringLiteral("Copy %d Items to Clipboard"), {n}),
            QStringLiteral("square.on.square"), p.copySelectedShortcut, ids);
        b.add(ID::mergeItems, localized(QStringLiteral("Merge %d Items"), {n}),
            QStringLiteral("arrow.down.and.line.horizontal.and.arrow.up"), std::nullopt, ids);
    }
    const bool allFavorites
        = std::all_of(items.cbegin(), items.cend(), [](const ClipboardItem &item) { return item.isFavorite; });
    b.add(allFavorites ? ID::unfavoriteItems : ID::favoriteItems,
        localized(allFavorites ? QStringLiteral("Remove %d Items from Favorites")
                               : QStringLiteral("Add %d Items to Favorites"),
            {n}),
        QStringLiteral("star"), p.toggleFavoriteShortcut, ids, 1);
    b.filter(2);
    b.settings(3);
    b.add(ID::deleteItems, localized(QStringLiteral("Delete %d Items"), {n}), QStringLiteral("trash"),
         p.deleteItemShortcut, ids, 4)
        .isDestructive
        = true;
    b.deleteAll(4);
    return b.entries;
}

void textCommands(const ClipboardItem &item, Builder &b)
{
    const AppPreferences &p = b.p();
    const auto standard = [&](const QString &shortcut) {
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), QStringLiteral("textformat"), shortcut, item);
    };
    const auto plain = [&](const QString &shortcut) {
        b.paste(ID::pastePlainText, b.pasteTitle(QStringLiteral("Paste as Plain Text to %@")),
            QStringLiteral("arrow.turn.down.left"), shortcut, item);
    };
    if (p.preferPastingAsPlainText) {
        plain(p.pasteSelectedShortcut);
        standard(p.pasteSelectedSecondaryShortcut);
    } else {
        standard(p.pasteSelectedShortcut);
        plain(p.pasteSelectedSecondaryShortcut);
    }
}

// The copy pair of text-like items: the preferred form first, with the main shortcut.
void textCopyPair(const ClipboardItem &item, Builder &b)
{
    const AppPreferences &p = b.p();
    const QString standard = localized(QStringLiteral("Copy to Clipboard"));
    const QString plain = localized(QStringLiteral("Copy as Plain Text to Clipboard"));
    if (p.preferPastingAsPlainText) {
        b.copy(ID::copyPlainText, plain, p.copySelectedShortcut, item);
        b.copy(ID::copy, standard, p.copySelectedSecondaryShortcut, item);
    } else {
        b.copy(ID::copy, standard, p.copySelectedShortcut, item);
        b.copy(ID::copyPlainText, plain, p.copySelectedSecondaryShortcut, item);
    }
}

QList<Entry> singleItemCommands(const ClipboardItem &item, const ItemCommandContext &context)
{
    Builder b {context, {}};
    const AppPreferences &p = context.preferences;
    const QString pasteSymbol = QStringLiteral("arrow.turn.down.left");
    if (ItemCommandRegistry::isMissingSingleFile(item)) {
        b.paste(ID::pastePath, b.pasteTitle(QStringLiteral("Paste Path to %@")), pasteSymbol,
            p.pasteSelectedSecondaryShortcut, item);
        b.copy(
            ID::copyPath, localized(QStringLiteral("Copy Path to Clipboard")), p.copySelectedSecondaryShortcut, item);
        b.recognisedTexts(item, {}, 1);
        b.favorite(item, 1);
        b.rename(item, 1);
        b.preview(item, 1);
        b.paletteTail(item, 2);
        return b.entries;
    }
    switch (item.kind) {
    case ClipboardKind::link:
        // One paste, as plain text, under whichever shortcut pastes a text kind as plain text.
        b.paste(ID::pastePlainText, b.pasteTitle(QStringLiteral("Paste to %@")), pasteSymbol,
            p.preferPastingAsPlainText ? p.pasteSelectedShortcut : p.pasteSelectedSecondaryShortcut, item);
        textCopyPair(item, b);
        b.add(ID::openInBrowser, localized(QStringLiteral("Open in Browser")), QStringLiteral("safari"),
            p.openInBrowserShortcut, {item.id}, 1);
        if (p.showPreviewForLinks)
            b.add(ID::updateLinkPreview, localized(QStringLiteral("Update Link Preview")),
                QStringLiteral("arrow.clockwise"), std::nullopt, {item.id}, 1);
        b.edit(item, 2);
        b.favorite(item, 2);
        b.rename(item, 2);
        b.add(ID::transform, localized(QStringLiteral("Transform...")), QStringLiteral("wand.and.sparkles"),
            p.transformItemShortcut, {item.id}, 2);
        b.preview(item, 2);
        b.paletteTail(item, 3);
        break;
    case ClipboardKind::image:
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), pasteSymbol, p.pasteSelectedShortcut, item);
        b.copy(ID::copy, localized(QStringLiteral("Copy to Clipboard")), p.copySelectedShortcut, item);
        b.recognisedTexts(item, {}, 1);
        b.saveAsFile(item, 1);
        b.favorite(item, 1);
        b.rename(item, 1);
        b.preview(item, 1);
        b.openInDefaultApplication(item, 2);
        b.openWith(item, 2);
        b.paletteTail(item, 3);
        break;
    case ClipboardKind::file:
        if (item.filePaths.size() >= 2) {
            const int n = int(item.filePaths.size());
            b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste %d Items to %@"), {n}), pasteSymbol,
                p.pasteSelectedShortcut, item);
            b.copy(
                ID::copy, localized(QStringLiteral("Copy %d Items to Clipboard"), {n}), p.copySelectedShortcut, item);
            b.favorite(item, 1);
            b.rename(item, 1);
            b.preview(item, 1);
            b.paletteTail(item, 2);
            break;
        }
        b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), pasteSymbol, p.pasteSelectedShortcut, item);
        b.paste(ID::pastePath, b.pasteTitle(QStringLiteral("Paste Path to %@")), pasteSymbol,
            p.pasteSelectedSecondaryShortcut, item);
        b.copy(ID::copy, localized(QStringLiteral("Copy to Clipboard")), p.copySelectedShortcut, item);
        b.copy(
            ID::copyPath, localized(QStringLiteral("Copy Path to Clipboard")), p.copySelectedSecondaryShortcut, item);
        b.recognisedTexts(item, {}, 1);
        b.favorite(item, 1);
        b.rename(item, 1);
        b.preview(item, 1);
        b.showInFileManager(item, 2);
        b.openInDefaultApplication(item, 2);
        b.openWith(item, 2);
        b.paletteTail(item, 3);
        break;
    default:
        textCommands(item, b);
        textCopyPair(item, b);
        b.edit(item, 1);
        b.favorite(item, 1);
        b.rename(item, 1);
        b.add(ID::transform, localized(QStringLiteral("Transform...")), QStringLiteral("wand.and.sparkles"),
            p.transformItemShortcut, {item.id}, 1);
        b.split(item, 1);
        b.preview(item, 1);
        b.paletteTail(item, 2);
        break;
    }
    return b.entries;
}

} // namespace

Entry ItemCommandEntry::separator()
{
    Entry entry;
    entry.kind = Kind::separator;
    entry.image = Image::none;
    return entry;
}

ItemCommandRegistry::MenuVariant ItemCommandRegistry::menuVariant(const ClipboardItem &item)
{
    switch (ClipboardKind::Value(item.kind)) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return MenuVariant::text;
    case ClipboardKind::link:
        return MenuVariant::link;
    case ClipboardKind::email:
        return MenuVariant::email;
    case ClipboardKind::color:
        return MenuVariant::color;
    case ClipboardKind::image:
        return MenuVariant::image;
    case ClipboardKind::file:
        break;
    }
    // Whether the one file is still there is asked first: a gone image file is a missing file too.
    if (isMissingSingleFile(item))
        return MenuVariant::missingFile;
    if (item.filePaths.size() >= 2)
        return MenuVariant::multipleFiles;
    if (item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first()))
        return MenuVariant::imageFile;
    return MenuVariant::file;
}

QList<Entry> ItemCommandRegistry::itemMenu(const ClipboardItem &item, const ItemCommandContext &context)
{
    return makeItemMenu(item, context);
}

QList<Entry> ItemCommandRegistry::paletteCommands(
    const QList<ClipboardItem> &selection, const ItemCommandContext &context)
{
    if (selection.size() >= 2)
        return multiItemCommands(selection, context);
    if (selection.isEmpty()) {
        Builder b {context, {}};
        b.filter(0);
        b.settings(1);
        b.deleteAll(2);
        return b.entries;
    }
    return singleItemCommands(selection.first(), context);
}

QList<Entry> ItemCommandRegistry::selectionMenu(const QList<ClipboardItem> &items, const ItemCommandContext &context)
{
    QList<Entry> menu;
    if (items.isEmpty())
        return menu;
    const QList<QUuid> ids = idsOf(items);
    const auto tags = [&] {
        Entry parent;
        parent.kind = Entry::Kind::submenu;
        parent.id = ID::tags;
        parent.title = localized(QStringLiteral("Tags..."));
        parent.symbol = QStringLiteral("circle");
        parent.request = {ID::tags, ids};
        for (const Tag &tag : context.tags) {
            const auto carriers = std::count_if(
                items.cbegin(), items.cend(), [&](const ClipboardItem &item) { return item.tags.contains(tag.id); });
            Entry entry;
            entry.id = ID::applyTag;
            entry.title = tag.name;
            entry.image = Entry::Image::tagColor;
            entry.tagColor = tag.color;
            entry.check = carriers == items.size() ? Entry::Check::on
                : carriers > 0                     ? Entry::Check::mixed
                                                   : Entry::Check::off;
            entry.request = {ID::applyTag, ids, std::nullopt, tag.id};
            parent.submenu.append(std::move(entry));
        }
        if (!context.tags.isEmpty())
            parent.submenu.append(Entry::separator());
        parent.submenu.append(Builder::newTagEntry(ids));
        menu.append(std::move(parent));
    };

    std::optional<int> previousSection;
    bool tagsAdded = false;
    for (const Entry &command : multiItemCommands(items, context)) {
        if (command.id == ID::filterByType || command.id == ID::settings || command.id == ID::deleteAll)
            continue;
        if (previousSection && *previousSection != command.section) {
            menu.append(Entry::separator());
            if (!std::exchange(tagsAdded, true)) {
                tags();
                menu.append(Entry::separator());
            }
        }
        previousSection = command.section;
        menu.append(command);
    }
    if (!tagsAdded) {
        if (!menu.isEmpty())
            menu.append(Entry::separator());
        tags();
    }
    return menu;
}

QList<Entry> ItemCommandRegistry::previewActions(const QList<Entry> &itemMenu)
{
    // What the preview offers itself: editing, the favourite, the preview, pasting and copying.
    static constexpr ID offeredByThePreview[] = {ID::edit, ID::favorite, ID::preview, ID::paste, ID::pastePlainText,
        ID::pastePath, ID::copy, ID::copyPlainText, ID::copyPath, ID::copyTextFromImage, ID::copyTextFromQRCode};
    QList<Entry> entries;
    for (const Entry &entry : itemMenu) {
        if (entry.kind == Entry::Kind::submenu && entry.id == ID::tags)
            continue; // the preview has its own Tags menu
        if (entry.kind == Entry::Kind::command
            && std::find(std::begin(offeredByThePreview), std::end(offeredByThePreview), entry.id)
                != std::end(offeredByThePreview))
            continue;
        entries.append(entry);
    }
    tidySeparators(entries);
    return entries;
}

QList<Entry> ItemCommandRegistry::previewTags(const QList<Entry> &itemMenu)
{
    for (const Entry &entry : itemMenu) {
        if (entry.kind == Entry::Kind::submenu && entry.id == ID::tags)
            return entry.submenu;
    }
    return {};
}

QList<Entry> ItemCommandRegistry::toolbarActions(const QList<ClipboardItem> &selection)
{
    const auto action = [&](ID id, bool enabled = true) {
        Entry entry;
        entry.id = id;
        entry.isEnabled = enabled;
        entry.request = {id, idsOf(selection)};
        return entry;
    };
    const std::optional<ClipboardItem> single = selection.size() == 1 ? std::optional(selection.first()) : std::nullopt;
    const bool canMerge = selection.size() >= 2 && areMergeable(selection);
    QList<Entry> actions {action(ID::pasteItems, !selection.isEmpty())};
    if (single || canMerge)
        actions.append(action(ID::copyItems));
    if (single && single->kind == ClipboardKind::link && ClipboardItem::linkURL(single->text.value_or(QString())))
        actions.append(action(ID::openInBrowser));
    if (single && single->hasImageText())
        actions.append(action(ID::copyTextFromImage));
    if (single && single->hasQRCodeText())
        actions.append(action(ID::copyTextFromQRCode));
    if (canMerge)
        actions.append(action(ID::mergeItems));
    return actions;
}

void ItemCommandRegistry::tidySeparators(QList<Entry> &entries)
{
    QList<Entry> tidied;
    tidied.reserve(entries.size());
    for (Entry &entry : entries) {
        const bool separator = entry.kind == Entry::Kind::separator;
        if (separator && (tidied.isEmpty() || tidied.last().kind == Entry::Kind::separator))
            continue;
        tidied.append(std::move(entry));
    }
    if (!tidied.isEmpty() && tidied.last().kind == Entry::Kind::separator)
        tidied.removeLast();
    entries = std::move(tidied);
}

bool ItemCommandRegistry::runsWithPreviewOpen(ID id)
{
    return id == ID::applyTransform || id == ID::toggleTag;
}

bool ItemCommandRegistry::runsAfterPaletteCloses(ID id)
{
    // Delete All asks first, in a dialog of its own: asked from inside the palette's key or click, it would wait
    // there, in the middle of the palette's closing.
    return id == ID::edit || id == ID::preview || id == ID::saveAsFile || id == ID::pasteItemsWithSeparator
        || id == ID::deleteAll;
}

bool ItemCommandRegistry::areMergeable(const QList<ClipboardItem> &items)
{
    for (const ClipboardItem &item : items) {
        if (item.kind.isTextLike()) {
            if (!item.text)
                return false;
        } else if (item.kind != ClipboardKind::file || item.filePaths.isEmpty()) {
            return false;
        }
    }
    return true;
}

bool ItemCommandRegistry::isMissingSingleFile(const ClipboardItem &item)
{
    return item.kind == ClipboardKind::file && item.filePaths.size() == 1 && !QFileInfo::exists(item.filePaths.first());
}

void ItemCommandRegistry::sortTransformsByTitle(QList<ClipboardTextTransform> &transforms)
{
    const QCollator collator = interfaceCollator();
    QList<QPair<QString, ClipboardTextTransform>> keyed;
    keyed.reserve(transforms.size());
    for (const ClipboardTextTransform &transform : std::as_const(transforms))
        keyed.append({HistorySourceApplication::foldedName(transform.title()), transform});
    std::stable_sort(keyed.begin(), keyed.end(),
        [&](const auto &a, const auto &b) { return collator.compare(a.first, b.first) < 0; });
    for (qsizetype n = 0; n < keyed.size(); ++n)
        transforms[n] = keyed.at(n).second;
}
