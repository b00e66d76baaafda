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
