#include "CoordinatorTestSupport.h"

#include "TagDialogPresenter.h"
#include "TagsSettingsView.h"

#include <QImage>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The tag dialog, answered at once with a name and a colour.
class AnsweringTagDialog final : public TagDialogPresenter
{
public:
    void presentTagDialog(QWidget *, const std::optional<Tag> &tag, SaveHandler onSave) override
    {
        presented.append(tag);
        onSave(name, QColor(0x11, 0x22, 0x33));
    }
    QString name;
    QList<std::optional<Tag>> presented;
};

} // namespace

TEST(TagsSettingsView, SortedByNameWithCountsFromTheWholeStore)
{
    CoordinatorHarness h;
    // Only five items are loaded; the store holds twenty.
    h.storeOnboardedPreferences([](AppPreferences &preferences) { preferences.maxHistoryItems = 5; });
    const auto cherry = h.store.ensureTag(QStringLiteral("cherry"), QStringLiteral("#FF0000"));
    const auto apple = h.store.ensureTag(QStringLiteral("apple"), QStringLiteral("not a colour"));
    const auto banana = h.store.ensureTag(QStringLiteral("Banana"), QStringLiteral("#00FF00"));
    ASSERT_TRUE(cherry && apple && banana);
    QList<ClipboardItem> items;
    for (int n = 1; n <= 20; ++n) {
        ClipboardItem item = testItem(n);
        if (n <= 12)
            item.tags.append(banana->id);
        if (n == 20)
            item.tags.append(cherry->id);
        items.append(item);
    }
    h.storeItems(items);
    h.coordinator->start();
    ASSERT_EQ(h.model.items().size(), 5);

    TagsSettingsView pane(h.model, *h.coordinator);
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral("apple"), QStringLiteral("0 items")},
        {QStringLiteral("Banana"), QStringLiteral("12 items")},
        {QStringLiteral("cherry"), QStringLiteral("1 item")},
    };
    EXPECT_EQ(pane.shownRows(), expected);
    EXPECT_EQ(TagsSettingsView::tagColor(QStringLiteral("#00ff00")), QColor(0, 255, 0));
    EXPECT_FALSE(TagsSettingsView::tagColor(QStringLiteral("not a colour")));
    EXPECT_FALSE(TagsSettingsView::tagColor(QStringLiteral("#12345")));
    // Imported colours read as the list's tag dots read them.
    EXPECT_EQ(TagsSettingsView::tagColor(QStringLiteral("3b85ed")), QColor(0x3B, 0x85, 0xED));
    EXPECT_EQ(TagsSettingsView::tagColor(QStringLiteral("##3B85ED#")), QColor(0x3B, 0x85, 0xED));
    // Without the tag dialog, New Tag... is unavailable.
    EXPECT_FALSE(pane.newTagButton().isEnabled());

    // Delete acts at once.
    pane.deleteTag(banana->id);
    EXPECT_EQ(pane.shownRows().size(), 2);
    EXPECT_EQ(h.store.loadTags()->size(), 2);
}

TEST(TagsSettingsView, NewAndEditGoThroughTheTagDialog)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    AnsweringTagDialog dialog;
    TagsSettingsView pane(h.model, *h.coordinator, &dialog);
    EXPECT_EQ(pane.shownRows(), (QList<std::pair<QString, QString>> {}));

    dialog.name = QStringLiteral("Work");
    pane.newTagButton().click();
    ASSERT_EQ(h.model.tags().size(), 1);
    EXPECT_EQ(h.model.tags().first().color, QStringLiteral("#112233"));
    EXPECT_EQ(pane.shownRows().first().first, QStringLiteral("Work"));

    dialog.name = QStringLiteral("Office");
    pane.presentTagDialog(h.model.tags().first());
    ASSERT_EQ(dialog.presented.size(), 2);
    EXPECT_EQ(dialog.presented.last()->name, QStringLiteral("Work"));
    EXPECT_EQ(h.model.tags().first().name, QStringLiteral("Office"));
    EXPECT_EQ(pane.shownRows().first(), std::pair(QStringLiteral("Office"), QStringLiteral("0 items")));
}

// Each row's dot is painted in its tag's colour, the rows in the order of their names.
TEST(TagsSettingsView, EachRowsDotIsPaintedInItsTagsColour)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &) {});
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("cherry"), QStringLiteral("#ED2626")));
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("Banana"), QStringLiteral("#3B85ED")));
    h.coordinator->start();
    TagsSettingsView pane(h.model, *h.coordinator);
    pane.resize(500, 400);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    const QImage drawn = pane.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto centreOf = [&](const QColor &colour) -> std::optional<QPoint> {
        int count = 0;
        qint64 xs = 0;
        qint64 ys = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (drawn.pixel(x, y) == colour.rgb()) {
                    ++count;
                    xs += x;
                    ys += y;
                }
            }
        }
        // A 14-pixel dot is more than a hundred pixels of its colour inside its smoothed edge.
        EXPECT_GT(count, 100) << colour.name().toStdString();
        return count ? std::optional(QPoint(int(xs / count), int(ys / count))) : std::nullopt;
    };
    const auto blue = centreOf(QColor(0x3B, 0x85, 0xED));
    const auto red = centreOf(QColor(0xED, 0x26, 0x26));
    ASSERT_TRUE(blue && red);
    EXPECT_LT(blue->y(), red->y()) << "Banana's row above cherry's";
}
