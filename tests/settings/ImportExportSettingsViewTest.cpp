#include "CoordinatorTestSupport.h"

#include "ImportExportSettingsView.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(ArchiveOperationProgress, TitlesStatusAndBar)
{
    using Result = ArchiveOperationProgress::Result;
    struct Case
    {
        ArchiveOperationProgress progress;
        const char *title;
        const char *status;
        std::pair<qint64, qint64> bar;
    };
    const Case cases[] = {
        {{ArchiveOperationKind::exportArchive, 0, 0, std::nullopt}, "Exporting History", "(0/0)", {0, 0}},
        {{ArchiveOperationKind::exportArchive, 100, 250, std::nullopt}, "Exporting History", "(100/250)", {100, 250}},
        {{ArchiveOperationKind::exportArchive, 0, 0, Result {true, QStringLiteral("done")}}, "History Exported", "done",
            {1, 1}},
        {{ArchiveOperationKind::importArchive, 40, 100, Result {false, QStringLiteral("broken")}}, "Import Failed",
            "broken", {40, 100}},
        {{ArchiveOperationKind::importArchive, 0, 0, std::nullopt}, "Importing History", "(0/0)", {0, 0}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.progress.title(), QString::fromLatin1(c.title));
        EXPECT_EQ(c.progress.status(), QString::fromLatin1(c.status));
        EXPECT_EQ(c.progress.bar(), c.bar);
    }
}

// Through the pane against the real coordinator and store: an export, then the same archive imported, each followed
// in the sheet; the buttons are off from the start until Close, and a cancelled dialog changes nothing.
TEST(ImportExportSettingsView, ExportThenImportWithProgress)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({testItem(1), testItem(2)});
    // One tag, so that the result reads "1 tag", not "1 tags".
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("Work"), QStringLiteral("#3B85ED")));
    h.coordinator->start();
    QWidget window;
    auto *pane = new ImportExportSettingsView(h.model, *h.coordinator, nullptr, &window);
    window.show();

    h.fileDialogs.answer.reset();
    pane->exportButton().click();
    EXPECT_EQ(pane->sheet(), nullptr);
    EXPECT_TRUE(pane->exportButton().isEnabled());

    const QString archive = h.root.filePath(QStringLiteral("Moved.varnistoarchive"));
    h.fileDialogs.answer = archive;
    pane->exportButton().click();
    ASSERT_NE(pane->sheet(), nullptr);
    EXPECT_FALSE(pane->exportButton().isEnabled());
    EXPECT_FALSE(pane->importButton().isEnabled());
    EXPECT_EQ(pane->sheet()->titleLabel().text(), QStringLiteral("Exporting History"));
    EXPECT_FALSE(pane->sheet()->closeButton().isVisibleTo(pane->sheet()));
    ASSERT_TRUE(waitUntil([&] { return pane->sheet()->titleLabel().text() == QStringLiteral("History Exported"); }));
    EXPECT_EQ(
        pane->sheet()->statusLabel().text(), QStringLiteral("Exported 2 items and 1 tag to Moved.varnistoarchive."));
    // The result wraps; the sheet grows so that every line shows.
    QCoreApplication::processEvents();
    const QLabel &status = pane->sheet()->statusLabel();
    EXPECT_GE(status.height(), status.heightForWidth(status.width()));
    EXPECT_EQ(pane->sheet()->bar().value(), pane->sheet()->bar().maximum());
    // Escape does not take it away; Close does.
    pane->sheet()->reject();
    EXPECT_TRUE(pane->sheet()->isVisible());
    EXPECT_FALSE(pane->exportButton().isEnabled());
    pane->sheet()->closeButton().click();
    EXPECT_TRUE(pane->exportButton().isEnabled());

    pane->importButton().click();
    ASSERT_NE(pane->sheet(), nullptr);
    EXPECT_EQ(pane->sheet()->titleLabel().text(), QStringLiteral("Importing History"));
    ASSERT_TRUE(waitUntil([&] { return pane->sheet()->titleLabel().text() == QStringLiteral("History Imported"); }));
    EXPECT_EQ(pane->sheet()->statusLabel().text(), QStringLiteral("Imported 2 items and 1 tag."));
    EXPECT_EQ(h.model.items().size(), 2);
}

// A pane opened again while the operation runs shows its progress, and the pane's end does not end the following.
TEST(ImportExportSettingsView, APaneOpenedAgainShowsTheRunningOperation)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    QWidget window;
    ArchiveOperationTracker tracker(h.model, *h.coordinator);
    h.fileDialogs.answer = h.root.filePath(QStringLiteral("Again.varnistoarchive"));
    {
        ImportExportSettingsView first(h.model, *h.coordinator, &tracker, &window);
        window.show();
        first.exportButton().click();
        ASSERT_TRUE(tracker.progress().has_value());
    }
    auto *second = new ImportExportSettingsView(h.model, *h.coordinator, &tracker, &window);
    second->show();
    ASSERT_NE(second->sheet(), nullptr);
    EXPECT_FALSE(second->exportButton().isEnabled());
    ASSERT_TRUE(waitUntil([&] { return tracker.progress() && tracker.progress()->result; }));
    EXPECT_TRUE(tracker.progress()->result->succeeded);
    EXPECT_EQ(second->sheet()->titleLabel().text(), QStringLiteral("History Exported"));
}
