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
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

#include <deque>
#include <functional>
#include <optional>

// The capture road: watches the clipboard and turns every new content that may be kept into a history item,
// stored exactly once, before it tells its delegate.
//
// A tick compares the pasteboard's change count with the last one seen. Changes that came and went while the monitor
// was busy (a large copy being stored, a stalled GUI thread) are taken one by one, in order, as the pasteboard kept
// them, before the current one. A new change is skipped when it carries
// our own marker, a transient, auto-generated or concealed marker (as the preferences say) or comes from an
// ignored application (a copy that the program made itself is the program's, whatever window is in front);
// otherwise it is read (PasteboardReader). Content that cannot be read yet is read again
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
// A copy whose content was left out for its size is not kept; the log says so and the delegate hears of it
// (pasteboardMonitorDidRefuse), so that the user learns why.
//
// Lives on the GUI thread, where it watches the pasteboard and applies the skip rules. What costs time with the
// size of a copy (decoding and building the item, the image file, the store's writes, the prune) runs on the
// capture worker, one step at a time and in order; the monitor goes on with a change when its step is done, and
// ticks asked for meanwhile wait for it. The store and clock must be usable from the worker as well; the
// pasteboard, workspace and recogniser are used on the GUI thread only. All of them must outlive the monitor.
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

    // Where the steps that cost time with the size of a copy run.
    enum class CaptureThread {
        worker, // the capture worker: the GUI thread only hands the copy over and takes the result
        caller, // the thread that ticks, within the tick (for tests that step through the capture road)
    };

    // Whatever is on the pasteboard now is never captured: the first capture is the first change after this.
    PasteboardMonitor(HistoryStore &historyStore, Pasteboard &pasteboard, Workspace &workspace,
        TextRecognizer &textRecognizer, QString supportDirectory, const Clock &clock, QObject *parent = nullptr);
    // Writes what still waits for the database, if it is free by now; what cannot be written is logged as lost.
    ~PasteboardMonitor() override;

    // Chosen before the first tick; the capture worker unless said otherwise.
    void setCaptureThread(CaptureThread thread) { m_captureThread = thread; }

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

    // The source application of the copies the program makes itself (content with PasteboardType::varnistoCopy).
    static RunningApplication ownApplication();

