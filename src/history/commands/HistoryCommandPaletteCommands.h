#pragma once

#include "AppPreferences.h"
#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "CommandPaletteRows.h"
#include "HistoryFilterContentType.h"
#include "ItemCommandRegistry.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

// What a palette command asks for when it is chosen: the item command with the items it works on, by id, and the
// choice a picker stands for. Whoever carries it out reads the items afresh and skips those that are gone. The type
// picker's choices are no item command: they set the filter.
struct HistoryPaletteRequest : ItemCommandRequest
{
    std::optional<HistoryFilterContentType> contentType; // type picker
    bool select = false; // type picker: add the type to the filter (true) or take it out

    bool operator==(const HistoryPaletteRequest &) const = default;
};

using HistoryPaletteActionSink = std::function<void(const HistoryPaletteRequest &)>;

// What the action lists are built from, read once when a list is built.
struct HistoryCommandPaletteContext
{
    AppPreferences preferences;
    QString pasteTargetName; // "Active App" when there is no paste target
    QImage pasteTargetIcon;
    QImage fileManagerIcon;
    // The application that opens the selected item's file or address; no name when there is none.
    std::optional<QString> defaultApplicationName;
    QImage defaultApplicationIcon;
};

// The actions palette's lists: the command registry's entries for the selection as palette commands. Each command
// is known by its id's name and hands its request to the sink; the items are named by id.
namespace HistoryCommandPaletteCommands {

// The list for the selection: several items, none, a file that is gone, or by the single item's kind.
QList<CommandPaletteCommand> makeCommandPaletteCommands(const QList<ClipboardItem> &selectedItems,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
// The registry's entries as palette commands.
QList<CommandPaletteCommand> makeCommands(const QList<ItemCommandEntry> &entries,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
// What the registry's lists are made from.
ItemCommandContext registryContext(const HistoryCommandPaletteContext &context);

} // namespace HistoryCommandPaletteCommands
