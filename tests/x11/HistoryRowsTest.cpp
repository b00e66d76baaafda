// Every kind of history row on a real display, in the light and the dark appearance: texts, a rich text, a link
// on one line and one with its card, an e-mail address, a colour, a screenshot, an image file, a document, a file
// that is gone, several files, and a favourite with tags, a title and a quick-paste number. The pictures land in the
// screenshots folder of the build, to be looked at.

#include "FilePreviewCache.h"
#include "History.h"
#include "HistoryItemRowPainter.h"
#include "HistoryRowPictures.h"
#include "HistoryTableView.h"
#include "IconProvider.h"
#include "ServicesProbe.h"
#include "StyleAppearanceApplier.h"
#include "TestSupport.h"
#include "WindowProbe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

ClipboardItem item(int n, ClipboardKind kind, const QDateTime &copiedAt)
{
    ClipboardItem made;
    made.id = QUuid::createUuidV5(QUuid(), QStringLiteral("rows-%1").arg(n));
    made.kind = kind;
    made.copiedAt = copiedAt;
    made.firstCopiedAt = copiedAt;
    return made;
}

QString picture(const QTemporaryDir &folder, const QString &name, QSize size, QColor from, QColor to)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawEllipse(QRect(QPoint(size.width() / 3, size.height() / 4), size / 3));
    painter.end();
    const QString path = folder.filePath(name);
    image.save(path);
    return path;
}

QString file(const QTemporaryDir &folder, const QString &name, const QByteArray &contents)
{
    const QString path = folder.filePath(name);
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(contents);
    return path;
}

struct Fixture
{
    QList<ClipboardItem> items;
    QList<Tag> tags;
};

