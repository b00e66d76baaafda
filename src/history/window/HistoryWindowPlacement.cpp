#include "HistoryWindowPlacement.h"

#include <algorithm>

namespace HistoryWindowPlacement {

namespace {

QPointF centre(const QRectF &rect)
{
    return {rect.x() + rect.width() / 2, rect.y() + rect.height() / 2};
}

// The area two rectangles share; 0 when they do not overlap.
double overlapArea(const QRectF &a, const QRectF &b)
{
    const double width = std::min(a.x() + a.width(), b.x() + b.width()) - std::max(a.x(), b.x());
    const double height = std::min(a.y() + a.height(), b.y() + b.height()) - std::max(a.y(), b.y());
    return width > 0 && height > 0 ? width * height : 0;
}

double clampAxis(double value, double size, double lo, double extent)
{
    const double hi = lo + extent - size;
    if (lo <= hi)
        return std::min(hi, std::max(value, lo));
    return lo + extent / 2 - size / 2;
}

std::optional<int> mouseScreen(const Inputs &inputs)
{
    return screenContainingPoint(inputs.screens, inputs.mouseLocation);
}

std::optional<QPointF> centredOnScreen(const Inputs &inputs, std::optional<int> screen)
{
    if (!screen)
        return std::nullopt;
    const QRectF visible = inputs.screens.at(*screen).visibleFrame;
    const QPointF middle = centre(visible);
    const QSizeF size = inputs.windowSize;
    return clampedWindowOrigin({middle.x() - size.width() * 0.5, middle.y() - size.height() * 0.5}, size, visible);
}

std::optional<QPointF> activeScreenCentre(const Inputs &inputs)
{
    std::optional<int> screen;
    if (inputs.frontWindowFrame)
        screen = screenContainingPoint(inputs.screens, centre(*inputs.frontWindowFrame));
    if (!screen)
        screen = mouseScreen(inputs);
    if (!screen)
        screen = inputs.mainScreen;
    return centredOnScreen(inputs, screen);
}

std::optional<QPointF> lastLocation(const Inputs &inputs)
{
    if (!inputs.savedOrigin)
        return activeScreenCentre(inputs);
    const QRectF rect(*inputs.savedOrigin, inputs.windowSize);
    std::optional<int> screen = screenWithLargestOverlap(inputs.screens, rect);
    if (!screen)
        screen = screenContainingPoint(inputs.screens, centre(rect));
    if (!screen)
        screen = mouseScreen(inputs);
    if (!screen)
        return inputs.savedOrigin;
    return clampedWindowOrigin(*inputs.savedOrigin, inputs.windowSize, inputs.screens.at(*screen).visibleFrame);
}

std::optional<QPointF> activeWindowCentre(const Inputs &inputs)
{
    if (!inputs.frontWindowFrame)
        return activeScreenCentre(inputs);
    const QRectF &frame = *inputs.frontWindowFrame;
    const QPointF middle = centre(frame);
    const QPointF centred(middle.x() - inputs.windowSize.width() * 0.5, middle.y() - inputs.windowSize.height() * 0.5);
    std::optional<int> screen = screenContainingPoint(inputs.screens, middle);
    if (!screen)
        screen = screenWithLargestOverlap(inputs.screens, frame);
    if (!screen)
        screen = mouseScreen(inputs);
    if (!screen)
        return centred;
    return clampedWindowOrigin(centred, inputs.windowSize, inputs.screens.at(*screen).visibleFrame);
}

std::optional<QPointF> screenWithCursor(const Inputs &inputs)
{
    std::optional<int> screen = mouseScreen(inputs);
    if (!screen)
        screen = inputs.mainScreen;
    return centredOnScreen(inputs, screen);
}

std::optional<QPointF> mouseCursor(const Inputs &inputs)
{
    const QPointF mouse = inputs.mouseLocation;
    std::optional<int> screen = mouseScreen(inputs);
    if (!screen)
        screen = inputs.mainScreen;
    if (!screen)
        return std::nullopt;
    const QRectF visible = inputs.screens.at(*screen).visibleFrame;
    const double height = inputs.windowSize.height();
    double y = mouse.y() - height - 12; // the top edge 12 below the pointer
    if (y < visible.y())
        y = mouse.y() + 12; // else the bottom edge 12 above it
    return clampedWindowOrigin({mouse.x() + 12, y}, inputs.windowSize, visible);
}

std::optional<QPointF> inputCursor(const Inputs &inputs)
{
    if (!inputs.caretRect)
        return std::nullopt;
    const QRectF &caret = *inputs.caretRect;
    std::optional<int> screen = screenContainingPoint(inputs.screens, centre(caret));
    if (!screen)
        screen = screenWithLargestOverlap(inputs.screens, caret);
    if (!screen)
        screen = mouseScreen(inputs);
    if (!screen)
        return std::nullopt;
    // The left edge 4 right of the caret's, the top edge 6 below the caret's bottom.
    const QPointF proposed(caret.x() + 4, caret.y() - inputs.windowSize.height() - 6);
    return clampedWindowOrigin(proposed, inputs.windowSize, inputs.screens.at(*screen).visibleFrame);
}

} // namespace

QPointF clampedWindowOrigin(QPointF origin, QSizeF size, const QRectF &rect)
{
    return {clampAxis(origin.x(), size.width(), rect.x(), rect.width()),
        clampAxis(origin.y(), size.height(), rect.y(), rect.height())};
}

std::optional<int> screenContainingPoint(const QList<Screen> &screens, QPointF point)
{
    for (int n = 0; n < screens.size(); ++n) {
        const QRectF &frame = screens.at(n).frame;
        if (point.x() >= frame.x() && point.x() < frame.x() + frame.width() && point.y() > frame.y()
            && point.y() <= frame.y() + frame.height())
            return n;
    }
    return std::nullopt;
}

std::optional<int> screenWithLargestOverlap(const QList<Screen> &screens, const QRectF &rect)
{
    if (screens.isEmpty())
        return std::nullopt;
    int best = 0;
    double bestArea = overlapArea(screens.first().frame, rect);
    for (int n = 1; n < screens.size(); ++n) {
        const double area = overlapArea(screens.at(n).frame, rect);
        if (area > bestArea) {
            best = n;
            bestArea = area;
        }
    }
    return best;
}

std::optional<int> mainScreen(
    const QList<Screen> &screens, const std::optional<QRectF> &activeWindowFrame, QPointF mouseLocation)
{
    std::optional<int> screen;
    if (activeWindowFrame)
        screen = screenContainingPoint(screens, centre(*activeWindowFrame));
    if (!screen)
        screen = screenContainingPoint(screens, mouseLocation);
    if (!screen && !screens.isEmpty())
        screen = 0;
    return screen;
}

std::optional<QPointF> origin(HistoryWindowOpenStrategy strategy, const Inputs &inputs)
{
    switch (strategy) {
    case HistoryWindowOpenStrategy::lastLocation:
        return lastLocation(inputs);
    case HistoryWindowOpenStrategy::activeScreenCenter:
        return activeScreenCentre(inputs);
    case HistoryWindowOpenStrategy::activeWindowCenter:
        return activeWindowCentre(inputs);
    case HistoryWindowOpenStrategy::screenWithCursor:
        return screenWithCursor(inputs);
    case HistoryWindowOpenStrategy::mouseCursor:
        return mouseCursor(inputs);
    case HistoryWindowOpenStrategy::inputCursor:
        if (const auto found = inputCursor(inputs))
            return found;
        return activeWindowCentre(inputs);
    }
    return std::nullopt;
}

QRectF fromTopLeft(const QRectF &rect, const QRectF &primaryScreen)
{
    const double primaryBottom = primaryScreen.y() + primaryScreen.height();
    return {rect.x(), primaryBottom - (rect.y() + rect.height()), rect.width(), rect.height()};
}

QRectF toTopLeft(const QRectF &rect, const QRectF &primaryScreen)
{
    const double primaryBottom = primaryScreen.y() + primaryScreen.height();
    return {rect.x(), primaryBottom - rect.y() - rect.height(), rect.width(), rect.height()};
}

QPointF pointFromTopLeft(QPointF point, const QRectF &primaryScreen)
{
    return {point.x(), primaryScreen.y() + primaryScreen.height() - point.y()};
}

} // namespace HistoryWindowPlacement
