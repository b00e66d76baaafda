#pragma once

#include <QRect>

#include <optional>

// The frames of the desktop's windows as the user sees them: the window with its decoration, in the display's
// top-left pixel coordinates.
class WindowFrames
{
public:
    virtual ~WindowFrames() = default;

    // The frame of a top-level window (a window id as the key poster names its paste target); nothing for no
    // window, a window that is gone or one that is not mapped.
    virtual std::optional<QRect> frameOfWindow(quint32 window) const = 0;
};

// Frames the test sets.
class MemoryWindowFrames final : public WindowFrames
{
public:
    std::optional<QRect> frameOfWindow(quint32 window) const override
    {
        return window != 0 && window == this->window ? frame : std::nullopt;
    }

    quint32 window = 0;
    std::optional<QRect> frame;
};
