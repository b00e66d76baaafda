#pragma once

#include "ClipboardItem.h"
#include "ItemPreviewContentViews.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSizeF>
#include <QString>
#include <QUuid>

// Items and files for the preview's suites.
namespace PreviewFixtures {

// The room a preview may take, and the preview without live web pages.
inline const QSizeF room(1200, 800);

inline PreviewEnvironment offline()
{
    PreviewEnvironment environment;
    environment.webPagesEnabled = false;
    return environment;
}

inline ClipboardItem item(ClipboardKind kind, int n = 1)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = kind;
    made.copiedAt = QDateTime(QDate(2026, 3, 14), QTime(15, 9));
    made.firstCopiedAt = QDateTime(QDate(2026, 3, 1), QTime(9, 30));
    return made;
}

inline ClipboardItem textItem(ClipboardKind kind, const QString &text, int n = 1)
{
    ClipboardItem made = item(kind, n);
    made.text = text;
    made.byteSize = text.toUtf8().size();
    return made;
}

inline QString writeImage(const QString &path, QSize size, const QColor &color = QColor(70, 130, 180))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    // 72 dots per inch: a pixel is a point.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::white, std::max(2, size.width() / 60)));
    painter.drawEllipse(
        QRect(QPoint(0, 0), size).adjusted(size.width() / 6, size.height() / 6, -size.width() / 6, -size.height() / 6));
    painter.end();
    image.save(path);
    return path;
}

inline QString writePdf(const QString &path, int pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font;
    font.setPixelSize(28);
    painter.setFont(font);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.drawText(
            QRect(60, 60, 480, 60), Qt::AlignLeft, QStringLiteral("Quarterly report, page %1").arg(page + 1));
        painter.fillRect(QRect(60, 160, 300, 12), QColor(59, 133, 237));
        painter.fillRect(QRect(60, 190, 420, 12), QColor(200, 200, 200));
        painter.fillRect(QRect(60, 220, 380, 12), QColor(200, 200, 200));
    }
    painter.end();
    return path;
}

} // namespace PreviewFixtures
