#include "StyleAppearanceApplier.h"

#include "MenuStyles.h"

#include <QApplication>
#include <QStyle>

QColor StyleAppearanceApplier::menuFrameColor(const QPalette &palette)
{
    return MenuStyles::frameColor(palette);
}

void StyleAppearanceApplier::apply(AppAppearance appearance)
{
    if (m_applied == appearance)
        return;
    if (!m_applied)
        m_systemStyleName = QApplication::style()->name();

    if (appearance == AppAppearance::system) {
        if (QApplication::style()->name().compare(m_systemStyleName, Qt::CaseInsensitive) != 0
            || MenuStyles::isFramedMenuStyle(QApplication::style()))
            QApplication::setStyle(m_systemStyleName);
        // A palette without any role set gives the application back the palette of its style and desktop.
        QApplication::setPalette(QPalette());
    } else {
        if (!MenuStyles::isFramedMenuStyle(QApplication::style()))
            QApplication::setStyle(MenuStyles::makeFramedMenuStyle());
        QApplication::setPalette(appearance == AppAppearance::dark ? darkPalette() : lightPalette());
    }
    m_applied = appearance;
}
