#include "PasteboardMonitor.h"

#include "Coding.h"
#include "ManualClock.h"
#include "MemoryPasteboard.h"
#include "SQLiteHistoryStore.h"
#include "ServicesProbe.h"
#include "TestSupport.h"
#include "Workspace.h"
#include "x11/X11ClipboardTargets.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <memory>

namespace {

// An item as read back from the store: the copy time as it was, the first copy time in whole seconds.
ClipboardItem storedForm(ClipboardItem item)
{
    item.firstCopiedAt = Coding::wholeSeconds(item.firstCopiedAt);
    return item;
}

// A clock that moves on by a millisecond each time it is read.
class SteppingClock final : public Clock
{
public:
    explicit SteppingClock(QDateTime start) : m_now(std::move(start)) { }
    QDateTime now() const override
    {
        m_now = m_now.addMSecs(1);
        return m_now;
    }

private:
    mutable QDateTime m_now;
};

// Everything the monitor tells its delegate, in order.
class RecordingDelegate final : public PasteboardMonitorDelegate
{
public:
    struct Captured
    {
        ClipboardItem item;
        QList<ClipboardItem> updatedItems;
    };

    void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems) override
    {
        captures.append({item, updatedItems});
        calls.append(QStringLiteral("capture"));
    }
    void pasteboardMonitorDidPrune(const HistoryRemoval &removal) override
    {
        prunes.append(removal);
        calls.append(QStringLiteral("prune"));
    }
    void pasteboardMonitorDidUpdate(const ClipboardItem &item) override
    {
        updates.append(item);
        calls.append(QStringLiteral("update"));
    }

    void pasteboardMonitorDidRefuse(const OversizedContent &leftOut) override
    {
        refusals.append(leftOut);
        calls.append(QStringLiteral("refuse"));
    }

    QList<Captured> captures;
    QList<OversizedContent> refusals;
    QList<HistoryRemoval> prunes;
    QList<ClipboardItem> updates;
    QStringList calls;
};

// The real store, whose writes can be made to fail as on a full disk.
class FlakyHistoryStore final : public HistoryStore
{
public:
    explicit FlakyHistoryStore(const QString &directory) : m_store(directory) { }

    bool failInserts = false;
    QThread *insertThread = nullptr; // where the last insert ran
    bool failPrunes = false;

    Result<QList<ClipboardItem>> loadRecentItems(qint64 limit) override { return m_store.loadRecentItems(limit); }
    Result<QList<Tag>> loadTags() override { return m_store.loadTags(); }
    Result<ClipboardItem> insertOrMerge(const ClipboardItem &item, bool copySequenceModeEnabled) override
    {
        insertThread = QThread::currentThread();
        if (failInserts)
            return Result<ClipboardItem>::failure(fullDisk());
        return m_store.insertOrMerge(item, copySequenceModeEnabled);
    }
    Result<void> upsert(const ClipboardItem &item) override { return m_store.upsert(item); }
    Result<void> upsertItems(const QList<ClipboardItem> &items) override { return m_store.upsertItems(items); }
    Result<std::optional<ClipboardItem>> touchItem(
        const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount) override
    {
        return m_store.touchItem(id, copiedAt, incrementCopyCount);
    }
    Result<void> deleteItem(const QUuid &id) override { return m_store.deleteItem(id); }
    Result<HistoryRemoval> clearHistory(bool keepFavorites) override { return m_store.clearHistory(keepFavorites); }
    Result<HistoryRemoval> pruneItems(const RetentionPolicy &policy) override
    {
        if (failPrunes)
            return Result<HistoryRemoval>::failure(fullDisk());
        return m_store.pruneItems(policy);
    }
    Result<Tag> ensureTag(const QString &name, const QString &color) override { return m_store.ensureTag(name, color); }
    Result<Tag> updateTag(const Tag &tag) override { return m_store.updateTag(tag); }
    Result<void> deleteTag(qint64 id) override { return m_store.deleteTag(id); }
    Result<QList<QUuid>> loadItemIDs() override { return m_store.loadItemIDs(); }
    Result<QList<ClipboardItem>> loadItems(const QList<QUuid> &ids) override { return m_store.loadItems(ids); }

    static HistoryStoreError fullDisk()
    {
        return HistoryStoreError(HistoryStoreError::stepFailed, QStringLiteral("database or disk is full"));
    }

private:
    SQLiteHistoryStore m_store;
};

