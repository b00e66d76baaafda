#include "HistoryRowHeights.h"

#include "FileTypes.h"
#include "HistoryPreviewText.h"
#include "TextUtilities.h"

#include <QFontMetricsF>
#include <QHashFunctions>
#include <QSizeF>

#include <cmath>
#include <limits>

namespace {

size_t hashOptional(const std::optional<QString> &value, size_t seed)
{
    return value ? qHash(*value, seed) : qHash(-1, seed);
}

qint64 roundedWidth(qreal width)
{
    if (!std::isfinite(width))
        return 0;
    constexpr qreal limit = qreal(std::numeric_limits<int>::max());
    return std::llround(qBound(-limit, width, limit));
}

bool sameText(const QString &a, const QString &b)
{
    return (a.size() == b.size() && a.constData() == b.constData()) || a == b;
}

bool sameText(const std::optional<QString> &a, const std::optional<QString> &b)
{
    return a.has_value() == b.has_value() && (!a || sameText(*a, *b));
}

constexpr qsizetype hashedContentKeyLength = 128;

} // namespace

bool HistoryRowHeightCacheKey::operator==(const HistoryRowHeightCacheKey &other) const
{
    return itemID == other.itemID && kind == other.kind && hasTitle == other.hasTitle && tableWidth == other.tableWidth
        && quickPasteIndex == other.quickPasteIndex && tagCount == other.tagCount && isFavorite == other.isFavorite
        && showsLinkPreview == other.showsLinkPreview && linkPreviewHasTitle == other.linkPreviewHasTitle
        && linkPreviewHasDescription == other.linkPreviewHasDescription
        && linkPreviewHasImage == other.linkPreviewHasImage && linkPreviewHasFavicon == other.linkPreviewHasFavicon
        && sameText(assetPath, other.assetPath) && sameText(firstFilePath, other.firstFilePath)
        && sameText(contentKey, other.contentKey);
}

size_t qHash(const HistoryRowHeightCacheKey &key, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, key.itemID);
    seed = combine(seed, int(key.kind));
    seed = combine(seed, key.contentKey.size());
    seed = combine(seed, QStringView(key.contentKey).left(hashedContentKeyLength));
    seed = combine(seed, key.tableWidth);
    seed = combine(seed, key.quickPasteIndex.value_or(-1));
    seed = combine(seed, key.tagCount);
    const int flags = int(key.hasTitle) | int(key.isFavorite) << 1 | int(key.showsLinkPreview) << 2
        | int(key.linkPreviewHasTitle) << 3 | int(key.linkPreviewHasDescription) << 4
        | int(key.linkPreviewHasImage) << 5 | int(key.linkPreviewHasFavicon) << 6;
    seed = combine(seed, flags);
    seed = hashOptional(key.assetPath, seed);
    return hashOptional(key.firstFilePath, seed);
}

HistoryRowHeights::HistoryRowHeights(const HistoryRowMetrics &metrics)
    : m_metrics(metrics), m_averageCharacterWidth(QFontMetricsF(metrics.textFont()).averageCharWidth())
{ }

namespace {

std::optional<int> quickPasteIndexOf(int itemIndex, const HistoryRowHeightContext &context)
{
    if (context.showCommandNumberShortcut && itemIndex >= 0 && itemIndex < HistoryRowHeights::quickPasteItemCount)
        return itemIndex + 1;
    return std::nullopt;
}

int shownTagCount(const ClipboardItem &item, const HistoryRowHeightContext &context)
{
    int count = 0;
    for (const qint64 tag : item.tags) {
        if (context.availableTagIDs.contains(tag))
            ++count;
    }
    return count;
}

} // namespace

HistoryRowHeightCacheKey HistoryRowHeights::cacheKey(
    const ClipboardItem &item, int itemIndex, qreal tableWidth, const HistoryRowHeightContext &context)
{
    HistoryRowHeightCacheKey key;
    key.itemID = item.id;
    key.kind = item.kind;
    key.contentKey = item.contentKey();
    key.hasTitle = item.title && !TextUtilities::isBlank(*item.title);
    key.tableWidth = roundedWidth(tableWidth);
    key.quickPasteIndex = quickPasteIndexOf(itemIndex, context);
    key.tagCount = shownTagCount(item, context);
    key.isFavorite = item.isFavorite;
    key.showsLinkPreview = context.showPreviewForLinks;
    if (const auto &details = item.linkPreviewDetails) {
        key.linkPreviewHasTitle = details->title.has_value();
        key.linkPreviewHasDescription = details->description.has_value();
        key.linkPreviewHasImage = details->imagePath.has_value();
        key.linkPreviewHasFavicon = details->faviconPath.has_value();
    }
    key.assetPath = item.assetPath;
    if (!item.filePaths.isEmpty())
        key.firstFilePath = item.filePaths.first();
    return key;
}

