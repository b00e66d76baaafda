#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The colours of the history list for light and dark. A palette counts as dark when its window colour is dark;
// the widgets ask their own palette, so they follow the appearance the program applies.
namespace HistoryColors {

bool isDark(const QPalette &palette);

// Primary and secondary text: black or white with the transparency of the desktop's label colours.
QColor label(const QPalette &palette);
QColor secondaryLabel(const QPalette &palette);
// The list's background, the palette's base colour.
QColor textBackground(const QPalette &palette);
// Day and "Favorites" headers: (110, 110, 110) in dark, (174, 174, 178) in light.
QColor sectionHeaderText(const QPalette &palette);

} // namespace HistoryColors

// The hairline colour of the history window's edges and separators in the widget's appearance.
QColor historySeparatorColor(const QWidget &widget);