// Another program that holds the history database with a transaction of its own until released.
class AnotherProgramsLock
{
public:
    AnotherProgramsLock(const QString &databasePath, const char *begin)
    {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(databasePath).constData(), &m_db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(m_db, begin, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(m_db);
    }
    ~AnotherProgramsLock() { release(); }
    AnotherProgramsLock(const AnotherProgramsLock &) = delete;
    AnotherProgramsLock &operator=(const AnotherProgramsLock &) = delete;

    // Items in the database as this program sees it.
    int itemCount()
    {
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, "SELECT COUNT(*) FROM clips", -1, &statement, nullptr), SQLITE_OK);
        const int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
        sqlite3_finalize(statement);
        return count;
    }
    void release()
    {
        if (!m_db)
            return;
        EXPECT_EQ(sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
};

RunningApplication notes()
{
    return {QStringLiteral("Notes"), QStringLiteral("org.example.Notes"),
        QStringLiteral("/usr/share/applications/org.example.Notes.desktop"), 4242, QString()};
}

PasteboardContent textContent(const QString &text)
{
    PasteboardContent content;
    content.setString(PasteboardType::plainText(), text);
    return content;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage testImage(QColor color = QColor(30, 120, 200))
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

class PasteboardMonitorTest : public ::testing::Test
{
protected:
    PasteboardMonitorTest()
    {
        // What the clipboard held when the program started.
        pasteboard.setContent(textContent(QStringLiteral("copied before the start")));
        workspace.setFrontApplication(notes());
        monitor = std::make_unique<PasteboardMonitor>(store, pasteboard, workspace, recognizer, support.path(), clock);
        // The tests step through the capture road tick by tick.
        monitor->setCaptureThread(PasteboardMonitor::CaptureThread::caller);
        monitor->setDelegate(&delegate);
        monitor->updatePreferences(preferences);
    }

    void setPreferences(const std::function<void(AppPreferences &)> &change)
    {
        change(preferences);
        monitor->updatePreferences(preferences);
    }
    void copy(const PasteboardContent &content) { pasteboard.setContent(content); }
    void copyText(const QString &text) { copy(textContent(text)); }
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            monitor->checkPasteboard();
    }
    // Lets queued delegate calls and finished recognitions arrive.
    void settle()
    {
        ASSERT_TRUE(waitUntil([this] { return !monitor || !ServicesProbe::isRecognizing(*monitor); }));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QList<ClipboardItem> stored()
    {
        auto items = store.loadRecentItems(0);
        EXPECT_TRUE(items.hasValue());
        return items ? *items : QList<ClipboardItem>();
    }
    QStringList storedTexts()
    {
        QStringList texts;
        for (const ClipboardItem &item : stored())
            texts.append(item.text.value_or(QStringLiteral("<none>")));
        return texts;
    }
    QSet<QString> storedTextSet()
    {
        const QStringList texts = storedTexts();
        return QSet<QString>(texts.begin(), texts.end());
    }
    // An item already in the history, copied `daysAgo` days before the clock's time.
    ClipboardItem seed(const QString &text, double daysAgo, ClipboardKind kind = ClipboardKind::text)
    {
        ClipboardItem item;
        item.id = QUuid::createUuid();
        item.kind = kind;
        item.text = text;
        item.copiedAt = clock.now().addMSecs(qint64(-daysAgo * 86'400'000.0));
        item.firstCopiedAt = item.copiedAt;
        item.copyCount = 1;
        item = item.refreshingSearchText({});
        EXPECT_TRUE(store.upsert(item).hasValue());
        return item;
    }
    QString databasePath() const { return QDir(support.path()).filePath(QStringLiteral("History.sqlite")); }
    QStringList capturedTexts() const
    {
        QStringList texts;
        for (const auto &capture : std::as_const(delegate.captures))
            texts.append(capture.item.text.value_or(QStringLiteral("<none>")));
        return texts;
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(files.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir support;
    QTemporaryDir files;
    FlakyHistoryStore store {support.path()};
    MemoryPasteboard pasteboard;
    MemoryWorkspace workspace;
    MemoryTextRecognizer recognizer;
    ManualClock clock;
    AppPreferences preferences;
    RecordingDelegate delegate;
    std::unique_ptr<PasteboardMonitor> monitor;
};

// --- Change detection and skip rules ----------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, CapturesEachNewChangeOnceAndTellsTheDelegateAfterTheTick)
{
    tick(3);
    EXPECT_TRUE(stored().isEmpty()) << "what was on the clipboard at the start is not captured";

    copyText(QStringLiteral("first"));
    tick();
    ASSERT_EQ(stored().size(), 1);
    EXPECT_TRUE(delegate.captures.isEmpty()) << "the delegate hears of it from the event loop, not in the tick";
    tick(5);
    settle();
    ASSERT_EQ(stored().size(), 1) << "a change is captured once";
    ASSERT_EQ(delegate.captures.size(), 1);
    EXPECT_EQ(delegate.captures.first().item, stored().first());
    EXPECT_TRUE(delegate.captures.first().updatedItems.isEmpty());

    // Once the monitor is gone, nothing more reaches the delegate.
    clock.advanceSeconds(1);
    copyText(QStringLiteral("second"));
    tick();
    monitor.reset();
    settle();
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("second"), QStringLiteral("first")}));
    EXPECT_EQ(delegate.captures.size(), 1);
}

TEST_F(PasteboardMonitorTest, SkipsWhatTheUserKeepsOut)
{
    struct Case
    {
        const char *name;
        QList<std::pair<QString, QByteArray>> markers;
        std::function<void(AppPreferences &)> preferences;
        std::optional<RunningApplication> front;
        bool captured;
    };
    const auto defaults = [](AppPreferences &) {};
    RunningApplication browser {QStringLiteral("Browser"), QStringLiteral("org.example.Browser"),
        QStringLiteral("/usr/share/applications/org.example.Browser.desktop"), 7, QString()};
    const QList<Case> cases = {
        {"plain copy", {}, defaults, notes(), true},
        {"our own write", {{PasteboardType::varnistoMarker(), "1"}}, defaults, notes(), false},
        {"transient", {{PasteboardType::transient(), ""}}, defaults, notes(), false},
        {"auto-generated", {{PasteboardType::autoGenerated(), ""}}, defaults, notes(), false},
        {"transient, not ignored", {{PasteboardType::transient(), ""}, {PasteboardType::autoGenerated(), ""}},
            [](AppPreferences &p) { p.ignoreTransientContent = false; }, notes(), true},
        {"concealed", {{PasteboardType::concealed(), ""}}, defaults, notes(), false},
        {"password manager secret", {{PasteboardType::passwordManagerHint(), "secret"}}, defaults, notes(), false},
        {"concealed, not ignored", {{PasteboardType::concealed(), ""}},
            [](AppPreferences &p) { p.ignoreConcealedContent = false; }, notes(), true},
        {"ignored by name", {}, [](AppPreferences &p) { p.ignoredAppsText = QStringLiteral("Other\nNotes"); }, notes(),
            false},
        {"ignored by desktop entry", {},
            [](AppPreferences &p) {
                p.ignoredAppsText = QStringLiteral("/usr/share/applications/../applications/org.example.Notes.desktop");
            },
            notes(), false},
        {"another application ignored", {}, [](AppPreferences &p) { p.ignoredAppsText = QStringLiteral("Notes"); },
            browser, true},
        {"no application in front", {}, [](AppPreferences &p) { p.ignoredAppsText = QStringLiteral("Notes"); },
            std::nullopt, true},
    };
    int number = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        preferences = AppPreferences();
        setPreferences(c.preferences);
        workspace.setFrontApplication(c.front);
        const QString text = QStringLiteral("copy %1").arg(++number);
        clock.advanceSeconds(1);
        PasteboardContent content = textContent(text);
        for (const auto &[type, value] : c.markers)
            content.setData(type, value);
        const qsizetype before = stored().size();
        copy(content);
        tick();
        // A skipped change stays skipped, whoever comes to the front next.
        workspace.setFrontApplication(browser);
        tick(3);
        ASSERT_EQ(stored().size(), before + (c.captured ? 1 : 0));
        if (c.captured) {
            const ClipboardItem item = stored().first();
            EXPECT_EQ(item.text, text);
            EXPECT_EQ(item.sourceAppName, c.front ? std::optional(c.front->name) : std::nullopt);
            EXPECT_EQ(item.sourceBundleIdentifier, c.front ? std::optional(c.front->bundleIdentifier) : std::nullopt);
        }
    }
}

TEST_F(PasteboardMonitorTest, ChangesThatCameAndWentBetweenTicksAreEachCapturedInOrderByTheSameRules)
{
    // A pasteboard read on a thread of its own keeps each change as it arrived while the monitor was busy.
    pasteboard.setKeepsChanges(true);
    copyText(QStringLiteral("first"));
    PasteboardContent own = textContent(QStringLiteral("our own write"));
    own.setData(PasteboardType::varnistoMarker(), "1");
    copy(own);
    PasteboardContent secret = textContent(QStringLiteral("a password"));
    secret.setData(PasteboardType::concealed(), "");
    copy(secret);
    copyText(QStringLiteral("second"));
    copyText(QStringLiteral("third"));
    for (int i = 0; i < 8; ++i) {
        clock.advanceSeconds(1);
        tick();
    }
    settle();
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("third"), QStringLiteral("second"), QStringLiteral("first")}));
    EXPECT_EQ(
        capturedTexts(), QStringList({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));

    // What was copied during a pause stays passed over.
    monitor->setPaused(true);
    copyText(QStringLiteral("during the pause"));
    monitor->setPaused(false);
    tick(3);
    EXPECT_EQ(storedTexts().size(), 3);

    // Of what was copied while stopped, only what is still on the clipboard.
    monitor->stop();
    copyText(QStringLiteral("while stopped"));
    copyText(QStringLiteral("still there"));
    monitor->start(preferences);
    clock.advanceSeconds(1);
    tick(3);
    settle();
    EXPECT_EQ(storedTexts().size(), 4);
    EXPECT_EQ(storedTexts().first(), QStringLiteral("still there"));
}

