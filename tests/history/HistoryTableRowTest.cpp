#include "HistoryTableRow.h"

#include "Localization.h"

#include <gtest/gtest.h>

#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Sets the interface language for the scope of a test.
class InterfaceLanguage
{
public:
    explicit InterfaceLanguage(const QString &code) { setCurrentInterfaceLanguage(code); }
    ~InterfaceLanguage() { setCurrentInterfaceLanguage(u"en"_qs); }
};

const QTimeZone berlinWinter(3600); // UTC+1
const QDate today(2025, 3, 14);

QDateTime local(QDate date, QTime time, const QTimeZone &zone = berlinWinter)
{
    return QDateTime(date, time, zone).toUTC();
}

ClipboardItem itemAt(const QString &name, const QDateTime &copiedAt, bool favorite = false)
{
    ClipboardItem item;
    item.id = QUuid::createUuidV5(QUuid(), name);
    item.kind = ClipboardKind::text;
    item.text = name;
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.isFavorite = favorite;
    return item;
}

// The rows built from the items written out: a header as "# title", an item row as its item's text and index.
// An item row names the item that the list has at its index.
QStringList describe(const QList<HistoryTableRow> &rows, const QList<ClipboardItem> &items)
{
    QStringList lines;
    for (const HistoryTableRow &row : rows) {
        if (const auto *header = row.asSectionHeader()) {
            lines.append(u"# "_qs + header->title);
            continue;
        }
        const ClipboardItem &item = items.at(row.asItem()->itemIndex);
        EXPECT_EQ(item.id, row.asItem()->id);
        lines.append(*item.text + u' ' + QString::number(row.asItem()->itemIndex));
    }
    return lines;
}

QStringList build(const QList<ClipboardItem> &items, bool pin, const HistorySectionDate &sectionDate,
    const HistoryCalendar &calendar = {berlinWinter, today})
{
    return describe(buildTableRows(items, pin, sectionDate, calendar), items);
}

const HistorySectionDate byCopyTime = historySectionDate(HistorySortOption::lastCopyTime, false);

} // namespace

TEST(HistoryTableRows, WithoutSectionDateRowsAreTheItems)
{
    EXPECT_TRUE(buildTableRows(QList<ClipboardItem>(), true, byCopyTime, {berlinWinter, today}).isEmpty());

    const QList<ClipboardItem> items = {itemAt(u"a"_qs, local(today, QTime(9, 0))),
        itemAt(u"b"_qs, local(today.addDays(-4), QTime(9, 0)), true), itemAt(u"c"_qs, QDateTime())};
    EXPECT_EQ(build(items, false, {}), (QStringList {u"a 0"_qs, u"b 1"_qs, u"c 2"_qs}));
    // Pinned favourites still get their header.
    EXPECT_EQ(build(items, true, {}), (QStringList {u"a 0"_qs, u"# Favorites"_qs, u"b 1"_qs, u"c 2"_qs}));
}

TEST(HistoryTableRows, FavoritesThenDaySections)
{
    const QList<ClipboardItem> items = {
        itemAt(u"f1"_qs, local(today.addDays(-30), QTime(9, 0)), true),
        itemAt(u"f2"_qs, local(today, QTime(8, 0)), true),
        itemAt(u"f3"_qs, local(today.addDays(-1), QTime(8, 0)), true),
        itemAt(u"a"_qs, local(today, QTime(10, 0))),
        itemAt(u"b"_qs, local(today, QTime(9, 0))),
        itemAt(u"c"_qs, local(today.addDays(-1), QTime(23, 0))),
        itemAt(u"d"_qs, local(QDate(2025, 1, 5), QTime(12, 0))),
        itemAt(u"e"_qs, local(QDate(2025, 1, 5), QTime(1, 0))),
    };
    EXPECT_EQ(build(items, true, byCopyTime),
        (QStringList {u"# Favorites"_qs, u"f1 0"_qs, u"f2 1"_qs, u"f3 2"_qs, u"# Today"_qs, u"a 3"_qs, u"b 4"_qs,
            u"# Yesterday"_qs, u"c 5"_qs, u"# Jan 5"_qs, u"d 6"_qs, u"e 7"_qs}));
    // Not pinned: favourites sit in their days.
    EXPECT_EQ(build(items, false, byCopyTime),
        (QStringList {u"# Feb 12"_qs, u"f1 0"_qs, u"# Today"_qs, u"f2 1"_qs, u"# Yesterday"_qs, u"f3 2"_qs,
            u"# Today"_qs, u"a 3"_qs, u"b 4"_qs, u"# Yesterday"_qs, u"c 5"_qs, u"# Jan 5"_qs, u"d 6"_qs, u"e 7"_qs}));
}

