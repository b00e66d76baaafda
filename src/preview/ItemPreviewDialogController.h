#pragma once

#include "ClipboardItem.h"
#include "ItemPreviewContentViews.h"
#include "ItemPreviewToolbar.h"
#include "PreviewContent.h"

#include <QMessageBox>
#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ItemPreviewDetailsView;
class QAbstractButton;
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
// other items, sends the toolbar's actions to the host's callbacks, and edits the text of the text kinds.
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
    // The window's title: what the title accessory names (a file's name, a link's address, the item's type),
    // since the window manager shows the title bar's own title beside it.
    QString windowTitle();
    bool hasUserResizedWindow() const { return m_hasUserResizedWindow; }

    void updateItem(const ClipboardItem &item);
    // The user ended resizing the window; from now on a new item keeps the window's size.
    void windowDidEndLiveResize(QSize contentSize);
    // Escape and the close button: closes when not editing; while editing, leaves editing when nothing would be
    // lost and asks "Save changes?" otherwise.
    void handleCancel();

    // Editing the text of a text-like item. While editing, items handed in wait until editing ends; the save goes
    // out through onSave with the item as it was when editing began.
    bool isEditing() const { return m_toolbar.isEditing; }
    // Turns the content into an editor of the item's text; nothing for images and files or while editing. With
    // `closesWhenEditingEnds` the preview closes when editing ends, by whatever route.
    void beginEditing(bool closesWhenEditingEnds);
    // Ends editing: the toolbar shows the item's items again, the content shows the item, and an item that arrived
    // meanwhile is shown. The preview closes instead when it was opened for editing or its item has left the
    // history.
    void endEditing();
    // Back to the text editing started with; its undo steps go.
    void restoreStartingText();
    // Save and Ctrl+S: stores the text through onSave and ends editing. Without a change nothing is stored and
    // editing ends, so the item stays as it is (a rich text keeps its formatting); an item that has left the
    // history is stored with its text all the same.
    void saveEditing();
    // The shown item has left the history (trimmed, pruned, cleared). While editing, the editor stays with its text
    // and says so, and Save stores the text as a new item; otherwise the preview closes.
    void markItemRemoved();
    bool isItemRemoved() const { return m_itemRemoved; }
    // Whether leaving editing would lose text: it differs from the starting text, or the item has left the history.
    bool hasUnsavedText() const;
    QPlainTextEdit *editingTextView() const { return m_editingTextView; }
    PreviewEditingView *editingView() const { return m_editingView; }
    const QString &originalEditingText() const { return m_originalEditingText; }
    bool closesWhenEditingEnds() const { return m_closesWhenEditingEnds; }
    std::optional<ClipboardItem> pendingItem() const { return m_pendingItem; }
    // The open "Save changes?" alert, window-modal on the preview; nothing when none is open.
    QMessageBox *unsavedChangesAlert() const { return m_unsavedChangesAlert; }

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
    void refreshEditingState();
    void showUnsavedChangesAlert();
    void unsavedChangesAlertDidEnd(QAbstractButton *clicked);
    QString editingText() const;
    bool isEditingTextChanged() const;
    void storeEditingText();

    ClipboardItem m_item;
    QSizeF m_maximumContentSize;
    PreviewEnvironment m_environment;
    ItemPreviewToolbar m_toolbar;
    QPointer<ItemPreviewKeyHandlingView> m_root;
    QPointer<ItemPreviewDetailsView> m_details;
    QPointer<PreviewContentView> m_contentView;
    PreviewContent m_content;
    std::optional<ClipboardItem> m_pendingItem;
    QPointer<PreviewEditingView> m_editingView;
    QPointer<QPlainTextEdit> m_editingTextView;
    QString m_originalEditingText;
    QPointer<QMessageBox> m_unsavedChangesAlert;
    QPointer<QAbstractButton> m_alertSave;
    QPointer<QAbstractButton> m_alertDiscard;
    bool m_closesWhenEditingEnds = false;
    bool m_itemRemoved = false;
    QSize m_windowContentSize;
    bool m_hasUserResizedWindow = false;
};
