#include "WindowFrame.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

StoredWindowFrame WindowFrame::toStored(const QRect &geometry, const QRect &primaryScreen)
{
    const int primaryBottom = primaryScreen.y() + primaryScreen.height();
    return {double(geometry.x()), double(primaryBottom - (geometry.y() + geometry.height())), double(geometry.width()),
        double(geometry.height())};
}

QRect WindowFrame::fromStored(const StoredWindowFrame &frame, const QRect &primaryScreen)
{
    const int width = int(std::lround(frame.width));
    const int height = int(std::lround(frame.height));
    const int primaryBottom = primaryScreen.y() + primaryScreen.height();
    const int top = primaryBottom - int(std::lround(frame.y)) - height;
    return QRect(int(std::lround(frame.x)), top, width, height);
}

std::optional<StoredWindowFrame> WindowFrame::fromPreferences(const std::optional<double> &x,
    const std::optional<double> &y, const std::optional<double> &width, const std::optional<double> &height)
{
    if (!x || !y || !width || !height || *width < 1 || *height < 1)
        return std::nullopt;
    return StoredWindowFrame {*x, *y, *width, *height};
}

QRect WindowFrame::primaryScreenGeometry()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry() : QRect(0, 0, 1024, 768);
}

QRect WindowFrame::screenUnderMouse()
{
    if (const QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen->availableGeometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect WindowFrame::placement(const std::optional<StoredWindowFrame> &stored, const QSize &defaultSize)
{
    if (stored) {
        const QRect geometry = fromStored(*stored, primaryScreenGeometry());
        for (const QScreen *screen : QGuiApplication::screens()) {
            if (screen->geometry().intersects(geometry))
                return geometry;
        }
    }
    QRect centred(QPoint(), defaultSize);
    centred.moveCenter(screenUnderMouse().center());
    return centred;
}
