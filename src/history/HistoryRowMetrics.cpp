#include "HistoryRowMetrics.h"

#include "FilePreviewCache.h"
#include "FileTypes.h"
#include "HistoryPreviewText.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QThread>
#include <QtEndian>

#include <cmath>
#include <limits>

namespace {

constexpr qreal unmeasuredLineWidth = std::numeric_limits<qreal>::max();
// The row's content starts after the type icon (42) and keeps 12 free at the trailing edge.
constexpr qreal contentLeading = 42;
constexpr qreal contentTrailing = 12;
constexpr qreal minimumPreviewWidth = 80;
constexpr qreal maximumThumbnailHeight = 100;
const QSizeF defaultThumbnailSize(100, 100);

QFont rowFont(const QFont &base, int pixelSize, QFont::Weight weight)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

// The density an image file states in its header, in dots per inch (horizontal, vertical; 0 where unknown): the
// pHYs chunk of a PNG file or the JFIF density of a JPEG file.
std::optional<std::pair<double, double>> statedDensity(const QString &path)
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

} // namespace

const HistoryRowMetrics &HistoryRowMetrics::shared()
{
    Q_ASSERT(!qApp || qApp->thread() == QThread::currentThread());
    static const HistoryRowMetrics metrics(QGuiApplication::font());
    return metrics;
}

HistoryRowMetrics::HistoryRowMetrics(const QFont &baseFont)
    : m_textFont(rowFont(baseFont, systemFontSize + 1, QFont::Normal))
    , m_titleFont(rowFont(baseFont, systemFontSize, QFont::DemiBold))
    , m_captionFont(rowFont(baseFont, smallSystemFontSize, QFont::Normal))
    , m_textLineHeight(lineHeight(m_textFont))
    , m_roundedTextLineHeight(std::ceil(m_textLineHeight))
    , m_titleFontLineHeight(std::ceil(lineHeight(m_titleFont)))
    , m_captionLineHeight(std::ceil(lineHeight(m_captionFont)))
    , m_headlineLabelHeight(labelHeight(m_titleFont))
    , m_captionLabelHeight(labelHeight(m_captionFont))
{ }

qreal HistoryRowMetrics::lineHeight(const QFont &font)
{
    return QFontMetricsF(font).lineSpacing();
}

qreal HistoryRowMetrics::labelHeight(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal textHeight = metrics.boundingRect(QStringLiteral("Agy")).height();
    return std::ceil(qMax(textHeight, metrics.lineSpacing()));
}

qreal HistoryRowMetrics::titleHeight(const ClipboardItem &item) const
{
    return item.customTitle() ? titleLineHeight() + 2 : 0;
}

HistoryTextPreviewLineMetrics HistoryRowMetrics::measureLines(const QString &text) const
{
    const QFontMetricsF metrics(m_textFont);
    HistoryTextPreviewLineMetrics result;
    const QStringView view(text);
    qsizetype lineStart = 0;
    while (result.lineWidths.size() < maximumPreviewLines) {
        qsizetype lineEnd = view.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = view.size();
        const QStringView line = view.mid(lineStart, lineEnd - lineStart);
        if (endOfCharacters(line, unmeasuredLineLength) >= 0)
            result.lineWidths.append(unmeasuredLineWidth);
        else
            result.lineWidths.append(std::ceil(metrics.horizontalAdvance(line.toString())));
        if (lineEnd == view.size())
            break;
        lineStart = lineEnd + 1;
    }
    return result;
}

int HistoryRowMetrics::lineCount(const HistoryTextPreviewLineMetrics &metrics, qreal width)
{
    if (!(width > 0))
        return 1;
    qreal total = 0;
    for (const qreal lineWidth : metrics.lineWidths) {
        if (lineWidth == unmeasuredLineWidth)
            return maximumPreviewLines;
        total += qMax(std::ceil(lineWidth / width), qreal(1));
        if (total > 2)
            return maximumPreviewLines;
    }
    return int(qMax(total, qreal(1)));
}

qreal HistoryRowMetrics::textPreviewWidth(
    const ClipboardItem &item, std::optional<int> quickPasteIndex, int tagCount, qreal tableWidth)
{
    const qreal tagsWidth = tagCount >= 1 ? 12 * tagCount + 4 * (tagCount - 1) : 0;
    const qreal starWidth = item.isFavorite ? 16 : 0;
    const qreal quickPasteWidth = quickPasteIndex ? 24 : 0;
    const bool hasSourceApplication = item.sourceBundleIdentifier || item.sourceAppName;
    const qreal applicationIconWidth = hasSourceApplication ? 20 : 0;
    const int accessoryCount
        = int(tagCount >= 1) + int(item.isFavorite) + int(quickPasteIndex.has_value()) + int(hasSourceApplication);

    const qreal width = tableWidth - contentLeading - contentTrailing - tagsWidth - starWidth - quickPasteWidth
        - applicationIconWidth;
    if (accessoryCount == 0)
        return qMax(width, minimumPreviewWidth);
    // The quick-paste number keeps a wider gap to the text unless a star or tag chips stand between them.
    const qreal gap = quickPasteIndex && !item.isFavorite && tagCount < 1 ? 16 : 4;
    return qMax(width - gap - 4 * (accessoryCount - 1), minimumPreviewWidth);
}