private:
    // What the tests and benchmarks look into.
    friend class ServicesProbe;

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

    // What a write leaves for the GUI thread to do once it is done: tell the delegate, have the picture
    // recognised, put a merged text on the clipboard.
    struct WriteEffects
    {
        struct Notice
        {
            ClipboardItem item;
            QList<ClipboardItem> resavedItems;
            HistoryRemoval removal;
        };
        std::optional<Notice> captured;
        std::optional<QUuid> recognizeItemID; // the stored capture whose picture is to be recognised
        std::optional<QString> mergedText; // for the clipboard, when the preferences say so
        std::optional<ClipboardItem> updated; // a stored item with recognised text
    };

    // A change to read: the pasteboard's content as it stood, with what the readers need.
    struct ReadRequest
    {
        PasteboardContent content;
        std::optional<OversizedContent> leftOut;
        std::optional<RunningApplication> source;
        bool treatDigitNumbersAsColor = false;
    };
    // The state of a tick while its change is being read.
    struct TickRead
    {
        bool fresh = true; // a new change, not a re-read
        bool kept = false; // a change that came and went while the monitor was busy, as the pasteboard kept it
        QDateTime now;
        qint64 changeCount = 0;
        ReadRequest request;
        AppPreferences preferences;
        QDateTime lastCopySequencePasteTime;
    };

    struct SequenceResult
    {
        ClipboardItem item;
        QList<ClipboardItem> resavedItems;
    };

    // The tick once its change (if any) has been read.
    void finishTick(std::optional<Capture> capture);
    void copyAndMergeStep(std::optional<Capture> capture);
    // The first half of change detection: nothing when there is nothing to read now (all said and done), else
    // the change to read.
    std::optional<TickRead> beginReadIfChanged();
    // The second half, with what the readers made of it.
    std::optional<Capture> finishReadIfChanged(const TickRead &tick, std::optional<PasteboardCapture> read);
    // The skip rules of the content itself: our marker, transient, auto-generated and concealed content.
    bool shouldCaptureContent(const PasteboardContent &content) const;
    // The skip rules for the content of a change; `skipped` tells a skipped change from one that cannot be read
    // yet. A request when the change is to be read.
    std::optional<ReadRequest> prepareRead(
        const PasteboardContent &content, const std::optional<OversizedContent> &leftOut, bool &skipped);
    std::optional<ReadRequest> prepareCurrentRead(bool &skipped)
    {
        return prepareRead(m_pasteboard.snapshot(), m_pasteboard.oversizedContent(), skipped);
    }
    // The readers, on a snapshot of the content (on the capture worker).
    static std::optional<PasteboardCapture> performRead(
        const ReadRequest &request, const QString &supportDirectory, const Clock &clock);
    void refuse(const OversizedContent &leftOut);

    // Runs `work` where captures run and then `done` on the GUI thread; one step at a time.
    template<typename Result> void runStep(std::function<Result()> work, std::function<void(Result)> done);
    void stepFinished();
    void startRereads();
    void stopRereads();

    void requestTick();
    // Arms the timer for the next timed step, or stops it when there is none.
    void scheduleNextStep();

    // Writes now, or behind the writes that wait (for the database, or for the write before).
    void write(Write write);
    static void keepPictureInFile(Write &write);
    // Starts the first waiting write, unless a step is running or the database was busy a moment ago.
    void pumpWrites();
    void writeFinished(WriteOutcome outcome, Write write, WriteEffects effects);
    void applyEffects(const Write &write, const WriteEffects &effects);
    // One attempt of the write; what the GUI thread is to do afterwards goes to `effects`. Touches only the store
    // and what it is given, so it may run on the capture worker.
    WriteOutcome attempt(Write &write, const AppPreferences &current, WriteEffects &effects,
        std::optional<HistoryStoreError> *busyError = nullptr);
    void retryWaitingWrites();

    StoreResult store(const Capture &capture, const AppPreferences &current, QList<ClipboardItem> &resavedItems,
        WriteEffects &effects);
    Expected<SequenceResult, HistoryStoreError> applyCopySequence(ClipboardItem item, const Capture &capture);
    Expected<HistoryRemoval, HistoryStoreError> pruneExpiredItems(
        const QUuid &keptItemID, const AppPreferences &current);
    void notifyDelegate(const ClipboardItem &item, QList<ClipboardItem> resavedItems, const HistoryRemoval &removal);

    void holdForCopyAndMerge(Capture capture);
    void dropPendingCopyAndMerge();
    void flushPendingCopyAndMerge();
    StoreResult mergeIntoLatest(const Capture &capture, const AppPreferences &current,
        QList<ClipboardItem> &resavedItems, WriteEffects &effects);
    StoreResult saveMergedItem(
        const ClipboardItem &merged, const Capture &capture, const AppPreferences &current, WriteEffects &effects);
    Expected<std::optional<ClipboardItem>, HistoryStoreError> mergedItem(
        const ClipboardItem &newItem, const ClipboardItem &target, const AppPreferences &preferences);

    // The first of the newest items (at most the history's limit) that the predicate accepts, reading the
    // history from the newest item back only as far as needed.
    Expected<std::optional<ClipboardItem>, HistoryStoreError> firstRecentItem(
        qint64 limit, const std::function<bool(const ClipboardItem &)> &accepts);
    Expected<QStringList, HistoryStoreError> tagNames(const QList<qint64> &tagIDs);

    void recognize(const QUuid &storedItemID, const PasteboardCapture &capture);
    WriteResult applyRecognition(
        const QUuid &itemID, const ClipboardItem &captured, const ImageRecognition &found, WriteEffects &effects);

    static void logWriteFailure(const HistoryStoreError &error);

    HistoryStore &m_store;
    Pasteboard &m_pasteboard;
    Workspace &m_workspace;
    TextRecognizer &m_textRecognizer;
    const QString m_supportDirectory;
    const Clock &m_clock;
    PasteboardReader m_reader;
    PasteboardMonitorDelegate *m_delegate = nullptr;
    CaptureThread m_captureThread = CaptureThread::worker;
    QThreadPool m_captureWorker; // one thread: the steps run one after another
    bool m_stepInFlight = false;
    bool m_tickDeferred = false; // a tick was asked for while a step ran

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

    std::deque<Write> m_waitingWrites; // the first one is the one running, if a write runs
    bool m_databaseBusy = false;
    bool m_writeInFlight = false; // the first waiting write runs on the worker
    QTimer m_writeRetryTimer;
    int m_writeRetryIntervalMs = firstWriteRetryIntervalMs;

    int m_recognitionsInFlight = 0;
};
