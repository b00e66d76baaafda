#pragma once

class QWidget;

// Bringing one of our windows to the front with the keyboard focus, also when the user was working in another
// application a moment ago (from a hot key or the system tray): a window manager that prevents focus stealing
// lets a request through that comes on the user's behalf.
namespace WindowActivation {

// Shows, raises and activates the top-level window.
void bringToFront(QWidget &window);

} // namespace WindowActivation
