// The history list on a real display: one item of each kind in day sections, in the light and the dark
// appearance. Each run leaves its pictures in the screenshots folder of the build, to be looked at.

#include "EmptyHistory.h"
#include "History.h"
#include "HistoryRowPictures.h"
#include "HistoryTableView.h"
#include "StyleAppearanceApplier.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

ClipboardItem item(int n, ClipboardKind kind, const QDateTime &copiedAt)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    made.kind = kind;
    made.copiedAt = copiedAt;
    made.firstCopiedAt = copiedAt;
    made.sourceAppName = QStringLiteral("Text Editor");
    return made;
}

QList<ClipboardItem> oneOfEachKind(const QTemporaryDir &folder)
{
    // Noon today, so that the minutes before "now" never fall on yesterday when the test runs just after midnight.
    const QDateTime now(QDate::currentDate(), QTime(12, 0));
    QList<ClipboardItem> items;

    ClipboardItem text = item(1, ClipboardKind::text, now);
    text.text
        = QStringLiteral("The quick brown fox jumps over the lazy dog while the clipboard keeps every word of it, "
                         "even when the line runs on far past what a single row can show.\n  indented second line");
    text.isFavorite = true;
    items.append(text);

    ClipboardItem rich = item(2, ClipboardKind::richText, now.addSecs(-60));
    rich.html = QStringLiteral("<p><b>Quarterly report</b> — figures attached</p>");
    rich.title = QStringLiteral("Report notes");
    items.append(rich);

    ClipboardItem link = item(3, ClipboardKind::link, now.addSecs(-120));
    link.text = QStringLiteral("https://www.debian.org/releases/bookworm/");
    items.append(link);

    ClipboardItem email = item(4, ClipboardKind::email, now.addSecs(-180));
    email.text = QStringLiteral("someone@example.org");
    items.append(email);

    ClipboardItem color = item(5, ClipboardKind::color, now.addDays(-1));
    color.text = QStringLiteral("#3B85ED");
    items.append(color);

    QImage picture(320, 180, QImage::Format_RGB32);
    picture.fill(QColor(70, 130, 180));
    const QString picturePath = folder.filePath(QStringLiteral("picture.png"));
    picture.save(picturePath);
    ClipboardItem image = item(6, ClipboardKind::image, now.addDays(-1).addSecs(-60));
    image.assetPath = picturePath;
    items.append(image);

    ClipboardItem file = item(7, ClipboardKind::file, now.addDays(-3));
    file.filePaths = {folder.filePath(QStringLiteral("notes.txt"))};
    items.append(file);

    ClipboardItem files = item(8, ClipboardKind::file, now.addDays(-3).addSecs(-60));
    files.filePaths = {folder.filePath(QStringLiteral("a.txt")), folder.filePath(QStringLiteral("b.pdf"))};
    items.append(files);

    for (ClipboardItem &each : items)
        each = each.refreshingSearchText({});
    return items;
}

} // namespace

TEST(HistoryList, ShowsEveryKindInLightAndDark)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QList<ClipboardItem> items = oneOfEachKind(folder);
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));

    StyleAppearanceApplier appearance;
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        History list;
        list.resize(420, 640);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

        HistoryUpdate update;
        update.items = items;
        update.pinFavoritesToTop = true;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = items.at(1).id;
        list.update(std::move(update));
        QTest::qWait(50);
        // The picture the first paint asked for is decoded on a worker: the shot shows it, as the user soon sees it.
        HistoryRowPictures::shared().finishPending();
        QTest::qWait(50);

        // A row of each kind, the favourite first under its header, then the days.
        ASSERT_EQ(list.tableRows().size(), 8 + 4);
        EXPECT_TRUE(list.emptyListView().isHidden());
        const QImage shot = list.grab().toImage();
        const QString name = mode == AppAppearance::light ? QStringLiteral("history-list-light.png")
                                                          : QStringLiteral("history-list-dark.png");
        EXPECT_TRUE(shot.save(QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name)));

        // The background follows the appearance, and the rows drew something on it.
        const QColor background = shot.pixelColor(shot.width() - 3, shot.height() - 2);
        EXPECT_EQ(background.lightness() < 128, mode == AppAppearance::dark) << background.name().toStdString();
        const QRect firstItem = list.tableView().visualRect(list.tableView().model()->index(1, 0));
        QSet<QRgb> colours;
        for (int x = 0; x < shot.width(); x += 2)
            colours.insert(shot.pixel(x, firstItem.center().y()));
        EXPECT_GT(colours.size(), 3);
    }
    appearance.apply(AppAppearance::system);
}

TEST(HistoryList, ShowsItsPlaceholderWhenEmpty)
{
    StyleAppearanceApplier appearance;
    appearance.apply(AppAppearance::light);
    History list;
    list.resize(420, 360);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.update(HistoryUpdate {});
    QTest::qWait(20);
    EXPECT_FALSE(list.emptyListView().isHidden());
    EXPECT_TRUE(list.grab().toImage().save(
        QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(QStringLiteral("history-list-empty.png"))));
    appearance.apply(AppAppearance::system);
}
