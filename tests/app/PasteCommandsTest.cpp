#include "CoordinatorTestSupport.h"

#include "KeyboardCodes.h"

namespace {

ClipboardItem richItem(int n)
{
    ClipboardItem item = testItem(n);
    item.kind = ClipboardKind::richText;
    item.html = QStringLiteral("<b>item %1</b>").arg(n);
    return item;
}

// What happened on the desktop, step by step on the scheduler's clock: "<ms> <key>", where a paste names what was on
// the clipboard ("V item 2" for plain text, "V html" when the clipboard held HTML, "V png" for an image).
QStringList runTimeline(CoordinatorHarness &h)
{
    QStringList events;
    qint64 elapsed = 0;
    qsizetype seen = 0;
    const auto collect = [&] {
        for (; seen < h.keyPoster.presses().size(); ++seen) {
            const MemoryKeyPoster::Press press = h.keyPoster.presses().at(seen);
            QString key;
            if (press.keyCode == VirtualKey::v) {
                const PasteboardContent &content = h.pasteboard.content();
                key = content.hasType(PasteboardType::png())  ? QStringLiteral("V png")
                    : content.hasType(PasteboardType::html()) ? QStringLiteral("V html")
                    : content.data(PasteboardType::plainText())
                    ? QStringLiteral("V ") + QString::fromUtf8(*content.data(PasteboardType::plainText()))
                    : QStringLiteral("V ?");
            } else {
                key = QStringLiteral("key %1").arg(press.keyCode);
                if (press.flags == KeyEventFlag::shift)
                    key += QStringLiteral("+shift");
            }
            events.append(QStringLiteral("%1 %2").arg(elapsed).arg(key));
        }
    };
    collect();
    while (const auto next = h.scheduler.nextCallDueIn()) {
        h.scheduler.advance(*next);
        elapsed += next->count();
        collect();
    }
    return events;
}

} // namespace

// Return or Tab follows Ctrl+V by 60 ms in the two variants that press one.
TEST(Paste, PasteAndReturnAndPasteAndTabPressTheirKeyAfterThePaste)
{
    const struct
    {
        PasteVariant variant;
        QStringList timeline;
    } cases[] = {
        {PasteVariant::pasteAndReturn, {"0 V item 1", "60 key 36"}},
        {PasteVariant::pasteAndTab, {"0 V item 1", "60 key 48"}},
        {PasteVariant::standard, {"0 V item 1"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.variant));
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems(testItems(1));
        h.coordinator->start();
        h.coordinator->paste(h.model.items().first(), c.variant);
        EXPECT_EQ(runTimeline(h), c.timeline);
        EXPECT_EQ(h.storedItem(testId(1))->copyCount, 2);
    }
}

// Each further item follows the previous paste after 0.16 s; a separator key comes 0.08 s after a paste and the next
// paste 0.16 s after it. Items without a variant are pasted as standard.
TEST(MultiItemPaste, PastesOneItemAfterAnotherWithTheSeparatorBetween)
{
    const struct
    {
        std::optional<PasteSeparator> separator;
        QStringList timeline;
    } cases[] = {
        {std::nullopt, {"0 V item 3", "160 V html", "320 V item 1"}},
        {PasteSeparator::none, {"0 V item 3", "160 V html", "320 V item 1"}},
        {PasteSeparator::tab, {"0 V item 3", "80 key 48", "240 V html", "320 key 48", "480 V item 1"}},
        {PasteSeparator::shiftReturn,
            {"0 V item 3", "80 key 36+shift", "240 V html", "320 key 36+shift", "480 V item 1"}},
        {PasteSeparator::keyDown, {"0 V item 3", "80 key 125", "240 V html", "320 key 125", "480 V item 1"}},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems({testItem(1), richItem(2), testItem(3)});
        h.coordinator->start();
        const QList<ClipboardItem> items = h.model.items(); // 3, 2, 1
        h.coordinator->pasteItems(items, {{testId(3), PasteVariant::plainText}}, c.separator);
        EXPECT_EQ(runTimeline(h), c.timeline) << (c.separator ? c.separator->rawValue() : -1);
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(h.storedItem(testId(n))->copyCount, 2);
    }
}

