// The history list driven by real input on this display: xdotool clicks rows with and without Ctrl and presses
// Shift+Down, Right, Up and Left while the list has the keyboard focus, and the selection, its order and keyboard
// multiple-selection mode follow. Pictures of a joined multiple selection and of keyboard mode, in the light and
// the dark appearance, are left in the screenshots folder of the build.
//
// The list is shown on its own here: in the running program it sits in the stand-in history window, whose search
// field keeps the keyboard focus, so keys never reach the list there.

#include "History.h"
#include "HistoryTableView.h"
#include "KeyboardTestSupport.h"
#include "StyleAppearanceApplier.h"

#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

ClipboardItem item(int n, ClipboardKind kind, const QString &text, const QDateTime &copiedAt)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = kind;
    made.text = text;
    made.copiedAt = copiedAt;
    made.firstCopiedAt = copiedAt;
    made.sourceAppName = QStringLiteral("Text Editor");
    return made.refreshingSearchText({});
}

QList<ClipboardItem> someHistory()
{
    // Noon today, so that the minutes before "now" never fall on yesterday when the test runs just after midnight.
    const QDateTime now(QDate::currentDate(), QTime(12, 0));
    const QDateTime yesterday = now.addDays(-1);
    return {
        item(1, ClipboardKind::text, QStringLiteral("Meeting notes: the release moves to Thursday"), now),
        item(2, ClipboardKind::link, QStringLiteral("https://www.debian.org/News/"), now.addSecs(-60)),
        item(3, ClipboardKind::color, QStringLiteral("#3B85ED"), now.addSecs(-120)),
        item(4, ClipboardKind::text, QStringLiteral("git commit -m \"Parse empty lines\""), now.addSecs(-180)),
        item(5, ClipboardKind::text,
            QStringLiteral("Dear Ms Lindqvist, thank you for the figures; the second table is now in the report."),
            yesterday),
        item(6, ClipboardKind::email, QStringLiteral("someone@example.org"), yesterday.addSecs(-60)),
        item(7, ClipboardKind::text, QStringLiteral("SELECT name FROM tags ORDER BY name"), yesterday.addSecs(-120)),
    };
}

struct RecordingDelegate final : HistoryDelegate
{
    void historySelectionDidChange(const QList<QUuid> &ids, const std::optional<QUuid> &) override { order = ids; }
    void historyDidClickItem(const ClipboardItem &) override { }
    void historyDidDoubleClickItem(const ClipboardItem &) override { }
    void historyContextMenu(QMenu &, const QList<ClipboardItem> &, const std::optional<ClipboardItem> &) override { }
    void historyNeedsLinkPreview(const ClipboardItem &) override { }
    void historyPlaySound(SoundEffect effect) override { sounds.append(effect); }
    void historyForwardSearchKeyDown(const QKeyEvent &) override { }

    QList<QUuid> order;
    QList<SoundEffect> sounds;
};

class ListOnScreen
{
public:
    explicit ListOnScreen(const QList<ClipboardItem> &items) : m_items(items)
    {
        m_list.setWindowTitle(QStringLiteral("History list input"));
        m_list.setDelegate(&m_delegate);
        m_list.setGeometry(80, 60, 420, 560);
        HistoryUpdate update;
        update.items = items;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = items.first().id;
        m_list.update(std::move(update));
    }

    History &list() { return m_list; }
    const RecordingDelegate &delegate() const { return m_delegate; }
    int rowOf(int n) const { return *m_list.rowIndexOfItem(m_items.at(n - 1).id); }
    QUuid idOf(int n) const { return m_items.at(n - 1).id; }

    // A left click in the middle of item n's row, with the modifier keys given (as xdotool names them) held.
    bool click(int n, const QStringList &modifiers = {})
    {
        HistoryTableView &table = m_list.tableView();
        const QPoint centre
            = table.viewport()->mapToGlobal(table.visualRect(table.model()->index(rowOf(n), 0)).center());
        QStringList arguments = {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(centre.x()),
            QString::number(centre.y())};
        for (const QString &modifier : modifiers)
            arguments << QStringLiteral("keydown") << modifier;
        arguments << QStringLiteral("click") << QStringLiteral("1");
        for (const QString &modifier : modifiers)
            arguments << QStringLiteral("keyup") << modifier;
        return xdotool(arguments) == 0;
    }
    bool key(const QString &name) { return xdotool({QStringLiteral("key"), name}) == 0; }

    // The selected items by number, top to bottom.
    QList<int> selected() const
    {
        QList<int> numbers;
        for (int row : m_list.tableView().selectedRows()) {
            for (int n = 1; n <= m_items.size(); ++n) {
                if (rowOf(n) == row)
                    numbers.append(n);
            }
        }
        return numbers;
    }
    bool waitForSelection(const QList<int> &numbers)
    {
        return waitUntil([&] { return selected() == numbers; });
    }

