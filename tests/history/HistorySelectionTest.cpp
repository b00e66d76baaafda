// The history list's selection driven as a user drives it: mouse clicks with and without Ctrl and Shift on the
// real view, keys through the view's key handling, and the window's next/previous shortcuts. Each sequence is
// checked for the selection in the order it was made, the primary item, the order numbers the rows show, keyboard
// multiple-selection mode and the sounds asked for.

#include "History.h"
#include "HistoryDelegate.h"
#include "HistoryTableView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QTimeZone zone(3600);
const QDate today(2025, 3, 14);

ClipboardItem textItem(const QString &text, int daysAgo, int hour)
{
    ClipboardItem item;
    item.id = QUuid::createUuidV5(QUuid(), text);
    item.kind = ClipboardKind::text;
    item.text = text;
    item.copiedAt = QDateTime(today.addDays(-daysAgo), QTime(hour, 0), zone).toUTC();
    item.firstCopiedAt = item.copiedAt;
    return item.refreshingSearchText({});
}

struct RecordingDelegate final : HistoryDelegate
{
    void historySelectionDidChange(const QList<QUuid> &ids, const std::optional<QUuid> &primary) override
    {
        QStringList texts;
        for (const QUuid &id : ids)
            texts.append(textOf(id));
        selection = texts.join(u',');
        primaryItem = primary ? textOf(*primary) : QString();
        ++reports;
    }
    // The text of the list's item of the id.
    QString textOf(const QUuid &id) const
    {
        const std::optional<int> row = list ? list->rowIndexOfItem(id) : std::nullopt;
        return row ? *list->itemAtRow(*row)->text : QString();
    }

    void historyDidClickItem(const ClipboardItem &item) override { clicks.append(*item.text); }
    void historyDidDoubleClickItem(const ClipboardItem &item) override { clicks.append(*item.text + u"×2"_qs); }
    void historyContextMenu(QMenu &, const QList<ClipboardItem> &, const std::optional<ClipboardItem> &) override { }
    void historyNeedsLinkPreview(const ClipboardItem &) override { }
    void historyPlaySound(SoundEffect effect) override
    {
        sounds.append(effect == SoundEffect::selectionAdd ? u"+"_qs : u"-"_qs);
    }
    void historyForwardSearchKeyDown(const QKeyEvent &event) override { typed += event.text(); }

    QString selection;
    QString primaryItem;
    int reports = 0;
    QStringList clicks;
    QStringList sounds;
    QString typed;
    const History *list = nullptr;
};

// Rows: 0 "Today", 1 a, 2 b, 3 "Yesterday", 4 c, 5 d, 6 e. Nothing is selected at first.
struct SelectionHarness
{
    SelectionHarness()
    {
        list.resize(420, 600);
        list.setDelegate(&delegate);
        delegate.list = &list;
        list.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
        HistoryUpdate update;
        update.items = {textItem(u"a"_qs, 0, 10), textItem(u"b"_qs, 0, 9), textItem(u"c"_qs, 1, 10),
            textItem(u"d"_qs, 1, 9), textItem(u"e"_qs, 1, 8)};
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.calendar = HistoryCalendar {zone, today};
        list.update(std::move(update));
        list.tableView().layOutRowsNow();
    }

    int rowOf(const QString &text) const
    {
        for (int row = 0; row < list.tableRows().size(); ++row) {
            if (const ClipboardItem *item = list.itemAtRow(row); item && item->text == text)
                return row;
        }
        return -1;
    }
    QPoint centreOf(const QString &text) const
    {
        return list.tableView().visualRect(list.tableView().model()->index(rowOf(text), 0)).center();
    }

