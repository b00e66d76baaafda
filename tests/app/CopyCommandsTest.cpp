#include "CoordinatorTestSupport.h"

namespace {

std::optional<QString> clipboardText(const MemoryPasteboard &pasteboard)
{
    const auto data = pasteboard.content().data(PasteboardType::plainText());
    return data ? std::optional<QString>(QString::fromUtf8(*data)) : std::nullopt;
}

ClipboardItem fileItem(int n, const QStringList &paths)
{
    ClipboardItem item = testItem(n);
    item.kind = ClipboardKind::file;
    item.text.reset();
    item.filePaths = paths;
    return item.refreshingSearchText({});
}

// Lets the monitor look at the clipboard once and hand what it captured to the coordinator.
void captureTick(CoordinatorHarness &h)
{
    h.monitor.checkPasteboard();
    QCoreApplication::processEvents();
}

} // namespace

// A copy writes the item, stamps the paste time and plays the copy sound; it moves the copy time as the history
// follows actions, never the copy count.
TEST(CopyItem, WritesTheItemAndMovesOnlyTheCopyTime)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();
    h.clock.advance(60'000);

    EXPECT_TRUE(h.coordinator->copyItem(h.model.items().last(), PasteVariant::standard));
    EXPECT_EQ(clipboardText(h.pasteboard), QStringLiteral("item 1"));
    EXPECT_TRUE(h.pasteboard.content().hasType(PasteboardType::varnistoMarker()));
    EXPECT_TRUE(h.keyPoster.presses().isEmpty());
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), h.clock.now());
    EXPECT_TRUE(h.sounds.isLoaded(SoundEffect::copy));
    const auto stored = h.storedItem(testId(1));
    EXPECT_EQ(stored->copyCount, 1);
    EXPECT_EQ(stored->copiedAt, h.clock.now());
    EXPECT_EQ(h.model.items().last(), *stored); // the model follows the store
}

// What cannot be written leaves the clipboard as it was; a store failure after the write is reported as a failure.
TEST(CopyItem, FailuresAreReportedAndReturnFalse)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(1));
    h.coordinator->start();
    PasteboardContent users;
    users.setString(PasteboardType::plainText(), QStringLiteral("the user's own"));
    h.pasteboard.setContent(users);

    ClipboardItem image = testItem(2);
    image.kind = ClipboardKind::image;
    image.assetPath = h.supportDirectory + QStringLiteral("/Images/gone.png");
    EXPECT_FALSE(h.coordinator->copyItem(image, PasteVariant::standard));
    EXPECT_EQ(h.model.lastError(), PasteServiceError(PasteServiceError::unsupportedItem).errorDescription());
    EXPECT_EQ(clipboardText(h.pasteboard), QStringLiteral("the user's own"));

    h.pasteboard.setFailsWrites(true);
    EXPECT_FALSE(h.coordinator->copyText(QStringLiteral("recognised")));
    EXPECT_FALSE(h.coordinator->copyItemAsPlainText(h.model.items().first()));
    EXPECT_EQ(clipboardText(h.pasteboard), QStringLiteral("the user's own"));
    h.pasteboard.setFailsWrites(false);

    h.faults.failOn(FaultInjectingStore::Operation::touchItem);
    const QDateTime pasteTime = h.monitor.lastCopySequencePasteTime();
    EXPECT_FALSE(h.coordinator->copyItem(h.model.items().first(), PasteVariant::standard));
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
    EXPECT_EQ(clipboardText(h.pasteboard), QStringLiteral("item 1"));
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), pasteTime);
}

// The plain-text copies leave the items alone; only copyText is taken in again as a new history item, the program's
// own copy whatever application is in front (an ignored one too).
TEST(CopyItem, PlainTextAndMergedCopiesAreOursAndCopiedTextIsCapturedAgain)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) {
        p.textRetentionDays = -1;
        p.ignoredAppsText = QStringLiteral("XTerm");
    });
    ClipboardItem rich = testItem(1);
    rich.kind = ClipboardKind::richText;
    rich.text.reset();
    rich.html = QStringLiteral("<p>Hello <b>world</b></p>");
    h.storeItems({rich, testItem(2)});
    h.coordinator->start();
    h.activateApplication(7, RunningApplication {QStringLiteral("XTerm"), QStringLiteral("xterm")});
    const QList<ClipboardItem> before = h.storedItems();

    EXPECT_TRUE(h.coordinator->copyItemAsPlainText(h.model.items().last()));
    EXPECT_EQ(clipboardText(h.pasteboard), QStringLiteral("Hello world"));
    EXPECT_FALSE(h.pasteboard.content().hasType(PasteboardType::html()));
    captureTick(h);
    EXPECT_TRUE(h.coordinator->copyMergedItems({testItem(2), testItem(3)}));
    captureTick(h);
    EXPECT_EQ(h.storedItems(), before);

    EXPECT_TRUE(h.coordinator->copyText(QStringLiteral("text found in a picture")));
    EXPECT_FALSE(h.pasteboard.content().hasType(PasteboardType::varnistoMarker()));
    captureTick(h);
    ASSERT_EQ(h.model.items().size(), 3);
    const ClipboardItem copied = h.model.items().first();
    EXPECT_EQ(copied.text, QStringLiteral("text found in a picture"));
    EXPECT_EQ(copied.sourceAppName, QStringLiteral("Varnisto"));
    EXPECT_EQ(copied.sourceBundleIdentifier, QStringLiteral("varnisto"));
}

