#include "HistoryCommandPaletteCommands.h"

#include "AppCoordinator.h"
#include "HistoryPasteTarget.h"
#include "Localization.h"

namespace ID = HistoryPaletteCommandID;

namespace {

struct Builder
{
    const HistoryCommandPaletteContext &context;
    const HistoryPaletteActionSink &sink;
    QList<CommandPaletteCommand> commands;

    CommandPaletteCommand &add(const QString &id, const QString &title, const QString &symbol,
        const std::optional<QString> &shortcut, int section, const QList<QUuid> &itemIDs)
    {
        CommandPaletteCommand command;
        command.id = id;
        command.title = title;
        command.systemImageName = symbol;
        if (shortcut && !shortcut->isEmpty())
            command.shortcut = shortcut;
        command.section = section;
        command.action = [sink = sink, request = HistoryPaletteRequest {id, itemIDs}] {
            if (sink)
                sink(request);
        };
        commands.append(std::move(command));
        return commands.last();
    }

    const AppPreferences &p() const { return context.preferences; }

    QString pasteTitle(const QString &english) const { return localized(english, {context.pasteTargetName}); }

    void paste(const QString &id, const QString &title, const QString &symbol, const QString &shortcut, int section,
        const ClipboardItem &item)
    {
        add(id, title, symbol, shortcut, section, {item.id}).image = context.pasteTargetIcon;
    }

    void copy(const QString &id, const QString &title, const QString &shortcut, int section, const ClipboardItem &item)
    {
        add(id, title, QStringLiteral("square.on.square"), shortcut, section, {item.id});
    }

    // The copy pair of text-like items: the preferred form first, with the main shortcut.
    void textCopyPair(const ClipboardItem &item)
    {
        const QString standard = localized(QStringLiteral("Copy to Clipboard"));
        const QString plain = localized(QStringLiteral("Copy as Plain Text to Clipboard"));
        if (p().preferPastingAsPlainText) {
            copy(ID::copyPlainText, plain, p().copySelectedShortcut, 0, item);
            copy(ID::copy, standard, p().copySelectedSecondaryShortcut, 0, item);
        } else {
            copy(ID::copy, standard, p().copySelectedShortcut, 0, item);
            copy(ID::copyPlainText, plain, p().copySelectedSecondaryShortcut, 0, item);
        }
    }

    void favorite(const ClipboardItem &item, int section)
    {
        add(ID::favorite,
            localized(item.isFavorite ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites")),
            QStringLiteral("star"), p().toggleFavoriteShortcut, section, {item.id});
    }
    void rename(const ClipboardItem &item, int section)
    {
        add(ID::rename, localized(QStringLiteral("Rename...")), QStringLiteral("rectangle.and.pencil.and.ellipsis"),
            p().renameItemShortcut, section, {item.id});
    }
    void transform(const ClipboardItem &item, int section)
    {
        add(ID::transform, localized(QStringLiteral("Transform...")), QStringLiteral("wand.and.sparkles"),
            p().transformItemShortcut, section, {item.id});
    }
    void split(const ClipboardItem &item, int section)
    {
        if (AppCoordinator::trimmedTextLines(item).size() >= 2)
            add(ID::split, localized(QStringLiteral("Split")),
                QStringLiteral("arrow.up.and.line.horizontal.and.arrow.down"), std::nullopt, section, {item.id});
    }
    void edit(const ClipboardItem &item, int section)
    {
        add(ID::edit, localized(QStringLiteral("Edit...")), QStringLiteral("square.and.pencil"), p().editItemShortcut,
            section, {item.id});
    }
    void preview(const ClipboardItem &item, int section)
    {
        add(ID::preview, localized(QStringLiteral("Preview")), QStringLiteral("eye"), QStringLiteral("space"), section,
            {item.id});
    }
    // The two recognised texts act on the item selected when they run.
    void recognisedTexts(const ClipboardItem &item, int section)
    {
        if (item.hasImageText())
            add(ID::copyTextFromImage, localized(QStringLiteral("Copy Text from Image")),
                QStringLiteral("text.viewfinder"), std::nullopt, section, {});
        if (item.hasQRCodeText())
            add(ID::copyTextFromQRCode, localized(QStringLiteral("Copy Text from QR Code")),
                QStringLiteral("qrcode.viewfinder"), std::nullopt, section, {});
    }
    void saveAsFile(const ClipboardItem &item, int section)
    {
        add(ID::saveAsFile, localized(QStringLiteral("Save as File...")), QStringLiteral("square.and.arrow.down"),
            std::nullopt, section, {item.id});
    }
    void openInDefaultApplication(const ClipboardItem &item, int section)
    {
        const QString title = context.defaultApplicationName
            ? localized(QStringLiteral("Open in %@"), {*context.defaultApplicationName})
            : localized(QStringLiteral("Open"));
        add(ID::openInDefaultApplication, title, QStringLiteral("app"), std::nullopt, section, {item.id}).image
            = context.defaultApplicationName ? context.defaultApplicationIcon : QImage();
    }
    void openWith(const ClipboardItem &item, int section)
    {
        add(ID::openWith, localized(QStringLiteral("Open With...")), QStringLiteral("square.and.arrow.up"),
            std::nullopt, section, {item.id});
    }
    void showInFileManager(const ClipboardItem &item, int section)
    {
        add(ID::showInFileManager, localized(QStringLiteral("Show in File Manager")), QStringLiteral("folder"),
            p().showInFinderShortcut, section, {item.id})
            .image
            = context.fileManagerIcon;
    }
    void filter(int section)
    {
        add(ID::filterByType, localized(QStringLiteral("Filter by Type...")),
            QStringLiteral("line.3.horizontal.decrease"), p().filterHistoryByTypeShortcut, section, {});
    }
    void settings(int section)
    {
        add(ID::settings, localized(QStringLiteral("Settings...")), QStringLiteral("gearshape"),
            p().openSettingsShortcut, section, {});
    }
    void deleteItem(const ClipboardItem &item, int section)
    {
        add(ID::deleteItem, localized(QStringLiteral("Delete")), QStringLiteral("trash"), p().deleteItemShortcut,
            section, {item.id})
            .isDestructive
            = true;
    }
    void deleteAll(int section)
    {
        add(ID::deleteAll, localized(QStringLiteral("Delete All")), QStringLiteral("trash"), std::nullopt, section, {})
            .isDestructive
            = true;
    }
    // Filter, settings, then the two deletions, from the section given on.
    void tail(const ClipboardItem &item, int section)
    {
        filter(section);
        settings(section + 1);
        deleteItem(item, section + 2);
        deleteAll(section + 2);
    }
};

QList<QUuid> idsOf(const QList<ClipboardItem> &items)
{
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const ClipboardItem &item : items)
        ids.append(item.id);
    return ids;
}

} // namespace

