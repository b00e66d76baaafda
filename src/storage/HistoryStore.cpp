#include "HistoryStore.h"

int RetentionPolicy::retentionDays(ClipboardKind kind) const
{
    switch (kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return textRetentionDays;
    case ClipboardKind::image:
        return imageRetentionDays;
    case ClipboardKind::file:
        return fileRetentionDays;
    case ClipboardKind::link:
        return linkRetentionDays;
    case ClipboardKind::email:
        return emailRetentionDays;
    case ClipboardKind::color:
        return colorRetentionDays;
    }
    return -1;
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