qreal HistoryRowHeights::itemRowHeight(const ClipboardItem &item, const HistoryRowHeightCacheKey &key, qreal tableWidth,
    const HistoryRowHeightContext &context) const
{
    // Without a width neither a text's lines nor a picture's size changes the height: they are not measured.
    const bool guessesCostlyParts = !(tableWidth > 0);
    return heightAt(measure(item, key.quickPasteIndex, key.tagCount, key.showsLinkPreview, context, guessesCostlyParts),
        tableWidth);
}

HistoryRowHeightInputs HistoryRowHeights::inputs(
    const ClipboardItem &item, int itemIndex, const HistoryRowHeightContext &context) const
{
    return measure(item, quickPasteIndexOf(itemIndex, context), shownTagCount(item, context),
        context.showPreviewForLinks, context, false);
}

HistoryRowHeightInputs HistoryRowHeights::guessedInputs(
    const ClipboardItem &item, int itemIndex, const HistoryRowHeightContext &context) const
{
    return measure(item, quickPasteIndexOf(itemIndex, context), shownTagCount(item, context),
        context.showPreviewForLinks, context, true);
}

HistoryRowHeightInputs HistoryRowHeights::measure(const ClipboardItem &item, std::optional<int> quickPasteIndex,
    int tagCount, bool showsLinkPreview, const HistoryRowHeightContext &context, bool guessesCostlyParts) const
{
    using Shape = HistoryRowHeightInputs::Shape;
    HistoryRowHeightInputs inputs;
    const qreal title = m_metrics.titleHeight(item);
    const auto fixed = [&](qreal height) {
        inputs.shape = Shape::fixed;
        inputs.inner = float(height);
        return inputs;
    };
    const auto thumbnail = [&](std::optional<QSizeF> size, qreal around) {
        inputs.shape = Shape::thumbnail;
        inputs.inner = float(around);
        inputs.outer = float(title);
        if (size)
            inputs.content.pictureSize = {size->width(), size->height()};
        return inputs;
    };
    switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText: {
        inputs.shape = Shape::text;
        if (guessesCostlyParts) {
            guessLineWidths(item, inputs);
        } else {
            std::optional<HistoryTextPreviewLineMetrics> lines;
            if (context.textPreviewLineMetrics)
                lines = context.textPreviewLineMetrics(item);
            if (!lines)
                lines = m_metrics.measureLines(historyPreviewText(item.primaryText(), historyPreviewTextLimit));
            for (const qreal width : std::as_const(lines->lineWidths)) {
                if (inputs.lineCount == inputs.content.lineWidths.size())
                    break;
                inputs.content.lineWidths[inputs.lineCount++] = width == HistoryRowMetrics::unmeasuredLineWidth()
                    ? std::numeric_limits<float>::infinity()
                    : float(width);
            }
        }
        inputs.inner = float(20 + title);
        inputs.outer = float(HistoryRowMetrics::textPreviewReservedWidth(item, quickPasteIndex, tagCount));
        return inputs;
    }
    case ClipboardKind::link:
        return fixed(qMax(
            m_metrics.linkPreviewCardHeight(item.linkPreviewDetails, showsLinkPreview) + 20 + title, defaultRowHeight));
    case ClipboardKind::email:
    case ClipboardKind::color:
        return fixed(qMax(38 + title, defaultRowHeight));
    case ClipboardKind::image:
        return thumbnail(
            guessesCostlyParts ? std::nullopt : m_metrics.imagePictureSize(item), aroundThumbnail(item.kind));
    case ClipboardKind::file:
        if (item.filePaths.size() >= 2)
            return fixed(m_metrics.filesRowHeight() + title);
        if (item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first()))
            return thumbnail(
                guessesCostlyParts ? std::nullopt : m_metrics.filePictureSize(item, context.filePreviewCache),
                aroundThumbnail(item.kind));
        return fixed(m_metrics.fileRowHeight() + title);
    }
    return fixed(defaultRowHeight);
}

qreal HistoryRowHeights::aroundThumbnail(ClipboardKind kind) const
{
    // An image's caption below it; a file's name above it and its two caption lines below.
    if (kind == ClipboardKind::image)
        return 6 + m_metrics.captionLineHeight() + 20;
    return m_metrics.headlineLabelHeight() + 2 * m_metrics.captionLabelHeight() + 12 + 20;
}

