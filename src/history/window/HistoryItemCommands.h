#pragma once

#include "HistoryItemContextMenu.h"
#include "HistoryKeyEvent.h"
#include "HistoryWindowCommands.h"
#include "ItemPreviewContentViews.h"
#include "PasteVariant.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <memory>

class AppCoordinator;
class AppModel;
class History;
class HistoryToolbar;
class ItemPreviewDialogPresenter;
struct ItemPreviewActions;
class QKeyEvent;
class TagDialogPresenter;

// The history window's item commands: the preview of an item (and editing in it), renaming, transforming, copying an
// image's text or QR code, saving an image, opening a link or a file, the second way of pasting and copying, copying
// the selection, filtering by type, the new-tag dialog and the right-click menu of one item. Each command checks what
// it needs of the item; a refusal becomes the model's last error, and the coordinator does the work. Commands that
// first close a palette or the preview finish on the next turn of the event loop, and only while this object lives.
// GUI thread only.
class HistoryItemCommands final : public QObject, public HistoryWindowCommands
{
    Q_OBJECT

public:
    // The desktop as the menus and the preview see it; the tag dialog is the shared sheet unless one is given.
    struct Desktop
    {
        HistoryItemMenuDesktop menus;
        PreviewEnvironment preview;
        TagDialogPresenter *tagDialogs = nullptr;
    };

    HistoryItemCommands(AppModel &model, AppCoordinator &coordinator, Desktop desktop, QObject *parent = nullptr);
    ~HistoryItemCommands() override;

    // The window's panel (the dialogs' parent), its list and its toolbar, once they exist; the toolbar may be none.
    void attach(QWidget &panel, History &list, HistoryToolbar *toolbar);

    ItemPreviewDialogPresenter &preview() const { return *m_preview; }
    QDialog *renameDialog() const { return m_renameDialog; }
    bool isNewTagSheetPresented() const { return m_isNewTagSheetPresented; }

    // HistoryWindowCommands
    void setCommandPalettes(HistoryCommandPalettes *palettes) override { m_palettes = palettes; }
    bool isCommandPaletteOpen() const override;
    bool isOverlayOpen() const override;
    bool hasJustClosedOverlay() const override;
    bool isModalSheetPresentationPending() const override { return m_isModalSheetPresentationPending; }
    void closeCommandPalette() override;
    void presentCommandPalette() override;
    void presentPreview(const ClipboardItem &item, bool beginEditing) override;
    void retargetPreview(const std::optional<ClipboardItem> &item) override;
    void refreshPreviewSheetItem() override;
    QWidget *attachedWindow() const override;

    void pasteSelectedSecondary() override;
    bool copySelected() override;
    bool copySelectedSecondary() override;
    void openInBrowser(const ClipboardItem &item) override;
    void editItem(const ClipboardItem &item) override;
    void renameItem(const ClipboardItem &item) override;
    void transformItem(const ClipboardItem &item) override;
    void filterHistoryByType() override;
    void copyTextFromImage(const ClipboardItem &item) override;
    void copyTextFromQRCode(const ClipboardItem &item) override;
    void saveImageAsFile(const ClipboardItem &item) override;
    void openWith(const ClipboardItem &item) override;
    void presentNewTagSheet(const QList<QUuid> &itemIDs) override;
    void showSeparatorPicker(const QList<QUuid> &itemIDs) override;
    void showCopySuccess() override;
    QMenu *makeItemContextMenu(const ClipboardItem &item, QWidget *parent) override;
    void fillContextMenu(QMenu &menu, const QList<ClipboardItem> &items) override;

    // Keys the open preview does not use: moving the list, editing, and the paste, copy and open-in-browser
    // shortcuts on the previewed item. True when the key was used.
    bool handlePreviewKeyDown(const HistoryKeyEvent &event);
    bool handlePreviewItemShortcut(const HistoryKeyEvent &event);

    // Primary and secondary ways of pasting or copying an item: the plain text of a text-like item when the
    // preferences ask for it (else as it is); the other way for text-like items, the path for a file, none for an
    // image.
    static PasteVariant primaryVariant(const ClipboardItem &item, bool preferPlainText);
    static std::optional<PasteVariant> secondaryVariant(const ClipboardItem &item, bool preferPlainText);

private:
    HistoryItemContextMenu makeContextMenu() const;
    // The preview's More Actions and Tags menus, made from the registry's list for the item.
    QMenu *previewActionsMenu(const ClipboardItem &item);
    QMenu *previewTagsMenu(const ClipboardItem &item);
    // The item's list as it is now; an empty one once this object is gone.
    std::function<ItemCommandMenuContent(const ClipboardItem &)> previewItemEntries();
    ItemPreviewActions previewActions();
    // Runs the work with the item as the model has it now, on the next turn, unless this object or the item is
    // gone by then.
    void later(const QUuid &id, std::function<void(const ClipboardItem &)> work);
    std::optional<ClipboardItem> freshItem(const QUuid &id) const;
    void copyRecognisedText(const ClipboardItem &item, bool available, const std::optional<QString> &text,
        const QString &missing, const QString &empty);
    bool hasOpenDialog() const;

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    Desktop m_desktop;
    HistoryCommandPalettes *m_palettes = nullptr;
    QPointer<QWidget> m_panel;
    QPointer<History> m_list;
    HistoryToolbar *m_toolbar = nullptr;
    std::unique_ptr<ItemCommandRunner> m_runner;
    std::unique_ptr<ItemPreviewDialogPresenter> m_preview;
    QPointer<QDialog> m_renameDialog;
    QPointer<QDialog> m_newTagSheet;
    bool m_isNewTagSheetPresented = false;
    bool m_isModalSheetPresentationPending = false;
};
