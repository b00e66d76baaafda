#include "StyleAppearanceApplier.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace {

const QString fusion = QStringLiteral("Fusion");

// Fusion draws a menu's frame and its separators a shade off the window colour, which vanishes on a dark palette
// (the menu melts into the window behind it). This style draws both in the colour the palette gives for them.
class ContrastingMenuStyle final : public QProxyStyle
{
public:
    ContrastingMenuStyle() : QProxyStyle(fusion) { }

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
        painter->setPen(StyleAppearanceApplier::menuFrameColor(option->palette));
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
        painter->setPen(StyleAppearanceApplier::menuFrameColor(option->palette));
        const int y = option->rect.center().y();
        painter->drawLine(option->rect.left() + 5, y, option->rect.right() - 5, y);
        painter->restore();
    }
};

} // namespace

QColor StyleAppearanceApplier::menuFrameColor(const QPalette &palette)
{
    // A third of the way from the window colour towards its text: clearly apart from both.
    const QColor window = palette.color(QPalette::Window).toRgb();
    const QColor text = palette.color(QPalette::WindowText).toRgb();
    const auto mix = [](int from, int to) { return from + (to - from) * 35 / 100; };
    return QColor(mix(window.red(), text.red()), mix(window.green(), text.green()), mix(window.blue(), text.blue()));
}

void StyleAppearanceApplier::apply(AppAppearance appearance)
{
    if (m_applied == appearance)
        return;
    if (!m_applied)
        m_systemStyleName = QApplication::style()->name();

    if (appearance == AppAppearance::system) {
        if (QApplication::style()->name().compare(m_systemStyleName, Qt::CaseInsensitive) != 0
            || dynamic_cast<ContrastingMenuStyle *>(QApplication::style()))
            QApplication::setStyle(m_systemStyleName);
        // A palette without any role set gives the application back the palette of its style and desktop.
        QApplication::setPalette(QPalette());
    } else {
        if (!dynamic_cast<ContrastingMenuStyle *>(QApplication::style()))
            QApplication::setStyle(new ContrastingMenuStyle);
        QApplication::setPalette(appearance == AppAppearance::dark ? darkPalette() : lightPalette());
    }
    m_applied = appearance;
}