TEST_F(PasteboardMonitorTest, ReadsAChangeThatIsNotReadableYetForAsLongAsItsContentMayArrive)
{
    constexpr qint64 limit = 7000;
    pasteboard.setContentArrivalLimitMs(limit);
    for (const qint64 arrival : {qint64(100), limit - 1, limit, limit + 1}) {
        SCOPED_TRACE(arrival);
        const QString text = QStringLiteral("slow owner %1").arg(arrival);
        clock.advanceSeconds(10);
        pasteboard.setReadable(false);
        copyText(text);
        tick(); // seen, nothing to read
        // Re-reads that find nothing yet do not use the time up.
        for (int i = 0; i < 5; ++i) {
            clock.advance(arrival / 10);
            tick();
        }
        clock.advance(arrival - 5 * (arrival / 10));
        pasteboard.setReadable(true);
        tick();
        tick(3);
        const bool captured = !stored().isEmpty() && stored().first().text == text;
        EXPECT_EQ(captured, arrival <= limit);
    }
    // A new change starts over.
    clock.advanceSeconds(10);
    pasteboard.setReadable(false);
    copyText(QStringLiteral("a"));
    tick();
    clock.advance(limit - 1000);
    copyText(QStringLiteral("b"));
    tick();
    clock.advance(limit - 1000);
    pasteboard.setReadable(true);
    tick();
    EXPECT_EQ(stored().first().text, QStringLiteral("b"));
}

TEST_F(PasteboardMonitorTest, CapturesNothingCopiedDuringAPause)
{
    monitor->setPaused(true);
    copyText(QStringLiteral("during the pause"));
    tick();
    copyText(QStringLiteral("also during the pause"));
    tick();
    monitor->setPaused(false);
    tick(3);
    EXPECT_TRUE(stored().isEmpty());

    // A copy made just before the pause, that no tick had seen yet, is still captured afterwards.
    copyText(QStringLiteral("before the pause"));
    monitor->setPaused(true);
    tick();
    monitor->setPaused(false);
    tick();
    EXPECT_EQ(storedTexts(), QStringList {QStringLiteral("before the pause")});

    // Copying resumes normally.
    clock.advanceSeconds(1);
    monitor->setPaused(true);
    monitor->setPaused(false);
    copyText(QStringLiteral("after"));
    tick();
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("after"), QStringLiteral("before the pause")}));
}

TEST_F(PasteboardMonitorTest, RunsWhenThePasteboardChangesOrAStepIsDueAndOtherwiseNot)
{
    monitor->start(preferences);
    monitor->start(preferences);
    EXPECT_TRUE(monitor->isRunning());

    // A copy is captured as soon as it is made; then nothing is left to run.
    copyText(QStringLiteral("watched"));
    EXPECT_TRUE(waitUntil([&] { return capturedTexts() == QStringList {"watched"}; }));
    settle();
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor));

    // Content that arrives late is read when it arrives, within the pasteboard's limit, ...
    pasteboard.setContentArrivalLimitMs(7000);
    pasteboard.setReadable(false);
    clock.advanceSeconds(1);
    copyText(QStringLiteral("late"));
    settle();
    EXPECT_TRUE(ServicesProbe::hasTimedStep(*monitor)) << "read again later";
    clock.advanceSeconds(6);
    pasteboard.setReadable(true);
    EXPECT_TRUE(waitUntil([&] { return capturedTexts() == QStringList({"watched", "late"}); }));
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor));
    // ... and given up after it: the re-reads end by themselves.
    pasteboard.setReadable(false);
    clock.advanceSeconds(1);
    copyText(QStringLiteral("too late"));
    settle();
    EXPECT_TRUE(ServicesProbe::hasTimedStep(*monitor));
    clock.advanceSeconds(7.1);
    EXPECT_TRUE(waitUntil([this] { return !ServicesProbe::hasTimedStep(*monitor); }));
    pasteboard.setReadable(true);
    settle();

    // A copy held by copy-and-merge is stored when its half second is up.
    setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
    clock.advanceSeconds(1);
    copyText(QStringLiteral("held"));
    settle();
    EXPECT_TRUE(ServicesProbe::hasTimedStep(*monitor));
    EXPECT_EQ(capturedTexts().size(), 2);
    clock.advance(PasteboardMonitor::copyAndMergeHoldIntervalMs);
    EXPECT_TRUE(waitUntil([&] { return capturedTexts().size() == 3; }));
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor));

    // Nothing runs while paused or stopped.
    monitor->setPaused(true);
    copyText(QStringLiteral("paused"));
    settle();
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor));
    monitor->setPaused(false);
    monitor->stop();
    EXPECT_FALSE(monitor->isRunning());
    clock.advanceSeconds(1);
    copyText(QStringLiteral("stopped"));
    settle();
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor));
    EXPECT_EQ(capturedTexts(), QStringList({"watched", "late", "held"}));
}

TEST_F(PasteboardMonitorTest, ALargeCopyIsReadAndStoredOffTheGuiThread)
{
    // The capture worker reads and stores; the GUI thread only hands the copy over and hears of the result.
    PasteboardMonitor worker(store, pasteboard, workspace, recognizer, support.path(), clock);
    RecordingDelegate heard;
    worker.setDelegate(&heard);
    worker.updatePreferences(preferences);
    EXPECT_EQ(ServicesProbe::captureThread(worker), PasteboardMonitor::CaptureThread::worker);
    const QString large(4 * 1024 * 1024, u'x');
    copyText(large);
    worker.checkPasteboard();
    EXPECT_TRUE(ServicesProbe::isCapturing(worker));
    ASSERT_TRUE(waitUntil([&] { return heard.captures.size() == 1; }));
    EXPECT_EQ(heard.captures.first().item.text, large);
    ASSERT_NE(store.insertThread, nullptr);
    EXPECT_NE(store.insertThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(stored().size(), 1);
}

// A copy whose content was left out for its size is not kept, and the delegate hears why.
TEST_F(PasteboardMonitorTest, ACopyLeftOutForItsSizeIsRefusedAndReported)
{
    const OversizedContent leftOut {PasteboardType::png(), 96 * 1024 * 1024, 64 * 1024 * 1024};
    pasteboard.setContentArrivalLimitMs(7000);
    pasteboard.setContent(PasteboardContent(), leftOut);
    tick();
    settle();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor)) << "not read again: nothing more will arrive";
    EXPECT_EQ(delegate.calls, QStringList {QStringLiteral("refuse")});
    ASSERT_EQ(delegate.refusals.size(), 1);
    EXPECT_EQ(delegate.refusals.first(), leftOut);
}

