// The history window's search and toolbar in the real program on this display: typing "ima" offers the image
// type, Return makes it a chip and the list holds only images; Backspace takes the chip away again; the sort menu
// changes the stored sort. Pictures of the toolbar with its chips and its suggestions, light and dark, go to the
// screenshot folder.

#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString title = QStringLiteral("Clipboard History");

QByteArray png(const QColor &color)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(color);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), u"60"_qs, keys}) == 0;
}

// What the clipboard offers now.
QStringList clipboardTargets()
{
    const auto targets = xclipPaste(QStringLiteral("TARGETS"));
    return targets ? QString::fromUtf8(*targets).split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
}

// Copies the selected item (Ctrl+C with an empty search) and answers whether the clipboard then holds an image.
std::optional<bool> copiedSelectionIsImage(const QByteArray &before)
{
    if (!key(QStringLiteral("ctrl+c")))
        return std::nullopt;
    bool changed = waitUntil(
        [&] {
            const auto text = xclipPaste();
            return clipboardTargets().contains(u"image/png"_qs) || (text && *text != before);
        },
        5000);
    if (!changed)
        return std::nullopt;
    return clipboardTargets().contains(u"image/png"_qs);
}

} // namespace

TEST(HistoryToolbar, SearchesByTypeWithAChipAndSortsFromTheMenu)
{
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        const QString suffix = appearance == AppAppearance::light ? u"light"_qs : u"dark"_qs;
        SCOPED_TRACE(suffix.toStdString());
        storeHistoryWindowPreferences(
            appearance, [](AppPreferences &p) { p.historySortOption = QStringLiteral("Last Copy Time"); });
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        std::vector<std::unique_ptr<XclipCopy>> owners;
        if (appearance == AppAppearance::light) {
            // Two images, then two texts: the newest item is a text.
            owners.push_back(std::make_unique<XclipCopy>(png(Qt::red), QStringLiteral("image/png")));
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured image item"), 1));
            owners.push_back(std::make_unique<XclipCopy>(png(Qt::blue), QStringLiteral("image/png")));
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured image item"), 2));
            owners.push_back(std::make_unique<XclipCopy>(QByteArray("imaginary numbers")));
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
            owners.push_back(std::make_unique<XclipCopy>(QByteArray("latest words")));
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 2));
        }

        ASSERT_TRUE(bringToFront(receiver));
        ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}), 0);
        std::optional<QString> window;
        ASSERT_TRUE(waitUntil([&] { return (window = visibleWindowNamed(title)).has_value(); }, 5000));
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
        const QRect frame = windowGeometry(*window).value_or(QRect());
        ASSERT_FALSE(frame.isEmpty());
        const QRect toolbarArea(frame.x(), frame.y(), frame.width(), 60);
        const QRect suggestionsArea(frame.x(), frame.y(), frame.width(), 300);

        // Typing offers the image type under the field.
        ASSERT_EQ(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), u"ima"_qs}), 0);
        QTest::qWait(400);
        saveScreenshot(suggestionsArea, u"history-toolbar-suggestions-"_qs + suffix + u".png"_qs);
        // Return takes the highlighted suggestion: a chip, and only images in the list.
        ASSERT_TRUE(key(QStringLiteral("Return")));
        QTest::qWait(400);
        saveScreenshot(toolbarArea, u"history-toolbar-chips-"_qs + suffix + u".png"_qs);
        const QByteArray before = xclipPaste().value_or(QByteArray());
        EXPECT_EQ(copiedSelectionIsImage(before), std::optional(true));
        ASSERT_TRUE(key(QStringLiteral("Down")));
        EXPECT_EQ(copiedSelectionIsImage(QByteArray()), std::optional(true));

        // Backspace selects the chip, a second removes it: the texts are back. The copies put the images first;
        // the newest text follows them.
        if (appearance == AppAppearance::light) {
            ASSERT_TRUE(key(QStringLiteral("ctrl+f"))); // back into the search text
            ASSERT_TRUE(key(QStringLiteral("BackSpace")));
            ASSERT_TRUE(key(QStringLiteral("BackSpace")));
            QTest::qWait(300);
            ASSERT_TRUE(key(QStringLiteral("Down")));
            ASSERT_TRUE(key(QStringLiteral("Down")));
            ASSERT_TRUE(key(QStringLiteral("ctrl+c")));
            EXPECT_TRUE(waitUntil([&] { return xclipPaste() == QByteArray("latest words"); }, 5000))
                << xclipPaste().value_or(QByteArray()).toStdString();

            // The sort menu: its button stands fourth from the right end of the toolbar.
            const QPoint sortButton(frame.right() - 1 - 10 - 3 * 34 - 14, frame.y() + 27);
            ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(sortButton.x()),
                          QString::number(sortButton.y()), QStringLiteral("click"), QStringLiteral("1")}),
                0);
            QTest::qWait(400);
            ASSERT_TRUE(key(QStringLiteral("Down"))); // Sort By
            ASSERT_TRUE(key(QStringLiteral("Right"))); // Last Copy Time
            ASSERT_TRUE(key(QStringLiteral("Down"))); // First Copy Time
            ASSERT_TRUE(key(QStringLiteral("Return")));
            EXPECT_TRUE(waitUntil(
                [&] {
                    return PreferencesStore(varnistoSettingsFile()).load().historySortOption == u"First Copy Time"_qs;
                },
                5000))
                << PreferencesStore(varnistoSettingsFile()).load().historySortOption.toStdString();

            // The menu closed by a click on the list, the pointer then moving over the list: the button is drawn
            // as it was before the menu opened, not pressed.
            const QPoint list(frame.x() + 100, frame.y() + 300);
            const QRect buttonArea(sortButton - frame.topLeft() - QPoint(18, 16), QSize(36, 32));
            const auto buttonPicture = [&](const QString &name) {
                saveScreenshot(toolbarArea, name);
                return QImage(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name).copy(buttonArea);
            };
            ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(list.x()), QString::number(list.y())}), 0);
            QTest::qWait(400);
            const QImage closed = buttonPicture(u"history-toolbar-sort-closed.png"_qs);
            ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(sortButton.x()),
                          QString::number(sortButton.y()), QStringLiteral("click"), QStringLiteral("1")}),
                0);
            QTest::qWait(400);
            ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(list.x()), QString::number(list.y()),
                          QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("mousemove_relative"),
                          QStringLiteral("--"), QStringLiteral("5"), QStringLiteral("5")}),
                0);
            QTest::qWait(400);
            EXPECT_TRUE(buttonPicture(u"history-toolbar-sort-after-menu.png"_qs) == closed);
        }
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }
}
