#pragma once

#include <QIcon>

// The system tray icon: a clipboard, with pause bars while capture is paused. The light variant (a dark glyph) is
// for light panels, the dark one (a light glyph) for dark panels; the tray follows the desktop's appearance.
namespace StatusBarIcon {

QIcon icon(bool paused, bool dark);

} // namespace StatusBarIcon
