// The right-click menu of a history item in the real program on this display: Favorite stars the item, a transform
// changes its text, Rename names it through its dialog, and Space opens the preview. Pictures of the menu and its
// Transform submenu, light and dark, go to the screenshot folder.

#include "ClipboardTextTransform.h"
#include "HistoryPasteTarget.h"
#include "SQLiteHistoryStore.h"

#include "DesktopQueries.h"
#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString title = QStringLiteral("Clipboard History");

void storePreferences(AppAppearance appearance)
{
    storeHistoryWindowPreferences(
        appearance, [](AppPreferences &p) { p.openWindowStrategy = QStringLiteral("mouseCursor"); });
}

// The newest stored item.
std::optional<ClipboardItem> newestItem()
{
    SQLiteHistoryStore store(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"));
    if (const auto items = store.loadRecentItems(1); items && !items->isEmpty())
        return items->first();
    return std::nullopt;
}

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"), keys}) == 0;
}

// Down pressed n times in the open menu.
bool down(int n)
{
    QStringList arguments = {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")};
    for (int i = 0; i < n; ++i)
        arguments.append(QStringLiteral("Down"));
    return xdotool(arguments) == 0;
}

struct Desktop
{
    Desktop()
    {
        receiver.setWindowTitle(QStringLiteral("Receiver"));
        receiver.setGeometry(60, 60, 420, 40);
    }
    std::optional<QString> openHistory(RunningVarnisto &varnisto) { return openHistoryWindow(varnisto, receiver); }

    QLineEdit receiver;
};

// A point of the list below its one row: the right-click there is for the selected item, the first, as one on the
// row itself would be, wherever the toolbar above ends.
QPoint firstRow(const QRect &window)
{
    return window.topLeft() + QPoint(window.width() / 3, window.height() / 2);
}

bool rightClick(const QPoint &point)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
               QStringLiteral("click"), QStringLiteral("3")})
        == 0;
}

// The entries before Transform, Rename and Favorite in the menu of a text item.
constexpr int favoriteEntry = 6;
constexpr int renameEntry = 7;
constexpr int transformEntry = 8;

int upperCasePosition()
{
    QList<ClipboardTextTransform> transforms;
    for (const ClipboardTextTransform::Value value : ClipboardTextTransform::allCases())
        transforms.append(value);
    HistoryPasteTarget::sortTransformsByTitle(transforms);
    return int(transforms.indexOf(ClipboardTextTransform(ClipboardTextTransform::upperCase)));
}

// A menu opens with its top left corner at the click. In the picture of the window's area: how far the menu's left
// edge stands apart from the list behind it, as the contrast ratio between the two pixels that meet there.
double menuEdgeContrast(const QString &picture, const QPoint &click)
{
    const QImage image(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + picture);
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    double best = 0;
    const int y = click.y() + 60;
    for (int x = click.x() - 4; x <= click.x() + 4; ++x) {
        if (x < 1 || x >= image.width() || y >= image.height())
            continue;
        const double a = luminance(image.pixelColor(x - 1, y));
        const double b = luminance(image.pixelColor(x, y));
        best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
    }
    return best;
}

} // namespace

TEST(HistoryItemMenu, FavoritesTransformsRenamesAndPreviewsTheItem)
{
    storePreferences(AppAppearance::light);
    Desktop desktop;
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
    XclipCopy copy(QByteArrayLiteral("menu words"));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));

    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("150")}), 0);
    auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    const QRect frame = windowGeometry(*window).value_or(QRect());
    const QPoint row = firstRow(frame);

    // Favorite: the item is starred.
    ASSERT_TRUE(rightClick(row));
    QTest::qWait(400);
    saveScreenshot(frame, QStringLiteral("history-item-menu-light.png"));
    EXPECT_GE(menuEdgeContrast(QStringLiteral("history-item-menu-light.png"), row - frame.topLeft()), 1.8);
    ASSERT_TRUE(down(favoriteEntry));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    EXPECT_TRUE(waitUntil([] { return newestItem() && newestItem()->isFavorite; }));
    QTest::qWait(300);
    saveScreenshot(frame, QStringLiteral("history-item-menu-favorite-light.png"));

    // A transform from the submenu: the text changes.
    ASSERT_TRUE(rightClick(row));
    QTest::qWait(400);
    ASSERT_TRUE(down(transformEntry));
    ASSERT_TRUE(key(QStringLiteral("Right")));
    QTest::qWait(400);
    saveScreenshot(QRect(QPoint(frame.x(), 0), QSize(frame.width() + 700, 1080)),
        QStringLiteral("history-item-menu-transform-light.png"));
    ASSERT_TRUE(down(upperCasePosition()));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    EXPECT_TRUE(waitUntil([] { return newestItem() && newestItem()->text == u"MENU WORDS"; }));
    EXPECT_TRUE(newestItem()->isFavorite);

    // Rename through its dialog.
    ASSERT_TRUE(rightClick(row));
    QTest::qWait(400);
    ASSERT_TRUE(down(renameEntry));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Rename Item")).has_value(); }));
    QTest::qWait(300);
    ASSERT_EQ(
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Shouting")}),
        0);
    ASSERT_TRUE(key(QStringLiteral("Return")));
    EXPECT_TRUE(waitUntil([] { return newestItem() && newestItem()->title == u"Shouting"; }));
    EXPECT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Rename Item")); }));

    // Space opens the preview of the selected item; Escape closes it and the window stays.
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
    ASSERT_TRUE(key(QStringLiteral("space")));
    EXPECT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Text")).has_value(); }));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Text")); }));
    EXPECT_TRUE(visibleWindowNamed(title));
    // The window has its keys back: Space again opens the preview again.
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
    ASSERT_TRUE(key(QStringLiteral("space")));
    EXPECT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Text")).has_value(); }));
    ASSERT_TRUE(key(QStringLiteral("Escape")));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

