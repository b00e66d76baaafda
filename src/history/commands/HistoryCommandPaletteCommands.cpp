#include "HistoryCommandPaletteCommands.h"

#include "ItemCommandID.h"

ItemCommandContext HistoryCommandPaletteCommands::registryContext(const HistoryCommandPaletteContext &context)
{
    ItemCommandContext made;
    made.preferences = context.preferences;
    made.pasteTargetName = context.pasteTargetName;
    made.defaultApplicationName = context.defaultApplicationName;
    return made;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeCommands(const QList<ItemCommandEntry> &entries,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink)
{
    using Image = ItemCommandEntry::Image;
    QList<CommandPaletteCommand> commands;
    commands.reserve(entries.size());
    for (const ItemCommandEntry &entry : entries) {
        if (entry.kind != ItemCommandEntry::Kind::command)
            continue;
        CommandPaletteCommand command;
        command.id = itemCommandName(entry.id);
        command.title = entry.title;
        command.systemImageName = entry.symbol;
        command.shortcut = entry.shortcut;
        command.section = entry.section;
        command.isDestructive = entry.isDestructive;
        if (entry.image == Image::pasteTarget)
            command.image = context.pasteTargetIcon;
        else if (entry.image == Image::fileManager)
            command.image = context.fileManagerIcon;
        else if (entry.image == Image::defaultApplication)
            command.image = context.defaultApplicationIcon;
        HistoryPaletteRequest request;
        static_cast<ItemCommandRequest &>(request) = entry.request;
        command.action = [sink, request] {
            if (sink)
                sink(request);
        };
        commands.append(std::move(command));
    }
    return commands;
}

QList<CommandPaletteCommand> HistoryCommandPaletteCommands::makeCommandPaletteCommands(
    const QList<ClipboardItem> &selectedItems, const HistoryCommandPaletteContext &context,
    const HistoryPaletteActionSink &sink)
{
    return makeCommands(ItemCommandRegistry::paletteCommands(selectedItems, registryContext(context)), context, sink);
}
