#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The symbols of the preview's toolbar and content by their names ("star", "ellipsis.circle", "app", ...), from
// the desktop's icon theme; the few that no theme has are drawn here. Call on the GUI thread.
namespace PreviewSymbols {

// The symbol in the palette's text colour, following light and dark; a null icon for an unknown name.
QIcon icon(const QString &symbolName);
// The symbol drawn in the accent colour (the favourite star).
QIcon accentIcon(const QString &symbolName);
// The accent colour of the platform: blue, a little lighter on dark.
QColor accentColor(bool dark);

} // namespace PreviewSymbols
