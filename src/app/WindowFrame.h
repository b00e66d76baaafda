#pragma once

#include <QRect>

#include <optional>

// Window frames as the preferences keep them: the origin at the bottom left of the window, measured upwards from
// the bottom of the primary screen. Qt measures from the top left; only these functions convert.
struct StoredWindowFrame
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const StoredWindowFrame &) const = default;
};

namespace WindowFrame {

StoredWindowFrame toStored(const QRect &geometry, const QRect &primaryScreen);
QRect fromStored(const StoredWindowFrame &frame, const QRect &primaryScreen);
// The frame from four optional numbers of the preferences; nothing unless all four are there and the size is not
// empty.
std::optional<StoredWindowFrame> fromPreferences(const std::optional<double> &x, const std::optional<double> &y,
    const std::optional<double> &width, const std::optional<double> &height);

// The stored frame when it still lies on a screen, else the size centred on the screen under the mouse pointer.
QRect placement(const std::optional<StoredWindowFrame> &stored, const QSize &defaultSize);
// The geometry of the screen under the mouse pointer (the primary screen when there is none).
QRect screenUnderMouse();
QRect primaryScreenGeometry();

} // namespace WindowFrame
