// The list's selection bookkeeping on its own, over rows written as text: the order of selection after selections,
// toggles and ranges, and the order's places once the rows are a new set (items moved, items gone).

#include "HistoryListSelection.h"

#include <gtest/gtest.h>

namespace {

QUuid idOf(QChar item)
{
    return QUuid::createUuidV5(QUuid(), QString(item));
}

// Rows written one character each: '#' a header, a letter the item of that name.
struct TextRows final : HistoryListSelectionRows
{
    const QList<HistoryTableRow> &rows() const override { return tableRows; }
    std::optional<int> rowOfItem(const QUuid &id) const override
    {
        for (int row = 0; row < tableRows.size(); ++row) {
            if (const HistoryTableRow::Item *item = tableRows.at(row).asItem(); item && item->id == id)
                return row;
        }
        return std::nullopt;
    }
    const QList<int> &selectedRows() const override { return selected; }
    bool isRowSelected(int row) const override { return selected.contains(row); }

    void setLayout(const QString &rows)
    {
        layout = rows;
        tableRows.clear();
        int itemIndex = 0;
        for (const QChar row : rows)
            tableRows.append(row == u'#' ? HistoryTableRow::sectionHeader(u"Today"_qs)
                                         : HistoryTableRow::item(idOf(row), itemIndex++));
    }
    // The rows of these items (a '#' stands for the first header), in the order written.
    QList<int> rowsOf(const QString &items) const
    {
        QList<int> rows;
        for (const QChar item : items)
            rows.append(int(layout.indexOf(item)));
        return rows;
    }

    QString layout;
    QList<HistoryTableRow> tableRows;
    QList<int> selected;
};

struct Harness
{
    Harness() { rows.setLayout(u"#ab#cde"_qs); }

    // "select bd lead d": the order for these selected items with the lead; "range dcb": the order for a range in
    // that order; "rows #db#ace": the rows are a new set; "clear".
    void run(const QString &step)
    {
        const QStringList words = step.split(u' ');
        if (words.first() == u"select") {
            selection.setSelectionOrder(
                selection.computeSelectionOrderRows(rows.rowsOf(words.at(1)), rows.rowsOf(words.at(3)).first()));
        } else if (words.first() == u"range") {
            selection.setSelectionOrder(selection.rangeSelectionOrderRows(rows.rowsOf(words.at(1))));
        } else if (words.first() == u"rows") {
            rows.setLayout(words.at(1));
            selection.rowsDidChange();
        } else if (step == u"clear") {
            selection.clear();
        }
        // Asked after every step, as the painting does, so that a stale answer would show.
        positions = positionsText();
    }

    // The ids of the order as their items: "dbc".
    QString orderText() const
    {
        QString text;
        for (const QUuid &id : selection.selectionOrderIDs()) {
            const std::optional<int> row = rows.rowOfItem(id);
            text += row ? rows.layout.at(*row) : u'?';
        }
        return text;
    }
    // Each item row's place in the order, top to bottom: "d1 b2".
    QString positionsText() const
    {
        QStringList shown;
        for (int row = 0; row < rows.layout.size(); ++row) {
            if (const int position = selection.selectionOrderPosition(row); position > 0)
                shown.append(rows.layout.at(row) + QString::number(position));
        }
        return shown.join(u' ');
    }

    TextRows rows;
    HistoryListSelection selection {rows};
    QString positions;
};

} // namespace

TEST(HistoryListSelection, OrderAndPlacesAfterEachStep)
{
    struct Case
    {
        QStringList steps;
        QString order; // the items of the order's ids; '?' for an id no row has
        QString positions;
    };
    const QList<Case> cases = {
        // The lead first, then the others top to bottom; rows already in the order keep their places.
        {{u"select bd lead d"_qs}, u"db"_qs, u"b2 d1"_qs},
        {{u"select bd lead d"_qs, u"select bcd lead c"_qs}, u"dbc"_qs, u"b2 c3 d1"_qs},
        {{u"select bcd lead b"_qs, u"select ce lead e"_qs}, u"ce"_qs, u"c1 e2"_qs},
        // Toggles one row at a time: taking c out leaves e and a in their order.
        {{u"select e lead e"_qs, u"select ce lead c"_qs, u"select ace lead a"_qs, u"select ae lead a"_qs}, u"ea"_qs,
            u"a2 e1"_qs},
        // Headers and repeated rows count once or not at all.
        {{u"select #bb lead #"_qs}, u"b"_qs, u"b1"_qs},
        // A range keeps the rows of the order it covers in their order, then the others as the range runs.
        {{u"select ad lead d"_qs, u"range dcb"_qs}, u"dcb"_qs, u"b3 c2 d1"_qs},
        {{u"select ec lead c"_qs, u"range b#cde"_qs}, u"cebd"_qs, u"b3 c1 d4 e2"_qs},
        // A new set of rows: the order follows its items to their new rows.
        {{u"select bd lead d"_qs, u"rows #db#ace"_qs}, u"db"_qs, u"d1 b2"_qs},
        {{u"select bd lead d"_qs, u"rows #db#ace"_qs, u"select bde lead e"_qs}, u"dbe"_qs, u"d1 b2 e3"_qs},
        {{u"select ae lead e"_qs, u"rows #ea#bcd"_qs, u"range cba"_qs}, u"acb"_qs, u"a1 b3 c2"_qs},
        // An item that went keeps its place until the next order is made without it.
        {{u"select bd lead d"_qs, u"rows #b#ace"_qs}, u"?b"_qs, u"b2"_qs},
        {{u"select bd lead d"_qs, u"rows #b#ace"_qs, u"select ab lead a"_qs}, u"ba"_qs, u"b1 a2"_qs},
        {{u"select bd lead d"_qs, u"clear"_qs}, {}, {}},
    };
    for (const Case &c : cases) {
        Harness h;
        for (const QString &step : c.steps)
            h.run(step);
        const std::string name = c.steps.join(u", ").toStdString();
        EXPECT_EQ(h.orderText(), c.order) << name;
        EXPECT_EQ(h.positions, c.positions) << name;
    }
}
