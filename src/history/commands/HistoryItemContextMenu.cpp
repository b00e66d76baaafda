#include "HistoryItemContextMenu.h"

#include "AppCoordinator.h"
#include "ClipboardTextTransform.h"
#include "FileTypes.h"
#include "HistoryMenuActions.h"
#include "HistoryPasteTarget.h"
#include "HistorySymbols.h"
#include "Localization.h"
#include "ShortcutText.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace {

constexpr int iconSize = 16;

QColor destructiveColor()
{
    return QColor(0xFF, 0x3B, 0x30);
}

// The texts of a menu's destructive entries, kept on the menu.
constexpr char destructiveTextsProperty[] = "historyDestructiveEntries";

// Draws the destructive entries of the menus it is set on (told by their text, which a menu gives its style) in red.
// One for the whole program: the menus come and go, the style stays.
class DestructiveMenuStyle final : public QProxyStyle
{
public:
    static DestructiveMenuStyle *shared()
    {
        static DestructiveMenuStyle *style = new DestructiveMenuStyle();
        return style;
    }

    void drawControl(
        ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element == CE_MenuItem && item && widget && !(item->state & State_Selected)
            && widget->property(destructiveTextsProperty).toStringList().contains(item->text)) {
            QStyleOptionMenuItem red(*item);
            for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
                red.palette.setColor(role, destructiveColor());
            QProxyStyle::drawControl(element, &red, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

void markDestructive(QMenu &menu, const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    menu.setProperty(destructiveTextsProperty, menu.property(destructiveTextsProperty).toStringList() + texts);
    if (menu.style() != DestructiveMenuStyle::shared())
        menu.setStyle(DestructiveMenuStyle::shared());
}

// The symbol in one colour: the menus' text colour of the appearance in effect, unless another is given.
QIcon symbol(const QString &name, std::optional<QColor> color = std::nullopt)
{
    if (HistorySymbols::icon(name).isNull())
        return QIcon();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QColor text = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
    return QIcon(HistorySymbols::tintedPixmap(name, iconSize, color.value_or(text), ratio));
}

QIcon redSymbol(const QString &name)
{
    return symbol(name, destructiveColor());
}

QIcon themeOrFileIcon(const QString &name)
{
    if (name.isEmpty())
        return QIcon();
    return QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
}

} // namespace

HistoryItemContextMenu::HistoryItemContextMenu(
    HistoryMenuActions *actions, QList<Tag> availableTags, AppPreferences preferences, HistoryItemMenuDesktop desktop)
    : m_actions(actions)
    , m_availableTags(std::move(availableTags))
    , m_preferences(std::move(preferences))
    , m_desktop(std::move(desktop))
{ }

HistoryItemContextMenu::Variant HistoryItemContextMenu::variant(const ClipboardItem &item)
{
    switch (ClipboardKind::Value(item.kind)) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return Variant::text;
    case ClipboardKind::link:
        return Variant::link;
    case ClipboardKind::email:
        return Variant::email;
    case ClipboardKind::color:
        return Variant::color;
    case ClipboardKind::image:
        return Variant::image;
    case ClipboardKind::file:
        break;
    }
    // Whether the one file is still there is asked first: a gone image file is a missing file too.
    if (HistoryPasteTarget::isMissingSingleFile(item))
        return Variant::missingFile;
    if (item.filePaths.size() >= 2)
        return Variant::multipleFiles;
    if (item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first()))
        return Variant::imageFile;
    return Variant::file;
}

