#pragma once

class QWidget;

// Bringing one of our windows to the front with the keyboard focus, also when the user was working in another
// application a moment ago (from a hot key or the system tray): a window manager that prevents focus stealing
// lets a request through that comes on the user's behalf.
namespace WindowActivation {

// Shows, raises and activates the top-level window.
void bringToFront(QWidget &window);
// Gives a shown top-level window the keyboard at once, before another of our windows over it goes away, so that no
// key typed meanwhile reaches the window under the pointer; then brings it to the front as above. Nothing for a
// hidden window.
void takeFocusBack(QWidget &window);

} // namespace WindowActivation
