#pragma once

#include "ClipboardItem.h"
#include "CommandPaletteRows.h"
#include "HistoryCommandPaletteCommands.h"
#include "HistoryFilterContentType.h"

#include <QList>
#include <QSet>
#include <QUrl>
#include <QUuid>

class DefaultApplications;

// The palettes some commands open for a second choice: the separator between items pasted one after another, a
// text transform, an application to open a file with, the content types to filter by. Each command hands its
// request, with the choice, to the sink.
namespace HistoryCommandPalettePickers {

// The seven separators in their order under "Separator", "None" first.
QList<CommandPaletteCommand> makeSeparatorCommands(const QList<QUuid> &itemIDs, const HistoryPaletteActionSink &sink);
// Every text transform by its title in the interface language, each with its description and no icon.
QList<CommandPaletteCommand> makeTransformCommands(const QUuid &itemID, const HistoryPaletteActionSink &sink);
// The default application for the URL under "Default", then the others that can open it under "Recommended",
// sorted by name; each application once. Empty when the desktop knows none.
QList<CommandPaletteCommand> makeOpenWithApplicationCommands(const QUuid &itemID, const QUrl &url,
    const DefaultApplications &applications, const HistoryPaletteActionSink &sink);
// The eight content types under "Filter by Type", the ones in the filter checked ("All Types" when it is empty);
// choosing one takes a checked type out of the filter and adds an unchecked one.
QList<CommandPaletteCommand> makeTypeFilterCommands(
    const QSet<HistoryFilterContentType> &selectedTypes, const HistoryPaletteActionSink &sink);

} // namespace HistoryCommandPalettePickers
