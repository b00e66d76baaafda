#include "HistoryColors.h"

#include <QWidget>

namespace HistoryColors {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor label(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
}

QColor secondaryLabel(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 255, 255, 140) : QColor(0, 0, 0, 128);
}

QColor textBackground(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Base);
}

QColor sectionHeaderText(const QPalette &palette)
{
    return isDark(palette) ? QColor(110, 110, 110) : QColor(174, 174, 178);
}

} // namespace HistoryColors

QColor historySeparatorColor(const QWidget &widget)
{
    if (HistoryColors::isDark(widget.palette()))
        return QColor::fromRgbF(0.1843f, 0.1843f, 0.1843f);
    return QColor::fromRgbF(0.898f, 0.898f, 0.898f);
}
