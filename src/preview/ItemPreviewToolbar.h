#pragma once

#include "AssociatedApplication.h"
#include "ClipboardItem.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "ElidedLabel.h"
class QAction;
class QMenu;
#include <QToolBar>
#include <QToolButton>
class QWidget;

// What the preview's toolbar reports to the dialog that owns it. Each acts on the dialog's own current item.
class ItemPreviewToolbarDelegate
{
public:
    virtual ~ItemPreviewToolbarDelegate() = default;
    virtual void itemPreviewToolbarDidRequestClose() = 0;
    virtual void itemPreviewToolbarDidToggleFavorite() = 0;
    virtual void itemPreviewToolbarDidRequestEdit() = 0;
    virtual void itemPreviewToolbarDidRequestSave() = 0;
    virtual void itemPreviewToolbarDidRequestCopyTextFromImage() = 0;
    virtual void itemPreviewToolbarDidRequestCopyTextFromQRCode() = 0;
    virtual void itemPreviewToolbarDidRequestSaveAsFile() = 0;
    virtual void itemPreviewToolbarDidRequestOpenInApplication() = 0;
    virtual void itemPreviewToolbarDidRequestShowInFinder() = 0;
    virtual void itemPreviewToolbarDidRequestRestore() = 0;
    // The menus are asked for each time they open; their entries are moved into the toolbar's menu.
    virtual QMenu *itemPreviewToolbarMoreActionsMenu() = 0;
    virtual QMenu *itemPreviewToolbarTagsMenu() = 0;
};

// The preview's toolbar and its title accessory (close button, title and subtitle). It picks the items for the
// item's kind and for editing, builds each item once, keeps Favorite and "Open in" current, fills the Tags and
// More Actions menus when they open, and sizes the title from the room the items leave.
class ItemPreviewToolbar final : public QObject
{
    Q_OBJECT

public:
    // The application that opens an address or file by default, for "Open in".
    using ApplicationLookup = std::function<std::optional<AssociatedApplication>(const QUrl &)>;

    static const QString flexibleSpace;
    static const QString favorite;
    static const QString tags;
    static const QString moreActions;
    static const QString edit;
    static const QString restore;
    static const QString copyTextFromImage;
    static const QString copyTextFromQRCode;
    static const QString saveAsFile;
    static const QString openInApplication;
    static const QString showInFinder;
    static const QString save;

    ItemPreviewToolbar(const ClipboardItem &item, ApplicationLookup applications = {}, QObject *parent = nullptr);
    ~ItemPreviewToolbar() override;

    ItemPreviewToolbarDelegate *delegate = nullptr;
    ClipboardItem item;
    bool isEditing = false;

    // The toolbar widget, made once by the window that shows the preview (which owns it).
    QToolBar *makeToolbar();
    // The close button with the title and subtitle, made once (the window owns it).
    QWidget *makeTitleAccessory();

    void updateFavoriteItem();
    void updateOpenInApplicationItem();
    void updateTitle();
    void updateAccessoryWidth();
    void updateToolbarItems();

    // The items of a kind of item (without the leading flexible space).
    static QStringList itemIdentifiers(const ClipboardItem &item);
    // What the toolbar shows now: the flexible space, then Restore and Save while editing, else the item's items.
    QStringList defaultItemIdentifiers() const;
    static QStringList allowedItemIdentifiers();
    // The identifiers the toolbar shows, in order.
    QStringList currentItemIdentifiers() const;
    // The item of an identifier, made on first use; nothing for an unknown identifier.
    QAction *itemForIdentifier(const QString &identifier);
    // The widest a title may be: fifty "n" in the small semibold font.
    static int maximumTitleWidth();
    // The room the toolbar items of an item take, by estimate.
    static int estimatedToolbarItemsWidth(const ClipboardItem &item);

    QToolBar *toolbar() const { return m_toolbar; }
    QWidget *accessoryContainerView() const { return m_accessoryContainerView; }
    QWidget *titleStack() const { return m_titleStack; }
    ElidedLabel *titleField() const { return m_titleField; }
    ElidedLabel *subtitleField() const { return m_subtitleField; }
    QToolButton *closeButton() const { return m_closeButton; }
    QMenu *tagsMenu() const { return m_tagsMenu.get(); }
    QMenu *moreActionsMenu() const { return m_moreActionsMenu.get(); }

    // Fills one of the two menus from the delegate, as when it opens.
    void fillMenu(QMenu *menu);

private:
    QAction *makeAction(const QString &identifier, const QString &text, const QString &symbol,
        void (ItemPreviewToolbarDelegate::*request)());
    QAction *makeMenuAction(
        const QString &identifier, const QString &text, const QString &symbol, std::unique_ptr<QMenu> &menu);
    void insertItem(QAction *action);

    ApplicationLookup m_applications;
    QPointer<QToolBar> m_toolbar;
    QPointer<QToolButton> m_closeButton;
    QPointer<QWidget> m_accessoryContainerView;
    QPointer<QWidget> m_titleStack;
    QPointer<ElidedLabel> m_titleField;
    QPointer<ElidedLabel> m_subtitleField;
    QHash<QString, QAction *> m_items;
    std::unique_ptr<QMenu> m_tagsMenu;
    std::unique_ptr<QMenu> m_moreActionsMenu;
};