TEST(HistoryTableRows, FavoriteAmongOthersKeepsTheDay)
{
    // A favourite met after other items gets the one "Favorites" header; the next item of the same day as the last
    // day header gets no new header. Items whose days alternate get a header at every change.
    const QList<ClipboardItem> items = {
        itemAt(u"a"_qs, local(today, QTime(10, 0))),
        itemAt(u"f"_qs, local(today.addDays(-3), QTime(10, 0)), true),
        itemAt(u"b"_qs, local(today, QTime(9, 0))),
        itemAt(u"c"_qs, local(today.addDays(-1), QTime(9, 0))),
        itemAt(u"g"_qs, local(today, QTime(7, 0)), true),
        itemAt(u"d"_qs, local(today, QTime(8, 0))),
    };
    EXPECT_EQ(build(items, true, byCopyTime),
        (QStringList {u"# Today"_qs, u"a 0"_qs, u"# Favorites"_qs, u"f 1"_qs, u"b 2"_qs, u"# Yesterday"_qs, u"c 3"_qs,
            u"g 4"_qs, u"# Today"_qs, u"d 5"_qs}));
}

TEST(HistoryTableRows, DaysBeginAtLocalMidnight)
{
    struct Case
    {
        const char *name;
        QTimeZone zone;
        QDate today;
        QList<QDateTime> copies;
        QStringList expected;
    };
    const QTimeZone newYork(-5 * 3600);
    const QTimeZone saoPaulo("America/Sao_Paulo");
    ASSERT_TRUE(saoPaulo.isValid());
    const QList<Case> cases = {
        {"midnight belongs to its day", berlinWinter, today,
            {local(today, QTime(0, 0)), local(today.addDays(-1), QTime(23, 59, 59))},
            {u"# Today"_qs, u"0 0"_qs, u"# Yesterday"_qs, u"1 1"_qs}},
        {"the calendar's zone decides, not UTC", newYork, QDate(2025, 3, 1),
            {QDateTime(QDate(2025, 3, 1), QTime(6, 0), Qt::UTC), QDateTime(QDate(2025, 3, 1), QTime(3, 0), Qt::UTC)},
            {u"# Today"_qs, u"0 0"_qs, u"# Yesterday"_qs, u"1 1"_qs}},
        {"across the year end", berlinWinter, QDate(2025, 1, 1),
            {local(QDate(2025, 1, 1), QTime(0, 10)), local(QDate(2024, 12, 31), QTime(23, 30)),
                local(QDate(2024, 12, 30), QTime(23, 59, 59)), local(QDate(2024, 1, 1), QTime(0, 0)),
                local(QDate(2023, 12, 31), QTime(12, 0))},
            {u"# Today"_qs, u"0 0"_qs, u"# Yesterday"_qs, u"1 1"_qs, u"# Dec 30"_qs, u"2 2"_qs, u"# Jan 1"_qs,
                u"3 3"_qs, u"# Dec 31"_qs, u"4 4"_qs}},
        {"a copy in the future is a dated day", berlinWinter, today, {local(today.addDays(1), QTime(0, 0))},
            {u"# Mar 15"_qs, u"0 0"_qs}},
        // On 4 November 2018 São Paulo's clocks went from 23:59:59 straight to 01:00: that day began at 01:00.
        {"a day whose midnight was skipped", saoPaulo, QDate(2018, 11, 5),
            {QDateTime(QDate(2018, 11, 5), QTime(1, 59, 59), Qt::UTC),
                QDateTime(QDate(2018, 11, 4), QTime(3, 0), Qt::UTC),
                QDateTime(QDate(2018, 11, 4), QTime(2, 59, 59), Qt::UTC)},
            {u"# Yesterday"_qs, u"0 0"_qs, u"1 1"_qs, u"# Nov 3"_qs, u"2 2"_qs}},
    };
    for (const Case &c : cases) {
        QList<ClipboardItem> items;
        for (const QDateTime &copy : c.copies)
            items.append(itemAt(QString::number(items.size()), copy));
        EXPECT_EQ(build(items, true, byCopyTime, {c.zone, c.today}), c.expected) << c.name;
    }
}

TEST(HistoryTableRows, SectionDateFollowsTheSortOption)
{
    ClipboardItem item = itemAt(u"x"_qs, local(today, QTime(10, 0)));
    item.firstCopiedAt = local(today.addDays(-1), QTime(10, 0));
    const QList<ClipboardItem> items = {item};

    EXPECT_EQ(build(items, true, historySectionDate(HistorySortOption::lastCopyTime, false)),
        (QStringList {u"# Today"_qs, u"x 0"_qs}));
    EXPECT_EQ(build(items, true, historySectionDate(HistorySortOption::firstCopyTime, false)),
        (QStringList {u"# Yesterday"_qs, u"x 0"_qs}));
    EXPECT_FALSE(historySectionDate(HistorySortOption::numberOfCopies, false));
    EXPECT_FALSE(historySectionDate(HistorySortOption::size, false));
    // Copy-sequence mode groups by the last copy whatever the sort option.
    for (const HistorySortOption option : HistorySortOption::allCases)
        EXPECT_EQ(build(items, true, historySectionDate(option, true)), (QStringList {u"# Today"_qs, u"x 0"_qs}));
}

