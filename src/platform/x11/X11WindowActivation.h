#pragma once

#include <QtGlobal>

namespace X11WindowActivation {

// Asks the window manager to activate the window as a task bar would (a _NET_ACTIVE_WINDOW request from a
// pager), or gives it the input focus directly when there is no window manager. Needs the xcb platform.
void requestActivation(quint32 window);
// Gives the mapped window the input focus at once, ahead of what the window manager does next: keys typed from
// now on reach it even while the window manager is still settling another window's unmapping.
void giveInputFocus(quint32 window);

} // namespace X11WindowActivation