bool HistoryRowHeights::isCostlyToMeasure(const ClipboardItem &item)
{
    switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return true;
    case ClipboardKind::image: // its pixel size is read from the file's header
        return item.assetPath.has_value();
    case ClipboardKind::file:
        return item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first());
    case ClipboardKind::link:
    case ClipboardKind::email:
    case ClipboardKind::color:
        return false;
    }
    return false;
}

void HistoryRowHeights::guessLineWidths(const ClipboardItem &item, HistoryRowHeightInputs &inputs) const
{
    const QStringView text = item.text && !item.text->isEmpty() ? QStringView(*item.text) : item.searchText;
    qsizetype lineStart = 0;
    while (inputs.lineCount < inputs.content.lineWidths.size()) {
        // A line is looked at no further than the length from which it fills every line.
        const QStringView rest = text.mid(lineStart, HistoryRowMetrics::unmeasuredLineLength);
        const qsizetype newline = rest.indexOf(u'\n');
        qsizetype lineEnd = newline < 0 ? lineStart + rest.size() : lineStart + newline;
        const qsizetype length = lineEnd - lineStart;
        if (newline < 0 && length >= HistoryRowMetrics::unmeasuredLineLength)
            lineEnd = text.size();
        inputs.content.lineWidths[inputs.lineCount++] = length >= HistoryRowMetrics::unmeasuredLineLength
            ? std::numeric_limits<float>::infinity()
            : float(std::ceil(length * m_averageCharacterWidth));
        if (lineEnd == text.size())
            break;
        lineStart = lineEnd + 1;
    }
}

qreal HistoryRowHeights::heightAt(const HistoryRowHeightInputs &inputs, qreal tableWidth) const
{
    using Shape = HistoryRowHeightInputs::Shape;
    switch (inputs.shape) {
    case Shape::unmeasured:
        return defaultRowHeight;
    case Shape::fixed:
        return inputs.inner;
    case Shape::text: {
        if (!(tableWidth > 0))
            return std::ceil(3 * m_metrics.textLineHeight()) + inputs.inner;
        std::array<qreal, 3> widths {};
        for (int line = 0; line < inputs.lineCount; ++line) {
            const float width = inputs.content.lineWidths[line];
            widths[line] = std::isinf(width) ? HistoryRowMetrics::unmeasuredLineWidth() : qreal(width);
        }
        const qreal previewWidth = HistoryRowMetrics::textPreviewWidth(inputs.outer, tableWidth);
        const int count = HistoryRowMetrics::lineCount(widths.data(), inputs.lineCount, previewWidth);
        return qMax(std::ceil(count * m_metrics.textLineHeight()) + inputs.inner, defaultRowHeight);
    }
    case Shape::thumbnail: {
        const QSizeF picture(inputs.content.pictureSize[0], inputs.content.pictureSize[1]);
        const qreal preview = HistoryRowMetrics::thumbnailSize(tableWidth, picture).height();
        return qMax(preview + inputs.inner, defaultRowHeight) + inputs.outer;
    }
    }
    return defaultRowHeight;
}

qreal HistoryRowHeights::rowHeight(const QList<HistoryTableRow> &rows, const QList<ClipboardItem> &items, qsizetype row,
    qreal tableWidth, const HistoryRowHeightContext &context)
{
    if (row < 0 || row >= rows.size())
        return defaultRowHeight;
    const HistoryTableRow::Item *itemRow = rows.at(row).asItem();
    if (!itemRow) // headers after the first keep 8 more above them to set the sections apart
        return row == 0 ? firstHeaderHeight : defaultRowHeight;
    if (itemRow->itemIndex < 0 || itemRow->itemIndex >= items.size())
        return defaultRowHeight;

    const ClipboardItem &item = items.at(itemRow->itemIndex);
    HistoryRowHeightCacheKey key = cacheKey(item, itemRow->itemIndex, tableWidth, context);
    const auto cached = m_heights.constFind(key);
    if (cached != m_heights.constEnd())
        return *cached;
    const qreal height = itemRowHeight(item, key, tableWidth, context);
    m_heights.insert(std::move(key), height);
    return height;
}

void HistoryRowHeights::retainItems(const QSet<QUuid> &itemIDs)
{
    m_heights.removeIf([&](const auto &entry) { return !itemIDs.contains(entry.key().itemID); });
}

void HistoryRowHeights::removeItems(const QSet<QUuid> &itemIDs)
{
    if (itemIDs.isEmpty())
        return;
    m_heights.removeIf([&](const auto &entry) { return itemIDs.contains(entry.key().itemID); });
}

bool HistoryRowHeights::tableWidthDidChange(qreal oldWidth, qreal newWidth)
{
    if (!(std::abs(newWidth - oldWidth) > 0.5))
        return false;
    m_heights.clear();
    return true;
}