std::optional<QString> HistoryItemContextMenu::menuKeyText(const QString &shortcut)
{
    if (shortcut.toLower() == u"space")
        return ShortcutText::keyDisplayName(QStringLiteral("space"));
    const std::optional<MenuKeyEquivalent> equivalent = ShortcutText::menuKeyEquivalent(shortcut);
    // Named keys a menu cannot show as one character ("down", "f5") are left out.
    if (!equivalent || equivalent->key.size() != 1)
        return std::nullopt;
    const QString text = ShortcutText::displayText(shortcut);
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

QIcon HistoryItemContextMenu::pasteTargetIcon(const std::optional<RunningApplication> &application)
{
    QIcon icon = application ? themeOrFileIcon(application->iconName) : QIcon();
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return icon.isNull() ? QIcon() : QIcon(icon.pixmap(iconSize, iconSize));
}

QMenu *HistoryItemContextMenu::makeMenu(const ClipboardItem &item, QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    fill(*menu, item);
    return menu;
}

QAction *HistoryItemContextMenu::addEntry(QMenu &menu, const QString &title, HistoryMenuAction id, const QIcon &icon,
    const std::optional<QString> &shortcut, std::function<void(HistoryMenuActions &)> run, bool destructive) const
{
    // Titles are plain text (tag and application names among them): an ampersand is no mnemonic.
    QString text = QString(title).replace(QLatin1Char('&'), QLatin1String("&&"));
    if (shortcut) {
        if (const auto keys = menuKeyText(*shortcut))
            text += QLatin1Char('\t') + *keys;
    }
    auto *action = new QAction(icon, text, &menu);
    menu.addAction(action);
    const QPointer<HistoryMenuActions> actions = m_actions;
    setHistoryMenuEntry(*action, id, [actions, run = std::move(run)] {
        if (actions)
            run(*actions);
    });
    if (destructive)
        markDestructive(menu, {text});
    return action;
}

void HistoryItemContextMenu::fill(QMenu &menu, const ClipboardItem &item) const
{
    const QUuid id = item.id;
    const std::optional<RunningApplication> target
        = m_desktop.pasteTarget ? m_desktop.pasteTarget() : std::optional<RunningApplication>();
    const QString targetName = HistoryPasteTarget::pasteTargetName(target);
    const QIcon targetIcon = pasteTargetIcon(target);
    const QIcon copyIcon = symbol(QStringLiteral("square.on.square"));
    const AppPreferences &p = m_preferences;
    const Variant kind = variant(item);

    const auto paste = [&](const QString &key, HistoryMenuAction action, PasteVariant pasteVariant,
                           const QString &shortcut, const QVariantList &arguments = {}) {
        QVariantList all = arguments;
        all.append(targetName);
        addEntry(menu, localized(key, all), action, targetIcon, shortcut,
            [id, pasteVariant](HistoryMenuActions &a) { a.paste(id, pasteVariant); });
    };
    const auto copy = [&](const QString &title, PasteVariant copyVariant, const QString &shortcut) {
        addEntry(menu, title,
            copyVariant == PasteVariant::filePath ? HistoryMenuAction::copyFilePath : HistoryMenuAction::copy, copyIcon,
            shortcut, [id, copyVariant](HistoryMenuActions &a) { a.copy(id, copyVariant); });
    };
    const auto pastePath = [&] {
        paste(QStringLiteral("Paste Path to %@"), HistoryMenuAction::pasteFilePath, PasteVariant::filePath,
            p.pasteSelectedSecondaryShortcut);
    };
    const auto copyPath = [&] {
        copy(localized(QStringLiteral("Copy Path to Clipboard")), PasteVariant::filePath,
            p.copySelectedSecondaryShortcut);
    };
    const auto edit = [&] {
        addEntry(menu, localized(QStringLiteral("Edit...")), HistoryMenuAction::edit,
            symbol(QStringLiteral("square.and.pencil")), p.editItemShortcut,
            [id](HistoryMenuActions &a) { a.edit(id); });
    };
    const auto favorite = [&] {
        addEntry(menu,
            localized(item.isFavorite ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites")),
            HistoryMenuAction::favorite, symbol(QStringLiteral("star")), p.toggleFavoriteShortcut,
            [id](HistoryMenuActions &a) { a.toggleFavorite(id); });
    };
    const auto rename = [&] {
        addEntry(menu, localized(QStringLiteral("Rename...")), HistoryMenuAction::rename,
            symbol(QStringLiteral("rectangle.and.pencil.and.ellipsis")), p.renameItemShortcut,
            [id](HistoryMenuActions &a) { a.rename(id); });
    };
    const auto preview = [&] {
        addEntry(menu, localized(QStringLiteral("Preview")), HistoryMenuAction::preview, symbol(QStringLiteral("eye")),
            QStringLiteral("space"), [id](HistoryMenuActions &a) { a.preview(id); });
    };
    const auto imageText = [&] {
        if (item.hasImageText())
            addEntry(menu, localized(QStringLiteral("Copy Text from Image")), HistoryMenuAction::copyTextFromImage,
                symbol(QStringLiteral("text.viewfinder")), std::nullopt,
                [id](HistoryMenuActions &a) { a.copyTextFromImage(id); });
        if (item.hasQRCodeText())
            addEntry(menu, localized(QStringLiteral("Copy Text from QR Code")), HistoryMenuAction::copyTextFromQRCode,
                symbol(QStringLiteral("qrcode.viewfinder")), std::nullopt,
                [id](HistoryMenuActions &a) { a.copyTextFromQRCode(id); });
    };
    const auto showInFileManager = [&] {
        // The file manager is the application that opens folders.
        std::optional<AssociatedApplication> manager;
        if (m_desktop.applicationForURL)
            manager = m_desktop.applicationForURL(QUrl::fromLocalFile(QDir::homePath()));
        addEntry(menu, localized(QStringLiteral("Show in File Manager")), HistoryMenuAction::showInFileManager,
            manager && !manager->icon.isNull() ? manager->icon : symbol(QStringLiteral("folder")),
            p.showInFinderShortcut, [id](HistoryMenuActions &a) { a.showInFileManager(id); });
    };
    const auto openWith = [&] {
        addEntry(menu, localized(QStringLiteral("Open With...")), HistoryMenuAction::openWith,
            symbol(QStringLiteral("square.and.arrow.up")), std::nullopt,
            [id](HistoryMenuActions &a) { a.openWith(id); });
    };
    const auto tags = [&](const QString &title) {
        menu.addSeparator();
        addTagsMenu(menu, title, item);
        menu.addSeparator();
    };
    const auto deleteEntry = [&] {
        addEntry(
            menu, localized(QStringLiteral("Delete")), HistoryMenuAction::deleteItem,
            redSymbol(QStringLiteral("trash")), p.deleteItemShortcut, [id](HistoryMenuActions &a) { a.deleteItem(id); },
            true);
    };
    // Link, email and colour items share the middle of their lists.
    const auto textLikeMiddle = [&] {
        edit();
        favorite();
        rename();
        addTransformMenu(menu, item);
    };

    switch (kind) {
    case Variant::text: {
        // The first of each pair does what the primary shortcut does in the window.
        const QString plainPaste = QStringLiteral("Paste as Plain Text to %@");
        const QString standardPaste = QStringLiteral("Paste to %@");
        const QString plainCopy = localized(QStringLiteral("Copy as Plain Text to Clipboard"));
        const QString standardCopy = localized(QStringLiteral("Copy to Clipboard"));
        const auto addPlainCopy = [&](const QString &shortcut) {
            addEntry(menu, plainCopy, HistoryMenuAction::copyPlainText, copyIcon, shortcut,
                [id](HistoryMenuActions &a) { a.copyPlainText(id); });
        };
        if (p.preferPastingAsPlainText) {
            paste(plainPaste, HistoryMenuAction::pastePlainText, PasteVariant::plainText, p.pasteSelectedShortcut);
            paste(standardPaste, HistoryMenuAction::paste, PasteVariant::standard, p.pasteSelectedSecondaryShortcut);
            addPlainCopy(p.copySelectedShortcut);
            copy(standardCopy, PasteVariant::standard, p.copySelectedSecondaryShortcut);
        } else {
            paste(standardPaste, HistoryMenuAction::paste, PasteVariant::standard, p.pasteSelectedShortcut);
            paste(plainPaste, HistoryMenuAction::pastePlainText, PasteVariant::plainText,
                p.pasteSelectedSecondaryShortcut);
            copy(standardCopy, PasteVariant::standard, p.copySelectedShortcut);
            addPlainCopy(p.copySelectedSecondaryShortcut);
        }
        menu.addSeparator();
        textLikeMiddle();
        if (m_actions && AppCoordinator::trimmedTextLines(item).size() >= 2)
            addEntry(menu, localized(QStringLiteral("Split")), HistoryMenuAction::split,
                symbol(QStringLiteral("arrow.up.and.line.horizontal.and.arrow.down")), std::nullopt,
                [id](HistoryMenuActions &a) { a.split(id); });
        preview();
        tags(QStringLiteral("Tags"));
        deleteEntry();
        break;
    }
    case Variant::link:
        paste(QStringLiteral("Paste Link to %@"), HistoryMenuAction::paste, PasteVariant::standard,
            p.pasteSelectedShortcut);
        copy(localized(QStringLiteral("Copy Link to Clipboard")), PasteVariant::standard, p.copySelectedShortcut);
        menu.addSeparator();
        addEntry(menu, localized(QStringLiteral("Open in Browser")), HistoryMenuAction::openInBrowser,
            symbol(QStringLiteral("globe")), p.openInBrowserShortcut,
            [id](HistoryMenuActions &a) { a.openInBrowser(id); });
        if (p.showPreviewForLinks)
            addEntry(menu, localized(QStringLiteral("Update Link Preview")), HistoryMenuAction::updateLink,
                symbol(QStringLiteral("arrow.clockwise")), std::nullopt,
                [id](HistoryMenuActions &a) { a.updateLinkPreview(id); });
        menu.addSeparator();
        textLikeMiddle();
        preview();
        tags(QStringLiteral("Tags..."));
        deleteEntry();
        break;
    case Variant::email:
    case Variant::color: {
        const bool email = kind == Variant::email;
        paste(email ? QStringLiteral("Paste Email to %@") : QStringLiteral("Paste Color to %@"),
            HistoryMenuAction::paste, PasteVariant::standard, p.pasteSelectedShortcut);
        copy(localized(email ? QStringLiteral("Copy Email to Clipboard") : QStringLiteral("Copy Color to Clipboard")),
            PasteVariant::standard, p.copySelectedShortcut);
        menu.addSeparator();
        textLikeMiddle();
        preview();
        tags(QStringLiteral("Tags..."));
        deleteEntry();
        break;
    }
    case Variant::image:
        paste(QStringLiteral("Paste Image to %@"), HistoryMenuAction::paste, PasteVariant::standard,
            p.pasteSelectedShortcut);
        copy(localized(QStringLiteral("Copy Image to Clipboard")), PasteVariant::standard, p.copySelectedShortcut);
        menu.addSeparator();
        imageText();
        addEntry(menu, localized(QStringLiteral("Save as File...")), HistoryMenuAction::saveImageAsFile,
            symbol(QStringLiteral("square.and.arrow.down")), std::nullopt,
            [id](HistoryMenuActions &a) { a.saveImageAsFile(id); });
        favorite();
        rename();
        preview();
        tags(QStringLiteral("Tags..."));
        addOpenInApplication(menu, item);
        openWith();
        menu.addSeparator();
        deleteEntry();
        break;
    case Variant::missingFile:
        pastePath();
        copyPath();
        menu.addSeparator();
        imageText();
        favorite();
        rename();
        preview();
        tags(QStringLiteral("Tags..."));
        deleteEntry();
        break;
    case Variant::multipleFiles: {
        const int count = int(item.filePaths.size());
        paste(QStringLiteral("Paste %d Items to %@"), HistoryMenuAction::paste, PasteVariant::standard,
            p.pasteSelectedShortcut, {count});
        copy(localized(QStringLiteral("Copy %d Items to Clipboard"), {count}), PasteVariant::standard,
            p.copySelectedShortcut);
        menu.addSeparator();
        favorite();
        rename();
        preview();
        tags(QStringLiteral("Tags..."));
        deleteEntry();
        break;
    }
    case Variant::imageFile:
    case Variant::file:
        paste(QStringLiteral("Paste File to %@"), HistoryMenuAction::paste, PasteVariant::standard,
            p.pasteSelectedShortcut);
        pastePath();
        copy(localized(QStringLiteral("Copy File to Clipboard")), PasteVariant::standard, p.copySelectedShortcut);
        copyPath();
        menu.addSeparator();
        if (kind == Variant::imageFile)
            imageText();
        favorite();
        rename();
        preview();
        tags(QStringLiteral("Tags..."));
        showInFileManager();
        addOpenInApplication(menu, item);
        openWith();
        menu.addSeparator();
        deleteEntry();
        break;
    }
}

void HistoryItemContextMenu::addTransformMenu(QMenu &menu, const ClipboardItem &item) const
{
    const QString title = localized(QStringLiteral("Transform"));
    auto *submenu = new QMenu(title, &menu);
    QList<ClipboardTextTransform> transforms;
    transforms.reserve(ClipboardTextTransform::caseCount);
    for (const ClipboardTextTransform::Value value : ClipboardTextTransform::allCases())
        transforms.append(value);
    HistoryPasteTarget::sortTransformsByTitle(transforms);
    const QUuid id = item.id;
    for (const ClipboardTextTransform transform : std::as_const(transforms))
        addEntry(*submenu, transform.title(), HistoryMenuAction::applyTransform, QIcon(), std::nullopt,
            [id, transform](HistoryMenuActions &a) { a.applyTransform(id, transform); });
    QAction *parent = menu.addMenu(submenu);
    parent->setIcon(symbol(QStringLiteral("wand.and.sparkles")));
    if (const auto keys = menuKeyText(m_preferences.transformItemShortcut))
        parent->setText(title + QLatin1Char('\t') + *keys);
}

void HistoryItemContextMenu::addTagsMenu(QMenu &menu, const QString &title, const ClipboardItem &item) const
{
    auto *submenu = new QMenu(localized(title), &menu);
    const QUuid id = item.id;
    for (const Tag &tag : m_availableTags) {
        const qint64 tagID = tag.id;
        QAction *entry = addEntry(*submenu, tag.name, HistoryMenuAction::toggleTag,
            HistoryPasteTarget::tagMenuDotImage(HistoryPasteTarget::colorFromHexString(tag.color)), std::nullopt,
            [id, tagID](HistoryMenuActions &a) { a.toggleTag(id, tagID); });
        entry->setCheckable(true);
        entry->setChecked(item.tags.contains(tag.id));
    }
    if (!m_availableTags.isEmpty())
        submenu->addSeparator();
    addEntry(*submenu, localized(QStringLiteral("New Tag...")), HistoryMenuAction::newTag,
        symbol(QStringLiteral("plus")), std::nullopt, [id](HistoryMenuActions &a) { a.newTag({id}); });
    submenu->addSeparator();
    addEntry(*submenu, localized(QStringLiteral("Edit Tags...")), HistoryMenuAction::editTags,
        symbol(QStringLiteral("circle")), std::nullopt, [](HistoryMenuActions &a) { a.editTags(); });
    menu.addMenu(submenu)->setIcon(symbol(QStringLiteral("circle")));
}

void HistoryItemContextMenu::addOpenInApplication(QMenu &menu, const ClipboardItem &item) const
{
    std::optional<AssociatedApplication> application;
    if (const auto url = item.contentFileURL(); url && m_desktop.applicationForURL)
        application = m_desktop.applicationForURL(*url);
    const QUuid id = item.id;
    if (application)
        addEntry(menu, localized(QStringLiteral("Open in %@"), {application->name}),
            HistoryMenuAction::openInAssociatedApplication, application->icon, std::nullopt,
            [id](HistoryMenuActions &a) { a.openInAssociatedApplication(id); });
    else
        addEntry(menu, localized(QStringLiteral("Open")), HistoryMenuAction::openInAssociatedApplication,
            symbol(QStringLiteral("app")), std::nullopt,
            [id](HistoryMenuActions &a) { a.openInAssociatedApplication(id); });
}

void takeMenuEntries(QMenu &into, QMenu &from)
{
    markDestructive(into, from.property(destructiveTextsProperty).toStringList());
    const QList<QAction *> entries = from.actions();
    for (QAction *entry : entries) {
        from.removeAction(entry);
        if (entry->parent() == &from)
            entry->setParent(&into);
        if (QMenu *submenu = entry->menu(); submenu && submenu->parent() == &from)
            submenu->setParent(&into, submenu->windowFlags());
        into.addAction(entry);
    }
}