    QImage shot() { return m_list.grab().toImage(); }

private:
    QList<ClipboardItem> m_items;
    History m_list;
    RecordingDelegate m_delegate;
};

bool save(const QImage &image, const QString &name)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    return image.save(QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name));
}

} // namespace

TEST(HistoryListInput, ClicksAndKeysSelectAsTheUserMeans)
{
    StyleAppearanceApplier appearance;
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        const QString suffix = mode == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark");
        ListOnScreen screen(someHistory());
        History &list = screen.list();
        ASSERT_TRUE(bringToFront(list));
        ASSERT_TRUE(screen.waitForSelection({1}));

        // A click on the link, then Shift+Down twice: three rows in one block.
        ASSERT_TRUE(screen.click(2));
        ASSERT_TRUE(screen.waitForSelection({2}));
        EXPECT_TRUE(list.tableView().hasFocus());
        ASSERT_TRUE(screen.key(QStringLiteral("shift+Down")));
        ASSERT_TRUE(screen.key(QStringLiteral("shift+Down")));
        ASSERT_TRUE(screen.waitForSelection({2, 3, 4}));
        // Ctrl-click adds the e-mail address under yesterday's header, last in the order.
        ASSERT_TRUE(screen.click(6, {QStringLiteral("ctrl")}));
        ASSERT_TRUE(screen.waitForSelection({2, 3, 4, 6}));
        EXPECT_EQ(
            screen.delegate().order, QList<QUuid>({screen.idOf(2), screen.idOf(3), screen.idOf(4), screen.idOf(6)}));
        EXPECT_EQ(list.itemRowConfiguration(screen.rowOf(6)).selectionOrderNumber, 4);
        EXPECT_TRUE(list.rowSelectionFlags(screen.rowOf(3)).joinsSelectedRowAbove);
        EXPECT_TRUE(list.rowSelectionFlags(screen.rowOf(3)).joinsSelectedRowBelow);
        QTest::qWait(50);
        const QImage selection = screen.shot();
        EXPECT_TRUE(save(selection, QStringLiteral("history-selection-%1.png").arg(suffix)));
        // The block is painted without a gap where its rows meet, and not in the inset beside it.
        const HistoryTableView &table = list.tableView();
        const QPoint tableOrigin = table.viewport()->mapTo(&list, QPoint(0, 0));
        const int seam = table.visualRect(table.model()->index(screen.rowOf(3), 0)).bottom() + tableOrigin.y();
        const QColor background = selection.pixelColor(4, seam);
        EXPECT_NE(selection.pixelColor(12, seam), background);
        EXPECT_NE(selection.pixelColor(12, seam + 1), background);

        // Keyboard multiple selection: Right enters it on the row clicked last, Up moves the focus to an unselected
        // row, Right adds it and Left takes it out again.
        ASSERT_TRUE(screen.key(QStringLiteral("Right")));
        ASSERT_TRUE(waitUntil([&] { return list.isKeyboardMultipleSelectionMode(); }));
        ASSERT_TRUE(screen.key(QStringLiteral("Up")));
        ASSERT_TRUE(waitUntil([&] { return list.selectionLeadRow() == screen.rowOf(5); }));
        EXPECT_EQ(screen.selected(), QList<int>({2, 3, 4, 6}));
        EXPECT_TRUE(list.rowSelectionFlags(screen.rowOf(5)).isKeyboardSelectionFocusedRow);
        QTest::qWait(50);
        EXPECT_TRUE(save(screen.shot(), QStringLiteral("history-keyboard-mode-%1.png").arg(suffix)));
        ASSERT_TRUE(screen.key(QStringLiteral("Right")));
        ASSERT_TRUE(screen.waitForSelection({2, 3, 4, 5, 6}));
        ASSERT_TRUE(screen.key(QStringLiteral("Left")));
        ASSERT_TRUE(screen.waitForSelection({2, 3, 4, 6}));
        EXPECT_EQ(screen.delegate().sounds,
            QList<SoundEffect>({SoundEffect::selectionAdd, SoundEffect::selectionAdd, SoundEffect::selectionRemove}));
        EXPECT_TRUE(list.isKeyboardMultipleSelectionMode());

        // A plain click ends the mode and selects the one row.
        ASSERT_TRUE(screen.click(7));
        ASSERT_TRUE(screen.waitForSelection({7}));
        EXPECT_FALSE(list.isKeyboardMultipleSelectionMode());
    }
    appearance.apply(AppAppearance::system);
}