    // One step: "click a", "ctrl-click a", "shift-click a", "alt-click a", "double-click a", a key such as
    // "down", "shift+down", "right", "left", "x", or "next"/"previous" for the window's shortcuts.
    void run(const QString &step)
    {
        const QStringList words = step.split(u' ');
        QWidget *viewport = list.tableView().viewport();
        const auto click = [&](Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(viewport, Qt::LeftButton, modifiers, centreOf(words.at(1)));
        };
        if (words.first() == u"click")
            click(Qt::NoModifier);
        else if (words.first() == u"ctrl-click")
            click(Qt::ControlModifier);
        else if (words.first() == u"shift-click")
            click(Qt::ShiftModifier);
        else if (words.first() == u"alt-click")
            click(Qt::AltModifier);
        else if (words.first() == u"ctrl-shift-click")
            click(Qt::ControlModifier | Qt::ShiftModifier);
        else if (words.first() == u"double-click")
            QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, centreOf(words.at(1)));
        else if (step == u"next")
            list.moveSelection(HistorySelectionDirection::down);
        else if (step == u"previous")
            moved = list.moveSelection(HistorySelectionDirection::up);
        else
            key(step);
    }
    void key(const QString &name)
    {
        const Qt::KeyboardModifiers modifiers = name.startsWith(u"shift+") ? Qt::ShiftModifier : Qt::NoModifier;
        const QString keyName = name.section(u'+', -1);
        const QHash<QString, Qt::Key> keys = {{u"down"_qs, Qt::Key_Down}, {u"up"_qs, Qt::Key_Up},
            {u"right"_qs, Qt::Key_Right}, {u"left"_qs, Qt::Key_Left}, {u"home"_qs, Qt::Key_Home},
            {u"end"_qs, Qt::Key_End}, {u"pageup"_qs, Qt::Key_PageUp}};
        if (keys.contains(keyName))
            QTest::keyClick(&list.tableView(), keys.value(keyName), modifiers);
        else
            for (const QChar character : keyName) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, QString(character));
                QCoreApplication::sendEvent(&list.tableView(), &press);
            }
    }

    // The selected items in the order of selection, as the delegate heard last.
    QString selection() const { return delegate.selection; }
    // The order numbers the rows show: "a2 b· c1" (· = the placeholder of an unselected row); empty when none.
    QString numbers() const
    {
        QStringList shown;
        for (int row = 0; row < list.tableRows().size(); ++row) {
            const ClipboardItem *item = list.itemAtRow(row);
            if (!item)
                continue;
            const HistoryItemRowConfiguration configuration = list.itemRowConfiguration(row);
            if (configuration.selectionOrderNumber)
                shown.append(*item->text + QString::number(*configuration.selectionOrderNumber));
            else if (configuration.showsSelectionOrderPlaceholder)
                shown.append(*item->text + u"·"_qs);
        }
        return shown.join(u' ');
    }
    QString selectedRowsText() const
    {
        QStringList texts;
        for (int row : list.tableView().selectedRows())
            texts.append(*list.itemAtRow(row)->text);
        return texts.join(u',');
    }

    History list;
    RecordingDelegate delegate;
    bool moved = true;
};

} // namespace

