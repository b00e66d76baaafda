#include "ImageDensity.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

std::optional<std::pair<double, double>> statedImageDensity(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(64 * 1024);
    const auto byteAt = [&](qsizetype i) { return quint8(head.at(i)); };

    if (head.startsWith("\x89PNG\r\n\x1a\n")) {
        qsizetype offset = 8;
        while (offset + 8 <= head.size()) {
            const quint32 length = qFromBigEndian<quint32>(head.constData() + offset);
            const QByteArrayView type(head.constData() + offset + 4, 4);
            if (type == "IDAT" || type == "IEND")
                break;
            if (type == "pHYs" && length >= 9 && offset + 8 + 9 <= head.size()) {
                const char *data = head.constData() + offset + 8;
                if (quint8(data[8]) != 1) // 1: pixels per metre; 0: aspect ratio only
                    return std::nullopt;
                return std::make_pair(
                    qFromBigEndian<quint32>(data) * 0.0254, qFromBigEndian<quint32>(data + 4) * 0.0254);
            }
            offset += 12 + qsizetype(length);
        }
        return std::nullopt;
    }

    if (head.size() >= 4 && byteAt(0) == 0xFF && byteAt(1) == 0xD8) {
        qsizetype offset = 2;
        while (offset + 4 <= head.size() && byteAt(offset) == 0xFF) {
            const quint8 marker = byteAt(offset + 1);
            if (marker == 0xDA || marker == 0xD9) // start of scan, end of image
                break;
            const quint16 length = qFromBigEndian<quint16>(head.constData() + offset + 2);
            if (marker == 0xE0 && length >= 14 && offset + 2 + 14 <= head.size()
                && QByteArrayView(head.constData() + offset + 4, 5) == QByteArrayView("JFIF\0", 5)) {
                const char *data = head.constData() + offset + 4 + 7;
                const quint8 units = quint8(data[0]);
                const double x = qFromBigEndian<quint16>(data + 1);
                const double y = qFromBigEndian<quint16>(data + 3);
                if (units == 1)
                    return std::make_pair(x, y);
                if (units == 2)
                    return std::make_pair(x * 2.54, y * 2.54);
                return std::nullopt;
            }
            offset += 2 + length;
        }
    }
    return std::nullopt;
}

QSizeF imageSizeInPoints(QSize pixels, const QString &path)
{
    QSizeF size(pixels);
    if (const auto density = statedImageDensity(path)) {
        if (density->first > 0)
            size.setWidth(pixels.width() * 72.0 / density->first);
        if (density->second > 0)
            size.setHeight(pixels.height() * 72.0 / density->second);
    }
    return size;
}
