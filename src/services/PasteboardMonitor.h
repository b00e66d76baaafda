#pragma once

#include "AppPreferences.h"
#include "ClipboardItem.h"
#include "Clock.h"
#include "Expected.h"
#include "HistoryStore.h"
#include "Pasteboard.h"
#include "PasteboardMonitorDelegate.h"
#include "PasteboardReader.h"
#include "TextRecognizer.h"
#include "Workspace.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <deque>
#include <functional>
#include <optional>

// The capture road: watches the clipboard and turns every new content that may be kept into a history item,
// stored exactly once, before it tells its delegate.
//
// A tick compares the pasteboard's change count with the last one seen. A new change is skipped when it carries
// our own marker, a transient, auto-generated or concealed marker (as the preferences say) or comes from an
// ignored application; otherwise it is read (PasteboardReader). Content that cannot be read yet is read again
// until the pasteboard's content arrival limit has passed. Copy-and-merge holds each capture for half a second:
// the same content copied again within that time is appended to the newest history item instead. The copy
// sequence numbers captures that follow each other within 30 seconds. Every stored capture is followed by the
// retention prune, kind by kind.
//
// Ticks run when the pasteboard says it changed or that the content of a change arrived, and when a timed step
// is due (a re-read, the end of a copy-and-merge hold); nothing runs on a timer while nothing happens.
//
// A capture whose write finds the database busy (another program holds it) waits, in order, and is written when
// the database is free again; later captures wait behind it. Any other write failure is logged and loses only
// that capture.
//
// Text and QR codes in images are recognised by the recogniser's worker: the item is stored at once, and stored
// again with what was found (the delegate hears of it through pasteboardMonitorDidUpdate).
//
// Lives on the GUI thread. The store, pasteboard, workspace, recogniser and clock must outlive the monitor.
class PasteboardMonitor final : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 copySequenceThresholdMs = 30'000;
    static constexpr qint64 copyAndMergeHoldIntervalMs = 500;
    // A change that could not be read is read again after this, then after twice as long each time, at most
    // the longest interval apart, and once more when its time is up. A pasteboard that says when content
    // arrives gets it read at once.
    static constexpr qint64 firstRereadIntervalMs = 100;
    static constexpr qint64 longestRereadIntervalMs = 1000;
    // Writes that found the database busy are tried again after this, then after twice as long each time, at
    // most the longest interval apart, for as long as they wait.
    static constexpr int firstWriteRetryIntervalMs = 50;
    static constexpr int longestWriteRetryIntervalMs = 2000;

    // Whatever is on the pasteboard now is never captured: the first capture is the first change after this.
    PasteboardMonitor(HistoryStore &historyStore, Pasteboard &pasteboard, Workspace &workspace,
        TextRecognizer &textRecognizer, QString supportDirectory, const Clock &clock, QObject *parent = nullptr);
    // Writes what still waits for the database, if it is free by now; what cannot be written is logged as lost.
    ~PasteboardMonitor() override;

    PasteboardMonitorDelegate *delegate() const { return m_delegate; }
    // The delegate is not owned; set it back to none before it goes if it can go before the monitor.
    void setDelegate(PasteboardMonitorDelegate *delegate) { m_delegate = delegate; }

    // While paused a tick does nothing, and nothing copied during the pause is captured, also not after it ends.
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

    // When the program last wrote to the clipboard itself or showed the history: a copy sequence does not
    // continue across it.
    QDateTime lastCopySequencePasteTime() const { return m_lastCopySequencePasteTime; }
    void setLastCopySequencePasteTime(const QDateTime &time) { m_lastCopySequencePasteTime = time; }

    const AppPreferences &preferences() const { return m_preferences; }
    QString imagesDirectory() const { return m_reader.imagesDirectory(); }

    // Takes the preferences and starts watching the pasteboard (again: starting twice changes nothing). A change
    // made while the monitor was stopped is captured at once when it is still on the pasteboard.
    void start(const AppPreferences &preferences);
    // Stops watching; a capture held by copy-and-merge is dropped, not stored. Captures waiting for a busy
    // database are still written.
    void stop();
    bool isRunning() const { return m_running; }
    // Takes new preferences; turning copy-and-merge off drops the capture it holds.
    void updatePreferences(const AppPreferences &preferences);

    // One tick. Changes of the pasteboard and the monitor's timed steps call it; tests call it directly.
    void checkPasteboard();

    // Whether a timer of the monitor is running: a tick, a re-read, the end of a copy-and-merge hold or a retry
    // of a write is due. Never the case while nothing happens (for tests and benchmarks).
    bool hasTimedStep() const { return m_stepTimer.isActive() || m_writeRetryTimer.isActive(); }
    // Writes waiting for the database to be free: captures, merges and recognised texts.
    qsizetype waitingWriteCount() const { return qsizetype(m_waitingWrites.size()); }
    // Whether recognitions are queued or running on the worker (for tests and benchmarks).
    bool isRecognizing() const { return m_recognitionsInFlight > 0; }

