#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The symbols of every window by their names ("clipboard", "magnifyingglass", "star", "text.page", ...), drawn
// from the desktop's icon theme through one table of freedesktop icon names, with the installed Adwaita theme
// behind it so that they show under any desktop; the few that no theme has are bundled or drawn here. Call on the
// GUI thread.
namespace Symbols {

// Makes the installed Adwaita theme the one behind the desktop's, once.
void useInstalledThemeAsFallback();
// The freedesktop icon name that stands for the symbol; empty for a name the table does not know.
QString themeIconName(const QString &symbolName);
// The symbol's icon as the theme draws it; a null icon for an unknown name or when no theme has it.
QIcon themeIcon(const QString &symbolName);
// The symbol drawn in one colour into a square of the size in pixels, for the device pixel ratio. A transparent
// pixmap when the symbol has no icon.
QPixmap tintedPixmap(const QString &symbolName, int size, const QColor &color, qreal devicePixelRatio);

// The symbol in the palette's text colour, following light and dark (and the highlighted text on a selected
// row); a null icon for an unknown name.
QIcon icon(const QString &symbolName);
// The symbol drawn in the accent colour (the favourite star).
QIcon accentIcon(const QString &symbolName);
// The accent colour of the platform: blue, a little lighter on dark.
QColor accentColor(bool dark);

} // namespace Symbols
