#include "HistoryStore.h"

#include "AppPreferences.h"

int RetentionPolicy::retentionDays(ClipboardKind kind) const
{
    return retentionDaysField(*this, kind);
}

std::optional<QDateTime> RetentionPolicy::cutoff(ClipboardKind kind) const
{
    const int days = retentionDays(kind);
    if (days < 0 || !now.isValid())
        return std::nullopt;
    // Calendar days in local time, so that a day across a daylight-saving change is still one day.
    const QDateTime result = now.toLocalTime().addDays(-qint64(days));
    if (!result.isValid())
        return std::nullopt;
    return result;
}

HistoryStore::Result<QList<Tag>> HistoryStore::ensureTags(
    const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written)
{
    QList<Tag> ensured;
    ensured.reserve(tags.size());
    for (const TagRequest &request : tags) {
        auto tag = ensureTag(request.name, request.color);
        if (!tag)
            return Result<QList<Tag>>::failure(tag.error());
        ensured.append(*tag);
        if (written)
            written(ensured.size());
    }
    return ensured;
}

HistoryStore::Result<QHash<qint64, qint64>> HistoryStore::tagItemCounts()
{
    using R = Result<QHash<qint64, qint64>>;
    const auto ids = loadItemIDs();
    if (!ids)
        return R::failure(ids.error());
    const auto items = loadItems(*ids);
    if (!items)
        return R::failure(items.error());
    QHash<qint64, qint64> counts;
    for (const ClipboardItem &item : *items) {
        for (qint64 tag : item.tags)
            ++counts[tag];
    }
    return counts;
}