private:
    using StoreResult = Expected<ClipboardItem, HistoryStoreError>;
    using WriteResult = Expected<void, HistoryStoreError>;

    // A capture with what it is stored by, as things stood when it was read: a capture stored later (held by
    // copy-and-merge, or waiting for the database) is stored as it would have been at once.
    struct Capture
    {
        PasteboardCapture read;
        AppPreferences preferences;
        QDateTime lastCopySequencePasteTime;
        qint64 changeCount = 0; // the pasteboard's, when it was read
    };

    // One write of the capture road, kept with all it needs while the database is busy.
    struct Write
    {
        enum class Step { store, merge, recognition };
        Step step = Step::store;
        Capture capture;
        // Items that an earlier attempt already re-saved for the copy sequence: the delegate still hears of them.
        QList<ClipboardItem> resavedItems;
        // For a recognition: the stored item and what was found in its picture.
        QUuid itemID;
        ImageRecognition found;
    };
    enum class WriteOutcome { written, busy, failed };

    struct SequenceResult
    {
        ClipboardItem item;
        QList<ClipboardItem> resavedItems;
    };

    // Capture without copy-and-merge.
    void captureChange();
    void copyAndMergeTick();
    std::optional<Capture> readIfChanged();
    // The skip rules of the content itself: our marker, transient, auto-generated and concealed content.
    bool shouldCaptureContent() const;
    // The skip rules, then the readers; `skipped` tells a skipped change from one that cannot be read yet.
    std::optional<PasteboardCapture> readCapture(bool &skipped);
    void startRereads();
    void stopRereads();

    void requestTick();
    // Arms the timer for the next timed step, or stops it when there is none.
    void scheduleNextStep();

    // Writes now, or behind the writes that wait for the database.
    void write(Write write);
    WriteOutcome attempt(Write &write, std::optional<HistoryStoreError> *busyError = nullptr);
    void retryWaitingWrites();

    StoreResult store(const Capture &capture, QList<ClipboardItem> &resavedItems);
    Expected<SequenceResult, HistoryStoreError> applyCopySequence(ClipboardItem item, const Capture &capture);
    Expected<HistoryRemoval, HistoryStoreError> pruneExpiredItems(const QUuid &keptItemID);
    void notifyDelegate(const ClipboardItem &item, QList<ClipboardItem> resavedItems, const HistoryRemoval &removal);

    void holdForCopyAndMerge(Capture capture);
    void dropPendingCopyAndMerge();
    void flushPendingCopyAndMerge();
    StoreResult mergeIntoLatest(const Capture &capture, QList<ClipboardItem> &resavedItems);
    StoreResult saveMergedItem(const ClipboardItem &merged, const Capture &capture);
    Expected<std::optional<ClipboardItem>, HistoryStoreError> mergedItem(
        const ClipboardItem &newItem, const ClipboardItem &target, const AppPreferences &preferences);

    // The first of the newest items (at most the history's limit) that the predicate accepts, reading the
    // history from the newest item back only as far as needed.
    Expected<std::optional<ClipboardItem>, HistoryStoreError> firstRecentItem(
        qint64 limit, const std::function<bool(const ClipboardItem &)> &accepts);
    Expected<QStringList, HistoryStoreError> tagNames(const QList<qint64> &tagIDs);

    void recognize(const QUuid &storedItemID, const PasteboardCapture &capture);
    WriteResult applyRecognition(const QUuid &itemID, const ClipboardItem &captured, const ImageRecognition &found);

    static void logWriteFailure(const HistoryStoreError &error);

    HistoryStore &m_store;
    Pasteboard &m_pasteboard;
    Workspace &m_workspace;
    TextRecognizer &m_textRecognizer;
    const QString m_supportDirectory;
    const Clock &m_clock;
    PasteboardReader m_reader;
    PasteboardMonitorDelegate *m_delegate = nullptr;

    bool m_running = false;
    bool m_closing = false;
    QTimer m_stepTimer;
    bool m_tickRequested = false; // a tick was asked for that has not run yet
    bool m_paused = false;
    qint64 m_changeCountAtPause = 0;
    qint64 m_lastChangeCount = 0;
    // Re-reads of the current change: until this time (none when invalid), the next one due at the other.
    QDateTime m_rereadUntil;
    QDateTime m_nextRereadAt;
    qint64 m_rereadIntervalMs = firstRereadIntervalMs;
    AppPreferences m_preferences;
    QDateTime m_lastCopySequencePasteTime;
    std::optional<Capture> m_pendingCopyAndMerge;
    QDateTime m_pendingCopyAndMergeDeadline;

    std::deque<Write> m_waitingWrites;
    QTimer m_writeRetryTimer;
    int m_writeRetryIntervalMs = firstWriteRetryIntervalMs;

    int m_recognitionsInFlight = 0;
};