TEST(HistorySelection, SequencesOfClicksAndKeys)
{
    struct Case
    {
        QStringList steps;
        QString selection; // in the order of selection
        QString primary;
        QString numbers;
        bool mode;
        QStringList sounds;
    };
    const QList<Case> cases = {
        // The window's shortcuts: from nothing, Down takes the first item under its header, Up the last.
        {{u"next"_qs}, u"a"_qs, u"a"_qs, {}, false, {}},
        {{u"previous"_qs}, u"e"_qs, u"e"_qs, {}, false, {}},
        {{u"click c"_qs, u"next"_qs, u"next"_qs}, u"e"_qs, u"e"_qs, {}, false, {}},
        // Outside keyboard multiple-selection mode plain arrows are the list's own moves, which pass over headers.
        {{u"click b"_qs, u"down"_qs}, u"c"_qs, u"c"_qs, {}, false, {}},
        {{u"click c"_qs, u"up"_qs}, u"b"_qs, u"b"_qs, {}, false, {}},
        {{u"click a"_qs, u"up"_qs}, u"a"_qs, u"a"_qs, {}, false, {}},
        {{u"click d"_qs, u"home"_qs}, u"a"_qs, u"a"_qs, {}, false, {}},
        {{u"click d"_qs, u"pageup"_qs}, u"a"_qs, u"a"_qs, {}, false, {}},
        {{u"click a"_qs, u"end"_qs}, u"e"_qs, u"e"_qs, {}, false, {}},
        // Shift+Down from a single row skips the header, Shift+Up shrinks back towards the anchor.
        {{u"click b"_qs, u"shift+down"_qs}, u"b,c"_qs, u"c"_qs, u"a· b1 c2 d· e·"_qs, false, {}},
        {{u"click b"_qs, u"shift+down"_qs, u"shift+down"_qs, u"shift+up"_qs}, u"b,c"_qs, u"c"_qs, u"a· b1 c2 d· e·"_qs,
            false, {}},
        {{u"click d"_qs, u"shift+up"_qs, u"shift+up"_qs}, u"d,c,b"_qs, u"b"_qs, u"a· b3 c2 d1 e·"_qs, false, {}},
        // Keyboard multiple selection: Right enters the mode and sounds once, Down moves the focus only, Right
        // adds, Left removes.
        {{u"click a"_qs, u"right"_qs}, u"a"_qs, u"a"_qs, u"a1 b· c· d· e·"_qs, true, {u"+"_qs}},
        {{u"click a"_qs, u"right"_qs, u"right"_qs}, u"a"_qs, u"a"_qs, u"a1 b· c· d· e·"_qs, true, {u"+"_qs}},
        {{u"click a"_qs, u"right"_qs, u"down"_qs}, u"a"_qs, u"b"_qs, u"a1 b· c· d· e·"_qs, true, {u"+"_qs}},
        {{u"click a"_qs, u"right"_qs, u"down"_qs, u"down"_qs, u"right"_qs}, u"a,c"_qs, u"c"_qs, u"a1 b· c2 d· e·"_qs,
            true, {u"+"_qs, u"+"_qs}},
        {{u"click a"_qs, u"right"_qs, u"down"_qs, u"right"_qs, u"left"_qs}, u"a"_qs, u"b"_qs, u"a1 b· c· d· e·"_qs,
            true, {u"+"_qs, u"+"_qs, u"-"_qs}},
        {{u"click e"_qs, u"right"_qs, u"up"_qs, u"up"_qs, u"up"_qs, u"up"_qs, u"up"_qs, u"right"_qs}, u"e,a"_qs,
            u"a"_qs, u"a2 b· c· d· e1"_qs, true, {u"+"_qs, u"+"_qs}},
        // Left on the only selected row outside the mode keeps it, plays nothing and leaves the mode off; in the
        // mode, removing the last row keeps it too and ends the mode.
        {{u"click a"_qs, u"left"_qs}, u"a"_qs, u"a"_qs, {}, false, {}},
        {{u"click a"_qs, u"right"_qs, u"left"_qs}, u"a"_qs, u"a"_qs, {}, false, {u"+"_qs, u"-"_qs}},
        // Left with several rows selected outside the mode removes with a sound.
        {{u"click a"_qs, u"shift+down"_qs, u"left"_qs}, u"a"_qs, u"b"_qs, u"a1 b· c· d· e·"_qs, true, {u"-"_qs}},
        // Ctrl-click toggles and keeps the order of selection; on the only selected row it empties the selection.
        {{u"click e"_qs, u"ctrl-click c"_qs, u"ctrl-click a"_qs}, u"e,c,a"_qs, u"a"_qs, u"a3 b· c2 d· e1"_qs, false,
            {}},
        {{u"click e"_qs, u"ctrl-click c"_qs, u"ctrl-click a"_qs, u"ctrl-click c"_qs}, u"e,a"_qs, u"a"_qs,
            u"a2 b· c· d· e1"_qs, false, {}},
        {{u"click a"_qs, u"ctrl-click a"_qs}, {}, {}, {}, false, {}},
        // Shift-click ranges from the anchor (the row clicked last), headers skipped: rows selected before keep
        // their places, the others follow from the anchor towards the clicked row.
        {{u"click a"_qs, u"ctrl-click d"_qs, u"shift-click b"_qs}, u"d,c,b"_qs, u"b"_qs, u"a· b3 c2 d1 e·"_qs, false,
            {}},
        {{u"click b"_qs, u"shift-click e"_qs}, u"b,c,d,e"_qs, u"e"_qs, u"a· b1 c2 d3 e4"_qs, false, {}},
        // The anchor moved to e with the last Shift-click.
        {{u"click b"_qs, u"shift-click e"_qs, u"shift-click c"_qs}, u"c,d,e"_qs, u"c"_qs, u"a· b· c1 d2 e3"_qs, false,
            {}},
        // A plain click on one row of a multiple selection is the list's own: it collapses the selection there.
        {{u"click a"_qs, u"shift-click c"_qs, u"click b"_qs}, u"b"_qs, u"b"_qs, {}, false, {}},
        // Any mouse-down leaves keyboard multiple-selection mode.
        {{u"click a"_qs, u"right"_qs, u"down"_qs, u"ctrl-click d"_qs}, u"a,d"_qs, u"d"_qs, u"a1 b· c· d2 e·"_qs, false,
            {u"+"_qs}},
        // Alt-click and Ctrl+Shift-click are left to the list's own handling, which does not toggle.
        {{u"click a"_qs, u"alt-click c"_qs}, u"c"_qs, u"c"_qs, {}, false, {}},
    };
    for (const Case &c : cases) {
        SelectionHarness h;
        for (const QString &step : c.steps)
            h.run(step);
        const std::string name = c.steps.join(u", ").toStdString();
        EXPECT_EQ(h.selection(), c.selection) << name;
        EXPECT_EQ(h.delegate.primaryItem, c.primary) << name;
        EXPECT_EQ(h.numbers(), c.numbers) << name;
        EXPECT_EQ(h.list.isKeyboardMultipleSelectionMode(), c.mode) << name;
        EXPECT_EQ(h.list.tableView().isKeyboardMultipleSelectionMode(), c.mode) << name;
        EXPECT_EQ(h.delegate.sounds, c.sounds) << name;
        // What the table shows selected is what the delegate was told, in row order.
        QStringList inRowOrder = c.selection.split(u',', Qt::SkipEmptyParts);
        inRowOrder.sort();
        EXPECT_EQ(h.selectedRowsText(), inRowOrder.join(u',')) << name;
    }
}

