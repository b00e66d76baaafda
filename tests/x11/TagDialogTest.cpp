// The tag dialog on a real display, creating and editing, in light and dark. Each run leaves its pictures in the
// screenshots folder.

#include "NewTagDialog.h"
#include "SettingsLook.h"
#include "StyleAppearanceApplier.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

TEST(TagDialog, ShowsNameAndColoursInLightAndDark)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    const QDir folder(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    StyleAppearanceApplier appearance;
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        const QString suffix = mode == AppAppearance::light ? u"light"_qs : u"dark"_qs;

        NewTagDialog edit(Tag {3, u"Recipes"_qs, u"#E5484D"_qs});
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        QTest::qWait(30);
        EXPECT_EQ(edit.selectedColorIndex(), 6);
        EXPECT_TRUE(edit.grab().save(folder.filePath(u"tag-dialog-edit-"_qs + suffix + u".png"_qs)));

        NewTagDialog create;
        create.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&create));
        QTest::keyClicks(&create.inputField(), u"Work"_qs);
        create.showError(u"A tag with this name already exists."_qs);
        QTest::qWait(30);
        EXPECT_TRUE(create.grab().save(folder.filePath(u"tag-dialog-refused-"_qs + suffix + u".png"_qs)));
    }
    appearance.apply(AppAppearance::system);
}
