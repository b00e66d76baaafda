#include "HistoryTableRow.h"

#include "Localization.h"

#include <QHash>

#include <unicode/udat.h>
#include <unicode/udatpg.h>

#include <memory>

HistoryTableRowIdentity HistoryTableRow::identity() const
{
    if (const auto *header = asSectionHeader())
        return HistoryTableRowIdentity::sectionHeader(header->title);
    return HistoryTableRowIdentity::item(asItem()->id);
}

bool HistoryTableRow::hasSameIdentity(const HistoryTableRow &other) const
{
    if (const Item *item = asItem()) {
        const Item *otherItem = other.asItem();
        return otherItem && otherItem->id == item->id;
    }
    const SectionHeader *otherHeader = other.asSectionHeader();
    return otherHeader && otherHeader->title == asSectionHeader()->title;
}

HistoryCalendar HistoryCalendar::current()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return {zone, QDateTime::currentDateTimeUtc().toTimeZone(zone).date()};
}

HistorySectionDate historySectionDate(HistorySortOption option, bool copySequenceModeEnabled)
{
    if (copySequenceModeEnabled || option == HistorySortOption::lastCopyTime)
        return &ClipboardItem::copiedAt;
    if (option == HistorySortOption::firstCopyTime)
        return &ClipboardItem::firstCopiedAt;
    return nullptr;
}

namespace {

struct DateFormatCloser
{
    void operator()(UDateFormat *format) const { udat_close(format); }
};
using DateFormat = std::unique_ptr<UDateFormat, DateFormatCloser>;

// The abbreviated month and day in the language's own pattern (the skeleton "MMMd"), formatting instants in UTC.
DateFormat makeDayFormat(const QString &languageCode)
{
    const QByteArray locale = languageCode.toLatin1().replace('-', '_');
    UErrorCode status = U_ZERO_ERROR;
    UDateTimePatternGenerator *generator = udatpg_open(locale.constData(), &status);
    if (U_FAILURE(status))
        return nullptr;
    UChar pattern[64];
    const int32_t length = udatpg_getBestPattern(generator, u"MMMd", -1, pattern, 64, &status);
    udatpg_close(generator);
    if (U_FAILURE(status) || length >= 64)
        return nullptr;
    DateFormat format(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), u"UTC", -1, pattern, length, &status));
    if (U_FAILURE(status))
        return nullptr;
    return format;
}

} // namespace

QString historyDayTitle(QDate date, const QString &languageCode)
{
    // One formatter per language and thread: making one reads the locale data.
    thread_local QHash<QString, std::shared_ptr<UDateFormat>> formats;
    auto found = formats.find(languageCode);
    if (found == formats.end())
        found = formats.insert(languageCode, std::shared_ptr<UDateFormat>(makeDayFormat(languageCode)));
    if (*found) {
        const UDate noon = UDate(QDateTime(date, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
        UChar text[64];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = udat_format(found->get(), noon, text, 64, nullptr, &status);
        if (U_SUCCESS(status) && length < 64)
            return QString::fromUtf16(text, length);
    }
    return QLocale(languageCode).toString(date, QStringLiteral("MMM d"));
}

namespace {

// The days of a calendar, remembering the instants that the last day spans so that the many items of one day are
// placed without a time-zone conversion each.
class DayFinder
{
public:
    explicit DayFinder(const QTimeZone &zone) : m_zone(zone) { }

    QDate dayOf(const QDateTime &moment)
    {
        const qint64 msecs = moment.toMSecsSinceEpoch();
        if (msecs >= m_start && msecs < m_end)
            return m_day;
        m_day = moment.toTimeZone(m_zone).date();
        const QDateTime start(m_day, QTime(0, 0), m_zone);
        const QDateTime end(m_day.addDays(1), QTime(0, 0), m_zone);
        m_start = start.isValid() && end.isValid() ? start.toMSecsSinceEpoch() : 0;
        m_end = start.isValid() && end.isValid() ? end.toMSecsSinceEpoch() : 0;
        if (!(msecs >= m_start && msecs < m_end)) // a midnight that the zone skips: no shortcut for this day
            m_start = m_end = 0;
        return m_day;
    }

private:
    QTimeZone m_zone;
    QDate m_day;
    qint64 m_start = 0;
    qint64 m_end = 0;
};

} // namespace

QList<HistoryTableRow> buildTableRows(const QList<ClipboardItem> &items, bool pinFavoritesToTop,
    const HistorySectionDate &sectionDate, const HistoryCalendar &calendar)
{
    return buildTableRows(HistoryItems(items), pinFavoritesToTop, sectionDate, calendar);
}

QList<HistoryTableRow> buildTableRows(const HistoryItems &items, bool pinFavoritesToTop,
    const HistorySectionDate &sectionDate, const HistoryCalendar &calendar)
{
    QList<HistoryTableRow> rows;
    rows.reserve(items.size() + items.size() / 16 + 16); // headers: a day holds many items, as a rule
    const QString languageCode = currentInterfaceLanguage();
    const QDate yesterday = calendar.today.addDays(-1);
    DayFinder days(calendar.timeZone);
    bool emittedFavorites = false;
    std::optional<QDate> lastDay;

    // Model items that changed before they were handed over have no rows.
    if (!items.areCurrent())
        return rows;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const ClipboardItem &item = *items.currentAt(i);
        const int itemIndex = int(i);
        if (pinFavoritesToTop && item.isFavorite) {
            if (!emittedFavorites) {
                rows.append(HistoryTableRow::sectionHeader(localized(QStringLiteral("Favorites"))));
                emittedFavorites = true;
            }
            rows.append(HistoryTableRow::item(item.id, itemIndex));
            continue;
        }
        if (!sectionDate || !(item.*sectionDate).isValid()) {
            rows.append(HistoryTableRow::item(item.id, itemIndex));
            continue;
        }
        const QDate day = days.dayOf(item.*sectionDate);
        if (lastDay != day) {
            lastDay = day;
            QString title;
            if (day == calendar.today)
                title = localized(QStringLiteral("Today"));
            else if (day == yesterday)
                title = localized(QStringLiteral("Yesterday"));
            else
                title = historyDayTitle(day, languageCode);
            rows.append(HistoryTableRow::sectionHeader(std::move(title)));
        }
        rows.append(HistoryTableRow::item(item.id, itemIndex));
    }
    return rows;
}
