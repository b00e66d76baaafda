#include "ItemCommands.h"
#include "CoordinatorTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

ClipboardItem linkItem(int n, const QString &url, const QString &supportDirectory, bool withFiles = true)
{
    ClipboardItem item = testItem(n, url);
    item.kind = ClipboardKind::link;
    LinkPreviewDetails details;
    details.url = url;
    details.title = QStringLiteral("Page %1").arg(n);
    details.fetchedAt = testTime(n);
    if (withFiles) {
        details.imagePath = supportDirectory + QStringLiteral("/LinkPreviews/%1-preview.png").arg(n);
        details.faviconPath = supportDirectory + QStringLiteral("/LinkPreviews/%1-favicon.png").arg(n);
        writeFile(*details.imagePath);
        writeFile(*details.faviconPath);
    }
    item.linkPreviewDetails = details;
    return item.refreshingSearchText({});
}

ClipboardItem fileItem(int n, const QString &path)
{
    ClipboardItem item = testItem(n);
    item.kind = ClipboardKind::file;
    item.text.reset();
    item.filePaths = {path};
    return item.refreshingSearchText({});
}

// The source paths of the file previews the cache keeps on disk.
QStringList cachedPreviewSources(CoordinatorHarness &h)
{
    QStringList sources;
    const QDir directory(h.filePreviews.directory());
    for (const QString &name : directory.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(directory.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            sources.append(
                QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("sourcePath")).toString());
    }
    sources.sort();
    return sources;
}

} // namespace

// Deleted items take their image, their link-preview pictures and the cached previews of files no kept item lists.
TEST(DeleteItems, RemovesTheItemsWithTheirFiles)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    const QString shared = h.root.filePath(QStringLiteral("shared.txt"));
    const QString own = h.root.filePath(QStringLiteral("own.txt"));
    writeFile(shared);
    writeFile(own);
    ClipboardItem image = testItem(1);
    image.kind = ClipboardKind::image;
    image.assetPath = h.supportDirectory + QStringLiteral("/Images/one.png");
    writeFile(*image.assetPath);
    ClipboardItem sharedFiles = fileItem(4, shared);
    sharedFiles.filePaths.append(own);
    h.storeItems({image, linkItem(2, QStringLiteral("https://example.com/"), h.supportDirectory), fileItem(3, shared),
        sharedFiles, testItem(5)});
    h.coordinator->start();
    for (const QString &path : {shared, own})
        h.filePreviews.preview(path, 40, 40);
    ASSERT_EQ(cachedPreviewSources(h), QStringList({own, shared}));

    QList<ClipboardItem> doomed;
    for (const ClipboardItem &item : h.model.items()) {
        if (item.id != testId(3) && item.id != testId(5))
            doomed.append(item);
    }
    h.coordinator->deleteItems(doomed);
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({5, 3}));
    EXPECT_EQ(h.storedItems().size(), 2);
    EXPECT_FALSE(QFile::exists(*image.assetPath));
    EXPECT_TRUE(QDir(h.supportDirectory + QStringLiteral("/LinkPreviews")).isEmpty());
    EXPECT_EQ(cachedPreviewSources(h), QStringList({shared}));
    EXPECT_TRUE(QFile::exists(shared) && QFile::exists(own)); // the user's files are never touched
    EXPECT_TRUE(h.sounds.isLoaded(SoundEffect::delete_));
    EXPECT_FALSE(h.model.lastError());
}

// A failure on the second of three: the first is gone from the store, the list and the disk; the others stay.
TEST(DeleteItems, AFailureStopsThereAndWhatWasDeletedLeavesTheList)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({linkItem(1, QStringLiteral("https://example.com/1"), h.supportDirectory),
        linkItem(2, QStringLiteral("https://example.com/2"), h.supportDirectory), testItem(3)});
    h.coordinator->start();
    h.faults.failOn(FaultInjectingStore::Operation::deleteItem, testId(2));

    h.coordinator->deleteItems({h.model.items().at(2), h.model.items().at(1), h.model.items().at(0)});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3, 2}));
    EXPECT_EQ(numbersOf(h.storedItems()), QList<int>({3, 2}));
    EXPECT_FALSE(QFile::exists(h.supportDirectory + QStringLiteral("/LinkPreviews/1-preview.png")));
    EXPECT_TRUE(QFile::exists(h.supportDirectory + QStringLiteral("/LinkPreviews/2-preview.png")));
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
    EXPECT_FALSE(h.sounds.isLoaded(SoundEffect::delete_));
}

