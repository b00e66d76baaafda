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

#include <functional>
#include <optional>

// The capture road: polls the clipboard ten times a second, and turns every new content that may be kept into
// a history item, stored exactly once, before it tells its delegate.
//
// A tick compares the pasteboard's change count with the last one seen. A new change is skipped when it carries
// our own marker, a transient, auto-generated or concealed marker (as the preferences say) or comes from an
// ignored application; otherwise it is read (PasteboardReader). Content that cannot be read yet is read again on
// up to 30 later ticks. Copy-and-merge holds each capture for half a second: the same content copied again
// within that time is appended to the newest history item instead. The copy sequence numbers captures that
// follow each other within 30 seconds. Every stored capture is followed by the retention prune, kind by kind.
//
// Text and QR codes in images are recognised on a worker thread: the item is stored at once, and stored again
// with what was found (the delegate hears of it through pasteboardMonitorDidUpdate).
//
// Lives on the GUI thread. The store, pasteboard, workspace, recogniser and clock must outlive the monitor.
class PasteboardMonitor final : public QObject
{
    Q_OBJECT

public:
    static constexpr int checkPasteboardIntervalMs = 100;
    static constexpr qint64 copySequenceThresholdMs = 30'000;
    static constexpr qint64 copyAndMergeHoldIntervalMs = 500;
    static constexpr int maxDeferredReadAttempts = 30;

    // Whatever is on the pasteboard now is never captured: the first capture is the first change after this.
    PasteboardMonitor(HistoryStore &historyStore, Pasteboard &pasteboard, Workspace &workspace,
        TextRecognizer &textRecognizer, QString supportDirectory, const Clock &clock, QObject *parent = nullptr);
    // Waits for a recognition still running on the worker; its result is dropped.
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

    // Takes the preferences and starts polling (again: there is only ever one timer). A change made while the
    // monitor was stopped is captured by the first tick when it is still on the pasteboard.
    void start(const AppPreferences &preferences);
    // Stops polling; a capture held by copy-and-merge is dropped, not stored.
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    // Takes new preferences; turning copy-and-merge off drops the capture it holds.
    void updatePreferences(const AppPreferences &preferences);

    // One polling tick. The timer calls it; tests call it directly.
    void checkPasteboard();

    // Whether recognitions are queued or running on the worker (for tests and benchmarks).
    bool isRecognizing() const { return m_recognitionsInFlight > 0; }

private:
    using StoreResult = Expected<ClipboardItem, HistoryStoreError>;
    struct SequenceResult
    {
        ClipboardItem item;
        QList<ClipboardItem> resavedItems;
    };

    // Capture without copy-and-merge.
    void captureChange();
    void copyAndMergeTick();
    std::optional<PasteboardCapture> readIfChanged();
    // The skip rules of the content itself: our marker, transient, auto-generated and concealed content.
    bool shouldCaptureContent() const;
    // The skip rules, then the readers; `skipped` tells a skipped change from one that cannot be read yet.
    std::optional<PasteboardCapture> readCapture(bool &skipped);

    StoreResult store(const PasteboardCapture &capture);
    Expected<SequenceResult, HistoryStoreError> applyCopySequence(ClipboardItem item);
    Expected<HistoryRemoval, HistoryStoreError> pruneExpiredItems(const QUuid &keptItemID);
    void notifyDelegate(const ClipboardItem &item, QList<ClipboardItem> resavedItems, const HistoryRemoval &removal);

    void holdForCopyAndMerge(PasteboardCapture capture);
    void dropPendingCopyAndMerge();
    void flushPendingCopyAndMerge();
    StoreResult mergeIntoLatest(const PasteboardCapture &capture);
    StoreResult saveMergedItem(const ClipboardItem &merged);
    Expected<std::optional<ClipboardItem>, HistoryStoreError> mergedItem(
        const ClipboardItem &newItem, const ClipboardItem &target);

    // The first of the newest items (at most the history's limit) that the predicate accepts, reading the
    // history from the newest item back only as far as needed.
    Expected<std::optional<ClipboardItem>, HistoryStoreError> firstRecentItem(
        const std::function<bool(const ClipboardItem &)> &accepts);
    Expected<QStringList, HistoryStoreError> tagNames(const QList<qint64> &tagIDs);

    void recognize(const QUuid &storedItemID, const PasteboardCapture &capture);
    void applyRecognition(const QUuid &itemID, const PasteboardCapture &capture, const ImageRecognition &found);

    static void logWriteFailure(const HistoryStoreError &error);

    HistoryStore &m_store;
    Pasteboard &m_pasteboard;
    Workspace &m_workspace;
    TextRecognizer &m_textRecognizer;
    const QString m_supportDirectory;
    const Clock &m_clock;
    PasteboardReader m_reader;
    PasteboardMonitorDelegate *m_delegate = nullptr;

    QTimer m_timer;
    bool m_paused = false;
    qint64 m_changeCountAtPause = 0;
    qint64 m_lastChangeCount = 0;
    int m_deferredReadAttemptsRemaining = 0;
    AppPreferences m_preferences;
    QDateTime m_lastCopySequencePasteTime;
    std::optional<PasteboardCapture> m_pendingCopyAndMerge;
    QDateTime m_pendingCopyAndMergeDeadline;

    QThreadPool m_recognitionWorker;
    int m_recognitionsInFlight = 0;
};