// The same menu and submenu in the dark appearance, as pictures.
TEST(HistoryItemMenu, DarkPictures)
{
    storePreferences(AppAppearance::dark);
    Desktop desktop;
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("150")}), 0);
    const auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    const QRect frame = windowGeometry(*window).value_or(QRect());
    ASSERT_TRUE(rightClick(firstRow(frame)));
    QTest::qWait(400);
    saveScreenshot(frame, QStringLiteral("history-item-menu-dark.png"));
    // The menu's frame stands apart from the dark rows behind it.
    EXPECT_GE(menuEdgeContrast(QStringLiteral("history-item-menu-dark.png"), firstRow(frame) - frame.topLeft()), 1.8);
    ASSERT_TRUE(down(transformEntry));
    ASSERT_TRUE(key(QStringLiteral("Right")));
    QTest::qWait(400);
    saveScreenshot(QRect(QPoint(frame.x(), 0), QSize(frame.width() + 700, 1080)),
        QStringLiteral("history-item-menu-transform-dark.png"));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

// The menu of two selected rows, light and dark, as pictures: its commands show their keys as the one-item menu's
// do (Enter beside the paste, Ctrl+Backspace beside the deletion).
TEST(HistoryItemMenu, SeveralRowsPictures)
{
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        const QString name = appearance == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark");
        SCOPED_TRACE(name.toStdString());
        storePreferences(appearance);
        Desktop desktop;
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        for (const QByteArray &words : {QByteArrayLiteral("first words"), QByteArrayLiteral("second words")}) {
            if (newestItem() && newestItem()->text == QString::fromUtf8(words))
                continue; // kept from the light run
            XclipCopy copy(words);
            ASSERT_TRUE(waitUntil([&] { return newestItem() && newestItem()->text == QString::fromUtf8(words); }));
        }
        ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("150")}), 0);
        const auto window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        const QRect frame = windowGeometry(*window).value_or(QRect());
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
        ASSERT_TRUE(key(QStringLiteral("shift+Down")));
        QTest::qWait(300);
        ASSERT_TRUE(rightClick(firstRow(frame)));
        QTest::qWait(400);
        saveScreenshot(frame, QStringLiteral("history-several-rows-menu-%1.png").arg(name));
        ASSERT_TRUE(key(QStringLiteral("Escape")));
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }
}

// Right-clicks on one row after another while copies keep arriving, so that the list changes under the menu that
// opens: each menu closes with Escape, and the program lives through all of it, with every copy kept.
TEST(HistoryItemMenu, RightClicksOnRowsWhileCopiesArrive)
{
    storePreferences(AppAppearance::light);
    Desktop desktop;
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    std::optional<XclipCopy> owner;
    owner.emplace(QByteArrayLiteral("row 0"));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("150")}), 0);
    auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);

    constexpr int rounds = 16;
    for (int n = 1; n <= rounds; ++n) {
        if (!visibleWindowNamed(title)) { // an Escape that came before its menu hid the window
            window = desktop.openHistory(varnisto);
            ASSERT_TRUE(window) << n;
        }
        const QRect frame = windowGeometry(*window).value_or(QRect());
        ASSERT_FALSE(frame.isEmpty());
        owner.reset();
        owner.emplace(QByteArray("row ") + QByteArray::number(n));
        // The rows from the first down, one after another; 37 pixels apart.
        ASSERT_TRUE(rightClick(frame.topLeft() + QPoint(frame.width() / 3, 75 + 37 * (n % 7))));
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), n + 1)) << n;
        ASSERT_TRUE(key(QStringLiteral("Escape")));
    }
    EXPECT_TRUE(waitUntil([] { return newestItem() && newestItem()->text == u"row 16"; }));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_TRUE(varnisto.exitedWith(0)) << varnisto.log().right(2000).toStdString();
}