TEST(SplitItem, MakesOneItemPerLineAtTheFrontAllSelected)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    ClipboardItem lines = testItem(1, QStringLiteral("a\n\n  b  \nc\r\nhttps://example.com/x"));
    lines.sourceAppName = QStringLiteral("Editor");
    ClipboardItem existingB = testItem(2, QStringLiteral("b"));
    existingB.isFavorite = true;
    existingB.sourceAppName = QStringLiteral("Editor");
    existingB = existingB.refreshingSearchText({});
    ClipboardItem image = testItem(3);
    image.kind = ClipboardKind::image;
    image.text = QStringLiteral("x\ny");
    h.storeItems({lines, existingB, image, testItem(4, QStringLiteral("single line"))});
    h.coordinator->start();

    // Nothing to split: one line, or no text kind.
    for (const int n : {3, 4}) {
        h.coordinator->splitItem(*h.storedItem(testId(n)));
        EXPECT_EQ(h.model.items().size(), 4);
    }

    h.coordinator->splitItem(*h.storedItem(testId(1)));
    QStringList texts;
    for (const ClipboardItem &item : h.model.items().mid(0, 4))
        texts.append(*item.text + QLatin1Char('/') + item.kind.rawValue());
    EXPECT_EQ(texts,
        QStringList({QStringLiteral("a/text"), QStringLiteral("b/text"), QStringLiteral("c/text"),
            QStringLiteral("https://example.com/x/link")}));
    // The loaded "b" of the same content handed its favourite on and went; the split item stays.
    EXPECT_EQ(h.model.items().size(), 7);
    EXPECT_FALSE(h.storedItem(testId(2)));
    EXPECT_TRUE(h.storedItem(testId(1)));
    EXPECT_TRUE(h.model.items().at(1).isFavorite);
    for (qsizetype line = 0; line < 4; ++line) {
        const ClipboardItem &item = h.model.items().at(line);
        EXPECT_EQ(item.sourceAppName, QStringLiteral("Editor"));
        // Copied now, each line a millisecond before the one above it.
        EXPECT_EQ(item.copiedAt, h.clock.now().addMSecs(-line));
        EXPECT_EQ(item.firstCopiedAt, h.clock.now());
        EXPECT_EQ(item.byteSize, item.text->toUtf8().size());
        EXPECT_EQ(h.storedItem(item.id), item);
    }
    EXPECT_EQ(h.model.selectedItemID(), h.model.items().first().id);
    EXPECT_EQ(h.model.selectedItemIDsInSelectionOrder().size(), 4);
    EXPECT_EQ(h.model.selectedItemIDs().size(), 4);
}

// Split within one millisecond, the lines show in their order, in every order of the list that ties them, and so
// they come back from the store after a restart.
TEST(SplitItem, TheLinesShowAndStayInTheirOrder)
{
    const QStringList lines = {u"apple"_qs, u"banana"_qs, u"cherry"_qs, u"damson"_qs, u"elderberry"_qs, u"fig"_qs,
        u"grape"_qs, u"huckleberry"_qs};
    const auto visibleTexts = [](const AppModel &model) {
        QStringList texts;
        for (const ClipboardItem *item : model.visibleItems())
            texts.append(item->text.value_or(QString()));
        return texts;
    };
    for (const HistorySortOption option : {HistorySortOption::lastCopyTime, HistorySortOption::firstCopyTime}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems({testItem(1, lines.join(u'\n'))});
        h.coordinator->start();
        h.model.setHistorySortOption(option);
        h.coordinator->splitItem(*h.storedItem(testId(1)));
        EXPECT_EQ(visibleTexts(h.model).mid(0, lines.size()), lines) << int(option);

        // Read back as the next start reads them.
        const QList<ClipboardItem> loaded = SQLiteHistoryStore(h.supportDirectory).loadRecentItems(100).value();
        QStringList stored;
        for (const ClipboardItem &item : loaded)
            stored.append(item.text.value_or(QString()));
        EXPECT_EQ(stored.mid(0, lines.size()), lines);
        AppModel restarted;
        restarted.setHistorySortOption(option);
        restarted.setItems(loaded);
        EXPECT_EQ(visibleTexts(restarted).mid(0, lines.size()), lines) << int(option);
    }
}

TEST(SplitItem, TrimmedTextLines)
{
    const struct
    {
        ClipboardKind::Value kind;
        const char16_t *text;
        QStringList lines;
    } cases[] = {
        {ClipboardKind::text, u"a\n\n  b  \nc\r\n", {"a", "b", "c"}},
        {ClipboardKind::richText, u"one\u2028two\u0085three", {"one", "two", "three"}},
        {ClipboardKind::text, u"no newline", {}},
        {ClipboardKind::text, u"only one\n", {"only one"}},
        {ClipboardKind::link, u"https://a.example\nhttps://b.example", {}},
    };
    for (const auto &c : cases) {
        ClipboardItem item = testItem(1, QString::fromUtf16(c.text));
        item.kind = c.kind;
        EXPECT_EQ(ItemCommands::trimmedTextLines(item), c.lines) << QString::fromUtf16(c.text).toStdString();
    }
}