QSizeF HistoryRowMetrics::thumbnailSize(std::optional<qreal> availableWidth, QSizeF imageSize)
{
    const qreal w = imageSize.width();
    const qreal h = imageSize.height();
    if (!(w > 0) || !(h > 0) || !availableWidth || !(*availableWidth > 0))
        return defaultThumbnailSize;
    const qreal maxWidth = qMax(*availableWidth - contentLeading - contentTrailing, minimumPreviewWidth);
    const qreal fitted = h * maxWidth / w;
    const qreal smallest = std::min({fitted, h, maximumThumbnailHeight});
    const qreal height = smallest < 1 ? 1 : std::ceil(smallest);
    const qreal width = std::ceil(qMax(std::min({w * height / h, w, maxWidth}), qreal(1)));
    return QSizeF(width, height);
}

qreal HistoryRowMetrics::imagePreviewHeight(const ClipboardItem &item, qreal tableWidth) const
{
    if (!item.assetPath)
        return maximumThumbnailHeight;
    std::optional<QSizeF> size;
    if (const auto pixels = item.imagePixelSize())
        size = QSizeF(*pixels);
    else
        size = cachedImageSize(*item.assetPath);
    if (!size)
        return maximumThumbnailHeight;
    return thumbnailSize(tableWidth, *size).height();
}

QSizeF HistoryRowMetrics::filePreviewSize(const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache) const
{
    if (item.filePaths.isEmpty())
        return defaultThumbnailSize;
    const QString &path = item.filePaths.first();
    if (!isImageFilePath(path))
        return defaultThumbnailSize;
    std::optional<QSizeF> size = cache ? cache->displaySize(path) : std::nullopt;
    if (!size)
        size = cachedImageSize(path);
    if (!size)
        return defaultThumbnailSize;
    return thumbnailSize(tableWidth, *size);
}

qreal HistoryRowMetrics::filePreviewHeight(const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache) const
{
    return filePreviewSize(item, tableWidth, cache).height();
}

qreal HistoryRowMetrics::cardHeight(bool hasTitle, bool hasDescription, bool hasImage, bool hasFavicon) const
{
    if (!hasTitle && !hasDescription && !hasImage && !hasFavicon)
        return 18;
    const qreal titlePart = hasTitle ? m_titleFontLineHeight : 0;
    const qreal descriptionPart = hasDescription ? twoCaptionLinesHeight() : 0;
    const qreal gap = hasTitle && hasDescription ? 8 : hasTitle || hasDescription ? 4 : 0;
    const qreal sum = m_roundedTextLineHeight + titlePart + descriptionPart + gap;
    return hasImage ? qMax(sum, qreal(70)) : sum;
}

qreal HistoryRowMetrics::linkPreviewCardHeight(const std::optional<LinkPreview> &preview, bool showsPreview) const
{
    if (!showsPreview || !preview)
        return 18;
    return cardHeight(preview->title.has_value(), preview->description.has_value(), !preview->image.isNull(),
        !preview->favicon.isNull());
}

qreal HistoryRowMetrics::linkPreviewCardHeight(
    const std::optional<LinkPreviewDetails> &details, bool showsPreview) const
{
    if (!showsPreview || !details)
        return 18;
    return cardHeight(details->title.has_value(), details->description.has_value(), details->imagePath.has_value(),
        details->faviconPath.has_value());
}

std::optional<QSizeF> HistoryRowMetrics::cachedImageSize(const QString &path) const
{
    auto found = m_imageSizes.constFind(path);
    if (found == m_imageSizes.constEnd()) {
        QSizeF size;
        const QSize pixels = QImageReader(path).size(); // from the header; the image is not decoded
        if (pixels.width() > 0 && pixels.height() > 0) {
            size = QSizeF(pixels);
            if (const auto density = statedDensity(path)) {
                if (density->first > 0)
                    size.setWidth(pixels.width() * 72.0 / density->first);
                if (density->second > 0)
                    size.setHeight(pixels.height() * 72.0 / density->second);
            }
        }
        found = m_imageSizes.insert(path, size);
    }
    if (found->width() <= 0 || found->height() <= 0)
        return std::nullopt;
    return *found;
}
