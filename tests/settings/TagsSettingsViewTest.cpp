#include "CoordinatorTestSupport.h"

#include "TagDialogPresenter.h"
#include "TagsSettingsView.h"

#include <QPushButton>

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
