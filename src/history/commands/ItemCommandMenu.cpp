#include "ItemCommandMenu.h"

#include "MenuStyles.h"
#include "ShortcutText.h"
#include "Symbols.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

constexpr int iconSize = 16;

// Builds the symbols of one menu: each in the menus' text colour of the appearance in effect, or in red.
class MenuSymbols
{
public:
    QIcon icon(const QString &name, bool destructive)
    {
        if (name.isEmpty())
            return QIcon();
        const QString key = (destructive ? QStringLiteral("!") : QString()) + name;
        if (const auto found = m_made.constFind(key); found != m_made.cend())
            return *found;
        QIcon made;
        if (!Symbols::themeIcon(name).isNull()) {
            const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
            const QColor color = destructive ? MenuStyles::destructiveColor()
                                             : QApplication::palette().color(QPalette::Active, QPalette::WindowText);
            made = QIcon(Symbols::tintedPixmap(name, iconSize, color, ratio));
        }
        m_made.insert(key, made);
        return made;
    }

private:
    QHash<QString, QIcon> m_made;
};

// Kept as a child of its action, so it goes with it.
class EntryRecord final : public QObject
{
public:
    EntryRecord(QAction &action, ItemCommandID id, std::function<void()> run)
        : QObject(&action), id(id), run(std::move(run))
    {
        setObjectName(QStringLiteral("itemCommandEntry"));
        QObject::connect(&action, &QAction::triggered, this, [this] {
            // A copy: the work may close the menu that owns the action.
            const std::function<void()> work = this->run;
            if (work)
                work();
        });
    }

    ItemCommandID id;
    std::function<void()> run;
};

EntryRecord *recordOf(const QAction &action)
{
    return action.findChild<EntryRecord *>(QStringLiteral("itemCommandEntry"), Qt::FindDirectChildrenOnly);
}

QIcon pictureOf(const ItemCommandEntry &entry, const ItemCommandMenuImages &images, MenuSymbols &symbols)
{
    using Image = ItemCommandEntry::Image;
    QIcon icon;
    switch (entry.image) {
    case Image::none:
        return QIcon();
    case Image::symbol:
        break;
    case Image::pasteTarget:
        icon = images.pasteTarget;
        break;
    case Image::defaultApplication:
        icon = images.defaultApplication;
        break;
    case Image::fileManager:
        icon = images.fileManager;
        break;
    case Image::tagColor:
        return images.tagDot ? images.tagDot(entry.tagColor) : QIcon();
    }
    return icon.isNull() ? symbols.icon(entry.symbol, entry.isDestructive) : icon;
}

void fillWith(QMenu &menu, const QList<ItemCommandEntry> &entries, const ItemCommandMenuImages &images,
    const ItemCommandMenu::Run &run, MenuSymbols &symbols)
{
    QStringList destructive;
    for (const ItemCommandEntry &entry : entries) {
        if (entry.kind == ItemCommandEntry::Kind::separator) {
            menu.addSeparator();
            continue;
        }
        // Titles are plain text (tag and application names among them): an ampersand is no mnemonic.
        QString text = QString(entry.title).replace(QLatin1Char('&'), QLatin1String("&&"));
        if (entry.shortcut) {
            if (const auto keys = ItemCommandMenu::keyText(*entry.shortcut))
                text += QLatin1Char('\t') + *keys;
        }
        const QIcon icon = pictureOf(entry, images, symbols);
        if (entry.kind == ItemCommandEntry::Kind::submenu) {
            auto *submenu = new QMenu(text, &menu);
            fillWith(*submenu, entry.submenu, images, run, symbols);
            QAction *parent = menu.addMenu(submenu);
            parent->setIcon(icon);
            parent->setEnabled(entry.isEnabled);
            continue;
        }
        auto *action = new QAction(icon, text, &menu);
        action->setEnabled(entry.isEnabled);
        if (entry.check != ItemCommandEntry::Check::none) {
            action->setCheckable(true);
            action->setChecked(entry.check == ItemCommandEntry::Check::on);
            if (entry.check == ItemCommandEntry::Check::mixed) {
                // Qt menus have no mixed state: a tag some of the items carry is set in italics.
                QFont font = action->font();
                font.setItalic(true);
                action->setFont(font);
            }
        }
        menu.addAction(action);
        new EntryRecord(*action, entry.id, [run, entry] {
            if (run)
                run(entry);
        });
        if (entry.isDestructive)
            destructive.append(text);
    }
    MenuStyles::markDestructive(menu, destructive);
}

} // namespace

void ItemCommandMenu::fill(
    QMenu &menu, const QList<ItemCommandEntry> &entries, const ItemCommandMenuImages &images, const Run &run)
{
    MenuSymbols symbols;
    fillWith(menu, entries, images, run, symbols);
}

std::optional<QString> ItemCommandMenu::keyText(const QString &shortcut)
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

std::optional<ItemCommandID> ItemCommandMenu::commandOf(const QAction &action)
{
    if (const EntryRecord *record = recordOf(action))
        return record->id;
    return std::nullopt;
}

void ItemCommandMenu::takeEntries(QMenu &into, QMenu &from)
{
    MenuStyles::markDestructive(into, MenuStyles::destructiveTexts(from));
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