// The selection is pasted in selection order, each item in its default variant: text-like items as plain text when
// the preference asks for it, images always as they are.
TEST(MultiItemPaste, TheSelectionIsPastedInItsOrderWithDefaultVariants)
{
    for (const bool plain : {true, false}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) { p.preferPastingAsPlainText = plain; });
        ClipboardItem image = testItem(1);
        image.kind = ClipboardKind::image;
        image.assetPath = h.supportDirectory + QStringLiteral("/Images/one.png");
        writeFile(*image.assetPath, "png bytes");
        h.storeItems({image, richItem(2)});
        h.coordinator->start();
        h.model.setSelectedItemIDsInSelectionOrder({testId(1), testId(2)});
        h.model.setSelectedItemIDs({testId(1), testId(2)});

        h.coordinator->pasteSelectedItems();
        EXPECT_EQ(runTimeline(h),
            QStringList(
                {QStringLiteral("0 V png"), plain ? QStringLiteral("160 V item 2") : QStringLiteral("160 V html")}));
    }
}

// Key input that goes away between two items stops the paste there, with one alert; a coordinator that goes away
// ends it quietly.
TEST(MultiItemPaste, StopsAtTheFirstFailureOrWhenTheCoordinatorIsGone)
{
    {
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems(testItems(3));
        h.coordinator->start();
        h.coordinator->pasteItems(h.model.items(), {}, PasteSeparator::returnKey);
        h.keyPoster.setTrusted(false);
        EXPECT_EQ(runTimeline(h), QStringList({QStringLiteral("0 V item 3"), QStringLiteral("80 key 36")}));
        EXPECT_EQ(h.alerts.shown.size(), 1);
        EXPECT_EQ(h.model.lastError(),
            PasteServiceError(PasteServiceError::accessibilityPermissionRequired).errorDescription());
        EXPECT_EQ(h.storedItem(testId(2))->copyCount, 1);
        EXPECT_EQ(h.storedItem(testId(1))->copyCount, 1);
    }
    {
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems(testItems(3));
        h.coordinator->start();
        h.coordinator->pasteItems(h.model.items(), {}, std::nullopt);
        h.coordinator.reset();
        EXPECT_EQ(runTimeline(h), QStringList({QStringLiteral("0 V item 3")}));
    }
}

// A store failure after the keystroke is reported; paste-next then stays where it was.
TEST(Paste, AStoreFailureInTheBookkeepingIsReportedAndPasteNextStays)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();
    h.probe().resetPasteNextItem();
    const QDateTime pasteTimeBefore = h.monitor.lastCopySequencePasteTime();
    h.faults.failOn(FaultInjectingStore::Operation::touchItem);

    ASSERT_TRUE(h.pressHotKey(h.model.preferences().pasteNextShortcut));
    EXPECT_EQ(h.keyPoster.presses().size(), 1);
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
    EXPECT_TRUE(h.alerts.shown.isEmpty());
    EXPECT_EQ(h.probe().pasteNextItemID(), testId(2));
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), pasteTimeBefore);
    EXPECT_EQ(h.model.items().first().copyCount, 1);
}

// The separators are titled with this platform's key names; the arrow keys keep the word "Key".
TEST(Paste, SeparatorTitlesNameTheKeys)
{
    const struct
    {
        const char *language;
        const char *titles[7];
    } cases[] = {
        {"en", {"None", "Enter", "Shift+Enter", "Key Up", "Key Down", "Tab", "Space"}},
        {"de", {"Keine", "Eingabe", "Umschalt+Eingabe", "Taste Hoch", "Taste Runter", "Tab", "Leertaste"}},
    };
    for (const auto &c : cases) {
        setCurrentInterfaceLanguage(QString::fromLatin1(c.language));
        QStringList titles, expected;
        for (const auto value : PasteSeparator::allCases)
            titles << PasteSeparator(value).title();
        for (const char *title : c.titles)
            expected << QString::fromUtf8(title);
        EXPECT_EQ(titles, expected) << c.language;
    }
    setCurrentInterfaceLanguage(QStringLiteral("en"));
}
