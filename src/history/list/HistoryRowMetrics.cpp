#include "HistoryRowMetrics.h"

#include "FilePreviewCache.h"
#include "FileTypes.h"
#include "HistoryPreviewText.h"
#include "ImageDensity.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QThread>

#include <cmath>
#include <limits>

namespace {

constexpr qreal tooLongLineWidth = std::numeric_limits<qreal>::max();
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
            result.lineWidths.append(tooLongLineWidth);
        else
            result.lineWidths.append(std::ceil(metrics.horizontalAdvance(line.toString())));
        if (lineEnd == view.size())
            break;
        lineStart = lineEnd + 1;
    }
    return result;
}

qreal HistoryRowMetrics::unmeasuredLineWidth()
{
    return tooLongLineWidth;
}

int HistoryRowMetrics::lineCount(const HistoryTextPreviewLineMetrics &metrics, qreal width)
{
    return lineCount(metrics.lineWidths.constData(), metrics.lineWidths.size(), width);
}

int HistoryRowMetrics::lineCount(const qreal *lineWidths, qsizetype count, qreal width)
{
    if (!(width > 0))
        return 1;
    qreal total = 0;
    for (qsizetype line = 0; line < count; ++line) {
        const qreal lineWidth = lineWidths[line];
        if (lineWidth == tooLongLineWidth)
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
    return textPreviewWidth(textPreviewReservedWidth(item, quickPasteIndex, tagCount), tableWidth);
}

qreal HistoryRowMetrics::textPreviewWidth(qreal reservedWidth, qreal tableWidth)
{
    return qMax(tableWidth - reservedWidth, minimumPreviewWidth);
}

qreal HistoryRowMetrics::textPreviewReservedWidth(
    const ClipboardItem &item, std::optional<int> quickPasteIndex, int tagCount)
{
    const qreal tagsWidth = tagCount >= 1 ? 12 * tagCount + 4 * (tagCount - 1) : 0;
    const qreal starWidth = item.isFavorite ? 16 : 0;
    const qreal quickPasteWidth = quickPasteIndex ? 24 : 0;
    const bool hasSourceApplication = item.sourceBundleIdentifier || item.sourceAppName;
    const qreal applicationIconWidth = hasSourceApplication ? 20 : 0;
    const int accessoryCount
        = int(tagCount >= 1) + int(item.isFavorite) + int(quickPasteIndex.has_value()) + int(hasSourceApplication);

    const qreal reserved
        = contentLeading + contentTrailing + tagsWidth + starWidth + quickPasteWidth + applicationIconWidth;
    if (accessoryCount == 0)
        return reserved;
    // The quick-paste number keeps a wider gap to the text unless a star or tag chips stand between them.
    const qreal gap = quickPasteIndex && !item.isFavorite && tagCount < 1 ? 16 : 4;
    return reserved + gap + 4 * (accessoryCount - 1);
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
    const std::optional<QSizeF> size = imagePictureSize(item);
    return size ? thumbnailSize(tableWidth, *size).height() : maximumThumbnailHeight;
}

std::optional<QSizeF> HistoryRowMetrics::imagePictureSize(const ClipboardItem &item) const
{
    if (!item.assetPath)
        return std::nullopt;
    if (const auto pixels = item.imagePixelSize())
        return QSizeF(*pixels);
    return cachedImageSize(*item.assetPath);
}

QSizeF HistoryRowMetrics::filePreviewSize(const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache) const
{
    const std::optional<QSizeF> size = filePictureSize(item, cache);
    return size ? thumbnailSize(tableWidth, *size) : defaultThumbnailSize;
}

std::optional<QSizeF> HistoryRowMetrics::filePictureSize(const ClipboardItem &item, FilePreviewCache *cache) const
{
    if (item.filePaths.isEmpty())
        return std::nullopt;
    const QString &path = item.filePaths.first();
    if (!isImageFilePath(path))
        return std::nullopt;
    std::optional<QSizeF> size = cache ? cache->displaySize(path) : std::nullopt;
    return size ? size : cachedImageSize(path);
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
            size = imageSizeInPoints(pixels, path);
        }
        found = m_imageSizes.insert(path, size);
    }
    if (found->width() <= 0 || found->height() <= 0)
        return std::nullopt;
    return *found;
}
