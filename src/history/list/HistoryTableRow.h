#pragma once

#include "ClipboardItem.h"
#include "HistoryItems.h"
#include "HistorySortOption.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QUuid>

#include <variant>

// What a row of the history table stands for across updates: a header by its title, an item by its id. Old and
// new rows are compared by identity to find the rows that an update removed.
class HistoryTableRowIdentity
{
public:
    static HistoryTableRowIdentity sectionHeader(QString title) { return HistoryTableRowIdentity(std::move(title)); }
    static HistoryTableRowIdentity item(QUuid id) { return HistoryTableRowIdentity(id); }

    bool operator==(const HistoryTableRowIdentity &) const = default;

private:
    explicit HistoryTableRowIdentity(std::variant<QString, QUuid> value) : m_value(std::move(value)) { }
    std::variant<QString, QUuid> m_value;
};

// One row of the history table: a section header, or an item by its id and its index in the item list that the
// rows were built from (headers not counted). The row names its item and never holds a copy of it; the list the
// rows were built from has it at that index. The index gives the quick-paste number.
class HistoryTableRow
{
public:
    struct SectionHeader
    {
        QString title;
        bool operator==(const SectionHeader &) const = default;
    };
    struct Item
    {
        QUuid id;
        int itemIndex = 0;
        bool operator==(const Item &) const = default;
    };

    static HistoryTableRow sectionHeader(QString title) { return HistoryTableRow(SectionHeader {std::move(title)}); }
    static HistoryTableRow item(const QUuid &id, int itemIndex) { return HistoryTableRow(Item {id, itemIndex}); }

    bool isSectionHeader() const { return std::holds_alternative<SectionHeader>(m_value); }
    bool isItem() const { return std::holds_alternative<Item>(m_value); }
    // Nothing for the other case.
    const SectionHeader *asSectionHeader() const { return std::get_if<SectionHeader>(&m_value); }
    const Item *asItem() const { return std::get_if<Item>(&m_value); }

    HistoryTableRowIdentity identity() const;
    // identity() == other.identity(), compared in place.
    bool hasSameIdentity(const HistoryTableRow &other) const;

    // Headers are equal by title, item rows by item id and index; a header never equals an item row.
    bool operator==(const HistoryTableRow &) const = default;

private:
    explicit HistoryTableRow(std::variant<SectionHeader, Item> value) : m_value(std::move(value)) { }
    std::variant<SectionHeader, Item> m_value;
};

// The calendar that day sections follow: days begin at midnight in the time zone, and "today" is the given date.
struct HistoryCalendar
{
    QTimeZone timeZone;
    QDate today;

    // The system's time zone and today's date in it.
    static HistoryCalendar current();
};

// The date of an item by which it is put into a day section; none (a null pointer) puts it into none.
using HistorySectionDate = QDateTime ClipboardItem::*;

// The section date for the sort option: the last copy time in copy-sequence mode (whatever the sort) and for
// the last copy time, the first copy time for that option, and none (no day headers) for the others.
HistorySectionDate historySectionDate(HistorySortOption option, bool copySequenceModeEnabled);

// The rows of the history table for the visible items in display order: one item row per item in that order, with
// an optional "Favorites" header before the first favourite (when favourites are pinned) and a header at every
// change of day: "Today", "Yesterday" or the abbreviated month and day. Without a section date there are no day
// headers. Header texts are in the interface language; an invalid date counts as none.
QList<HistoryTableRow> buildTableRows(const HistoryItems &items, bool pinFavoritesToTop,
    const HistorySectionDate &sectionDate, const HistoryCalendar &calendar);
QList<HistoryTableRow> buildTableRows(const QList<ClipboardItem> &items, bool pinFavoritesToTop,
    const HistorySectionDate &sectionDate, const HistoryCalendar &calendar);

// The title of a day header for the date, e.g. "Jan 5" in English, "5. Jan." in German, "1月5日" in Japanese.
QString historyDayTitle(QDate date, const QString &languageCode);
