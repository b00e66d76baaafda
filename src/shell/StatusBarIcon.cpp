#include "StatusBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap draw(int size, bool paused, bool dark)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 22.0, size / 22.0);

    // A dark glyph with a light edge for light panels, a light one with a dark edge for dark panels.
    const QColor ink = dark ? QColor(236, 238, 242) : QColor(64, 68, 76);
    const QColor edge = dark ? QColor(0, 0, 0, 140) : QColor(255, 255, 255, 200);

    // The board.
    QPainterPath board;
    board.addRoundedRect(QRectF(4, 3.5, 14, 17), 2.5, 2.5);
    painter.setPen(QPen(edge, 2.6));
    painter.drawPath(board);
    painter.setPen(QPen(ink, 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(board);

    // The clip at the top.
    const QRectF clip(7.5, 1.5, 7, 4);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(ink);
    painter.drawRoundedRect(clip, 1.2, 1.2);

    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    if (paused) {
        painter.drawRoundedRect(QRectF(8, 9, 2.2, 8), 0.8, 0.8);
        painter.drawRoundedRect(QRectF(11.8, 9, 2.2, 8), 0.8, 0.8);
    } else {
        // Lines of text on the board.
        painter.drawRoundedRect(QRectF(7, 9, 8, 1.6), 0.8, 0.8);
        painter.drawRoundedRect(QRectF(7, 12.2, 8, 1.6), 0.8, 0.8);
        painter.drawRoundedRect(QRectF(7, 15.4, 5, 1.6), 0.8, 0.8);
    }
    return pixmap;
}

} // namespace

QIcon StatusBarIcon::icon(bool paused, bool dark)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(draw(size, paused, dark));
    return icon;
}