Fixture everyKindOfRow(const QTemporaryDir &folder)
{
    // Noon today, so that the minutes before "now" never fall on yesterday when the test runs just after midnight.
    const QDateTime now(QDate::currentDate(), QTime(12, 0));
    Fixture fixture;
    fixture.tags = {Tag {1, QStringLiteral("Work"), QStringLiteral("#3B85ED")},
        Tag {2, QStringLiteral("Urgent"), QStringLiteral("#E5484D")}};
    QList<ClipboardItem> &items = fixture.items;

    ClipboardItem favourite = item(1, ClipboardKind::text, now);
    favourite.text = QStringLiteral("ssh deploy@build.example.org 'systemctl restart varnisto-sync'");
    favourite.title = QStringLiteral("Restart the sync service");
    favourite.isFavorite = true;
    favourite.tags = {1, 2};
    favourite.sourceAppName = QStringLiteral("Terminal");
    items.append(favourite);

    ClipboardItem text = item(2, ClipboardKind::text, now.addSecs(-30));
    text.text = QStringLiteral(
        "The quick brown fox jumps over the lazy dog at the Café while the clipboard keeps every word, even when the "
        "line runs on far past what a single row can show, and then it goes on a little further still.\n"
        "\tindented with a tab\n  and two spaces, then a Café and a CAFE");
    text.sourceAppName = QStringLiteral("Text Editor");
    items.append(text);

    ClipboardItem marks = item(13, ClipboardKind::text, now.addSecs(-45));
    marks.text = QStringLiteral("\tfor line in lines:\n        print(line)");
    items.append(marks);

    ClipboardItem rich = item(3, ClipboardKind::richText, now.addSecs(-60));
    rich.html = QStringLiteral("<p><b>Quarterly report</b> — figures attached for the café meeting</p>");
    rich.text = QStringLiteral("Quarterly report — figures attached for the café meeting");
    rich.title = QStringLiteral("Report notes");
    items.append(rich);

    ClipboardItem link = item(4, ClipboardKind::link, now.addSecs(-90));
    link.text = QStringLiteral("https://www.debian.org/releases/bookworm/");
    items.append(link);

    ClipboardItem card = item(5, ClipboardKind::link, now.addSecs(-120));
    card.text = QStringLiteral("https://wiki.example.org/Clipboard_managers");
    LinkPreviewDetails details;
    details.url = *card.text;
    details.title = QStringLiteral("Clipboard managers — Example Wiki");
    details.description = QStringLiteral(
        "A clipboard manager keeps what you copied, so you can search it and paste it again later, long after "
        "the program you copied it from has closed.");
    details.imagePath
        = picture(folder, QStringLiteral("card.png"), QSize(1200, 630), QColor(250, 160, 60), QColor(200, 60, 90));
    details.faviconPath
        = picture(folder, QStringLiteral("favicon.png"), QSize(32, 32), QColor(40, 120, 220), QColor(20, 60, 160));
    details.fetchedAt = now;
    card.linkPreviewDetails = details;
    items.append(card);

    ClipboardItem email = item(6, ClipboardKind::email, now.addSecs(-150));
    email.text = QStringLiteral("someone@example.org");
    items.append(email);

    ClipboardItem color = item(7, ClipboardKind::color, now.addSecs(-180));
    color.text = QStringLiteral("#3B85ED");
    items.append(color);

    ClipboardItem screenshot = item(8, ClipboardKind::image, now.addDays(-1));
    screenshot.assetPath
        = picture(folder, QStringLiteral("screenshot.png"), QSize(1280, 800), QColor(70, 130, 180), QColor(30, 60, 90));
    screenshot.byteSize = 184320;
    items.append(screenshot);

    ClipboardItem photo = item(9, ClipboardKind::file, now.addDays(-1).addSecs(-60));
    photo.filePaths
        = {picture(folder, QStringLiteral("holiday.png"), QSize(640, 480), QColor(60, 170, 90), QColor(20, 90, 140))};
    photo.byteSize = 48213;
    items.append(photo);

    ClipboardItem document = item(10, ClipboardKind::file, now.addDays(-3));
    document.filePaths = {file(folder, QStringLiteral("notes.txt"), "meeting notes\n")};
    document.byteSize = 14;
    items.append(document);

    ClipboardItem missing = item(11, ClipboardKind::file, now.addDays(-3).addSecs(-60));
    missing.filePaths = {folder.filePath(QStringLiteral("deleted report.pdf"))};
    missing.byteSize = 230400;
    items.append(missing);

    QDir(folder.path()).mkdir(QStringLiteral("Invoices"));
    ClipboardItem files = item(12, ClipboardKind::file, now.addDays(-3).addSecs(-120));
    files.filePaths = {file(folder, QStringLiteral("a.txt"), "a"), folder.filePath(QStringLiteral("holiday.png")),
        folder.filePath(QStringLiteral("Invoices")), file(folder, QStringLiteral("b.pdf"), "%PDF-1.4")};
    files.byteSize = 60000;
    items.append(files);

    for (ClipboardItem &each : items)
        each = each.refreshingSearchText({});
    return fixture;
}

void waitForPictures(FilePreviewCache &cache)
{
    for (int i = 0; i < 200; ++i) {
        QTest::qWait(20);
        HistoryRowPictures::shared().finishPending();
        if (WindowProbe::pendingPictureCount(HistoryRowPictures::shared()) == 0
            && ServicesProbe::pendingRenderingCount(cache) == 0)
            break;
    }
    QTest::qWait(50);
}

} // namespace