// --- Readers and items ------------------------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, BuildsTextItemsFromPlainAndRichText)
{
    struct Case
    {
        const char *name;
        PasteboardContent content;
        ClipboardKind kind;
        std::optional<QString> text;
        bool keepsMarkup;
        qint64 byteSize;
        QString searchText;
    };
    const QByteArray rtf = "{\\rtf1 https://example.com/a}";
    const QString html = QStringLiteral("<a href=\"https://example.com/a\">é</a>");
    PasteboardContent richLink;
    richLink.setData(PasteboardType::rtf(), rtf);
    richLink.setString(PasteboardType::html(), html);
    richLink.setString(PasteboardType::plainText(), QStringLiteral("https://example.com/a"));
    PasteboardContent htmlOnly;
    htmlOnly.setString(PasteboardType::html(), QStringLiteral("<b>bold</b>"));
    PasteboardContent rtfAlternative;
    rtfAlternative.setData(PasteboardType::rtfAlternative(), rtf);
    rtfAlternative.setString(PasteboardType::plainText(), QStringLiteral("Plain words"));

    const QList<Case> cases = {
        {"untrimmed text", textContent(QStringLiteral("  hello\n")), ClipboardKind::text, QStringLiteral("  hello\n"),
            false, 8, QStringLiteral("  hello\n   Notes")},
        {"a link in plain text", textContent(QStringLiteral(" https://example.org/x ")), ClipboardKind::link,
            QStringLiteral(" https://example.org/x "), false, 23, QStringLiteral(" https://example.org/x    Notes")},
        {"a colour", textContent(QStringLiteral("#FF8800")), ClipboardKind::color, QStringLiteral("#FF8800"), false, 7,
            QStringLiteral("#FF8800   Notes")},
        {"non-ASCII sizes in UTF-8", textContent(QStringLiteral("Grüße 😀")), ClipboardKind::text,
            QStringLiteral("Grüße 😀"), false, 12, QStringLiteral("Grüße 😀   Notes")},
        {"rich text whose plain string is a link", richLink, ClipboardKind::link,
            QStringLiteral("https://example.com/a"), true, qint64(rtf.size()) + html.toUtf8().size() + 21,
            QStringLiteral("https://example.com/a   Notes")},
        {"rich text without a plain string, found by the text of its HTML", htmlOnly, ClipboardKind::richText,
            std::nullopt, true, 11, QStringLiteral("bold   Notes")},
        {"RTF under its other name", rtfAlternative, ClipboardKind::richText, QStringLiteral("Plain words"), true,
            qint64(rtf.size()) + 11, QStringLiteral("Plain words   Notes")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        clock.advanceSeconds(1);
        copy(c.content);
        tick();
        const ClipboardItem item = stored().first();
        EXPECT_EQ(item.kind, c.kind);
        EXPECT_EQ(item.text, c.text);
        EXPECT_EQ(item.byteSize, c.byteSize);
        EXPECT_EQ(item.searchText, c.searchText);
        EXPECT_EQ(item.rtfData.has_value() || item.html.has_value(), c.keepsMarkup);
        EXPECT_EQ(item.copiedAt, Coding::wholeSeconds(clock.now()));
        EXPECT_EQ(item.firstCopiedAt, item.copiedAt);
        EXPECT_EQ(item.sourceAppName, QStringLiteral("Notes"));
        EXPECT_EQ(item.sourceBundleIdentifier, QStringLiteral("org.example.Notes"));
        EXPECT_FALSE(item.title || item.assetPath || item.isFavorite || item.copySequenceID);
    }

    // Blank text is no item, however often it is read again.
    const qsizetype before = stored().size();
    copyText(QStringLiteral(" \n\t "));
    tick(40);
    EXPECT_EQ(stored().size(), before);
}

TEST_F(PasteboardMonitorTest, WritesACopiedImageAsAnAssetNamedByTheItem)
{
    const QByteArray png = encoded(testImage(), "PNG");
    PasteboardContent content;
    content.setData(PasteboardType::png(), png);
    content.setString(PasteboardType::plainText(), QStringLiteral("https://example.com/pictures/photo.png"));
    copy(content);
    tick();
    settle();

    ASSERT_EQ(stored().size(), 1);
    const ClipboardItem item = stored().first();
    EXPECT_EQ(item.kind, ClipboardKind::image) << "an image whose text is only its address is an image";
    const QString fileName = Coding::uuidString(item.id) + QStringLiteral(".png");
    EXPECT_EQ(item.assetPath, QDir(support.path()).filePath(QStringLiteral("Images/") + fileName));
    QFile asset(*item.assetPath);
    ASSERT_TRUE(asset.open(QIODevice::ReadOnly));
    EXPECT_EQ(asset.readAll(), png);
    EXPECT_EQ(item.byteSize, png.size());
    EXPECT_EQ(item.searchText, fileName + QStringLiteral("  Notes"));
    EXPECT_FALSE(item.text.has_value()) << "nothing recognised: no text, not an empty one";
    EXPECT_FALSE(item.qrCodeText.has_value());
    EXPECT_TRUE(delegate.updates.isEmpty());

    // The same picture again is another item with another file; a picture in another format becomes PNG.
    copy(content);
    tick();
    clock.advanceSeconds(1);
    PasteboardContent bmp;
    bmp.setData(QStringLiteral("image/bmp"), encoded(testImage(Qt::red), "BMP"));
    copy(bmp);
    tick();
    settle();
    const QList<ClipboardItem> items = stored();
    ASSERT_EQ(items.size(), 3);
    QSet<QString> assets;
    for (const ClipboardItem &image : items)
        assets.insert(image.assetPath.value_or(QString()));
    EXPECT_EQ(assets.size(), 3);
    EXPECT_EQ(QDir(monitor->imagesDirectory()).entryList(QDir::Files).size(), 3);
    QImage converted(*items.first().assetPath, "PNG");
    EXPECT_EQ(converted.size(), QSize(40, 30));
    EXPECT_EQ(converted.pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(PasteboardMonitorTest, AnImageThatCannotBeWrittenIsTakenAsItsText)
{
    // Something that is not a folder stands where the images go.
    QFile blocker(QDir(support.path()).filePath(QStringLiteral("Images")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PasteboardContent content;
    content.setData(PasteboardType::png(), encoded(testImage(), "PNG"));
    content.setString(PasteboardType::plainText(), QStringLiteral("https://example.com/photo.png"));
    copy(content);
    tick();
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored().first().kind, ClipboardKind::link);
    EXPECT_EQ(stored().first().text, QStringLiteral("https://example.com/photo.png"));
}

namespace {

// What an application offers for one copy: each X11 target with its data.
using OfferedTargets = QList<std::pair<QString, QByteArray>>;

// The content the X11 pasteboard makes of such an offer: the targets it fetches, under our type names.
PasteboardContent asTheX11PasteboardReadsIt(const OfferedTargets &offered)
{
    QStringList targets;
    for (const auto &target : offered)
        targets.append(target.first);
    QList<std::pair<QString, QByteArray>> fetched;
    for (const QString &target : X11ClipboardTargets::targetsToRead(targets)) {
        for (const auto &[name, data] : offered) {
            if (name == target)
                fetched.append({name, data});
        }
    }
    return X11ClipboardTargets::contentFromTargets(fetched);
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

} // namespace

// What real applications here offer for one copy, target by target, and what the history keeps of it: a picture
// that comes with a text it shows (a spreadsheet's cells) is that text, a picture offered alone or with nothing
// more than its <img> element, address or file name is a picture.
TEST_F(PasteboardMonitorTest, KeepsWhatRealApplicationsCopyAsTheContentTheyShow)
{
    const QByteArray png = encoded(testImage(), "PNG");
    const QByteArray bmp = encoded(testImage(), "BMP");
    const QString filesFolder = files.path();

    const QByteArray pageHtml = "<meta charset='utf-8'><p>Hello <b>bold</b> and <i>italic</i> "
                                "<a href=\"https://example.com/more\">link</a></p>";
    const QByteArray pageText = "Hello bold and italic link";
    const QByteArray writerRtf
        = "{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Serif;}}\\f0 Quarterly {\\b figures} rose\\par}";
    const QByteArray writerHtml
        = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head>"
          "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/><title></title>"
          "<style type=\"text/css\">p { margin-bottom: 0.25cm }</style></head><body>"
          "<p>Quarterly <b>figures</b> rose</p></body></html>";
    const QString cellsText = QStringLiteral("Item\tQty\tPrice\nApples\t3\t1.20\nPears\t5\t0.80\n");
    const QByteArray calcHtml
        = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML><HEAD><META "
          "HTTP-EQUIV=\"CONTENT-TYPE\" "
          "CONTENT=\"text/html; charset=utf-8\"><TITLE></TITLE><STYLE>td { font-family:\"Liberation Sans\" }</STYLE>"
          "</HEAD><BODY><TABLE CELLSPACING=\"0\" BORDER=\"0\"><TR><TD>Item</TD><TD>Qty</TD><TD>Price</TD></TR>"
          "<TR><TD>Apples</TD><TD ALIGN=\"RIGHT\">3</TD><TD ALIGN=\"RIGHT\">1.20</TD></TR>"
          "<TR><TD>Pears</TD><TD ALIGN=\"RIGHT\">5</TD><TD ALIGN=\"RIGHT\">0.80</TD></TR></TABLE></BODY></HTML>";
    const QByteArray calcRtf
        = "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\cellx3000 Item\\cell Qty\\cell Price\\cell"
          "\\row\\trowd Apples\\cell 3\\cell 1.20\\cell\\row\\trowd Pears\\cell 5\\cell 0.80\\cell\\row}";
    const QByteArray emptyCellsHtml = "<HTML><BODY><TABLE><TR><TD></TD><TD></TD></TR><TR><TD></TD><TD></TD></TR>"
                                      "</TABLE></BODY></HTML>";
    const QString first = writeFile(QStringLiteral("alpha file.txt"), "alpha");
    const QString second = writeFile(QStringLiteral("beta.txt"), "beta");
    const QByteArray uris = QUrl::fromLocalFile(first).toEncoded() + "\r\n" + QUrl::fromLocalFile(second).toEncoded();
    const QByteArray gnomeFiles
        = "copy\n" + QUrl::fromLocalFile(first).toEncoded() + "\n" + QUrl::fromLocalFile(second).toEncoded();

    struct Case
    {
        const char *name;
        OfferedTargets offered;
        std::optional<ClipboardKind> kind; // none: nothing is kept
        std::optional<QString> text;
        bool keepsHtml = false;
        bool keepsRtf = false;
        bool keepsPicture = false;
        QStringList filePaths;
    };
    const QList<Case> cases = {
        {"Chromium, a page's selection",
            {{"text/html", pageHtml}, {"text/plain", pageText}, {"text/plain;charset=utf-8", pageText},
                {"UTF8_STRING", pageText}, {"STRING", pageText}, {"TEXT", pageText},
                {"chromium/x-source-url", "https://example.com/page"}},
            ClipboardKind::richText, QString::fromUtf8(pageText), true},
        {"Chromium, Copy image",
            {{"image/png", png}, {"text/html", "<meta charset='utf-8'><img src=\"https://example.com/cat.png\"/>"},
                {"chromium/x-source-url", "https://example.com/page"}},
            ClipboardKind::image, std::nullopt, false, false, true},
        {"LibreOffice Writer, formatted text",
            {{"text/rtf", writerRtf}, {"text/richtext", writerRtf}, {"text/html", writerHtml},
                {"text/plain;charset=utf-8", "Quarterly figures rose"},
                {"text/plain;charset=utf-16", utf16(QStringLiteral("Quarterly figures rose"))},
                {"UTF8_STRING", "Quarterly figures rose"}, {"STRING", "Quarterly figures rose"}},
            ClipboardKind::richText, QStringLiteral("Quarterly figures rose"), true, true},
        {"LibreOffice Calc, a block of cells",
            {{"image/png", png}, {"image/bmp", bmp}, {"text/html", calcHtml}, {"text/rtf", calcRtf},
                {"text/plain;charset=utf-8", cellsText.toUtf8()}, {"text/plain;charset=utf-16", utf16(cellsText)},
                {"UTF8_STRING", cellsText.toUtf8()}, {"application/x-libreoffice-tsvc", cellsText.toUtf8()}},
            ClipboardKind::richText, cellsText, true, true},
        {"LibreOffice Calc, a block of empty cells",
            {{"image/png", png}, {"text/html", emptyCellsHtml}, {"UTF8_STRING", "\t\n\t\n"}}, ClipboardKind::richText,
            QStringLiteral("\t\n\t\n"), true},
        {"Thunar, two files",
            {{"text/uri-list", uris}, {"x-special/gnome-copied-files", gnomeFiles},
                {"UTF8_STRING", (first + u'\n' + second).toUtf8()}},
            ClipboardKind::file, std::nullopt, false, false, false, {first, second}},
        {"KeePassXC, a password",
            {{"text/plain", "correct horse"}, {"UTF8_STRING", "correct horse"}, {"STRING", "correct horse"},
                {"TEXT", "correct horse"}, {"x-kde-passwordManagerHint", "secret"}},
            std::nullopt},
        {"GIMP, a region",
            {{"image/png", png}, {"image/bmp", bmp}, {"image/tiff", encoded(testImage(), "TIFF")},
                {"image/jpeg", encoded(testImage(), "JPEG")}, {"image/x-xcf", "gimp xcf v011"}},
            ClipboardKind::image, std::nullopt, false, false, true},
        {"xfce4-terminal, a selection",
            {{"UTF8_STRING", "ls -l\nmake test\n"}, {"text/plain;charset=utf-8", "ls -l\r\nmake test\r\n"},
                {"text/plain", "ls -l\r\nmake test\r\n"}, {"STRING", "ls -l\nmake test\n"}},
            ClipboardKind::text, QStringLiteral("ls -l\nmake test\n")},
        {"an image viewer, a picture with its file name", {{"image/png", png}, {"UTF8_STRING", "IMG_2041.JPG"}},
            ClipboardKind::image, std::nullopt, false, false, true},
        {"a picture with its path",
            {{"image/png", png}, {"UTF8_STRING", (filesFolder + QStringLiteral("/Pictures/cat 2.png")).toUtf8()}},
            ClipboardKind::image, std::nullopt, false, false, true},
        {"a picture with a caption", {{"image/png", png}, {"UTF8_STRING", "Our team, spring 2025"}},
            ClipboardKind::text, QStringLiteral("Our team, spring 2025")},
        {"a document's picture and its words in HTML",
            {{"image/png", png}, {"text/html", "<p><img src=\"a.png\"> A caption under it</p>"}},
            ClipboardKind::richText, std::nullopt, true},
        {"two pictures in HTML", {{"image/png", png}, {"text/html", "<img src=\"a.png\"><img src=\"b.png\">"}},
            ClipboardKind::richText, std::nullopt, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype before = stored().size();
        const qsizetype picturesBefore = QDir(monitor->imagesDirectory()).entryList(QDir::Files).size();
        clock.advanceSeconds(1);
        copy(asTheX11PasteboardReadsIt(c.offered));
        tick();
        settle();
        const qsizetype pictures = QDir(monitor->imagesDirectory()).entryList(QDir::Files).size();
        EXPECT_EQ(pictures, picturesBefore + (c.keepsPicture ? 1 : 0)) << "a picture is written only when kept";
        if (!c.kind) {
            EXPECT_EQ(stored().size(), before);
            continue;
        }
        ASSERT_EQ(stored().size(), before + 1);
        const ClipboardItem item = stored().first();
        EXPECT_EQ(item.kind, *c.kind);
        EXPECT_EQ(item.text, c.text);
        EXPECT_EQ(item.html.has_value(), c.keepsHtml);
        EXPECT_EQ(item.rtfData.has_value(), c.keepsRtf);
        EXPECT_EQ(item.assetPath.has_value(), c.keepsPicture);
        EXPECT_EQ(item.filePaths, c.filePaths);
        if (c.keepsPicture) {
            QFile asset(item.assetPath.value_or(QString()));
            ASSERT_TRUE(asset.open(QIODevice::ReadOnly));
            EXPECT_EQ(asset.readAll(), png);
        }
        // What a row of text shows can be searched for.
        if (const auto shown = item.visibleText(); shown && item.kind != ClipboardKind::image) {
            EXPECT_TRUE(item.searchText.startsWith(*shown)) << qPrintable(item.searchText);
        }
    }
}

TEST_F(PasteboardMonitorTest, BuildsFileItemsAndReadsTheFirstFileWhenItIsAnImage)
{
    const QString notesFile = writeFile(QStringLiteral("notes.txt"), "abc");
    const QString screenshot = writeFile(QStringLiteral("shot.png"), encoded(testImage(), "PNG"));
    const QString gone = files.filePath(QStringLiteral("gone.txt"));
    recognizer.setResult({{QStringLiteral(" Invoice 42 "), QStringLiteral("  ")}, {QStringLiteral("WIFI:S:home;;")}});
    const auto copyFiles = [this](const QStringList &paths, bool withImage) {
        PasteboardContent content;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        content.setFileURLs(urls);
        if (withImage)
            content.setData(PasteboardType::png(), encoded(testImage(), "PNG"));
        clock.advanceSeconds(1);
        copy(content);
        tick();
        settle();
        return stored().first();
    };

    // Files with their icon as an image are files; a missing file counts no bytes.
    ClipboardItem item = copyFiles({notesFile, gone}, true);
    EXPECT_EQ(item.kind, ClipboardKind::file);
    EXPECT_EQ(item.filePaths, QStringList({notesFile, gone}));
    EXPECT_EQ(item.byteSize, 3);
    EXPECT_EQ(item.searchText, QStringLiteral("notes.txt gone.txt"));
    EXPECT_FALSE(item.assetPath || item.text || item.qrCodeText);
    EXPECT_EQ(recognizer.textRequestCount(), 0) << "only an image file first in the list is read";

    // The image file first: its text and QR codes arrive after the capture, in the store and at the delegate.
    item = copyFiles({screenshot, notesFile}, false);
    EXPECT_EQ(item.byteSize, QFileInfo(screenshot).size() + 3);
    EXPECT_EQ(item.text, QStringLiteral("Invoice 42"));
    EXPECT_EQ(item.qrCodeText, QStringLiteral("WIFI:S:home;;"));
    EXPECT_EQ(item.searchText, QStringLiteral("shot.png notes.txt Invoice 42 WIFI:S:home;;"));
    ASSERT_EQ(delegate.updates.size(), 1);
    EXPECT_EQ(delegate.updates.first(), item);
    EXPECT_EQ(delegate.calls.mid(delegate.calls.size() - 2), QStringList({"capture", "update"}));
    ASSERT_FALSE(delegate.captures.last().item.text.has_value()) << "the capture itself does not wait for it";

    // Second in the list, the image file is not looked into.
    const int requests = recognizer.textRequestCount();
    item = copyFiles({notesFile, screenshot}, false);
    EXPECT_FALSE(item.text.has_value());
    EXPECT_EQ(recognizer.textRequestCount(), requests);
}

TEST_F(PasteboardMonitorTest, StoresRecognisedTextOfAnImageWithoutBlockingTheCapture)
{
    recognizer.setResult({{QStringLiteral("Total: 12.50")}, {}});
    PasteboardContent content;
    content.setData(PasteboardType::png(), encoded(testImage(), "PNG"));
    copy(content);
    tick();
    ASSERT_EQ(stored().size(), 1);
    const QString fileName = Coding::uuidString(stored().first().id) + QStringLiteral(".png");
    settle();
    const ClipboardItem item = stored().first();
    EXPECT_EQ(item.text, QStringLiteral("Total: 12.50"));
    EXPECT_FALSE(item.qrCodeText.has_value());
    EXPECT_EQ(item.kind, ClipboardKind::image);
    EXPECT_EQ(item.searchText, QStringLiteral("Total: 12.50 ") + fileName + QStringLiteral("  Notes"));
    ASSERT_EQ(delegate.updates.size(), 1);
    EXPECT_EQ(delegate.updates.first(), item);

    // A failed recognition leaves the item as it was; the recogniser has logged it, once.
    {
        WarningLog warnings;
        recognizer.setFailure(QStringLiteral("engine missing"));
        clock.advanceSeconds(1);
        copy(content);
        tick();
        settle();
        EXPECT_FALSE(stored().first().text.has_value());
        EXPECT_EQ(delegate.updates.size(), 1);
        EXPECT_EQ(warnings.lines(), QStringList {"Varnisto image content recognition failed: engine missing"});
    }

    // An item deleted before its text arrives is not written back.
    recognizer.setFailure(std::nullopt);
    clock.advanceSeconds(1);
    copy(content);
    tick();
    ASSERT_TRUE(store.deleteItem(stored().first().id).hasValue());
    settle();
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(delegate.updates.size(), 1);
}

TEST_F(PasteboardMonitorTest, ARepeatedCopyMergesIntoTheStoredItem)
{
    copyText(QStringLiteral("again"));
    tick();
    const QUuid id = stored().first().id;
    clock.advanceSeconds(2);
    copyText(QStringLiteral("other"));
    tick();
    clock.advanceSeconds(2);
    copyText(QStringLiteral("again"));
    tick();
    settle();
    const QList<ClipboardItem> items = stored();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.first().id, id);
    EXPECT_EQ(items.first().copyCount, 1);
    EXPECT_EQ(items.first().copiedAt, Coding::wholeSeconds(clock.now()));
    EXPECT_EQ(delegate.captures.last().item.id, id);
}

// --- Copy sequence ----------------------------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, NumbersCapturesThatFollowEachOtherWithinThirtySeconds)
{
    setPreferences([](AppPreferences &p) { p.copySequenceModeEnabled = true; });
    copyText(QStringLiteral("A"));
    tick();
    const QDateTime startedAt = Coding::wholeSeconds(clock.now());
    clock.advanceSeconds(10);
    copyText(QStringLiteral("B"));
    tick();
    clock.advanceSeconds(10);
    copyText(QStringLiteral("C"));
    tick();
    settle();

    const QList<ClipboardItem> items = stored();
    ASSERT_EQ(storedTexts(), QStringList({"C", "B", "A"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items.at(i).copySequenceID, startedAt);
        EXPECT_EQ(items.at(i).copySequenceOrder, 2 - i);
    }
    ASSERT_EQ(delegate.captures.size(), 3);
    ASSERT_EQ(delegate.captures.at(1).updatedItems.size(), 1) << "the first item, re-saved when B arrived";
    EXPECT_EQ(delegate.captures.at(1).updatedItems.first(), items.at(2));
    EXPECT_TRUE(delegate.captures.at(2).updatedItems.isEmpty());

    // B copied again 5 seconds later: measured from C, the newest other item, and numbered after it.
    clock.advanceSeconds(5);
    copyText(QStringLiteral("B"));
    tick();
    EXPECT_EQ(storedTexts(), QStringList({"B", "C", "A"}));
    EXPECT_EQ(stored().first().copySequenceOrder, 3);
    EXPECT_EQ(stored().first().copyCount, 1);
}

TEST_F(PasteboardMonitorTest, ACopySequenceEndsAfterThirtySecondsOrAWriteOfOurOwn)
{
    struct Case
    {
        const char *name;
        double gapSeconds;
        bool writeInBetween;
        std::optional<qint64> order;
    };
    const QList<Case> cases = {
        {"29 seconds", 29, false, 1},
        {"30 seconds", 30, false, std::nullopt},
        {"a paste in between", 5, true, std::nullopt},
    };
    setPreferences([](AppPreferences &p) { p.copySequenceModeEnabled = true; });
    int number = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        clock.advanceSeconds(600);
        copyText(QStringLiteral("first %1").arg(++number));
        tick();
        clock.advanceSeconds(c.gapSeconds / 2);
        if (c.writeInBetween)
            monitor->setLastCopySequencePasteTime(clock.now());
        clock.advanceSeconds(c.gapSeconds / 2);
        copyText(QStringLiteral("second %1").arg(number));
        tick();
        EXPECT_EQ(stored().first().copySequenceOrder, c.order);
        EXPECT_EQ(stored().at(1).copySequenceOrder, c.order ? std::optional<qint64>(0) : std::nullopt);
    }
}

// --- Copy-and-merge ---------------------------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, CopyAndMergeAppendsTheSameCopyTwiceToTheNewestItem)
{
    const ClipboardItem alpha = seed(QStringLiteral("alpha"), 0.01);
    setPreferences([](AppPreferences &p) {
        p.copyAndMergeEnabled = true;
        p.copyAndMergeSeparator = QStringLiteral("comma");
    });
    copyText(QStringLiteral("beta"));
    tick();
    clock.advanceSeconds(0.3);
    copyText(QStringLiteral("beta"));
    tick();
    settle();

    ASSERT_EQ(stored().size(), 1) << "no item holding only the copy";
    const ClipboardItem merged = stored().first();
    EXPECT_EQ(merged.id, alpha.id);
    EXPECT_EQ(merged.text, QStringLiteral("alpha, beta"));
    EXPECT_EQ(merged.kind, ClipboardKind::text);
    EXPECT_EQ(merged.copyCount, alpha.copyCount + 1);
    EXPECT_EQ(merged.byteSize, 11);
    EXPECT_EQ(Coding::wholeSeconds(merged.copiedAt), Coding::wholeSeconds(clock.now()));
    ASSERT_EQ(delegate.captures.size(), 1);
    EXPECT_EQ(storedForm(delegate.captures.first().item), merged);

    // The merged text is on the clipboard, marked as ours, and is not captured.
    EXPECT_EQ(pasteboard.content().data(PasteboardType::varnistoMarker()), QByteArray("1"));
    EXPECT_EQ(pasteboard.content().data(PasteboardType::plainText()), QByteArray("alpha, beta"));
    clock.advanceSeconds(2);
    tick(3);
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(PasteboardMonitorTest, CopyAndMergeChoosesItsTarget)
{
    struct Case
    {
        const char *name;
        std::function<void()> seedHistory;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"the newest item that is not a favourite",
            [this] {
                seed(QStringLiteral("older"), 0.02);
                ClipboardItem favourite = seed(QStringLiteral("favourite"), 0.01);
                favourite.isFavorite = true;
                ASSERT_TRUE(store.upsert(favourite).hasValue());
            },
            {"older\nbeta", "favourite"}},
        {"an image: the copy is stored as an item of its own",
            [this] { seed(QStringLiteral("picture"), 0.01, ClipboardKind::image); }, {"beta", "picture"}},
        {"an empty history", [] {}, {"beta"}},
    };
    setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(store.clearHistory(false).hasValue());
        c.seedHistory();
        copyText(QStringLiteral("beta"));
        tick();
        clock.advanceSeconds(0.2);
        copyText(QStringLiteral("beta"));
        tick();
        clock.advanceSeconds(1);
        tick(2);
        EXPECT_EQ(storedTexts(), c.expected);
    }
}

TEST_F(PasteboardMonitorTest, CopyAndMergeHoldsACopyForHalfASecond)
{
    setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
    copyText(QStringLiteral("one"));
    tick();
    clock.advanceSeconds(0.4);
    tick();
    EXPECT_TRUE(stored().isEmpty()) << "held";
    clock.advanceSeconds(0.1);
    tick();
    EXPECT_EQ(storedTexts(), QStringList {"one"});

    // A different copy within the half second: the first is stored at once, the second is held in its turn.
    clock.advanceSeconds(5);
    copyText(QStringLiteral("two"));
    tick();
    clock.advanceSeconds(0.2);
    copyText(QStringLiteral("three"));
    tick();
    EXPECT_EQ(storedTexts(), QStringList({"two", "one"}));
    clock.advanceSeconds(0.49);
    tick();
    EXPECT_EQ(storedTexts(), QStringList({"two", "one"}));
    clock.advanceSeconds(0.01);
    tick();
    EXPECT_EQ(storedTexts(), QStringList({"three", "two", "one"}));

    // A held copy waits through a pause and is stored by the first tick after it.
    copyText(QStringLiteral("four"));
    tick();
    monitor->setPaused(true);
    clock.advanceSeconds(3);
    tick();
    EXPECT_EQ(stored().size(), 3);
    monitor->setPaused(false);
    tick();
    EXPECT_EQ(stored().first().text, QStringLiteral("four"));
}

TEST_F(PasteboardMonitorTest, AHeldCopyIsDroppedByStopOrWhenCopyAndMergeIsTurnedOff)
{
    const std::function<void()> drops[] = {
        [this] { monitor->stop(); },
        [this] { setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = false; }); },
    };
    for (const auto &drop : drops) {
        setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
        PasteboardContent content;
        content.setData(PasteboardType::png(), encoded(testImage(), "PNG"));
        copy(content);
        tick();
        drop();
        setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
        clock.advanceSeconds(1);
        tick(2);
        EXPECT_TRUE(stored().isEmpty());
        EXPECT_TRUE(QDir(monitor->imagesDirectory()).entryList(QDir::Files).isEmpty())
            << "the image file of a dropped copy goes with it";
    }
}

// --- Pruning ----------------------------------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, PrunesEachKindByItsOwnRetentionAndReportsWhatWentAway)
{
    setPreferences([](AppPreferences &p) {
        p.textRetentionDays = 90;
        p.linkRetentionDays = 30;
        p.imageRetentionDays = 60;
        p.fileRetentionDays = -1;
        p.retentionDays = -1; // no longer what pruning goes by
    });
    QDir().mkpath(monitor->imagesDirectory());
    const QString oldAsset = QDir(monitor->imagesDirectory()).filePath(QStringLiteral("old.png"));
    QFile(oldAsset).open(QIODevice::WriteOnly);

    const ClipboardItem oldText = seed(QStringLiteral("old text"), 91);
    seed(QStringLiteral("recent text"), 89);
    ClipboardItem tagged = seed(QStringLiteral("tagged"), 200);
    tagged.tags = {store.ensureTag(QStringLiteral("Work"), QStringLiteral("#3B85ED"))->id};
    ASSERT_TRUE(store.upsert(tagged).hasValue());
    ClipboardItem favourite = seed(QStringLiteral("favourite"), 200);
    favourite.isFavorite = true;
    ASSERT_TRUE(store.upsert(favourite).hasValue());
    const ClipboardItem oldLink = seed(QStringLiteral("https://example.com"), 31, ClipboardKind::link);
    ClipboardItem oldImage = seed(QStringLiteral("image"), 61, ClipboardKind::image);
    oldImage.assetPath = oldAsset;
    ASSERT_TRUE(store.upsert(oldImage).hasValue());
    seed(QStringLiteral("file"), 400, ClipboardKind::file);

    copyText(QStringLiteral("new"));
    tick();
    settle();
    EXPECT_EQ(storedTextSet(), QSet<QString>({"new", "recent text", "tagged", "favourite", "file"}));
    ASSERT_EQ(delegate.prunes.size(), 1);
    const HistoryRemoval &removal = delegate.prunes.first();
    EXPECT_EQ(QSet<QUuid>(removal.itemIDs.begin(), removal.itemIDs.end()),
        QSet<QUuid>({oldText.id, oldLink.id, oldImage.id}));
    EXPECT_FALSE(QFile::exists(oldAsset));
    EXPECT_EQ(delegate.calls, QStringList({"prune", "capture"}));

    // A period of 0 days never takes the capture that was just stored, though time moves on while it is stored.
    setPreferences([](AppPreferences &p) { p.textRetentionDays = 0; });
    SteppingClock moving(clock.now().addSecs(1));
    PasteboardMonitor movingMonitor(store, pasteboard, workspace, recognizer, support.path(), moving);
    movingMonitor.setCaptureThread(PasteboardMonitor::CaptureThread::caller);
    movingMonitor.updatePreferences(preferences);
    copyText(QStringLiteral("newest"));
    movingMonitor.checkPasteboard();
    EXPECT_EQ(storedTextSet(), QSet<QString>({"newest", "tagged", "favourite", "file"}));
}

// --- Failures ---------------------------------------------------------------------------------------------------

TEST_F(PasteboardMonitorTest, AFailedStoreLosesOnlyThatCapture)
{
    WarningLog warnings;
    const QString failureLine
        = QStringLiteral("Varnisto history write failed: ") + FlakyHistoryStore::fullDisk().description();

    // Without copy-and-merge: the failed copy is logged, the next one is stored.
    store.failInserts = true;
    copyText(QStringLiteral("lost"));
    tick();
    store.failInserts = false;
    copyText(QStringLiteral("kept"));
    tick();
    EXPECT_EQ(storedTexts(), QStringList {"kept"});
    EXPECT_EQ(warnings.lines(), QStringList {failureLine});

    // With copy-and-merge: storing the held copy fails when the next arrives, and the next is still held.
    setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = true; });
    copyText(QStringLiteral("held"));
    tick();
    store.failInserts = true;
    clock.advanceSeconds(0.2);
    copyText(QStringLiteral("next"));
    tick();
    store.failInserts = false;
    clock.advanceSeconds(0.5);
    tick();
    EXPECT_EQ(storedTexts(), QStringList({"next", "kept"}));
    EXPECT_EQ(warnings.lines().size(), 2);

    // A failed prune after the write: the capture is stored and the delegate still hears of it.
    setPreferences([](AppPreferences &p) { p.copyAndMergeEnabled = false; });
    store.failPrunes = true;
    copyText(QStringLiteral("pruned in vain"));
    tick();
    settle();
    EXPECT_EQ(stored().first().text, QStringLiteral("pruned in vain"));
    EXPECT_EQ(delegate.captures.last().item.text, QStringLiteral("pruned in vain"));
    EXPECT_EQ(warnings.lines().size(), 3);
    EXPECT_EQ(warnings.lines().last(), failureLine);
}

