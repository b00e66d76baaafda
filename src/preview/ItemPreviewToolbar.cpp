#include "ItemPreviewToolbar.h"

#include "ElidedLabel.h"
#include "HistoryColors.h"
#include "ItemPreviewDetailsView.h"
#include "Localization.h"
#include "ShortcutText.h"
#include "Symbols.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <cmath>

const QString ItemPreviewToolbar::flexibleSpace = QStringLiteral("FlexibleSpace");
const QString ItemPreviewToolbar::favorite = QStringLiteral("ItemPreviewToolbarFavorite");
const QString ItemPreviewToolbar::tags = QStringLiteral("ItemPreviewToolbarTags");
const QString ItemPreviewToolbar::moreActions = QStringLiteral("ItemPreviewToolbarMoreActions");
const QString ItemPreviewToolbar::edit = QStringLiteral("ItemPreviewToolbarEdit");
const QString ItemPreviewToolbar::restore = QStringLiteral("ItemPreviewToolbarRestore");
const QString ItemPreviewToolbar::copyTextFromImage = QStringLiteral("ItemPreviewToolbarCopyTextFromImage");
const QString ItemPreviewToolbar::copyTextFromQRCode = QStringLiteral("ItemPreviewToolbarCopyTextFromQRCode");
const QString ItemPreviewToolbar::saveAsFile = QStringLiteral("ItemPreviewToolbarSaveAsFile");
const QString ItemPreviewToolbar::openInApplication = QStringLiteral("ItemPreviewToolbarOpenInApplication");
const QString ItemPreviewToolbar::showInFinder = QStringLiteral("ItemPreviewToolbarShowInFinder");
const QString ItemPreviewToolbar::save = QStringLiteral("ItemPreviewToolbarSave");

