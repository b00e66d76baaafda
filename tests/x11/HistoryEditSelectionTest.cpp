// Editing an item found by a search in the history window on a real display, with the keys going through the X
// server: the edited item stays the selected one after the preview closes and after Escape clears the search, also
// when the edit moves it in the list, and the next shortcut acts on it.

#include "AppDelegate.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryTableView.h"
#include "HistoryToolbarView.h"
#include "KeyboardTestSupport.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"
#include "TestSupport.h"
#include "Xclip.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class QuietAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &, const QString &) override { }
    bool confirm(const QString &, const QString &, const QString &, const QString &) override { return false; }
};

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys}) == 0;
}

bool type(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}) == 0;
}

} // namespace

TEST(HistoryEditSelection, TheEditedItemStaysSelectedForTheNextShortcut)
{
    for (const HistorySortOption option : {HistorySortOption::lastCopyTime, HistorySortOption::size}) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const AppDelegate::Locations locations {
            root.path() + QStringLiteral("/Varnisto2"), root.path() + QStringLiteral("/Varnisto.conf")};
        QDir().mkpath(locations.supportDirectory);
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        preferences.soundEffectsEnabled = false;
        PreferencesStore(locations.settingsFilePath).save(preferences);

        AppDelegate delegate(locations, PlatformServices::x11(), std::make_unique<QuietAlerts>());
        delegate.applicationDidFinishLaunching();
        ASSERT_TRUE(waitUntil([&] { return delegate.coordinator().historyWindow() != nullptr; }));
        auto *window = dynamic_cast<FloatingHistoryWindow *>(delegate.coordinator().historyWindow());
        ASSERT_NE(window, nullptr);
        HistoryContentViewController &controller = window->contentViewController();
        History &list = controller.list();
        delegate.model().setHistorySortOption(option);

        std::vector<std::unique_ptr<XclipCopy>> owners;
        for (const char *text : {"banana bread", "canary in the coal mine", "yellow canary", "zebra"}) {
            const qsizetype before = delegate.model().items().size();
            owners.push_back(std::make_unique<XclipCopy>(text));
            ASSERT_TRUE(waitUntil([&] { return delegate.model().items().size() == before + 1; }, 10000)) << text;
        }
        delegate.coordinator().showHistoryWindow(false, true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->panel()));
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &window->panel(); }));
        ASSERT_TRUE(waitUntil([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));

        ASSERT_TRUE(type(QStringLiteral("canary")));
        ASSERT_TRUE(waitUntil([&] {
            return delegate.model().searchQuery() == QStringLiteral("canary")
                && delegate.model().visibleItems().size() == 2 && list.tableView().selectedRowCount() == 1;
        }));
        // The second result, by copy time the older one, by size the shorter one, is chosen with the mouse.
        const int secondRow = list.rowIndexesOfItems({delegate.model().visibleItems().at(1)->id}).value(0, -1);
        const ClipboardItem second = *list.itemAtRow(secondRow);
        const QPoint point = list.tableView().viewport()->mapToGlobal(
            list.tableView().rectOfRow(secondRow).center() - QPoint(0, list.tableView().verticalScrollBar()->value()));
        ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                      QStringLiteral("click"), QStringLiteral("1")}),
            0);
        ASSERT_TRUE(waitUntil([&] { return delegate.model().selectedItemID() == second.id; }));

        // Ctrl+E edits it in the preview; a longer text puts it first by size. Ctrl+S saves and closes the preview.
        ASSERT_TRUE(key(QStringLiteral("ctrl+e")));
        ASSERT_TRUE(waitUntil([&] { return qobject_cast<QPlainTextEdit *>(QApplication::focusWidget()) != nullptr; }));
        ASSERT_TRUE(key(QStringLiteral("ctrl+End")));
        ASSERT_TRUE(type(QStringLiteral(", which sings all day long")));
        const QString text = *second.text + QStringLiteral(", which sings all day long");
        ASSERT_TRUE(waitUntil([&] {
            const auto *editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
            return editor && editor->toPlainText() == text;
        }));
        ASSERT_TRUE(key(QStringLiteral("ctrl+s")));
        ASSERT_TRUE(waitUntil([&] {
            const ClipboardItem *item = delegate.model().item(second.id);
            return item && item->text == text;
        }));
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &window->panel(); }));
        ASSERT_TRUE(waitUntil([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
        const auto editedIsSelected = [&] {
            const std::optional<int> row = list.rowIndexOfItem(second.id);
            return delegate.model().selectedItemID() == second.id && row
                && list.tableView().selectedRows() == QList<int>({*row});
        };
        QTest::qWait(200);
        EXPECT_TRUE(editedIsSelected()) << int(option);
        if (option == HistorySortOption::size)
            EXPECT_EQ(list.itemAtRow(list.firstItemRowIndexes(1).value(0))->id, second.id);

        // Escape clears the search; the edited item stays selected, in view, among all the items.
        ASSERT_TRUE(key(QStringLiteral("Escape")));
        ASSERT_TRUE(waitUntil([&] { return delegate.model().searchQuery().isEmpty(); }));
        QTest::qWait(200);
        EXPECT_EQ(list.tableView().selectedRowCount(), 1);
        EXPECT_TRUE(editedIsSelected()) << int(option);
        ASSERT_TRUE(window->isVisible());
        const QRect editedRect = list.tableView().visualRect(
            list.tableView().model()->index(list.rowIndexOfItem(second.id).value_or(0), 0));
        EXPECT_TRUE(list.tableView().viewport()->rect().contains(editedRect)) << int(option);

        // The next shortcut, Ctrl+R, renames the edited item.
        ASSERT_TRUE(key(QStringLiteral("ctrl+r")));
        ASSERT_TRUE(waitUntil([&] {
            auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            return field && !window->toolbar().isAncestorOf(field);
        }));
        ASSERT_TRUE(type(QStringLiteral("Sings")));
        ASSERT_TRUE(key(QStringLiteral("Return")));
        EXPECT_TRUE(waitUntil([&] {
            const ClipboardItem *item = delegate.model().item(second.id);
            return item && item->title == QStringLiteral("Sings");
        })) << int(option);
        for (const ClipboardItem &item : delegate.model().items())
            EXPECT_TRUE(item.id == second.id || !item.title) << item.text.value_or(QString()).toStdString();

        window->hide();
        delegate.applicationWillTerminate();
    }
}
