#include "CoordinatorTestSupport.h"

#include "AppModel.h"
#include "AppearanceApplier.h"
#include "RetentionPeriod.h"
#include "RetentionRow.h"
#include "StorageSettingsView.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(RetentionPeriod, DaysStepsAndPositionsMapBothWays)
{
    ASSERT_EQ(RetentionPeriod::steps().size(), 22);
    const std::pair<qint64, int> days[]
        = {{-1, 21}, {-5, 21}, {0, 0}, {1, 0}, {7, 6}, {10, 6}, {45, 9}, {75, 10}, {90, 11}, {365, 20}, {400, 20}};
    for (const auto &[value, index] : days)
        EXPECT_EQ(RetentionPeriod::stepIndex(value), index) << value;

    const std::pair<int, double> positions[]
        = {{-3, 0}, {0, 0}, {3, 12.5}, {6, 25}, {7, 100.0 / 3}, {9, 50}, {20, 75}, {21, 100}, {40, 100}};
    for (const auto &[index, position] : positions)
        EXPECT_DOUBLE_EQ(RetentionPeriod::sliderPosition(index), position) << index;

    const std::pair<double, int> snapping[] = {{-1, 0}, {0, 0}, {100, 21}, {120, 21}, {2.08, 0}, {2.5, 1}, {25, 6},
        {62.5, 15}, {87.5, 21}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto &[position, index] : snapping)
        EXPECT_EQ(RetentionPeriod::stepIndexForPosition(position), index) << position;

    // Every step snaps back onto itself.
    for (int index = 0; index < RetentionPeriod::stepCount; ++index)
        EXPECT_EQ(RetentionPeriod::stepIndexForPosition(RetentionPeriod::sliderPosition(index)), index);
}

// A drag across several steps writes the value once, when it ends, and not at all when the final step's days are
// the stored ones; an odd stored value shows as its nearest step and stays until a drag ends on the row.
TEST(RetentionRow, CommitsWhenTheDragEnds)
{
    AppModel model;
    AppPreferences preferences = model.preferences();
    preferences.textRetentionDays = 10;
    model.setPreferences(preferences);
    StorageSettingsView pane(model);
    pane.resize(500, 1000);
    pane.show();
    RetentionRow &row = pane.retentionRow(RetentionClipType::text);
    EXPECT_EQ(row.stepLabel().text(), QStringLiteral("1 week"));
    EXPECT_EQ(pane.retentionRow(RetentionClipType::image).stepLabel().text(), QStringLiteral("3 months"));
    EXPECT_EQ(model.preferences().textRetentionDays, 10);

    RetentionSlider &slider = row.slider();
    QSignalSpy changes(&model, &AppModel::preferencesChanged);
    const auto x = [&](double position) { return QPoint(int(std::lround(slider.xForPosition(position))), 10); };
    QTest::mousePress(&slider, Qt::LeftButton, {}, x(0));
    QTest::mouseMove(&slider, x(50));
    QTest::mouseMove(&slider, x(RetentionPeriod::sliderPosition(14)));
    EXPECT_EQ(row.stepLabel().text(), QStringLiteral("6 months"));
    EXPECT_EQ(changes.size(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, x(RetentionPeriod::sliderPosition(14)));
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(model.preferences().textRetentionDays, 180);

    // Back where it was: released on the stored step, nothing is written.
    QTest::mousePress(&slider, Qt::LeftButton, {}, x(100));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, x(RetentionPeriod::sliderPosition(14)));
    EXPECT_EQ(changes.size(), 1);
    // The far right is unlimited.
    QTest::mousePress(&slider, Qt::LeftButton, {}, x(100));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, x(100));
    EXPECT_EQ(model.preferences().textRetentionDays, -1);
    EXPECT_EQ(row.stepLabel().text(), QStringLiteral("Unlimited"));
    // The other kinds are untouched.
    EXPECT_EQ(model.preferences().imageRetentionDays, 90);
}

// The track is one solid bar on each side of the knob, in light and dark: the steps it snaps to do not show as
// holes along it.
TEST(RetentionRow, TheTrackIsSolidOnBothSidesOfTheKnob)
{
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        AppModel model;
        StorageSettingsView pane(model); // 3 months for images: the knob between Month and Year
        pane.setPalette(dark ? AppearanceApplier::darkPalette() : AppearanceApplier::lightPalette());
        pane.resize(500, 1000);
        pane.show();
        RetentionSlider &slider = pane.retentionRow(RetentionClipType::image).slider();
        const QImage drawn = slider.grab().toImage();
        const int y = slider.height() / 2;
        const int knob = int(std::lround(slider.xForPosition(RetentionPeriod::sliderPosition(slider.stepIndex()))));
        const auto solid = [&](int from, int to) {
            const QColor first = drawn.pixelColor(from, y);
            for (int x = from; x <= to; ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                if (std::abs(pixel.red() - first.red()) > 3 || std::abs(pixel.green() - first.green()) > 3
                    || std::abs(pixel.blue() - first.blue()) > 3) {
                    ADD_FAILURE() << "x " << x << ": " << pixel.name().toStdString() << " after "
                                  << first.name().toStdString();
                    return false;
                }
            }
            return true;
        };
        EXPECT_TRUE(solid(int(slider.xForPosition(0)) + 2, knob - 11)) << "filled";
        EXPECT_TRUE(solid(knob + 11, int(slider.xForPosition(100)) - 2)) << "empty";
    }
}

// Against the real coordinator and store: a shorter period for links, set in the pane and applied, prunes the old
// links at the next capture and leaves the old texts.
TEST(StorageSettingsView, ARetentionChangePrunesThatKindOnly)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &preferences) {
        preferences.textRetentionDays = -1;
        preferences.linkRetentionDays = -1;
    });
    QList<ClipboardItem> items = {testItem(1), testItem(2)};
    for (int n = 3; n <= 4; ++n) {
        ClipboardItem link = testItem(n, QStringLiteral("https://example.org/%1").arg(n));
        link.kind = ClipboardKind::link;
        items.append(link);
    }
    h.storeItems(items);
    h.coordinator->start();
    ASSERT_EQ(h.model.items().size(), 4);

    StorageSettingsView pane(h.model);
    pane.resize(500, 1000);
    pane.show();
    RetentionSlider &links = pane.retentionRow(RetentionClipType::link).slider();
    QTest::mousePress(&links, Qt::LeftButton, {}, QPoint(int(links.xForPosition(0)), 10));
    QTest::mouseRelease(&links, Qt::LeftButton, {}, QPoint(int(links.xForPosition(0)), 10));
    EXPECT_EQ(h.model.preferences().linkRetentionDays, 1);
    h.coordinator->applyPreferences(); // as the settings do when they close

    PasteboardContent copy;
    copy.setString(PasteboardType::plainText(), QStringLiteral("fresh copy"));
    h.pasteboard.setContent(copy);
    h.monitor.checkPasteboard();
    ASSERT_TRUE(waitUntil([&] { return h.storedItems().size() == 3; }));
    QStringList kinds;
    for (const ClipboardItem &item : h.storedItems())
        kinds.append(item.kind.rawValue());
    EXPECT_EQ(kinds, QStringList({QStringLiteral("text"), QStringLiteral("text"), QStringLiteral("text")}));
}