TEST(HistorySelection, EdgesOfTheList)
{
    SelectionHarness h;
    h.run(u"click a"_qs);
    h.run(u"previous"_qs); // nothing above the first item (only its header)
    EXPECT_FALSE(h.moved);
    EXPECT_EQ(h.selection(), u"a"_qs);
    h.run(u"shift+up"_qs);
    EXPECT_EQ(h.selectedRowsText(), u"a"_qs);
    h.run(u"click e"_qs);
    h.run(u"shift+down"_qs);
    h.run(u"right"_qs);
    h.run(u"down"_qs);
    EXPECT_EQ(h.list.selectionLeadRow(), h.rowOf(u"e"_qs));

    History empty;
    EXPECT_FALSE(empty.moveSelection(HistorySelectionDirection::down));
    EXPECT_FALSE(empty.moveSelection(HistorySelectionDirection::up));
    empty.extendSelection(HistorySelectionDirection::down);
    empty.applyKeyboardMultipleSelectionCommand(HistoryKeyboardMultipleSelectionCommand::addCurrent);
    empty.moveKeyboardSelectionFocus(HistorySelectionDirection::down);
    EXPECT_TRUE(empty.tableView().selectedRows().isEmpty());
    EXPECT_FALSE(empty.isKeyboardMultipleSelectionMode());
}

TEST(HistorySelection, ClicksReachTheDelegateOnlyWithoutModifiers)
{
    SelectionHarness h;
    h.run(u"click a"_qs);
    h.run(u"ctrl-click b"_qs);
    h.run(u"shift-click c"_qs);
    h.run(u"click c"_qs); // on a selected row: the list's own click, still told
    h.run(u"double-click d"_qs);
    ASSERT_FALSE(h.delegate.clicks.isEmpty());
    EXPECT_EQ(h.delegate.clicks.first(), u"a"_qs);
    EXPECT_TRUE(h.delegate.clicks.contains(u"c"_qs));
    EXPECT_FALSE(h.delegate.clicks.contains(u"b"_qs));
    EXPECT_EQ(h.delegate.clicks.last(), u"d×2"_qs);
    EXPECT_EQ(h.selectedRowsText(), u"d"_qs);

    // A header takes no click and no selection.
    const int reports = h.delegate.reports;
    EXPECT_FALSE(h.list.handleMouseDownSelection(0, Qt::NoModifier));
    EXPECT_FALSE(h.list.handleMouseDownSelection(-1, Qt::ControlModifier));
    EXPECT_EQ(h.delegate.reports, reports);
}