TEST_F(PasteboardMonitorTest, CapturesWaitInOrderWhileAnotherProgramHoldsTheDatabase)
{
    // Whether the store waits a moment for a lock or not, these writes find the database busy.
    setPreferences([](AppPreferences &p) { p.copySequenceModeEnabled = true; });
    for (const char *begin : {"BEGIN IMMEDIATE", "BEGIN EXCLUSIVE"}) {
        SCOPED_TRACE(begin);
        ASSERT_TRUE(store.clearHistory(false).hasValue());
        delegate.captures.clear();
        clock.advanceSeconds(600);
        {
            WarningLog warnings;
            AnotherProgramsLock lock(databasePath(), begin);
            for (const char *text : {"one", "two", "three"}) {
                clock.advanceSeconds(5);
                copyText(QString::fromLatin1(text));
                tick();
            }
            settle();
            EXPECT_EQ(ServicesProbe::waitingWriteCount(*monitor), 3);
            EXPECT_EQ(lock.itemCount(), 0);
            EXPECT_TRUE(delegate.captures.isEmpty());
            EXPECT_TRUE(warnings.lines().isEmpty()) << "nothing is lost";
        }
        // Copied once the database is free, before the waiting captures are written: it comes after them.
        clock.advanceSeconds(5);
        copyText(QStringLiteral("four"));
        tick();
        ASSERT_TRUE(waitUntil([this] { return ServicesProbe::waitingWriteCount(*monitor) == 0; }));
        settle();
        EXPECT_EQ(storedTexts(), QStringList({"four", "three", "two", "one"}));
        EXPECT_EQ(capturedTexts(), QStringList({"one", "two", "three", "four"}));
        // The copy sequence runs through them as if they had been written at once.
        const QList<ClipboardItem> items = stored();
        for (int i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items.at(i).copySequenceOrder, 3 - i);
            EXPECT_EQ(items.at(i).copySequenceID, items.last().copiedAt);
        }
        ASSERT_EQ(delegate.captures.size(), 4);
        ASSERT_EQ(delegate.captures.at(1).updatedItems.size(), 1);
        EXPECT_EQ(delegate.captures.at(1).updatedItems.first().text, QStringLiteral("one"));
        EXPECT_FALSE(ServicesProbe::hasTimedStep(*monitor)) << "the retries end with the last write";
    }
}

TEST_F(PasteboardMonitorTest, AMergeWaitsForTheDatabaseAndLeavesALaterCopyOnTheClipboard)
{
    seed(QStringLiteral("alpha"), 0.01);
    setPreferences([](AppPreferences &p) {
        p.copyAndMergeEnabled = true;
        p.copyAndMergeSeparator = QStringLiteral("comma");
    });
    {
        AnotherProgramsLock lock(databasePath(), "BEGIN EXCLUSIVE");
        copyText(QStringLiteral("beta"));
        tick();
        clock.advanceSeconds(0.2);
        copyText(QStringLiteral("beta"));
        tick();
        EXPECT_EQ(ServicesProbe::waitingWriteCount(*monitor), 1);
        clock.advanceSeconds(1);
        copyText(QStringLiteral("gamma"));
        tick();
    }
    ASSERT_TRUE(waitUntil([this] { return ServicesProbe::waitingWriteCount(*monitor) == 0; }));
    clock.advanceSeconds(1);
    tick();
    settle();
    EXPECT_EQ(storedTexts(), QStringList({"gamma", "alpha, beta"}));
    EXPECT_EQ(pasteboard.content(), textContent(QStringLiteral("gamma")))
        << "the merged text does not replace what was copied after it";
}

} // namespace
