// The preview's toolbar: items per kind and while editing, the favourite and "Open in" items, the menus, and the
// title accessory's texts and widths.

#include "ItemPreviewToolbar.h"
#include "ElidedLabel.h"
#include "PreviewFixtures.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace PreviewFixtures;
using T = ItemPreviewToolbar;

namespace {

class RecordingDelegate final : public ItemPreviewToolbarDelegate
{
public:
    QStringList calls;
    std::function<QMenu *()> tags;
    void itemPreviewToolbarDidRequestClose() override { calls << QStringLiteral("close"); }
    void itemPreviewToolbarDidToggleFavorite() override { calls << QStringLiteral("favorite"); }
    void itemPreviewToolbarDidRequestEdit() override { calls << QStringLiteral("edit"); }
    void itemPreviewToolbarDidRequestSave() override { calls << QStringLiteral("save"); }
    void itemPreviewToolbarDidRequestCopyTextFromImage() override { calls << QStringLiteral("imageText"); }
    void itemPreviewToolbarDidRequestCopyTextFromQRCode() override { calls << QStringLiteral("qrText"); }
    void itemPreviewToolbarDidRequestSaveAsFile() override { calls << QStringLiteral("saveAsFile"); }
    void itemPreviewToolbarDidRequestOpenInApplication() override { calls << QStringLiteral("open"); }
    void itemPreviewToolbarDidRequestShowInFinder() override { calls << QStringLiteral("show"); }
    void itemPreviewToolbarDidRequestRestore() override { calls << QStringLiteral("restore"); }
    QMenu *itemPreviewToolbarMoreActionsMenu() override { return nullptr; }
    QMenu *itemPreviewToolbarTagsMenu() override { return tags ? tags() : nullptr; }
};

} // namespace