TEST(HistoryTableRows, HeadersSpeakTheInterfaceLanguage)
{
    const QList<ClipboardItem> items = {
        itemAt(u"f"_qs, local(today, QTime(9, 0)), true),
        itemAt(u"a"_qs, local(today, QTime(9, 0))),
        itemAt(u"b"_qs, local(today.addDays(-1), QTime(9, 0))),
        itemAt(u"c"_qs, local(QDate(2024, 12, 30), QTime(9, 0))),
    };
    const auto headers = [&] {
        QStringList titles;
        for (const HistoryTableRow &row : buildTableRows(items, true, byCopyTime, {berlinWinter, today})) {
            if (const auto *header = row.asSectionHeader())
                titles.append(header->title);
        }
        return titles;
    };
    const QList<std::pair<QString, QStringList>> expected = {
        {u"en"_qs, {u"Favorites"_qs, u"Today"_qs, u"Yesterday"_qs, u"Dec 30"_qs}},
        {u"en-GB"_qs, {u"Favourites"_qs, u"Today"_qs, u"Yesterday"_qs, u"30 Dec"_qs}},
        {u"de"_qs, {u"Favoriten"_qs, u"Heute"_qs, u"Gestern"_qs, u"30. Dez."_qs}},
        {u"it"_qs, {u"Preferiti"_qs, u"Oggi"_qs, u"Ieri"_qs, u"30 dic"_qs}},
        {u"pt-BR"_qs, {u"Favoritos"_qs, u"Hoje"_qs, u"Ontem"_qs, u"30 de dez."_qs}},
        {u"es"_qs, {u"Favoritos"_qs, u"Hoy"_qs, u"Ayer"_qs, u"30 dic"_qs}},
        {u"ja"_qs, {u"お気に入り"_qs, u"今日"_qs, u"昨日"_qs, u"12月30日"_qs}},
        {u"zh-Hans"_qs, {u"收藏"_qs, u"今天"_qs, u"昨天"_qs, u"12月30日"_qs}},
    };
    ASSERT_EQ(expected.size(), supportedInterfaceLanguages().size());
    for (const auto &[language, titles] : expected) {
        InterfaceLanguage scope(language);
        EXPECT_EQ(headers(), titles) << qPrintable(language);
    }
}

TEST(HistoryTableRows, EqualityAndIdentity)
{
    const ClipboardItem item = itemAt(u"a"_qs, local(today, QTime(9, 0)));
    const ClipboardItem other = itemAt(u"b"_qs, local(today, QTime(9, 0)));

    EXPECT_EQ(HistoryTableRow::item(item.id, 2), HistoryTableRow::item(item.id, 2));
    EXPECT_NE(HistoryTableRow::item(item.id, 2), HistoryTableRow::item(item.id, 3));
    EXPECT_NE(HistoryTableRow::item(item.id, 2), HistoryTableRow::item(other.id, 2));
    EXPECT_NE(HistoryTableRow::sectionHeader(u"Today"_qs), HistoryTableRow::sectionHeader(u"Yesterday"_qs));

    // The identity follows the item's id across index changes; a header's is its title.
    EXPECT_EQ(HistoryTableRow::item(item.id, 2).identity(), HistoryTableRow::item(item.id, 7).identity());
    EXPECT_EQ(HistoryTableRow::item(item.id, 0).identity(), HistoryTableRowIdentity::item(item.id));
    EXPECT_EQ(
        HistoryTableRow::sectionHeader(u"Today"_qs).identity(), HistoryTableRowIdentity::sectionHeader(u"Today"_qs));
    EXPECT_NE(HistoryTableRowIdentity::sectionHeader(item.id.toString()), HistoryTableRowIdentity::item(item.id));
    // The same compared in place.
    const HistoryTableRow rows[] = {HistoryTableRow::item(item.id, 2), HistoryTableRow::item(item.id, 7),
        HistoryTableRow::item(other.id, 2), HistoryTableRow::sectionHeader(u"Today"_qs),
        HistoryTableRow::sectionHeader(u"Yesterday"_qs), HistoryTableRow::sectionHeader(item.id.toString())};
    for (const HistoryTableRow &a : rows) {
        for (const HistoryTableRow &b : rows)
            EXPECT_EQ(a.hasSameIdentity(b), a.identity() == b.identity());
    }
}
