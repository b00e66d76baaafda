#pragma once

#include "HistoryWindowOpenStrategy.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where the history window opens, computed in screen coordinates whose origin is the bottom left of the primary
// screen with y growing upwards (the coordinates the saved window origin is kept in). A rectangle (x, y, w, h)
// here spans x to x + w and y (its bottom) to y + h (its top). Qt's and X11's top-left rectangles are converted
// only at the edge, by formula, about the primary screen.
namespace HistoryWindowPlacement {

struct Screen
{
    QRectF frame;
    QRectF visibleFrame; // without panels and docks

    bool operator==(const Screen &) const = default;
};

// What the placement reads of the desktop; each query made once, before the computation.
struct Inputs
{
    QList<Screen> screens; // the primary screen first
    std::optional<int> mainScreen; // index into screens: the screen the user works on (mainScreen below)
    QPointF mouseLocation;
    std::optional<QRectF> frontWindowFrame; // the paste target's window, with its frame
    std::optional<QRectF> caretRect; // the focused text's caret, when it was found in time
    std::optional<QPointF> savedOrigin; // both saved coordinates, or nothing
    QSizeF windowSize;
};

// The origin per axis inside the rectangle; centred on an axis where the window is larger than the rectangle.
QPointF clampedWindowOrigin(QPointF origin, QSizeF size, const QRectF &rect);
// The first screen whose frame holds the point (x in [minX, maxX), y in (minY, maxY]).
std::optional<int> screenContainingPoint(const QList<Screen> &screens, QPointF point);
// The screen with the largest area in common with the rectangle; the first on a tie or when none overlaps.
std::optional<int> screenWithLargestOverlap(const QList<Screen> &screens, const QRectF &rect);
// The screen the user works on: the one holding the centre of the active application window's frame, else the one
// under the pointer, else the primary screen (the first); nothing without screens.
std::optional<int> mainScreen(
    const QList<Screen> &screens, const std::optional<QRectF> &activeWindowFrame, QPointF mouseLocation);

// The window's origin for the strategy; nothing when the window is to be centred instead. The input-cursor
// strategy without a caret gives the active-window-centre origin.
std::optional<QPointF> origin(HistoryWindowOpenStrategy strategy, const Inputs &inputs);

// Conversions between a top-left (Qt, X11) rectangle or point and the bottom-left coordinates above, about the
// primary screen's top-left geometry.
QRectF fromTopLeft(const QRectF &rect, const QRectF &primaryScreen);
QRectF toTopLeft(const QRectF &rect, const QRectF &primaryScreen);
QPointF pointFromTopLeft(QPointF point, const QRectF &primaryScreen);

} // namespace HistoryWindowPlacement
