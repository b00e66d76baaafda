#pragma once

#include "AppPreferences.h"
#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "CommandPaletteRows.h"
#include "HistoryFilterContentType.h"
#include "PasteSeparator.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

// What a palette command asks for when it is chosen: the command's id and the items it works on, by id. Whoever
// carries it out reads the items afresh and skips those that are gone. Pickers add the choice they stand for.
struct HistoryPaletteRequest
{
    QString commandID;
    QList<QUuid> itemIDs;
    std::optional<PasteSeparator> separator; // separator picker
    std::optional<ClipboardTextTransform> transform; // transform picker
    QUrl applicationURL; // application picker: the desktop entry's file URL
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

// The ids of the action lists' commands.
namespace HistoryPaletteCommandID {
inline const QString paste = QStringLiteral("paste");
inline const QString pastePlainText = QStringLiteral("pastePlainText");
inline const QString pastePath = QStringLiteral("pastePath");
inline const QString copy = QStringLiteral("copy");
inline const QString copyPlainText = QStringLiteral("copyPlainText");
inline const QString copyPath = QStringLiteral("copyPath");
inline const QString pasteItems = QStringLiteral("pasteItems");
inline const QString pasteItemsWithSeparator = QStringLiteral("pasteItemsWithSeparator");
inline const QString copyItems = QStringLiteral("copyItems");
inline const QString mergeItems = QStringLiteral("mergeItems");
inline const QString favoriteItems = QStringLiteral("favoriteItems");
inline const QString unfavoriteItems = QStringLiteral("unfavoriteItems");
inline const QString deleteItems = QStringLiteral("deleteItems");
inline const QString favorite = QStringLiteral("favorite");
inline const QString rename = QStringLiteral("rename");
inline const QString transform = QStringLiteral("transform");
inline const QString split = QStringLiteral("split");
inline const QString edit = QStringLiteral("edit");
inline const QString preview = QStringLiteral("preview");
inline const QString copyTextFromImage = QStringLiteral("copyTextFromImage");
inline const QString copyTextFromQRCode = QStringLiteral("copyTextFromQRCode");
inline const QString saveAsFile = QStringLiteral("saveAsFile");
inline const QString openInDefaultApplication = QStringLiteral("openInDefaultApplication");
inline const QString openWith = QStringLiteral("openWith");
inline const QString showInFileManager = QStringLiteral("showInFileManager");
inline const QString openInBrowser = QStringLiteral("openInBrowser");
inline const QString updateLinkPreview = QStringLiteral("updateLinkPreview");
inline const QString filterByType = QStringLiteral("filterByType");
inline const QString settings = QStringLiteral("settings");
inline const QString deleteItem = QStringLiteral("delete");
inline const QString deleteAll = QStringLiteral("deleteAll");
// Pickers: the choice follows the prefix ("separator.keyDown", "transform.12", "type.images", "application.<path>").
inline const QString separatorPrefix = QStringLiteral("separator.");
inline const QString transformPrefix = QStringLiteral("transform.");
inline const QString applicationPrefix = QStringLiteral("application.");
inline const QString typePrefix = QStringLiteral("type.");
} // namespace HistoryPaletteCommandID

// The actions palette's lists. Each command's action hands its request to the sink; the items are named by id.
namespace HistoryCommandPaletteCommands {

// The list for the selection: several items, none, a file that is gone, or by the single item's kind.
QList<CommandPaletteCommand> makeCommandPaletteCommands(const QList<ClipboardItem> &selectedItems,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);

QList<CommandPaletteCommand> makeMultiItemCommands(const QList<ClipboardItem> &items,
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeNoSelectionCommands(
    const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeTextCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeLinkCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeImageCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeFileCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeMultipleFilesCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);
QList<CommandPaletteCommand> makeMissingFileCommands(
    const ClipboardItem &item, const HistoryCommandPaletteContext &context, const HistoryPaletteActionSink &sink);

// Every item has text to merge: a text-like item with text, or a file item with at least one path.
bool areMergeable(const QList<ClipboardItem> &items);

} // namespace HistoryCommandPaletteCommands
