#include "StyleAppearanceApplier.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace {

const QString fusion = QStringLiteral("Fusion");

} // namespace

void StyleAppearanceApplier::apply(AppAppearance appearance)
{
    if (m_applied == appearance)
        return;
    if (!m_applied)
        m_systemStyleName = QApplication::style()->name();

    if (appearance == AppAppearance::system) {
        if (QApplication::style()->name().compare(m_systemStyleName, Qt::CaseInsensitive) != 0)
            QApplication::setStyle(m_systemStyleName);
        // A palette without any role set gives the application back the palette of its style and desktop.
        QApplication::setPalette(QPalette());
    } else {
        if (QApplication::style()->name().compare(fusion, Qt::CaseInsensitive) != 0)
            QApplication::setStyle(fusion);
        QApplication::setPalette(appearance == AppAppearance::dark ? darkPalette() : lightPalette());
    }
    m_applied = appearance;
}
