#pragma once

#include "ClipboardItem.h"
#include "ItemPreviewContentViews.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewToolbar.h"

#include <QDialog>
#include <QPointer>
#include <QSizeF>
#include <QTimer>

#include <functional>
#include <optional>

class QKeyEvent;
class QMenu;

// How the history window opens the item preview over itself and keeps it current.
class ItemPreviewPresenter
{
public:
    virtual ~ItemPreviewPresenter() = default;
    // Opens the preview of the item over the window, unless a preview is open already or there is no window.
    virtual void present(const ClipboardItem &item, QWidget *parentWindow) = 0;
    // Shows the item (changed, or the next one the selection moved to) in the open preview; nothing when closed.
    virtual void updateItem(const ClipboardItem &item) = 0;
    // Closes the preview at once; nothing when it is closed.
    virtual void close() = 0;
    virtual bool isShown() const = 0;
    // The item the open preview shows.
    virtual std::optional<ClipboardItem> shownItem() const = 0;
    // Turns the open preview into the editor of its text (text-like items only). With `closesWhenEditingEnds`
    // (the preview was opened for the edit command) it closes when editing ends. Nothing when closed.
    virtual void beginEditing(bool /*closesWhenEditingEnds*/) { }
    // The shown item has left the history (trimmed, pruned, cleared, deleted). The preview closes, unless its text
    // is being edited: then it stays, says so, and Save hands the text to `save` to be stored as a new item.
    virtual void itemRemoved() { close(); }
};

// What the preview's buttons and keys do, set by the history window. Each acts on the item the preview shows;
// an action that is not set is skipped.
struct ItemPreviewActions
{
    std::function<void(const ClipboardItem &)> toggleFavorite; // the preview stays
    std::function<void(const ClipboardItem &)> copyTextFromImage; // the preview stays
    std::function<void(const ClipboardItem &)> copyTextFromQRCode; // the preview stays
    std::function<void(const ClipboardItem &)> saveAsFile; // after the preview closed
    std::function<void(const ClipboardItem &)> openInApplication; // after the preview closed
    std::function<void(const ClipboardItem &)> showInFileManager; // after the preview closed
    // Edited text to store for the item (also when the item has left the history meanwhile: then as a new item).
    std::function<void(const ClipboardItem &, const QString &)> save;
    std::function<QMenu *(const ClipboardItem &)> moreActionsMenu; // built afresh each time it opens
    std::function<QMenu *(const ClipboardItem &)> tagsMenu;
    std::function<bool(QKeyEvent *)> keyDown; // keys the preview does not use; true when the window used it
    std::function<void()> didClose; // once per preview, after it closed
};

// The preview's window: the title accessory and toolbar above the controller's view, kept above the history window
// it belongs to. Escape and closing go through the controller. It is not modal for Qt, which would drop the keys
// that reach the history window before the window manager has given the preview the focus: the history window
// hands those on to the preview itself, and takes no clicks while the preview is open.
class ItemPreviewDialog final : public QDialog
{
    Q_OBJECT

public:
    ItemPreviewDialog(ItemPreviewDialogController &controller, QSizeF maximumContentSize, QWidget *parent);

    // The window's size for a content size (the header above it).
    void setContentSize(QSize size);
    QWidget *header() const { return m_header; }

    // The preview has closed: from now on the window never reaches the controller, and keys that still arrive (typed
    // before the focus went back) go to the window it was opened over.
    void detach();
    bool isDetached() const { return m_detached; }

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    ItemPreviewDialogController &m_controller;
    QWidget *m_header = nullptr;
    QTimer m_resizeEnd;
    int m_programmaticResizes = 0;
    bool m_detached = false;
};

// The preview as the history window uses it: one preview at a time, over the window that asked for it.
class ItemPreviewDialogPresenter final : public QObject, public ItemPreviewPresenter
{
    Q_OBJECT

public:
    ItemPreviewDialogPresenter(ItemPreviewActions actions, ItemPreviewToolbar::ApplicationLookup applications = {},
        PreviewEnvironment environment = {}, QObject *parent = nullptr);
    ~ItemPreviewDialogPresenter() override;

    void present(const ClipboardItem &item, QWidget *parentWindow) override;
    void updateItem(const ClipboardItem &item) override;
    void close() override;
    bool isShown() const override;
    std::optional<ClipboardItem> shownItem() const override;
    void beginEditing(bool closesWhenEditingEnds) override;
    void itemRemoved() override;

    // The largest content size for a window on a screen of this available size: 70% of it, less the header.
    static QSizeF maximumContentSize(QSizeF available);
    // The open preview, for tests and pictures.
    ItemPreviewDialog *dialog() const { return m_dialog; }
    ItemPreviewDialogController *controller() const { return m_controller; }

    // How long a closed preview's window stays (hidden) to hand on the keys typed before the focus went back.
    static constexpr int closedWindowLifetimeMs = 1000;
    // A preview closed within that time: the focus it handed back may still be on its way.
    bool hasJustClosed() const { return !m_closedPreviews.isEmpty(); }

private:
    struct ClosedPreview
    {
        QPointer<ItemPreviewDialog> dialog;
        QPointer<ItemPreviewDialogController> controller;
    };

    void closeThen(const std::function<void(const ClipboardItem &)> &action);
    void disposeOldestClosedPreview();

    ItemPreviewActions m_actions;
    ItemPreviewToolbar::ApplicationLookup m_applications;
    PreviewEnvironment m_environment;
    QPointer<ItemPreviewDialog> m_dialog;
    QPointer<ItemPreviewDialogController> m_controller;
    QList<ClosedPreview> m_closedPreviews; // oldest first
};
