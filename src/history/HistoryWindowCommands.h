#pragma once

#include "ClipboardItem.h"

#include <QList>
#include <QUuid>

#include <optional>

class AppCoordinator;
class AppModel;
class HistoryCommandPalettes;
class QMenu;
class QWidget;

// The history window's commands that its overlays and item commands carry out: the command palette, the preview,
// the rename and new-tag fields, and the item commands that need them. Key dispatch and the list reach them through
// this interface. The plain set below does what a window without those overlays can do.
class HistoryWindowCommands
{
public:
    virtual ~HistoryWindowCommands() = default;

    // The palettes the commands open; not owned, set once by the window before any command runs.
    virtual void setCommandPalettes(HistoryCommandPalettes *palettes) = 0;

    // Overlays on the window: while one is open, keys go to it and losing the focus does not hide the window.
    virtual bool isCommandPaletteOpen() const = 0;
    virtual bool isOverlayOpen() const = 0;
    virtual bool isModalSheetPresentationPending() const = 0;
    virtual void closeCommandPalette() = 0;
    virtual void presentCommandPalette() = 0;
    virtual void presentPreview(const ClipboardItem &item, bool beginEditing) = 0;
    // The open preview follows the list's selection (nothing when there is none), and a changed or removed item.
    virtual void retargetPreview(const std::optional<ClipboardItem> &item) = 0;
    virtual void refreshPreviewSheetItem() = 0;

    // Item commands on the selection or the selected item. Copying answers whether the clipboard was written.
    virtual void pasteSelectedSecondary() = 0;
    virtual bool copySelected() = 0;
    virtual bool copySelectedSecondary() = 0;
    virtual void openInBrowser(const ClipboardItem &item) = 0;
    virtual void editItem(const ClipboardItem &item) = 0;
    virtual void renameItem(const ClipboardItem &item) = 0;
    virtual void transformItem(const ClipboardItem &item) = 0;
    virtual void filterHistoryByType() = 0;
    virtual void copyTextFromImage(const ClipboardItem &item) = 0;
    virtual void copyTextFromQRCode(const ClipboardItem &item) = 0;
    virtual void saveImageAsFile(const ClipboardItem &item) = 0;
    virtual void openWith(const ClipboardItem &item) = 0;
    // The new-tag dialog for these items (read afresh by id when the tag is applied).
    virtual void presentNewTagSheet(const QList<QUuid> &itemIDs) = 0;

    // The right-click menu of one item; the caller owns it (parented to parent when given).
    virtual QMenu *makeItemContextMenu(const ClipboardItem &item, QWidget *parent) = 0;
};

// The commands of a window without overlays of its own: copying and pasting in the other variant, and opening a
// link, go to the coordinator; the palettes open when the window has them; the preview, editing, renaming and the
// other item commands do nothing.
class PlainHistoryWindowCommands final : public HistoryWindowCommands
{
public:
    PlainHistoryWindowCommands(AppModel &model, AppCoordinator &coordinator)
        : m_model(model), m_coordinator(coordinator)
    { }

    void setCommandPalettes(HistoryCommandPalettes *palettes) override { m_palettes = palettes; }
    bool isCommandPaletteOpen() const override;
    bool isOverlayOpen() const override { return false; }
    bool isModalSheetPresentationPending() const override { return false; }
    void closeCommandPalette() override;
    void presentCommandPalette() override;
    void presentPreview(const ClipboardItem &, bool) override { }
    void retargetPreview(const std::optional<ClipboardItem> &) override { }
    void refreshPreviewSheetItem() override { }

    void pasteSelectedSecondary() override;
    bool copySelected() override;
    bool copySelectedSecondary() override;
    void openInBrowser(const ClipboardItem &item) override;
    void editItem(const ClipboardItem &) override { }
    void renameItem(const ClipboardItem &) override { }
    void transformItem(const ClipboardItem &item) override;
    void filterHistoryByType() override;
    void copyTextFromImage(const ClipboardItem &) override { }
    void copyTextFromQRCode(const ClipboardItem &) override { }
    void saveImageAsFile(const ClipboardItem &) override { }
    void openWith(const ClipboardItem &) override { }
    void presentNewTagSheet(const QList<QUuid> &) override { }
    QMenu *makeItemContextMenu(const ClipboardItem &, QWidget *) override { return nullptr; }

private:
    AppModel &m_model;
    AppCoordinator &m_coordinator;
    HistoryCommandPalettes *m_palettes = nullptr;
};
