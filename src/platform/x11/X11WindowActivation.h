#pragma once

#include <QtGlobal>

namespace X11WindowActivation {

// Asks the window manager to activate the window as a task bar would (a _NET_ACTIVE_WINDOW request from a
// pager), or gives it the input focus directly when there is no window manager. Needs the xcb platform.
void requestActivation(quint32 window);

} // namespace X11WindowActivation
