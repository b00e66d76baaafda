#pragma once

#include "AppPreferences.h"
#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "ItemCommandID.h"
#include "PasteSeparator.h"
#include "Tag.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// What running a command asks for: the command, the items it works on by id (read afresh when it runs), and the
// choice an entry stands for (a transform, a tag, a separator, an application).
struct ItemCommandRequest
{
    ItemCommandID id = ItemCommandID::paste;
    QList<QUuid> itemIDs;
    std::optional<ClipboardTextTransform> transform;
    std::optional<qint64> tagID;
    std::optional<PasteSeparator> separator;
    QUrl applicationURL; // an application's desktop entry

    bool operator==(const ItemCommandRequest &) const = default;
};

// One entry of a command list as a surface shows it: a command, a separator (menus) or a submenu.
struct ItemCommandEntry
{
    enum class Kind { command, separator, submenu };
    // The picture beside the title: the named symbol, or an image the surface looks up.
    enum class Image { symbol, none, pasteTarget, defaultApplication, fileManager, tagColor };
    // Whether an entry shows a check mark; "mixed" is a tag that some of the items carry.
    enum class Check { none, off, mixed, on };

    Kind kind = Kind::command;
    ItemCommandID id = ItemCommandID::paste;
    QString title; // in the interface language
    QString symbol; // a symbol name (Symbols)
    Image image = Image::symbol;
    std::optional<QString> shortcut; // shortcut text of the window shortcut that does the same
    bool isEnabled = true;
    bool isDestructive = false;
    Check check = Check::none;
    int section = 0; // the palette draws a divider where it changes
    QString tagColor; // the tag's colour text, for Image::tagColor
    ItemCommandRequest request;
    QList<ItemCommandEntry> submenu;

    bool operator==(const ItemCommandEntry &) const = default;
    static ItemCommandEntry separator();
};

// What the lists are made from besides the items, read once when a list is made.
struct ItemCommandContext
{
    AppPreferences preferences;
    QString pasteTargetName; // "Active App" when there is no paste target
    // The application that opens the item's file or address; none when there is none.
    std::optional<QString> defaultApplicationName;
    QList<Tag> tags; // in the order the Tags menus show them
    bool canSplit = true; // the one-item menu offers Split only while its actions can run
};

// The registry of item commands: for each selection (its kind, the number of items, favourite, tags, a file that is
// gone, recognised text, link previews) the entries each surface shows, in their order, with title, symbol, key,
// enabled state and destructive flag. Every surface is a view of these lists and keeps none of its own.
namespace ItemCommandRegistry {

// The nine lists of the one-item menu, by the kind and the files of the item.
enum class MenuVariant { text, link, email, color, image, missingFile, multipleFiles, imageFile, file };
MenuVariant menuVariant(const ClipboardItem &item);

// The right-click menu of one item, with separators and the Transform and Tags submenus.
QList<ItemCommandEntry> itemMenu(const ClipboardItem &item, const ItemCommandContext &context);
// The actions palette for the selection (several items, none, a file that is gone, or by the one item's kind);
// its entries carry sections instead of separators.
QList<ItemCommandEntry> paletteCommands(const QList<ClipboardItem> &selection, const ItemCommandContext &context);
// The right-click menu of two or more rows: the several-items palette list without the commands that are not
// about the items, with the Tags submenu after the first group.
QList<ItemCommandEntry> selectionMenu(const QList<ClipboardItem> &items, const ItemCommandContext &context);
// The preview's More Actions: the item's menu without what the preview offers itself and without the Tags
// submenu, its separators tidied.
QList<ItemCommandEntry> previewActions(const QList<ItemCommandEntry> &itemMenu);
// The preview's Tags menu: the entries of the item menu's Tags submenu; none without one.
QList<ItemCommandEntry> previewTags(const QList<ItemCommandEntry> &itemMenu);

// The toolbar's item actions for the selection the list shows, in the toolbar's order, each only where the toolbar
// shows it: Paste (enabled with a selection), Copy (one item, or several that merge), Open in Browser (one link with
// an address), the two recognised texts (one item that has them), Merge (several that merge). The toolbar writes
// their titles and pictures itself.
QList<ItemCommandEntry> toolbarActions(const QList<ClipboardItem> &selection);

// No separator first, last or next to another one.
void tidySeparators(QList<ItemCommandEntry> &entries);
// The commands the preview's menus run with the preview left open (a transform, a tag's toggle); the others close
// it first.
bool runsWithPreviewOpen(ItemCommandID id);
// The commands a palette runs only once it has closed, since they show a sheet, a dialog or another palette.
bool runsAfterPaletteCloses(ItemCommandID id);

// Every item has text to merge: a text-like item with text, or a file item with at least one path.
bool areMergeable(const QList<ClipboardItem> &items);
// A file item with exactly one path, where there is no file now. Items of several files are never tested.
bool isMissingSingleFile(const ClipboardItem &item);
// By title, without regard to case and accents, in the interface language; equal titles keep their order.
void sortTransformsByTitle(QList<ClipboardTextTransform> &transforms);

} // namespace ItemCommandRegistry
