#include "CoordinatorTestSupport.h"

#include "ClipboardImageExportError.h"
#include "FileCommands.h"

#include <QImage>

namespace {

ClipboardItem imageItem(CoordinatorHarness &h, int n, QSize size)
{
    ClipboardItem item = testItem(n);
    item.kind = ClipboardKind::image;
    item.text.reset();
    item.assetPath = h.supportDirectory + QStringLiteral("/Images/%1.png").arg(n);
    QDir().mkpath(h.supportDirectory + QStringLiteral("/Images"));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(*item.assetPath, "PNG");
    return item;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Only an image item with its file can be saved; a refusal shows no dialog and still calls the completion.
TEST(SaveImage, RefusesWhatIsNoImageFile)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    ClipboardItem gone = imageItem(h, 2, {2, 2});
    QFile::remove(*gone.assetPath);
    const struct
    {
        ClipboardItem item;
        ClipboardImageExportError::Value error;
    } cases[] = {
        {testItem(1), ClipboardImageExportError::unsupportedItem},
        {gone, ClipboardImageExportError::missingImageFile},
    };
    for (const auto &c : cases) {
        int completions = 0;
        EXPECT_FALSE(h.coordinator->saveImage(c.item, nullptr, [&] { ++completions; }));
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(h.model.lastError(), ClipboardImageExportError(c.error).errorDescription());
    }
    EXPECT_EQ(h.model.lastError(), QStringLiteral("The image file for this clipboard item could not be found."));
    EXPECT_TRUE(h.fileDialogs.saveRequests.isEmpty());
}

// The stored PNG is copied as it is to the chosen path, which keeps the ".png" suffix; cancelling writes nothing.
TEST(SaveImage, CopiesTheStoredFileWhereTheUserSays)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const ClipboardItem image = imageItem(h, 1, {1920, 1080});
    h.fileDialogs.answerAtOnce = false;

    for (const std::optional<QString> &answer :
        {std::optional<QString>(), std::optional(h.root.filePath(QStringLiteral("saved")))}) {
        int completions = 0;
        EXPECT_TRUE(h.coordinator->saveImage(image, nullptr, [&] { ++completions; }));
        EXPECT_EQ(h.fileDialogs.saveRequests.last().proposedName, QStringLiteral("image_1920x1080.png"));
        EXPECT_EQ(completions, 0);
        h.fileDialogs.answerPending(answer);
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(QFile::exists(h.root.filePath(QStringLiteral("saved.png"))), answer.has_value());
    }
    EXPECT_EQ(contentOf(h.root.filePath(QStringLiteral("saved.png"))), contentOf(*image.assetPath));
    EXPECT_FALSE(h.model.lastError());

    ClipboardItem unreadable = image;
    unreadable.assetPath = h.root.filePath(QStringLiteral("not-an-image.png"));
    writeFile(*unreadable.assetPath, "garbage");
    EXPECT_EQ(FileCommands::suggestedImageFileName(unreadable), QStringLiteral("image.png"));
}

// Files open in their application and links in the browser's, through the desktop entry; a link item has no file
// for a chosen application. A program that cannot start is reported.
TEST(OpenItems, OpenThroughTheDesktopEntry)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const QString browser = QStringLiteral("/usr/share/applications/browser.desktop");
    h.applications.application = DefaultApplication {browser, QStringLiteral("Browser"), QString()};
    ClipboardItem link = testItem(1, QStringLiteral("https://example.com/a b"));
    link.text = QStringLiteral("https://example.com/page");
    link.kind = ClipboardKind::link;
    const ClipboardItem image = imageItem(h, 2, {3, 3});

    h.coordinator->openInAssociatedApplication(link);
    h.coordinator->openWithApplication(link, QUrl::fromLocalFile(QStringLiteral("/apps/editor.desktop")));
    h.coordinator->openWithApplication(image, QUrl::fromLocalFile(QStringLiteral("/apps/editor.desktop")));
    EXPECT_EQ(h.launcher.launches,
        QList<MemoryDesktopLauncher::Launch>({{{QUrl(QStringLiteral("https://example.com/page"))}, browser},
            {{QUrl::fromLocalFile(*image.assetPath)}, QStringLiteral("/apps/editor.desktop")}}));

    h.launcher.launchFailure = DesktopLauncher::Failure::startFailed;
    h.coordinator->openInAssociatedApplication(image);
    EXPECT_EQ(h.model.lastError(), QStringLiteral("Browser could not be started."));

    h.applications.application.reset();
    h.launcher.launches.clear();
    h.coordinator->openInAssociatedApplication(image);
    EXPECT_TRUE(h.launcher.launches.isEmpty());

    h.coordinator->openLink(link);
    h.coordinator->openLink(image);
    EXPECT_EQ(h.launcher.openedURLs, QList<QUrl>({QUrl(QStringLiteral("https://example.com/page"))}));
    h.coordinator->showInFinder(image);
    h.coordinator->showInFinder(link);
    EXPECT_EQ(h.launcher.revealedPaths, QStringList({*image.assetPath}));
}

// Without a browser or a file manager the user is told, in the interface language, in an alert and as the last
// error; an address or file that opens says nothing.
TEST(OpenItems, NoBrowserOrFileManagerIsReported)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.language = QStringLiteral("de"); });
    h.coordinator->start();
    ClipboardItem link = testItem(1);
    link.text = QStringLiteral("https://example.com/page");
    link.kind = ClipboardKind::link;
    const ClipboardItem image = imageItem(h, 2, {3, 3});

    h.coordinator->openLink(link);
    h.coordinator->showInFinder(image);
    h.coordinator->openWebAddress(QUrl(QStringLiteral("https://varnisto.app/")));
    EXPECT_TRUE(h.alerts.shown.isEmpty());
    EXPECT_FALSE(h.model.lastError());

    h.launcher.opens = false;
    h.launcher.reveals = false;
    h.coordinator->openLink(link);
    const QString noBrowser = QStringLiteral("Kein Webbrowser konnte https://example.com/page öffnen. Richte auf "
                                             "diesem Desktop einen Standard-Webbrowser ein und versuche es erneut.");
    EXPECT_EQ(h.model.lastError(), noBrowser);
    h.coordinator->openWebAddress(QUrl(QStringLiteral("https://varnisto.app/support")));
    h.coordinator->showInFinder(image);
    const QString noFileManager
        = QStringLiteral("Kein Dateimanager konnte %1 anzeigen. Richte auf diesem Desktop einen "
                         "Standard-Dateimanager ein und versuche es erneut.")
              .arg(QFileInfo(*image.assetPath).fileName());
    EXPECT_EQ(h.model.lastError(), noFileManager);
    EXPECT_EQ(h.alerts.shown,
        QStringList({QStringLiteral("Der Link konnte nicht geöffnet werden.|") + noBrowser,
            QStringLiteral("Der Link konnte nicht geöffnet werden.|Kein Webbrowser konnte https://varnisto.app/support "
                           "öffnen. Richte auf diesem Desktop einen Standard-Webbrowser ein und versuche es erneut."),
            QStringLiteral("Die Datei konnte nicht angezeigt werden.|") + noFileManager}));
}
