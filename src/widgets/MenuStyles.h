#pragma once

#include <QColor>
#include <QPalette>
#include <QStringList>

class QMenu;
class QStyle;

// How the program's menus are drawn: the light and dark appearances' style, whose menus have a frame and separators
// that stand apart from the window behind them, and the red of destructive entries, drawn in whichever style the
// application has at the time. GUI thread only.
namespace MenuStyles {

// A new Fusion style whose menus are framed in `frameColor`; the application owns it once it is set.
QStyle *makeFramedMenuStyle();
// Whether the style is one of `makeFramedMenuStyle`.
bool isFramedMenuStyle(const QStyle *style);
// The line around a menu and between its groups of entries, for light and dark alike.
QColor frameColor(const QPalette &palette);

// The red of a destructive entry's text and symbol.
QColor destructiveColor();
// Draws the menu's entries with these texts in red, in a style that is otherwise the application's own (framed
// menus in light and dark, the desktop's in the system appearance).
void markDestructive(QMenu &menu, const QStringList &texts);
// The texts marked on the menu.
QStringList destructiveTexts(const QMenu &menu);

} // namespace MenuStyles
