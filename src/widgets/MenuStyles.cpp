#include "MenuStyles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

// The texts of a menu's destructive entries, kept on the menu.
constexpr char destructiveTextsProperty[] = "itemCommandDestructiveEntries";

// Fusion draws a menu's frame and its separators a shade off the window colour, which vanishes on a dark palette
// (the menu melts into the window behind it). This style draws both in the colour the palette gives for them.
class FramedMenuStyle final : public QProxyStyle
{
public:
    FramedMenuStyle() : QProxyStyle(QStringLiteral("Fusion")) { }

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        if (element != PE_FrameMenu && element != PE_PanelMenu) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // Fusion fills the panel and draws its border in one go; this keeps the fill and redraws the border.
        if (element == PE_PanelMenu)
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        painter->save();
        painter->setPen(MenuStyles::frameColor(option->palette));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    void drawControl(
        ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element != CE_MenuItem || !item || item->menuItemType != QStyleOptionMenuItem::Separator
            || !item->text.isEmpty()) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(MenuStyles::frameColor(option->palette));
        const int y = option->rect.center().y();
        painter->drawLine(option->rect.left() + 5, y, option->rect.right() - 5, y);
        painter->restore();
    }
};

// Draws the destructive entries of the menus it is set on (told by their text, which a menu gives its style) in red,
// over a style of the kind the application had when it was made.
class DestructiveMenuStyle final : public QProxyStyle
{
public:
    explicit DestructiveMenuStyle(QStyle *base) : QProxyStyle(base) { }

    // One for each kind of application style: the menus come and go, the styles stay while the application does.
    static DestructiveMenuStyle *forApplicationStyle()
    {
        static QHash<QString, QPointer<DestructiveMenuStyle>> made;
        const QStyle *application = QApplication::style();
        const bool framed = MenuStyles::isFramedMenuStyle(application);
        const QString key = framed ? QStringLiteral("framed") : application->name().toLower();
        if (DestructiveMenuStyle *found = made.value(key))
            return found;
        QStyle *base = framed ? MenuStyles::makeFramedMenuStyle() : QStyleFactory::create(application->name());
        auto *style = new DestructiveMenuStyle(base ? base : MenuStyles::makeFramedMenuStyle());
        style->setParent(QCoreApplication::instance());
        made.insert(key, style);
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
                red.palette.setColor(role, MenuStyles::destructiveColor());
            QProxyStyle::drawControl(element, &red, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

QStyle *MenuStyles::makeFramedMenuStyle()
{
    return new FramedMenuStyle;
}

bool MenuStyles::isFramedMenuStyle(const QStyle *style)
{
    return dynamic_cast<const FramedMenuStyle *>(style) != nullptr;
}

QColor MenuStyles::frameColor(const QPalette &palette)
{
    // A third of the way from the window colour towards its text: clearly apart from both.
    const QColor window = palette.color(QPalette::Window).toRgb();
    const QColor text = palette.color(QPalette::WindowText).toRgb();
    const auto mix = [](int from, int to) { return from + (to - from) * 35 / 100; };
    return QColor(mix(window.red(), text.red()), mix(window.green(), text.green()), mix(window.blue(), text.blue()));
}

QColor MenuStyles::destructiveColor()
{
    return QColor(0xFF, 0x3B, 0x30);
}

void MenuStyles::markDestructive(QMenu &menu, const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    menu.setProperty(destructiveTextsProperty, destructiveTexts(menu) + texts);
    QStyle *style = DestructiveMenuStyle::forApplicationStyle();
    if (menu.style() != style)
        menu.setStyle(style);
}

QStringList MenuStyles::destructiveTexts(const QMenu &menu)
{
    return menu.property(destructiveTextsProperty).toStringList();
}
