#pragma once

#include "ClipboardItem.h"

#include <QList>
#include <QUrl>
#include <QUuid>

class QMenu;
class QWidget;

// The command palettes over the history window: the actions for the selection and the pickers some commands open
// (separators, transforms, applications, content types). One palette is open at a time; closing it is synchronous
// and happens once.
class HistoryCommandPalettes
{
public:
    virtual ~HistoryCommandPalettes() = default;

    virtual bool isOpen() const = 0;
    // Closes the open palette; nothing when none is open.
    virtual void close() = 0;
    // The actions palette for the current selection.
    virtual void presentActions() = 0;
    // The pickers; each applies what the user picks.
    virtual void showTransformPicker(const ClipboardItem &item) = 0;
    virtual void showTypePicker() = 0;
    // The separators for pasting these items one after another.
    virtual void showSeparatorPicker(const QList<QUuid> &itemIDs) = 0;
    // The applications that can open the item's file, default first; false (and nothing shown) when there are none.
    virtual bool showApplicationPicker(const ClipboardItem &item, const QUrl &fileURL) = 0;
    // The right-click menu for two or more rows, as the command registry lists it for them.
    virtual QMenu *makeMultiItemContextMenu(const QList<ClipboardItem> &items, QWidget *parent) = 0;
};