TEST(CopyMergedItems, JoinsTheTextsOneALineOrRefuses)
{
    const QList<ClipboardItem> image = [] {
        ClipboardItem item = testItem(9);
        item.kind = ClipboardKind::image;
        return QList<ClipboardItem> {item};
    }();
    const struct
    {
        QList<ClipboardItem> items;
        std::optional<QString> merged;
    } cases[] = {
        {{testItem(1, QStringLiteral("a")), testItem(2, QStringLiteral("b"))}, QStringLiteral("a\nb")},
        {{fileItem(1, {QStringLiteral("/p/one"), QStringLiteral("/p/two")}), testItem(2, QStringLiteral("t"))},
            QStringLiteral("/p/one\n/p/two\nt")},
        {{testItem(1, QStringLiteral("")), testItem(2, QStringLiteral("b"))}, QStringLiteral("\nb")},
        {image + QList<ClipboardItem> {testItem(1)}, std::nullopt}, {{fileItem(1, {}), testItem(2)}, std::nullopt},
        {{testItem(1)}, std::nullopt}, // one item is nothing to merge
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([](AppPreferences &p) { p.copyAndMergeSeparator = QStringLiteral("comma"); });
        h.coordinator->start();
        EXPECT_EQ(h.coordinator->copyMergedItems(c.items), c.merged.has_value());
        EXPECT_EQ(clipboardText(h.pasteboard), c.merged);
        EXPECT_EQ(h.pasteboard.writeCount(), c.merged ? 1 : 0);
        EXPECT_FALSE(h.model.lastError());
    }
}

// Merging the same items twice leaves one merged item: the second replaces the first (the same kind and content
// key), takes over its favourite, and gets a new id. A merged text that looks like a link is still text.
TEST(MergeSelectedItems, AddsOneTextItemAndReplacesItsDuplicates)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({testItem(1, QStringLiteral("https://example.com")), testItem(2, QStringLiteral("/path"))});
    h.coordinator->start();
    h.activateApplication(7, {QStringLiteral("Editor"), QStringLiteral("org.example.Editor")});
    const QList<ClipboardItem> sources = {h.model.items().last(), h.model.items().first()};

    h.coordinator->mergeSelectedItems(sources);
    ASSERT_EQ(h.model.items().size(), 3);
    ClipboardItem first = h.model.items().first();
    EXPECT_EQ(first.kind, ClipboardKind::text);
    EXPECT_EQ(first.text, QStringLiteral("https://example.com\n/path"));
    EXPECT_EQ(first.sourceAppName, QStringLiteral("Editor"));
    EXPECT_EQ(first.copiedAt, h.clock.now());
    EXPECT_EQ(first.copyCount, 0);
    EXPECT_EQ(h.model.selectedItemID(), first.id);
    EXPECT_TRUE(h.pasteboard.content().isEmpty());

    h.coordinator->setFavorite(true, {first});
    h.clock.advance(1000);

    h.coordinator->mergeSelectedItems(sources);
    ASSERT_EQ(h.model.items().size(), 3);
    ASSERT_EQ(h.storedItems().size(), 3);
    const ClipboardItem second = h.model.items().first();
    EXPECT_NE(second.id, first.id);
    EXPECT_FALSE(h.storedItem(first.id));
    EXPECT_TRUE(second.isFavorite);
    EXPECT_EQ(second.copiedAt, h.clock.now());
    EXPECT_EQ(h.storedItem(second.id), second);
}

// A merge is made in our history window, which is in front then: the source is the application the user came from,
// the one the window pastes into, and each opening of the window takes it afresh.
TEST(MergeSelectedItems, TheSourceIsTheApplicationThatWasInFrontBeforeOurWindow)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(4));
    h.coordinator->start();
    const QList<ClipboardItem> items = h.model.items();
    const auto mergeFromTheHistoryWindow = [&](const QList<ClipboardItem> &sources) {
        h.coordinator->showHistoryWindow(false, false);
        h.activateOurWindow();
        h.coordinator->mergeSelectedItems(sources);
        h.factory.history->hide();
        return h.model.items().first();
    };

    const ClipboardItem unknown = mergeFromTheHistoryWindow({items.at(0), items.at(1)});
    EXPECT_EQ(unknown.sourceAppName, std::nullopt);
    EXPECT_EQ(unknown.sourceBundleIdentifier, std::nullopt);

    h.activateApplication(7, {QStringLiteral("Editor"), QStringLiteral("org.example.Editor")});
    const ClipboardItem fromEditor = mergeFromTheHistoryWindow({items.at(1), items.at(2)});
    EXPECT_EQ(fromEditor.sourceAppName, QStringLiteral("Editor"));
    EXPECT_EQ(fromEditor.sourceBundleIdentifier, QStringLiteral("org.example.Editor"));

    h.activateApplication(9, {QStringLiteral("Terminal"), QStringLiteral("org.example.Terminal")});
    const ClipboardItem fromTerminal = mergeFromTheHistoryWindow({items.at(2), items.at(3)});
    EXPECT_EQ(fromTerminal.sourceAppName, QStringLiteral("Terminal"));
}

// A store that refuses the merged item leaves the history as it was.
TEST(MergeSelectedItems, AStoreFailureChangesNothing)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();
    const QList<ClipboardItem> before = h.model.items();
    h.faults.failOn(FaultInjectingStore::Operation::upsert);
    h.coordinator->mergeSelectedItems(before);
    EXPECT_EQ(h.model.items(), before);
    EXPECT_EQ(h.storedItems().size(), 2);
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
}