bool HistoryCommandPaletteCommands::areMergeable(const QList<ClipboardItem> &items)
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

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeCommandPaletteCommands(
    const QList<ClipboardItem> &selectedItems, const HistoryCommandPaletteContext &context,
    const HistoryPaletteActionSink &sink)
{
    if (selectedItems.size() >= 2)
        return makeMultiItemCommands(selectedItems, context, sink);
    if (selectedItems.isEmpty())
        return makeNoSelectionCommands(context, sink);
    const ClipboardItem &item = selectedItems.first();
    if (HistoryPasteTarget::isMissingSingleFile(item))
        return makeMissingFileCommands(item, context, sink);
    switch (item.kind) {
    case ClipboardKind::link:
        return makeLinkCommands(item, context, sink);
    case ClipboardKind::image:
        return makeImageCommands(item, context, sink);
    case ClipboardKind::file:
        return item.filePaths.size() < 2 ? makeFileCommands(item, context, sink)
                                         : makeMultipleFilesCommands(item, context, sink);
    default:
        return makeTextCommands(item, context, sink);
    }
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeMultiItemCommands(const QList<ClipboardItem> &items,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const QList<QUuid> ids = idsOf(items);
    const int n = int(items.size());
    const QString pasteSymbol = QStringLiteral("arrow.turn.down.left");
    b.add(ID::pasteItems, localized(QStringLiteral("Paste %d Items to %@"), {n, context.pasteTargetName}), pasteSymbol,
         context.preferences.pasteSelectedShortcut, 0, ids)
        .image
        = context.pasteTargetIcon;
    b.add(ID::pasteItemsWithSeparator,
         localized(QStringLiteral("Paste %d Items to %@ with Separator..."), {n, context.pasteTargetName}), pasteSymbol,
         std::nullopt, 0, ids)
        .image
        = context.pasteTargetIcon;
    if (areMergeable(items)) {
        b.add(ID::copyItems, localized(QStringLiteral("Copy %d Items to Clipboard"), {n}),
            QStringLiteral("square.on.square"), context.preferences.copySelectedShortcut, 0, ids);
        b.add(ID::mergeItems, localized(QStringLiteral("Merge %d Items"), {n}),
            QStringLiteral("arrow.down.and.line.horizontal.and.arrow.up"), std::nullopt, 0, ids);
    }
    const bool allFavorites
        = std::all_of(items.cbegin(), items.cend(), [](const auto &item) { return item.isFavorite; });
    b.add(allFavorites ? ID::unfavoriteItems : ID::favoriteItems,
        localized(allFavorites ? QStringLiteral("Remove %d Items from Favorites")
                               : QStringLiteral("Add %d Items to Favorites"),
            {n}),
        QStringLiteral("star"), context.preferences.toggleFavoriteShortcut, 1, ids);
    b.filter(2);
    b.settings(3);
    b.add(ID::deleteItems, localized(QStringLiteral("Delete %d Items"), {n}), QStringLiteral("trash"),
         context.preferences.deleteItemShortcut, 4, ids)
        .isDestructive
        = true;
    b.deleteAll(4);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeNoSelectionCommands(
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    b.filter(0);
    b.settings(1);
    b.deleteAll(2);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeTextCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    const auto standard = [&](const QString &shortcut) {
        b.paste(
            ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), QStringLiteral("textformat"), shortcut, 0, item);
    };
    const auto plain = [&](const QString &shortcut) {
        b.paste(ID::pastePlainText, b.pasteTitle(QStringLiteral("Paste as Plain Text to %@")),
            QStringLiteral("arrow.turn.down.left"), shortcut, 0, item);
    };
    if (p.preferPastingAsPlainText) {
        plain(p.pasteSelectedShortcut);
        standard(p.pasteSelectedSecondaryShortcut);
    } else {
        standard(p.pasteSelectedShortcut);
        plain(p.pasteSelectedSecondaryShortcut);
    }
    b.textCopyPair(item);
    b.edit(item, 1);
    b.favorite(item, 1);
    b.rename(item, 1);
    b.transform(item, 1);
    b.split(item, 1);
    b.preview(item, 1);
    b.tail(item, 2);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeLinkCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    // One paste, as plain text, under whichever shortcut pastes a text kind as plain text.
    b.paste(ID::pastePlainText, b.pasteTitle(QStringLiteral("Paste to %@")), QStringLiteral("arrow.turn.down.left"),
        p.preferPastingAsPlainText ? p.pasteSelectedShortcut : p.pasteSelectedSecondaryShortcut, 0, item);
    b.textCopyPair(item);
    b.add(ID::openInBrowser, localized(QStringLiteral("Open in Browser")), QStringLiteral("safari"),
        p.openInBrowserShortcut, 1, {item.id});
    if (p.showPreviewForLinks)
        b.add(ID::updateLinkPreview, localized(QStringLiteral("Update Link Preview")),
            QStringLiteral("arrow.clockwise"), std::nullopt, 1, {item.id});
    b.edit(item, 2);
    b.favorite(item, 2);
    b.rename(item, 2);
    b.transform(item, 2);
    b.preview(item, 2);
    b.tail(item, 3);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeImageCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), QStringLiteral("arrow.turn.down.left"),
        p.pasteSelectedShortcut, 0, item);
    b.copy(ID::copy, localized(QStringLiteral("Copy to Clipboard")), p.copySelectedShortcut, 0, item);
    b.recognisedTexts(item, 1);
    b.saveAsFile(item, 1);
    b.favorite(item, 1);
    b.rename(item, 1);
    b.preview(item, 1);
    b.openInDefaultApplication(item, 2);
    b.openWith(item, 2);
    b.tail(item, 3);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeFileCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    const QString symbol = QStringLiteral("arrow.turn.down.left");
    b.paste(ID::paste, b.pasteTitle(QStringLiteral("Paste to %@")), symbol, p.pasteSelectedShortcut, 0, item);
    b.paste(ID::pastePath, b.pasteTitle(QStringLiteral("Paste Path to %@")), symbol, p.pasteSelectedSecondaryShortcut,
        0, item);
    b.copy(ID::copy, localized(QStringLiteral("Copy to Clipboard")), p.copySelectedShortcut, 0, item);
    b.copy(ID::copyPath, localized(QStringLiteral("Copy Path to Clipboard")), p.copySelectedSecondaryShortcut, 0, item);
    b.recognisedTexts(item, 1);
    b.favorite(item, 1);
    b.rename(item, 1);
    b.preview(item, 1);
    b.showInFileManager(item, 2);
    b.openInDefaultApplication(item, 2);
    b.openWith(item, 2);
    b.tail(item, 3);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeMultipleFilesCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    const int n = int(item.filePaths.size());
    b.paste(ID::paste, localized(QStringLiteral("Paste %d Items to %@"), {n, context.pasteTargetName}),
        QStringLiteral("arrow.turn.down.left"), p.pasteSelectedShortcut, 0, item);
    b.copy(ID::copy, localized(QStringLiteral("Copy %d Items to Clipboard"), {n}), p.copySelectedShortcut, 0, item);
    b.favorite(item, 1);
    b.rename(item, 1);
    b.preview(item, 1);
    b.tail(item, 2);
    return b.commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeMissingFileCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    Builder b {context, sink, {}};
    const AppPreferences &p = context.preferences;
    b.paste(ID::pastePath, b.pasteTitle(QStringLiteral("Paste Path to %@")), QStringLiteral("arrow.turn.down.left"),
        p.pasteSelectedSecondaryShortcut, 0, item);
    b.copy(ID::copyPath, localized(QStringLiteral("Copy Path to Clipboard")), p.copySelectedSecondaryShortcut, 0, item);
    b.recognisedTexts(item, 1);
    b.favorite(item, 1);
    b.rename(item, 1);
    b.preview(item, 1);
    b.tail(item, 2);
    return b.commands;
}
