#pragma once

#include "WindowFrames.h"

// Window frames from the X server: the window's geometry in root coordinates, grown by the decoration the window
// manager states (_NET_FRAME_EXTENTS) and shrunk by a client-side shadow (_GTK_FRAME_EXTENTS). Asks only the
// server, never another client. Needs the xcb platform; elsewhere there is no frame.
class X11WindowFrames final : public WindowFrames
{
public:
    X11WindowFrames();

    std::optional<QRect> frameOfWindow(quint32 window) const override;

private:
    void *m_connection = nullptr; // the GUI's xcb_connection_t
    quint32 m_root = 0;
    quint32 m_frameExtents = 0;
    quint32 m_gtkFrameExtents = 0;
};
