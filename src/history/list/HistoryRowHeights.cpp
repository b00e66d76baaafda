#include "HistoryRowHeights.h"

#include "FileTypes.h"
#include "HistoryPreviewText.h"
#include "TextUtilities.h"

#include <QHashFunctions>

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

HistoryRowHeights::HistoryRowHeights(const HistoryRowMetrics &metrics) : m_metrics(metrics) { }

HistoryRowHeightCacheKey HistoryRowHeights::cacheKey(
    const ClipboardItem &item, int itemIndex, qreal tableWidth, const HistoryRowHeightContext &context)
{
    HistoryRowHeightCacheKey key;
    key.itemID = item.id;
    key.kind = item.kind;
    key.contentKey = item.contentKey();
    key.hasTitle = item.title && !TextUtilities::isBlank(*item.title);
    key.tableWidth = roundedWidth(tableWidth);
    if (context.showCommandNumberShortcut && itemIndex >= 0 && itemIndex < quickPasteItemCount)
        key.quickPasteIndex = itemIndex + 1;
    for (const qint64 tag : item.tags) {
        if (context.availableTagIDs.contains(tag))
            ++key.tagCount;
    }
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
    const qreal title = m_metrics.titleHeight(item);
    switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText: {
        if (!(tableWidth > 0))
            return std::ceil(3 * m_metrics.textLineHeight()) + 20 + title;
        std::optional<HistoryTextPreviewLineMetrics> lines;
        if (context.textPreviewLineMetrics)
            lines = context.textPreviewLineMetrics(item);
        if (!lines)
            lines = m_metrics.measureLines(historyPreviewText(item.primaryText(), historyPreviewTextLimit));
        const qreal previewWidth
            = HistoryRowMetrics::textPreviewWidth(item, key.quickPasteIndex, key.tagCount, tableWidth);
        const int count = HistoryRowMetrics::lineCount(*lines, previewWidth);
        return qMax(std::ceil(count * m_metrics.textLineHeight()) + 20 + title, defaultRowHeight);
    }
    case ClipboardKind::link: {
        const qreal card = m_metrics.linkPreviewCardHeight(item.linkPreviewDetails, key.showsLinkPreview);
        return qMax(card + 20 + title, defaultRowHeight);
    }
    case ClipboardKind::email:
    case ClipboardKind::color:
        return qMax(38 + title, defaultRowHeight);
    case ClipboardKind::image: {
        const qreal preview = m_metrics.imagePreviewHeight(item, tableWidth);
        return qMax(preview + 6 + m_metrics.captionLineHeight() + 20, defaultRowHeight) + title;
    }
    case ClipboardKind::file: {
        if (item.filePaths.size() >= 2)
            return m_metrics.filesRowHeight() + title;
        if (item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first())) {
            const qreal preview = m_metrics.filePreviewHeight(item, tableWidth, context.filePreviewCache);
            return qMax(m_metrics.headlineLabelHeight() + preview + 2 * m_metrics.captionLabelHeight() + 12 + 20,
                       defaultRowHeight)
                + title;
        }
        return m_metrics.fileRowHeight() + title;
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