// Favourite, rename and the other single-item changes start from the stored row: a preview stored after the caller
// took its copy survives, and an item deleted meanwhile is not written back.
TEST(ItemUpdates, FavouriteAndRenameChangeTheStoredRow)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({testItem(1), testItem(2), testItem(3)});
    h.coordinator->start();
    const QList<ClipboardItem> taken = h.model.items(); // 3, 2, 1

    h.coordinator->setFavorite(true, {taken.at(0)});
    const int upserts = h.faults.count(FaultInjectingStore::Operation::upsert);
    h.coordinator->setFavorite(true, {h.model.items().at(0), taken.at(1), taken.at(2)});
    EXPECT_EQ(h.faults.count(FaultInjectingStore::Operation::upsert), upserts + 2);
    EXPECT_TRUE(h.storedItem(testId(1))->isFavorite && h.storedItem(testId(2))->isFavorite);

    ClipboardItem withPreview = *h.storedItem(testId(2));
    withPreview.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://x"), {}, {}, {}, {}, testTime(9)};
    ASSERT_TRUE(h.store.upsert(withPreview));
    h.coordinator->toggleFavorite(h.model.items().at(1));
    EXPECT_FALSE(h.storedItem(testId(2))->isFavorite);
    EXPECT_TRUE(h.storedItem(testId(2))->linkPreviewDetails);

    h.coordinator->renameItem(h.model.items().at(2), QStringLiteral("  Invoice \n"));
    EXPECT_EQ(h.storedItem(testId(1))->title, QStringLiteral("Invoice"));
    EXPECT_TRUE(h.model.items().at(2).searchText.contains(QStringLiteral("Invoice")));
    h.coordinator->renameItem(h.model.items().at(2), QStringLiteral(" \t "));
    EXPECT_EQ(h.storedItem(testId(1))->title, std::nullopt);

    ASSERT_TRUE(h.store.deleteItem(testId(3)));
    h.coordinator->renameItem(taken.at(0), QStringLiteral("Ghost"));
    EXPECT_FALSE(h.storedItem(testId(3)));
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({2, 1}));
}

TEST(ItemUpdates, AStoreFailureLeavesTheModelAsItWas)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    const QList<ClipboardItem> before = h.model.items();
    h.faults.failOn(FaultInjectingStore::Operation::upsert, testId(2));

    h.coordinator->setFavorite(true, before);
    EXPECT_TRUE(h.model.items().at(0).isFavorite);
    EXPECT_FALSE(h.model.items().at(1).isFavorite);
    EXPECT_FALSE(h.model.items().at(2).isFavorite); // the loop ended at the failure
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());

    h.model.setLastError(std::nullopt);
    h.coordinator->editItem(h.model.items().at(1), QStringLiteral("new"));
    EXPECT_EQ(h.model.items().at(1), before.at(1));
    EXPECT_TRUE(h.model.lastError());
}

// Editing sets the text and the kind that follows it; a link keeps its preview only with the same address; rich
// data goes; a blank text deletes the item; images and files are refused.
TEST(EditItem, NewTextNewKindAndThePreviewOnlyForTheSameAddress)
{
    const struct
    {
        const char *text;
        const char *kind; // after the edit; "deleted" when the item goes
        bool keepsPreview;
    } cases[] = {
        {"https://EXAMPLE.com/page#part", "link", true},
        {"https://example.com/other", "link", false},
        {"just words", "text", false},
        {"#FF0000", "color", false},
        {"  \n ", "deleted", false},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems({linkItem(1, QStringLiteral("https://example.com/page"), h.supportDirectory)});
        h.coordinator->start();
        h.coordinator->editItem(h.model.items().first(), QString::fromUtf8(c.text));
        const auto stored = h.storedItem(testId(1));
        const bool filesKept = QFile::exists(h.supportDirectory + QStringLiteral("/LinkPreviews/1-preview.png"));
        if (QLatin1String(c.kind) == QLatin1String("deleted")) {
            EXPECT_FALSE(stored);
            EXPECT_TRUE(h.model.items().isEmpty());
            EXPECT_FALSE(filesKept);
            continue;
        }
        ASSERT_TRUE(stored) << c.text;
        EXPECT_EQ(stored->text, QString::fromUtf8(c.text));
        EXPECT_EQ(stored->kind.rawValue(), QLatin1String(c.kind)) << c.text;
        EXPECT_EQ(stored->byteSize, qint64(qstrlen(c.text)));
        EXPECT_EQ(stored->linkPreviewDetails.has_value(), c.keepsPreview) << c.text;
        EXPECT_EQ(filesKept, c.keepsPreview) << c.text;
        EXPECT_EQ(h.model.items().first(), *stored);
    }
}