TEST(HistoryRows, PaintsEveryKindInLightAndDark)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Fixture fixture = everyKindOfRow(folder);
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    DesktopIconProvider icons;
    FilePreviewCache cache(folder.filePath(QStringLiteral("FilePreviews")), icons);

    StyleAppearanceApplier appearance;
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        History list;
        list.setFilePreviewCache(&cache);
        list.resize(480, 1300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

        HistoryUpdate update;
        update.items = fixture.items;
        update.availableTags = fixture.tags;
        update.searchQuery = QStringLiteral("cafe");
        update.pinFavoritesToTop = true;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = fixture.items.at(7).id;
        list.update(std::move(update));
        waitForPictures(cache);
        list.repaint();
        waitForPictures(cache);

        const QImage shot = list.grab().toImage();
        const QString name = mode == AppAppearance::light ? QStringLiteral("history-rows-light.png")
                                                          : QStringLiteral("history-rows-dark.png");
        EXPECT_TRUE(shot.save(QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name)));

        // Every item has its row, and the last row (the files) is painted whole inside the window.
        int itemRows = 0;
        int lastItemRow = -1;
        for (int row = 0; row < list.tableRows().size(); ++row) {
            if (list.tableRows().at(row).isItem()) {
                ++itemRows;
                lastItemRow = row;
            }
        }
        EXPECT_EQ(itemRows, fixture.items.size());
        const QRect last = list.tableView().visualRect(list.tableView().model()->index(lastItemRow, 0));
        EXPECT_LE(last.bottom(), list.tableView().viewport()->height());

        // The colour row paints the colour's swatch where the kind symbol would be.
        const int colorRow = *list.rowIndexOfItem(fixture.items.at(7).id);
        const QRect colorRect = list.tableView().visualRect(list.tableView().model()->index(colorRow, 0));
        const QPoint swatch = list.tableView().viewport()->mapTo(&list, colorRect.topLeft() + QPoint(23, 19));
        const QColor painted = shot.pixelColor(swatch);
        EXPECT_NEAR(painted.red(), 0x3B, 8) << painted.name().toStdString();
        EXPECT_NEAR(painted.blue(), 0xED, 8) << painted.name().toStdString();
    }
    appearance.apply(AppAppearance::system);
}

// A multiple selection: the selected rows show their place in the order in the type icon, the others an empty ring.
TEST(HistoryRows, NumbersAMultipleSelection)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Fixture fixture = everyKindOfRow(folder);
    DesktopIconProvider icons;
    FilePreviewCache cache(folder.filePath(QStringLiteral("FilePreviews")), icons);
    StyleAppearanceApplier appearance;
    appearance.apply(AppAppearance::light);
    History list;
    list.setFilePreviewCache(&cache);
    list.resize(480, 520);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    HistoryUpdate update;
    update.items = fixture.items.mid(0, 8);
    update.availableTags = fixture.tags;
    update.pinFavoritesToTop = true;
    update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
    update.selectedItemID = fixture.items.at(6).id;
    update.selectedItemIDs = {fixture.items.at(3).id, fixture.items.at(6).id};
    list.update(std::move(update));
    waitForPictures(cache);

    const QImage shot = list.grab().toImage();
    EXPECT_TRUE(shot.save(
        QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(QStringLiteral("history-rows-selection.png"))));
    // The badge of a selected row is filled with the accent colour.
    const int row = *list.rowIndexOfItem(fixture.items.at(6).id);
    const QRect rect = list.tableView().visualRect(list.tableView().model()->index(row, 0));
    const QColor badge = shot.pixelColor(list.tableView().viewport()->mapTo(&list, rect.topLeft() + QPoint(16, 19)));
    EXPECT_EQ(badge, list.palette().color(QPalette::Active, QPalette::Highlight)) << badge.name().toStdString();

    // Hovering a tag chip of the favourite names the tag.
    const int favourite = *list.rowIndexOfItem(fixture.items.at(0).id);
    const QRect favouriteRect = list.tableView().visualRect(list.tableView().model()->index(favourite, 0));
    const HistoryItemRowLayout layout
        = HistoryItemRowPainter::forReuseIdentifier(u"TextHistoryItemRow"_qs)
              .layout(favouriteRect, fixture.items.at(0), list.itemRowConfiguration(favourite));
    ASSERT_EQ(layout.tagChips.size(), 2);
    QWidget *viewport = list.tableView().viewport();
    const QPoint chip = layout.tagChips.at(1).center().toPoint();
    QHelpEvent help(QEvent::ToolTip, chip, viewport->mapToGlobal(chip));
    QApplication::sendEvent(viewport, &help);
    EXPECT_EQ(QToolTip::text(), u"Urgent"_qs);
    QToolTip::hideText();
    appearance.apply(AppAppearance::system);
}