TEST(ItemPreviewToolbar, ItemsPerKind)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("shot.png")), QSize(20, 20));

    ClipboardItem plainImage = item(ClipboardKind::image);
    ClipboardItem readImage = plainImage;
    readImage.text = QStringLiteral("recognised words");
    readImage.qrCodeText = QStringLiteral("https://example.org");
    ClipboardItem oneFile = item(ClipboardKind::file);
    oneFile.filePaths = {folder.filePath(QStringLiteral("notes.txt"))};
    ClipboardItem oneImageFile = item(ClipboardKind::file);
    oneImageFile.filePaths = {png};
    oneImageFile.text = QStringLiteral("words in the picture");
    ClipboardItem threeFiles = item(ClipboardKind::file);
    threeFiles.filePaths = {png, png, png};

    const struct
    {
        const char *name;
        ClipboardItem item;
        QStringList expected;
    } cases[] = {
        {"text", item(ClipboardKind::text), {T::favorite, T::tags, T::moreActions, T::edit}},
        {"rich text", item(ClipboardKind::richText), {T::favorite, T::tags, T::moreActions, T::edit}},
        {"link", item(ClipboardKind::link), {T::tags, T::edit, T::openInApplication}},
        {"email", item(ClipboardKind::email), {T::favorite, T::tags, T::edit}},
        {"colour", item(ClipboardKind::color), {T::favorite, T::tags, T::edit}},
        {"image", plainImage, {T::saveAsFile, T::favorite, T::tags, T::openInApplication}},
        {"image with texts", readImage,
            {T::copyTextFromImage, T::copyTextFromQRCode, T::saveAsFile, T::favorite, T::tags, T::openInApplication}},
        {"one file", oneFile, {T::favorite, T::tags, T::showInFinder, T::openInApplication}},
        {"one image file with text", oneImageFile,
            {T::copyTextFromImage, T::favorite, T::tags, T::showInFinder, T::openInApplication}},
        {"three files", threeFiles, {T::favorite, T::tags}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(T::itemIdentifiers(c.item), c.expected) << c.name;
}

TEST(ItemPreviewToolbar, EditingSwapsTheItemsAndRepeatingChangesNothing)
{
    ItemPreviewToolbar toolbar(item(ClipboardKind::text));
    std::unique_ptr<QToolBar> bar(toolbar.makeToolbar());
    EXPECT_EQ(toolbar.currentItemIdentifiers(),
        QStringList({T::flexibleSpace, T::favorite, T::tags, T::moreActions, T::edit}));
    QAction *favorite = toolbar.itemForIdentifier(T::favorite);

    toolbar.isEditing = true;
    toolbar.updateToolbarItems();
    EXPECT_EQ(toolbar.currentItemIdentifiers(), QStringList({T::flexibleSpace, T::restore, T::save}));
    const QList<QAction *> editing = bar->actions();
    toolbar.updateToolbarItems();
    EXPECT_EQ(bar->actions(), editing);

    toolbar.isEditing = false;
    toolbar.updateToolbarItems();
    EXPECT_EQ(toolbar.currentItemIdentifiers(),
        QStringList({T::flexibleSpace, T::favorite, T::tags, T::moreActions, T::edit}));
    // The same item objects come back.
    EXPECT_EQ(bar->actions().at(1), favorite);
    EXPECT_EQ(toolbar.itemForIdentifier(QStringLiteral("unknown")), nullptr);
}

TEST(ItemPreviewToolbar, FavouriteAndOpenInFollowTheItem)
{
    ClipboardItem link = textItem(ClipboardKind::link, QStringLiteral("https://example.org/page"));
    QList<QUrl> asked;
    ItemPreviewToolbar toolbar(link, [&](const QUrl &url) -> std::optional<AssociatedApplication> {
        asked.append(url);
        if (url.scheme() == QLatin1String("https"))
            return AssociatedApplication {
                QUrl::fromLocalFile(QStringLiteral("/b.desktop")), QStringLiteral("Browser"), {}};
        return std::nullopt;
    });
    QAction *open = toolbar.itemForIdentifier(T::openInApplication);
    EXPECT_EQ(open->text(), QStringLiteral("Open in Browser"));
    EXPECT_EQ(asked, QList<QUrl>({QUrl(QStringLiteral("https://example.org/page"))}));
    EXPECT_FALSE(open->icon().isNull());

    toolbar.item = textItem(ClipboardKind::link, QStringLiteral("not a usable address"));
    toolbar.updateOpenInApplicationItem();
    EXPECT_EQ(open->text(), QStringLiteral("Open"));
    EXPECT_EQ(open->toolTip(), QStringLiteral("Open"));
    EXPECT_FALSE(open->icon().isNull()); // the generic application symbol

    QAction *favorite = toolbar.itemForIdentifier(T::favorite);
    EXPECT_EQ(favorite->text(), QStringLiteral("Add to Favorites"));
    EXPECT_FALSE(favorite->property("accentColoured").toBool());
    toolbar.item.isFavorite = true;
    toolbar.updateFavoriteItem();
    EXPECT_EQ(favorite->text(), QStringLiteral("Remove from Favorites"));
    EXPECT_TRUE(favorite->property("accentColoured").toBool());

    RecordingDelegate delegate;
    toolbar.delegate = &delegate;
    favorite->trigger();
    open->trigger();
    toolbar.itemForIdentifier(T::save)->trigger();
    EXPECT_EQ(
        delegate.calls, QStringList({QStringLiteral("favorite"), QStringLiteral("open"), QStringLiteral("save")}));
}

TEST(ItemPreviewToolbar, MenusAreFilledFromTheDelegateWhenTheyOpen)
{
    ItemPreviewToolbar toolbar(item(ClipboardKind::text));
    RecordingDelegate delegate;
    toolbar.delegate = &delegate;
    toolbar.itemForIdentifier(T::tags);
    QMenu *tags = toolbar.tagsMenu();
    ASSERT_NE(tags, nullptr);

    toolbar.fillMenu(tags);
    EXPECT_TRUE(tags->actions().isEmpty());

    QPointer<QMenu> given;
    delegate.tags = [&] {
        auto *menu = new QMenu;
        menu->addAction(QStringLiteral("Work"));
        menu->addAction(QStringLiteral("Home"));
        given = menu;
        return menu;
    };
    toolbar.fillMenu(tags);
    ASSERT_EQ(tags->actions().size(), 2);
    EXPECT_EQ(tags->actions().at(0)->text(), QStringLiteral("Work"));
    ASSERT_TRUE(given);
    EXPECT_TRUE(given->actions().isEmpty());
    // The entries outlive the menu they came from, and the next opening starts afresh.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(given);
    EXPECT_EQ(tags->actions().at(1)->text(), QStringLiteral("Home"));
    toolbar.fillMenu(tags);
    EXPECT_EQ(tags->actions().size(), 2);
}

TEST(ItemPreviewToolbar, TitleAndSubtitlePerItem)
{
    ItemPreviewToolbar toolbar(item(ClipboardKind::text));
    std::unique_ptr<QWidget> accessory(toolbar.makeTitleAccessory());
    ElidedLabel *title = toolbar.titleField();
    ElidedLabel *subtitle = toolbar.subtitleField();

    EXPECT_EQ(title->text(), QStringLiteral("Text"));
    EXPECT_TRUE(subtitle->isHidden());

    toolbar.item = item(ClipboardKind::file);
    toolbar.item.filePaths = {QStringLiteral("/home/someone/Documents/report.pdf")};
    toolbar.updateTitle();
    EXPECT_EQ(title->text(), QStringLiteral("report.pdf"));
    EXPECT_EQ(subtitle->text(), QStringLiteral("/home/someone/Documents"));
    EXPECT_EQ(title->toolTip(), QStringLiteral("/home/someone/Documents/report.pdf"));
    EXPECT_EQ(subtitle->toolTip(), title->toolTip());
    EXPECT_FALSE(subtitle->isHidden());

    toolbar.item.filePaths = {QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c"), QStringLiteral("/d")};
    toolbar.updateTitle();
    EXPECT_EQ(title->text(), QStringLiteral("Files: 4 items"));
    EXPECT_TRUE(subtitle->isHidden());
    toolbar.item.filePaths = {};
    toolbar.updateTitle();
    EXPECT_EQ(title->text(), QStringLiteral("File"));

    const QString address = QStringLiteral("https://example.org/") + QString(300, u'a') + QStringLiteral("/end");
    toolbar.item = textItem(ClipboardKind::link, address);
    toolbar.updateTitle();
    EXPECT_EQ(title->text(), address);
    EXPECT_EQ(title->elideMode(), Qt::ElideMiddle);
    title->resize(200, 20);
    EXPECT_TRUE(title->shownText().startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(title->shownText().endsWith(QStringLiteral("/end")));
    toolbar.item = textItem(ClipboardKind::link, QStringLiteral("not a link at all"));
    toolbar.updateTitle();
    EXPECT_EQ(title->text(), QStringLiteral("Link"));
}

TEST(ItemPreviewToolbar, TitleWidthComesFromTheRoomTheItemsLeave)
{
    const int T50 = T::maximumTitleWidth();
    ASSERT_GT(T50, 120);
    const QString longText = QString(400, u'w');
    ClipboardItem text = textItem(ClipboardKind::text, longText); // title "Text" is short
    ClipboardItem file = item(ClipboardKind::file);
    file.filePaths = {QStringLiteral("/folder/") + longText};
    const int fileItems = T::estimatedToolbarItemsWidth(file);
    EXPECT_EQ(fileItems, 40 + (44 + 8) + (55 + 8) + (44 + 8) + (160 + 8));
    EXPECT_EQ(T::estimatedToolbarItemsWidth(item(ClipboardKind::text)), 40 + 4 * 8 + 44 + 55 + 55 + 44);

    const struct
    {
        const char *name;
        ClipboardItem item;
        int windowWidth; // 0: not in a window
        int expected; // -1: the title's own width
    } cases[] = {
        {"not in a window: as if T were free", file, 0, T50},
        {"a wide window never passes T", file, 3000, T50},
        {"a narrow window still leaves 120", file, 200, 120},
        {"in between: what the items leave", file, 55 + fileItems + 200, 200},
        {"a short title takes its own width", text, 3000, -1},
    };
    for (const auto &c : cases) {
        ItemPreviewToolbar toolbar(c.item);
        std::unique_ptr<QWidget> window;
        QWidget *accessory = toolbar.makeTitleAccessory();
        if (c.windowWidth > 0) {
            window = std::make_unique<QWidget>();
            accessory->setParent(window.get());
            window->resize(c.windowWidth, 100);
        } else {
            window.reset(accessory);
        }
        toolbar.updateAccessoryWidth();
        const int expected = c.expected >= 0 ? c.expected : toolbar.titleField()->sizeHint().width();
        EXPECT_EQ(toolbar.titleStack()->maximumWidth(), expected) << c.name;
        EXPECT_EQ(accessory->maximumWidth(), expected + 55) << c.name;
    }
}