TEST(EditItem, RichDataGoesAndImagesAndFilesAreRefused)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    ClipboardItem rich = testItem(1, QStringLiteral("Hello"));
    rich.kind = ClipboardKind::richText;
    rich.html = QStringLiteral("<b>Hello</b>");
    rich.rtfData = QByteArray("{\\rtf1 Hello}");
    ClipboardItem image = testItem(2, QStringLiteral("recognised text"));
    image.kind = ClipboardKind::image;
    ClipboardItem file = fileItem(3, QStringLiteral("/tmp/x"));
    h.storeItems({rich, image, file});
    h.coordinator->start();

    h.coordinator->transformItem(*h.storedItem(testId(1)), ClipboardTextTransform::upperCase);
    const auto transformed = h.storedItem(testId(1));
    EXPECT_EQ(transformed->text, QStringLiteral("HELLO"));
    EXPECT_EQ(transformed->kind, ClipboardKind::text);
    EXPECT_FALSE(transformed->html || transformed->rtfData);

    const struct
    {
        int n;
        bool transform;
        QString error;
    } refusals[] = {
        {2, false, QStringLiteral("Image cannot be edited.")},
        {2, true, QStringLiteral("Image cannot be transformed.")},
        {3, false, QStringLiteral("File cannot be edited.")},
        {3, true, QStringLiteral("File cannot be transformed.")},
    };
    for (const auto &r : refusals) {
        const ClipboardItem before = *h.storedItem(testId(r.n));
        if (r.transform)
            h.coordinator->transformItem(before, ClipboardTextTransform::upperCase);
        else
            h.coordinator->editItem(before, QStringLiteral("changed"));
        EXPECT_EQ(h.model.lastError(), r.error);
        EXPECT_EQ(h.storedItem(testId(r.n)), before);
    }
}

// The preview saves an edit whose item left the history meanwhile: a row that is gone comes back as a new text item
// (taking over a loaded item of the same content); the same text leaves a stored item as it is.
TEST(EditItem, AGoneItemComesBackAsANewItemAndTheSameTextChangesNothing)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 2; });
    ClipboardItem rich = testItem(3, QStringLiteral("Hello"));
    rich.kind = ClipboardKind::richText;
    rich.html = QStringLiteral("<b>Hello</b>");
    ClipboardItem favourite = testItem(1);
    favourite.isFavorite = true;
    h.storeItems({rich, testItem(2), favourite});
    h.coordinator->start();
    ASSERT_EQ(numbersOf(h.model.items()), QList<int>({3, 2}));

    // Item 1 was trimmed from the list; its row is still stored: the edit brings it back, the list keeps its size.
    h.coordinator->editItem(testItem(1), QStringLiteral("item 1, edited"));
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({1, 3}));
    EXPECT_EQ(h.storedItem(testId(1))->text, QStringLiteral("item 1, edited"));
    EXPECT_TRUE(h.storedItem(testId(1))->isFavorite);

    // The same text: the rich text keeps its formatting.
    h.coordinator->editItem(rich, QStringLiteral("Hello"));
    EXPECT_EQ(h.storedItem(testId(3))->html, QStringLiteral("<b>Hello</b>"));
    EXPECT_EQ(h.storedItem(testId(3))->kind, ClipboardKind::richText);

    // Item 3's row is gone (pruned): the text becomes a new item at the front, its kind following the text.
    ASSERT_TRUE(h.store.deleteItem(testId(3)));
    h.coordinator->editItem(rich, QStringLiteral("#FF0000"));
    const ClipboardItem created = h.model.items().first();
    EXPECT_NE(created.id, testId(3));
    EXPECT_EQ(created.kind, ClipboardKind::color);
    EXPECT_EQ(h.storedItem(created.id), created);
    EXPECT_FALSE(h.storedItem(testId(3)));

    // A new item of the same content as a loaded one takes its place and what the user gave it.
    h.coordinator->editItem(rich, QStringLiteral("item 1, edited"));
    EXPECT_FALSE(h.storedItem(testId(1)));
    EXPECT_EQ(h.model.items().first().text, QStringLiteral("item 1, edited"));
    EXPECT_TRUE(h.model.items().first().isFavorite);
    EXPECT_EQ(h.model.items().size(), 2);
    EXPECT_FALSE(h.model.lastError());
}

// A clear that the store refuses touches no file and leaves the list.
TEST(ClearHistory, AStoreFailureChangesNothing)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.keepFavoritesOnClearHistory = false; });
    h.storeItems({linkItem(1, QStringLiteral("https://example.com/"), h.supportDirectory), testItem(2)});
    h.coordinator->start();
    h.faults.failOn(FaultInjectingStore::Operation::clearHistory);
    h.coordinator->clearHistory();
    EXPECT_EQ(h.model.items().size(), 2);
    EXPECT_TRUE(QFile::exists(h.supportDirectory + QStringLiteral("/LinkPreviews/1-preview.png")));
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
}