TEST(HistorySelection, ClicksOnAHeaderLeaveTheSelectionAsItWas)
{
    // Rows 0 ("Today") and 3 ("Yesterday") are the headers.
    const QList<QStringList> before = {{u"click b"_qs}, {u"click a"_qs, u"ctrl-click d"_qs}, {u"click e"_qs}};
    for (const int header : {0, 3}) {
        for (const QStringList &steps : before) {
            for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier),
                     Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
                SelectionHarness h;
                for (const QString &step : steps)
                    h.run(step);
                const QString selected = h.selectedRowsText();
                const int reports = h.delegate.reports;
                const QStringList clicks = h.delegate.clicks;
                const QPoint centre
                    = h.list.tableView().visualRect(h.list.tableView().model()->index(header, 0)).center();
                QWidget *viewport = h.list.tableView().viewport();
                QTest::mouseClick(viewport, Qt::LeftButton, modifiers, centre);
                if (modifiers == Qt::NoModifier)
                    QTest::mouseDClick(viewport, Qt::LeftButton, modifiers, centre);
                // A drag starting on the header selects nothing either.
                QTest::mousePress(viewport, Qt::LeftButton, modifiers, centre);
                QTest::mouseMove(viewport, h.centreOf(u"e"_qs));
                QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, h.centreOf(u"e"_qs));
                const std::string name = steps.join(u", ").toStdString() + ", header " + std::to_string(header)
                    + ", modifiers " + std::to_string(modifiers.toInt());
                EXPECT_EQ(h.selectedRowsText(), selected) << name;
                EXPECT_EQ(h.delegate.reports, reports) << name;
                EXPECT_EQ(h.delegate.clicks, clicks) << name;
            }
        }
    }
}

TEST(HistorySelection, TypedCharactersGoToTheSearchField)
{
    SelectionHarness h;
    h.run(u"click a"_qs);
    h.run(u"hé"_qs);
    QTest::keyClick(&h.list.tableView(), Qt::Key_X, Qt::ControlModifier); // a command, not typing
    QTest::keyClick(&h.list.tableView(), Qt::Key_Tab);
    EXPECT_EQ(h.delegate.typed, u"hé"_qs);
    EXPECT_EQ(h.selection(), u"a"_qs);
}

TEST(HistorySelection, TheModelsSelectionComesInWithoutBeingReported)
{
    SelectionHarness h;
    const QUuid a = textItem(u"a"_qs, 0, 10).id;
    const QUuid d = textItem(u"d"_qs, 1, 9).id;
    QStringList fallbacks;
    const auto fallback = [&](const ClipboardItem &item) { fallbacks.append(*item.text); };

    h.list.selectItems(d, {a, d}, fallback);
    EXPECT_EQ(h.selectedRowsText(), u"a,d"_qs);
    EXPECT_EQ(h.list.selectionLeadRow(), h.rowOf(u"d"_qs));
    EXPECT_EQ(h.numbers(), u"a2 b· c· d1 e·"_qs); // the lead first, then the rest top to bottom
    EXPECT_EQ(h.delegate.reports, 0);

    // Ids that name no row fall back to the first item and change nothing else.
    h.list.selectItems(QUuid::createUuid(), {}, fallback);
    EXPECT_EQ(fallbacks, QStringList({u"a"_qs}));
    EXPECT_EQ(h.selectedRowsText(), u"a,d"_qs);

    // A Shift-click after the model's selection ranges from the lead it set.
    h.run(u"shift-click b"_qs);
    EXPECT_EQ(h.selectedRowsText(), u"b,c,d"_qs);
}

namespace {

// The parts of a widget painted since the last take.
struct PaintRecorder final : QObject
{
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion take()
    {
        QCoreApplication::processEvents();
        return std::exchange(painted, QRegion());
    }
    QRegion painted;
};

} // namespace

TEST(HistorySelection, OnlyRowsThatLookDifferentAreDrawnAgain)
{
    SelectionHarness h;
    HistoryTableView &table = h.list.tableView();
    PaintRecorder recorder;
    table.viewport()->installEventFilter(&recorder);
    const auto rowRect = [&](const QString &text) { return table.visualRect(table.model()->index(h.rowOf(text), 0)); };

    h.run(u"click e"_qs);
    h.run(u"ctrl-click a"_qs);
    recorder.take();
    h.list.updateVisibleRowSelectionStyles();
    h.list.updateSelectionOrderNumbers();
    EXPECT_TRUE(recorder.take().isEmpty());

    // Adding c: c itself, and d whose shape now joins it and whose divider goes; b and e look as before (a, the
    // lead before, is drawn again for its focus flag).
    h.run(u"ctrl-click c"_qs);
    const QRegion painted = recorder.take();
    for (const QString &changed : {u"c"_qs, u"d"_qs})
        EXPECT_TRUE(painted.contains(rowRect(changed).center())) << changed.toStdString();
    for (const QString &unchanged : {u"b"_qs, u"e"_qs})
        EXPECT_FALSE(painted.contains(rowRect(unchanged).center())) << unchanged.toStdString();
}
