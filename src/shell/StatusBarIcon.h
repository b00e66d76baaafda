#pragma once

#include <QIcon>

// The system tray icon: a clipboard, with pause bars while capture is paused. Drawn in a mid grey with a light
// edge, so that it reads on light and on dark panels alike.
namespace StatusBarIcon {

QIcon icon(bool paused);

} // namespace StatusBarIcon