namespace {

constexpr int smallFontSize = 11;
constexpr int closeButtonSize = 18;
// The accessory's fixed widths: 17 before the button, 12 between button and title, 8 after the title.
constexpr int accessoryChrome = 55;
constexpr int accessoryWithoutTitle = 43;
constexpr int minimumTitleRoom = 120;

// The round close button: a filled circle in the secondary label colour with a cross in the background colour.
class CloseButton final : public QToolButton
{
public:
    explicit CloseButton(QWidget *parent) : QToolButton(parent)
    {
        setFixedSize(closeButtonSize, closeButtonSize);
        setAutoRaise(true);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor circle = HistoryColors::secondaryLabel(palette());
        if (isDown())
            circle = HistoryColors::label(palette());
        painter.setPen(Qt::NoPen);
        painter.setBrush(circle);
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        QPen cross(HistoryColors::textBackground(palette()), 1.8, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(cross);
        const QRectF inner = QRectF(rect()).adjusted(5.8, 5.8, -5.8, -5.8);
        painter.drawLine(inner.topLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomLeft());
    }
};

QFont titleFont()
{
    QFont font;
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont smallFont(QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(smallFontSize);
    font.setWeight(weight);
    return font;
}

} // namespace

ItemPreviewToolbar::ItemPreviewToolbar(const ClipboardItem &item, ApplicationLookup applications, QObject *parent)
    : QObject(parent), item(item), m_applications(std::move(applications))
{ }

ItemPreviewToolbar::~ItemPreviewToolbar()
{
    // The items first: they refer to the menus.
    qDeleteAll(m_items);
}

QStringList ItemPreviewToolbar::itemIdentifiers(const ClipboardItem &item)
{
    switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return {favorite, tags, moreActions, edit};
    case ClipboardKind::link:
        return {tags, edit, openInApplication};
    case ClipboardKind::email:
    case ClipboardKind::color:
        return {favorite, tags, edit};
    case ClipboardKind::image:
    case ClipboardKind::file:
        break;
    }
    if (item.kind == ClipboardKind::file && item.filePaths.size() >= 2)
        return {favorite, tags};
    QStringList identifiers;
    if (item.hasImageText())
        identifiers.append(copyTextFromImage);
    if (item.hasQRCodeText())
        identifiers.append(copyTextFromQRCode);
    if (item.kind == ClipboardKind::image)
        identifiers.append({saveAsFile, favorite, tags, openInApplication});
    else
        identifiers.append({favorite, tags, showInFinder, openInApplication});
    return identifiers;
}

QStringList ItemPreviewToolbar::defaultItemIdentifiers() const
{
    if (isEditing)
        return {flexibleSpace, restore, save};
    return QStringList {flexibleSpace} + itemIdentifiers(item);
}

QStringList ItemPreviewToolbar::allowedItemIdentifiers()
{
    return {flexibleSpace, favorite, tags, copyTextFromImage, copyTextFromQRCode, saveAsFile, showInFinder,
        openInApplication, moreActions, edit, restore, save};
}

QStringList ItemPreviewToolbar::currentItemIdentifiers() const
{
    QStringList identifiers;
    if (!m_toolbar)
        return identifiers;
    for (const QAction *action : m_toolbar->actions())
        identifiers.append(action->objectName());
    return identifiers;
}

int ItemPreviewToolbar::maximumTitleWidth()
{
    static const int width = [] {
        const QFontMetricsF metrics(smallFont(QFont::DemiBold));
        return int(std::ceil(metrics.horizontalAdvance(QString(50, u'n'))));
    }();
    return width;
}

int ItemPreviewToolbar::estimatedToolbarItemsWidth(const ClipboardItem &item)
{
    const QStringList identifiers = itemIdentifiers(item);
    int width = 40;
    for (const QString &identifier : identifiers) {
        if (identifier == openInApplication)
            width += 160;
        else if (identifier == tags || identifier == moreActions)
            width += 55;
        else
            width += 44;
        width += 8;
    }
    return width;
}

QAction *ItemPreviewToolbar::makeAction(const QString &identifier, const QString &text, const QString &symbol,
    void (ItemPreviewToolbarDelegate::*request)())
{
    auto *action = new QAction(this);
    action->setObjectName(identifier);
    action->setText(text);
    action->setToolTip(text);
    if (!symbol.isEmpty())
        action->setIcon(Symbols::icon(symbol));
    connect(action, &QAction::triggered, this, [this, request] {
        if (delegate)
            (delegate->*request)();
    });
    m_items.insert(identifier, action);
    return action;
}

QAction *ItemPreviewToolbar::makeMenuAction(
    const QString &identifier, const QString &text, const QString &symbol, std::unique_ptr<QMenu> &menu)
{
    auto *action = new QAction(this);
    action->setObjectName(identifier);
    action->setText(text);
    action->setToolTip(text);
    action->setIcon(Symbols::icon(symbol));
    menu = std::make_unique<QMenu>();
    QMenu *raw = menu.get();
    connect(raw, &QMenu::aboutToShow, this, [this, raw] { fillMenu(raw); });
    action->setMenu(raw);
    m_items.insert(identifier, action);
    return action;
}

QAction *ItemPreviewToolbar::itemForIdentifier(const QString &identifier)
{
    if (QAction *made = m_items.value(identifier))
        return made;
    using D = ItemPreviewToolbarDelegate;
    if (identifier == flexibleSpace) {
        auto *spacer = new QWidgetAction(this);
        spacer->setObjectName(flexibleSpace);
        auto *widget = new QWidget;
        widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        spacer->setDefaultWidget(widget);
        m_items.insert(identifier, spacer);
        return spacer;
    }
    if (identifier == favorite) {
        QAction *action = makeAction(favorite, QString(), QString(), &D::itemPreviewToolbarDidToggleFavorite);
        updateFavoriteItem();
        return action;
    }
    if (identifier == tags)
        return makeMenuAction(tags, localized(QStringLiteral("Tags")), QStringLiteral("circle"), m_tagsMenu);
    if (identifier == moreActions) {
        return makeMenuAction(moreActions, localized(QStringLiteral("More Actions")), QStringLiteral("ellipsis.circle"),
            m_moreActionsMenu);
    }
    if (identifier == edit)
        return makeAction(edit, localized(QStringLiteral("Edit")), QStringLiteral("square.and.pencil"),
            &D::itemPreviewToolbarDidRequestEdit);
    if (identifier == restore)
        return makeAction(
            restore, localized(QStringLiteral("Restore")), QString(), &D::itemPreviewToolbarDidRequestRestore);
    if (identifier == copyTextFromImage)
        return makeAction(copyTextFromImage, localized(QStringLiteral("Copy Text from Image")),
            QStringLiteral("text.viewfinder"), &D::itemPreviewToolbarDidRequestCopyTextFromImage);
    if (identifier == copyTextFromQRCode)
        return makeAction(copyTextFromQRCode, localized(QStringLiteral("Copy Text from QR Code")),
            QStringLiteral("qrcode.viewfinder"), &D::itemPreviewToolbarDidRequestCopyTextFromQRCode);
    if (identifier == saveAsFile)
        return makeAction(saveAsFile, localized(QStringLiteral("Save as File...")),
            QStringLiteral("square.and.arrow.down"), &D::itemPreviewToolbarDidRequestSaveAsFile);
    if (identifier == openInApplication) {
        QAction *action
            = makeAction(openInApplication, QString(), QString(), &D::itemPreviewToolbarDidRequestOpenInApplication);
        updateOpenInApplicationItem();
        return action;
    }
    if (identifier == showInFinder)
        return makeAction(showInFinder, localized(QStringLiteral("Show in File Manager")), QStringLiteral("folder"),
            &D::itemPreviewToolbarDidRequestShowInFinder);
    if (identifier == save) {
        QAction *action
            = makeAction(save, localized(QStringLiteral("Save")), QString(), &D::itemPreviewToolbarDidRequestSave);
        action->setToolTip(
            localized(QStringLiteral("Save changes (%@)"), {ShortcutText::displayText(QStringLiteral("cmd+s"))}));
        return action;
    }
    return nullptr;
}

void ItemPreviewToolbar::updateFavoriteItem()
{
    QAction *action = m_items.value(favorite);
    if (!action) {
        itemForIdentifier(favorite);
        return;
    }
    const QString text = item.isFavorite ? localized(QStringLiteral("Remove from Favorites"))
                                         : localized(QStringLiteral("Add to Favorites"));
    action->setText(text);
    action->setToolTip(text);
    action->setIcon(
        item.isFavorite ? Symbols::accentIcon(QStringLiteral("star.fill")) : Symbols::icon(QStringLiteral("star")));
    action->setProperty("accentColoured", item.isFavorite);
}

void ItemPreviewToolbar::updateOpenInApplicationItem()
{
    QAction *action = m_items.value(openInApplication);
    if (!action) {
        itemForIdentifier(openInApplication);
        return;
    }
    std::optional<QUrl> url = item.contentFileURL();
    if (!url && item.kind == ClipboardKind::link && item.text) {
        if (const auto link = ClipboardItem::linkURL(*item.text))
            url = link->toQUrl();
    }
    std::optional<AssociatedApplication> application;
    if (url && m_applications)
        application = m_applications(*url);
    const QString text = application ? localized(QStringLiteral("Open in %@"), {application->name})
                                     : localized(QStringLiteral("Open"));
    action->setText(text);
    action->setToolTip(text);
    action->setIcon(
        application && !application->icon.isNull() ? application->icon : Symbols::icon(QStringLiteral("app")));
}

QToolBar *ItemPreviewToolbar::makeToolbar()
{
    auto *bar = new QToolBar;
    bar->setObjectName(QStringLiteral("ItemPreviewToolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(16, 16));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar = bar;
    updateToolbarItems();
    return bar;
}

void ItemPreviewToolbar::insertItem(QAction *action)
{
    m_toolbar->addAction(action);
    auto *button = qobject_cast<QToolButton *>(m_toolbar->widgetForAction(action));
    if (!button)
        return;
    if (action->menu()) {
        button->setPopupMode(QToolButton::InstantPopup);
        // No arrow under the symbols: beside the Tags ring it reads as a magnifier's handle.
        button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    }
    // Restore and Save are words, not symbols.
    if (action->objectName() == restore || action->objectName() == save || action->objectName() == openInApplication)
        button->setToolButtonStyle(
            action->objectName() == openInApplication ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonTextOnly);
}

void ItemPreviewToolbar::updateToolbarItems()
{
    if (!m_toolbar)
        return;
    const QStringList wanted = defaultItemIdentifiers();
    if (currentItemIdentifiers() == wanted)
        return;
    const QList<QAction *> current = m_toolbar->actions();
    for (auto it = current.crbegin(); it != current.crend(); ++it)
        m_toolbar->removeAction(*it);
    for (const QString &identifier : wanted) {
        if (QAction *action = itemForIdentifier(identifier))
            insertItem(action);
    }
    updateAccessoryWidth();
}

void ItemPreviewToolbar::fillMenu(QMenu *menu)
{
    menu->clear();
    if (!delegate)
        return;
    QMenu *given = menu == m_tagsMenu.get() ? delegate->itemPreviewToolbarTagsMenu()
                                            : delegate->itemPreviewToolbarMoreActionsMenu();
    if (!given)
        return;
    const QList<QAction *> entries = given->actions();
    for (QAction *entry : entries) {
        given->removeAction(entry);
        // The entry outlives the menu it came from.
        if (entry->parent() == given)
            entry->setParent(menu);
        if (QMenu *submenu = entry->menu(); submenu && submenu->parent() == given)
            submenu->setParent(menu, submenu->windowFlags());
        menu->addAction(entry);
    }
    given->deleteLater();
}

QWidget *ItemPreviewToolbar::makeTitleAccessory()
{
    auto *container = new QWidget;
    container->setObjectName(QStringLiteral("ItemPreviewTitleAccessory"));
    container->setFixedHeight(52);
    auto *row = new QHBoxLayout(container);
    row->setContentsMargins(17, 0, 8, 0);
    row->setSpacing(12);

    auto *close = new CloseButton(container);
    close->setToolTip(localized(QStringLiteral("Close")));
    close->setAccessibleName(localized(QStringLiteral("Close")));
    connect(close, &QToolButton::clicked, this, [this] {
        if (delegate)
            delegate->itemPreviewToolbarDidRequestClose();
    });
    row->addWidget(close, 0, Qt::AlignVCenter);

    auto *stack = new QWidget(container);
    auto *column = new QVBoxLayout(stack);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    auto *title = new ElidedLabel(stack);
    title->setFont(titleFont());
    auto *subtitle = new ElidedLabel(stack);
    subtitle->setFont(smallFont(QFont::Normal));
    subtitle->setElideMode(Qt::ElideMiddle);
    QPalette secondary = subtitle->palette();
    secondary.setColor(QPalette::WindowText, HistoryColors::secondaryLabel(secondary));
    subtitle->setPalette(secondary);
    column->addWidget(title);
    column->addWidget(subtitle);
    stack->setMaximumWidth(maximumTitleWidth());
    row->addWidget(stack, 0, Qt::AlignVCenter);
    row->addStretch(1);

    m_closeButton = close;
    m_accessoryContainerView = container;
    m_titleStack = stack;
    m_titleField = title;
    m_subtitleField = subtitle;
    updateTitle();
    return container;
}

void ItemPreviewToolbar::updateTitle()
{
    if (!m_titleStack || !m_titleField || !m_subtitleField)
        return;
    std::optional<Url> link;
    if (item.kind == ClipboardKind::link && item.text)
        link = ClipboardItem::linkURL(*item.text);
    if (item.kind == ClipboardKind::file && item.filePaths.size() == 1) {
        const QFileInfo file(item.filePaths.first());
        m_titleField->setElideMode(Qt::ElideRight);
        m_titleField->setText(file.fileName());
        m_subtitleField->setText(file.path());
        m_titleField->setToolTip(item.filePaths.first());
        m_subtitleField->setToolTip(item.filePaths.first());
        m_subtitleField->show();
    } else if (link) {
        const QString address = link->toString();
        m_titleField->setElideMode(Qt::ElideMiddle);
        m_titleField->setText(address);
        m_titleField->setToolTip(address);
        m_subtitleField->hide();
    } else {
        m_titleField->setElideMode(Qt::ElideRight);
        m_titleField->setText(item.kind == ClipboardKind::file && item.filePaths.size() >= 2
                ? localized(QStringLiteral("Files: %d items"), {qint64(item.filePaths.size())})
                : ItemPreviewDetailsView::typeTitle(item));
        m_titleField->setToolTip(QString());
        m_subtitleField->hide();
    }
    m_titleStack->show();
    updateAccessoryWidth();
}

void ItemPreviewToolbar::updateAccessoryWidth()
{
    if (!m_accessoryContainerView)
        return;
    if (!m_titleStack || m_titleStack->isHidden()) {
        m_accessoryContainerView->setFixedWidth(accessoryWithoutTitle);
        return;
    }
    const int T = maximumTitleWidth();
    int available = T;
    QWidget *window = m_accessoryContainerView->window();
    if (window != m_accessoryContainerView && window->width() > 0)
        available = window->width() - accessoryChrome - estimatedToolbarItemsWidth(item);
    int fitting = m_titleField->sizeHint().width();
    if (m_subtitleField->isVisibleTo(m_titleStack))
        fitting = std::max(fitting, m_subtitleField->sizeHint().width());
    const int width = std::min({std::max(available, minimumTitleRoom), T, fitting});
    m_titleStack->setFixedWidth(width);
    m_accessoryContainerView->setFixedWidth(width + accessoryChrome);
}
