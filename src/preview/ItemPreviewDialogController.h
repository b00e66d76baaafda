#pragma once

#include "ClipboardItem.h"
#include "ItemPreviewContentViews.h"
#include "ItemPreviewToolbar.h"
#include "PreviewContent.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ItemPreviewDetailsView;
class QKeyEvent;
class QMenu;

// The root view of the preview: it paints the text background and takes the keys that the preview handles.
class ItemPreviewKeyHandlingView final : public QWidget
{
    Q_OBJECT

public:
    explicit ItemPreviewKeyHandlingView(QWidget *parent = nullptr);

    std::function<void()> onCancel; // Space
    std::function<void()> onEscape;
    std::function<bool(QKeyEvent *)> onKeyDown; // any other key; true when it was used
    std::function<bool()> onSaveKeyEquivalent; // Ctrl+S; true when it was used
    std::function<void()> onLayout; // after each layout pass

    // The preview's handling of a key, wherever in the preview it was pressed; true when it was used.
    bool handleKey(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};

// The controller of the item preview: it picks the content for the item, builds its view above the details
// panel, works out the size the window should have, keeps the preview current as the host hands it changed or
// other items, and sends the toolbar's actions to the host's callbacks. Editing the text is a later addition: the
// Edit, Restore and Save requests and Ctrl+S reach the editing hooks below.
class ItemPreviewDialogController final : public QObject, public ItemPreviewToolbarDelegate
{
    Q_OBJECT

public:
    // The space around the content, on each side.
    static constexpr int contentInset = 6;

    ItemPreviewDialogController(const ClipboardItem &item, QSizeF maximumContentSize,
        PreviewEnvironment environment = {}, ItemPreviewToolbar::ApplicationLookup applications = {},
        QObject *parent = nullptr);
    ~ItemPreviewDialogController() override;

    const ClipboardItem &item() const { return m_item; }
    QSizeF maximumContentSize() const { return m_maximumContentSize; }
    ItemPreviewToolbar &toolbar() { return m_toolbar; }
    // The root view, built on first use (which also computes windowContentSize). The caller's window owns it.
    ItemPreviewKeyHandlingView *view();
    QSize windowContentSize() const { return m_windowContentSize; }
    bool hasUserResizedWindow() const { return m_hasUserResizedWindow; }

    void updateItem(const ClipboardItem &item);
    // The user ended resizing the window; from now on a new item keeps the window's size.
    void windowDidEndLiveResize(QSize contentSize);
    // Escape and the close button: closes unless an edit is in progress (then the editing hook decides).
    void handleCancel();

    // Editing hooks, for the editor that a later change adds. While editing, new items wait until it ends.
    bool isEditing() const { return m_toolbar.isEditing; }
    void beginEditing(bool closesWhenEditingEnds);
    std::function<void(bool closesWhenEditingEnds)> onBeginEditing;
    std::function<void()> onRestoreEditing;
    std::function<bool()> onSaveEditing; // Save and Ctrl+S while editing; true when it saved
    std::function<void()> onCancelEditing; // Escape and Close while editing
    // Ends editing: the toolbar shows the item's items again and an item that arrived meanwhile is shown.
    void endEditing();
    std::optional<ClipboardItem> pendingItem() const { return m_pendingItem; }

    // The host's callbacks; one that is not set is skipped.
    std::function<void()> onCancel;
    std::function<void(const ClipboardItem &)> onToggleFavorite;
    std::function<void(const ClipboardItem &)> onCopyTextFromImage;
    std::function<void(const ClipboardItem &)> onCopyTextFromQRCode;
    std::function<void(const ClipboardItem &)> onSaveAsFile;
    std::function<void(const ClipboardItem &)> onOpenInApplication;
    std::function<void(const ClipboardItem &)> onShowInFinder;
    std::function<void(const ClipboardItem &, const QString &)> onSave;
    std::function<QMenu *(const ClipboardItem &)> moreActionsMenuProvider;
    std::function<QMenu *(const ClipboardItem &)> tagsMenuProvider;
    std::function<bool(QKeyEvent *)> onKeyDown;
    // Asked to set the window's content size (when the content changes and the user has not resized it).
    std::function<void(QSize)> onWindowContentSizeChange;

    // The content shown and its view.
    const PreviewContent &content() const { return m_content; }
    PreviewContentView *contentView() const { return m_contentView; }
    ItemPreviewDetailsView *detailsView();

    // The size a content asks for, and the window content size that fits it with the details panel.
    QSizeF contentSize(const PreviewContent &content);
    QSize fittedContentSize(const PreviewContent &content);
    // Where the content view goes in a root view of this size.
    QRect contentFrame(QSize rootSize);

    // ItemPreviewToolbarDelegate
    void itemPreviewToolbarDidRequestClose() override;
    void itemPreviewToolbarDidToggleFavorite() override;
    void itemPreviewToolbarDidRequestEdit() override;
    void itemPreviewToolbarDidRequestSave() override;
    void itemPreviewToolbarDidRequestCopyTextFromImage() override;
    void itemPreviewToolbarDidRequestCopyTextFromQRCode() override;
    void itemPreviewToolbarDidRequestSaveAsFile() override;
    void itemPreviewToolbarDidRequestOpenInApplication() override;
    void itemPreviewToolbarDidRequestShowInFinder() override;
    void itemPreviewToolbarDidRequestRestore() override;
    QMenu *itemPreviewToolbarMoreActionsMenu() override;
    QMenu *itemPreviewToolbarTagsMenu() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installContentView();
    void removeContent();
    void layoutRoot();
    void focusRoot();
    bool handleSaveKeyEquivalent();

    ClipboardItem m_item;
    QSizeF m_maximumContentSize;
    PreviewEnvironment m_environment;
    ItemPreviewToolbar m_toolbar;
    QPointer<ItemPreviewKeyHandlingView> m_root;
    QPointer<ItemPreviewDetailsView> m_details;
    QPointer<PreviewContentView> m_contentView;
    PreviewContent m_content;
    std::optional<ClipboardItem> m_pendingItem;
    bool m_closesWhenEditingEnds = false;
    QSize m_windowContentSize;
    bool m_hasUserResizedWindow = false;
};
