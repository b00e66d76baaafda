#include "PasteboardMonitor.h"

#include "CopyAndMergeSeparatorPreference.h"
#include "ServicesLogging.h"
#include "SupportFolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace {

int clampedDays(qint64 days)
{
    return int(std::clamp<qint64>(days, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The image file of a capture that was never stored: nothing refers to it.
void discardUnstored(const PasteboardCapture &capture)
{
    if (capture.item.assetPath)
        QFile::remove(*capture.item.assetPath);
}

// The content of one change as it stood when it was seen, for the readers on the capture worker.
class PasteboardSnapshot final : public Pasteboard
{
public:
    explicit PasteboardSnapshot(PasteboardContent content) : m_content(std::move(content)) { }

    qint64 changeCount() const override { return 0; }
    QStringList types() const override { return m_content.types(); }
    bool hasType(const QString &type) const override { return m_content.hasType(type); }
    std::optional<QByteArray> data(const QString &type) const override { return m_content.data(type); }
    Expected<void, QString> write(const PasteboardContent &) override
    {
        return Expected<void, QString>::failure(QStringLiteral("a snapshot is not written"));
    }

private:
    const PasteboardContent m_content;
};

// Keeps the newest copy of each item.
void addResaved(QList<ClipboardItem> &items, const ClipboardItem &item)
{
    items.removeIf([&item](const ClipboardItem &other) { return other.id == item.id; });
    items.append(item);
}

} // namespace

PasteboardMonitor::PasteboardMonitor(HistoryStore &historyStore, Pasteboard &pasteboard, Workspace &workspace,
    TextRecognizer &textRecognizer, QString supportDirectory, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_store(historyStore)
    , m_pasteboard(pasteboard)
    , m_workspace(workspace)
    , m_textRecognizer(textRecognizer)
    , m_supportDirectory(std::move(supportDirectory))
    , m_clock(clock)
    , m_reader(pasteboard, m_supportDirectory, clock)
    , m_lastChangeCount(pasteboard.changeCount())
{
    m_stepTimer.setSingleShot(true);
    // Steps are due at given times (the end of a hold), which a coarse timer may run ahead of.
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_stepTimer, &QTimer::timeout, this, &PasteboardMonitor::checkPasteboard);
    m_writeRetryTimer.setSingleShot(true);
    connect(&m_writeRetryTimer, &QTimer::timeout, this, &PasteboardMonitor::retryWaitingWrites);
    m_captureWorker.setMaxThreadCount(1);
    m_captureWorker.setExpiryTimeout(-1);
    m_captureWorker.setObjectName(QStringLiteral("CaptureWorker"));
    connect(&m_pasteboard, &Pasteboard::changed, this, &PasteboardMonitor::requestTick);
    connect(&m_pasteboard, &Pasteboard::contentReady, this, &PasteboardMonitor::requestTick);
}

PasteboardMonitor::~PasteboardMonitor()
{
    // Whatever still waits for the database gets one last chance; nobody hears of it any more.
    m_closing = true;
    m_writeRetryTimer.stop();
    // The step on the worker ends first. A write it finished is done; nobody hears of it.
    m_captureWorker.waitForDone();
    if (m_writeInFlight && !m_waitingWrites.empty())
        m_waitingWrites.pop_front();
    std::optional<HistoryStoreError> busy;
    WriteEffects ignored;
    while (!m_waitingWrites.empty()
        && attempt(m_waitingWrites.front(), m_preferences, ignored, &busy) != WriteOutcome::busy)
        m_waitingWrites.pop_front();
    for (const Write &lost : m_waitingWrites) {
        logWriteFailure(*busy);
        if (lost.step != Write::Step::recognition)
            discardUnstored(lost.capture.read);
    }
}

// --- Life cycle -----------------------------------------------------------------------------------------------

void PasteboardMonitor::start(const AppPreferences &preferences)
{
    updatePreferences(preferences);
    // Of what was copied while stopped, only what is still on the pasteboard is captured.
    if (!m_running)
        m_pasteboard.takeKeptChange(m_pasteboard.changeCount() - 1);
    m_running = true;
    // A change made while stopped is captured now.
    requestTick();
}

void PasteboardMonitor::stop()
{
    m_running = false;
    dropPendingCopyAndMerge();
    scheduleNextStep();
}

void PasteboardMonitor::updatePreferences(const AppPreferences &preferences)
{
    if (!preferences.copyAndMergeEnabled)
        dropPendingCopyAndMerge();
    m_preferences = preferences;
    scheduleNextStep();
}

void PasteboardMonitor::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    if (paused) {
        m_changeCountAtPause = m_pasteboard.changeCount();
    } else {
        // Whatever was copied during the pause is passed over. A change made just before the pause and not
        // seen yet is still captured.
        const qint64 changeCount = m_pasteboard.changeCount();
        if (changeCount != m_changeCountAtPause) {
            m_lastChangeCount = changeCount;
            stopRereads();
        }
    }
    m_paused = paused;
    // On resuming, a change seen before the pause or a held copy whose time has come is dealt with at once.
    if (paused)
        scheduleNextStep();
    else
        requestTick();
}

void PasteboardMonitor::requestTick()
{
    if (!m_running || m_paused)
        return;
    m_tickRequested = true;
    m_stepTimer.start(0);
}

void PasteboardMonitor::scheduleNextStep()
{
    if (!m_running || m_paused) {
        m_tickRequested = false;
        m_stepTimer.stop();
        return;
    }
    if (m_tickRequested) {
        m_stepTimer.start(0);
        return;
    }
    std::optional<QDateTime> due;
    if (m_pendingCopyAndMerge)
        due = m_pendingCopyAndMergeDeadline;
    if (m_rereadUntil.isValid() && (!due || m_nextRereadAt < *due))
        due = m_nextRereadAt;
    if (!due) {
        m_stepTimer.stop();
        return;
    }
    const qint64 wait = m_clock.now().msecsTo(*due);
    m_stepTimer.start(int(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

// --- The tick -------------------------------------------------------------------------------------------------

void PasteboardMonitor::checkPasteboard()
{
    m_tickRequested = false;
    if (m_stepInFlight) {
        // The tick runs once the step is done, with everything that step changed.
        m_tickDeferred = true;
        return;
    }
    if (m_paused) {
        scheduleNextStep();
        return;
    }
    auto tick = beginReadIfChanged();
    if (!tick) {
        finishTick(std::nullopt);
        return;
    }
    const QString supportDirectory = m_supportDirectory;
    const Clock &clock = m_clock;
    std::function<std::optional<PasteboardCapture>()> read
        = [request = tick->request, supportDirectory, &clock] { return performRead(request, supportDirectory, clock); };
    runStep<std::optional<PasteboardCapture>>(
        std::move(read), [this, tick = std::move(*tick)](std::optional<PasteboardCapture> read) {
            finishTick(finishReadIfChanged(tick, std::move(read)));
        });
}

void PasteboardMonitor::finishTick(std::optional<Capture> capture)
{
    if (m_preferences.copyAndMergeEnabled)
        copyAndMergeStep(std::move(capture));
    else if (capture)
        write({Write::Step::store, std::move(*capture)});
    if (!m_stepInFlight)
        scheduleNextStep();
}

template<typename Result>
void PasteboardMonitor::runStep(std::function<Result()> work, std::function<void(Result)> done)
{
    m_stepInFlight = true;
    if (m_captureThread == CaptureThread::caller || m_closing) {
        Result result = work();
        m_stepInFlight = false;
        done(std::move(result));
        stepFinished();
        return;
    }
    m_captureWorker.start([this, work = std::move(work), done = std::move(done)] {
        auto result = std::make_shared<Result>(work());
        QMetaObject::invokeMethod(
            this,
            [this, done, result] {
                m_stepInFlight = false;
                done(std::move(*result));
                stepFinished();
            },
            Qt::QueuedConnection);
    });
}

void PasteboardMonitor::stepFinished()
{
    if (m_stepInFlight || m_closing)
        return; // the step started the next one, or the monitor is going
    pumpWrites();
    if (m_stepInFlight)
        return;
    if (std::exchange(m_tickDeferred, false))
        checkPasteboard();
    else
        scheduleNextStep();
}

std::optional<PasteboardMonitor::TickRead> PasteboardMonitor::beginReadIfChanged()
{
    TickRead tick;
    tick.changeCount = m_pasteboard.changeCount();
    tick.preferences = m_preferences;
    tick.lastCopySequencePasteTime = m_lastCopySequencePasteTime;
    bool skipped = false;
    if (tick.changeCount != m_lastChangeCount) {
        stopRereads();
        if (auto kept = m_pasteboard.takeKeptChange(m_lastChangeCount)) {
            // One that came and went unseen: read as it arrived, and the next one after it.
            tick.kept = true;
            tick.changeCount = kept->changeCount;
            m_lastChangeCount = kept->changeCount;
            requestTick();
            auto request = prepareRead(kept->content, kept->oversized, skipped);
            if (!request)
                return std::nullopt;
            tick.request = std::move(*request);
            return tick;
        }
        m_lastChangeCount = tick.changeCount;
        auto request = prepareCurrentRead(skipped);
        if (request) {
            tick.request = std::move(*request);
            return tick;
        }
        // Content that no reader can take yet is read again while it may still arrive.
        if (!skipped)
            startRereads();
        return std::nullopt;
    }
    if (!m_rereadUntil.isValid())
        return std::nullopt;
    tick.fresh = false;
    tick.now = m_clock.now();
    if (tick.now > m_rereadUntil) {
        stopRereads();
        return std::nullopt;
    }
    auto request = prepareCurrentRead(skipped);
    if (request) {
        tick.request = std::move(*request);
        return tick;
    }
    finishReadIfChanged(tick, std::nullopt);
    if (skipped)
        stopRereads();
    return std::nullopt;
}

std::optional<PasteboardMonitor::Capture> PasteboardMonitor::finishReadIfChanged(
    const TickRead &tick, std::optional<PasteboardCapture> read)
{
    bool skipped = false;
    if (!read && tick.request.leftOut && !tick.request.content.types().isEmpty()) {
        // What was read of it makes no item: the part left out was the copy.
        skipped = true;
        refuse(*tick.request.leftOut);
    }
    // Re-reads concern the change they were started for only; a kept change arrived whole.
    if (m_lastChangeCount == tick.changeCount && !tick.kept) {
        if (tick.fresh) {
            if (!read && !skipped)
                startRereads();
        } else if (read || skipped || tick.now >= m_rereadUntil) {
            stopRereads();
        } else {
            m_rereadIntervalMs = std::min(m_rereadIntervalMs * 2, longestRereadIntervalMs);
            m_nextRereadAt = std::min(tick.now.addMSecs(m_rereadIntervalMs), m_rereadUntil);
        }
    }
    if (!read)
        return std::nullopt;
    return Capture {std::move(*read), tick.preferences, tick.lastCopySequencePasteTime, tick.changeCount};
}

void PasteboardMonitor::startRereads()
{
    const qint64 limit = m_pasteboard.contentArrivalLimitMs();
    if (limit <= 0)
        return;
    const QDateTime now = m_clock.now();
    m_rereadUntil = now.addMSecs(limit);
    m_rereadIntervalMs = firstRereadIntervalMs;
    m_nextRereadAt = std::min(now.addMSecs(m_rereadIntervalMs), m_rereadUntil);
}

void PasteboardMonitor::stopRereads()
{
    m_rereadUntil = QDateTime();
    m_nextRereadAt = QDateTime();
}

std::optional<PasteboardMonitor::ReadRequest> PasteboardMonitor::prepareRead(
    const PasteboardContent &content, const std::optional<OversizedContent> &leftOut, bool &skipped)
{
    // Nothing has arrived yet: there is nothing to judge or read.
    skipped = false;
    if (content.isEmpty() && !leftOut)
        return std::nullopt;
    skipped = true;
    if (!shouldCaptureContent(content))
        return std::nullopt;
    // A copy the program made itself is its own, whatever window is in front.
    const auto front = content.hasType(PasteboardType::varnistoCopy())
        ? std::optional<RunningApplication>(ownApplication())
        : m_workspace.frontApplication();
    if (front && m_preferences.isIgnoredApplication(front->name, front->bundlePath))
        return std::nullopt;
    if (content.isEmpty()) {
        // All of it was left out for its size.
        refuse(*leftOut);
        return std::nullopt;
    }
    skipped = false;
    return ReadRequest {content, leftOut, front, m_preferences.treatDigitNumbersAsColor};
}

std::optional<PasteboardCapture> PasteboardMonitor::performRead(
    const ReadRequest &request, const QString &supportDirectory, const Clock &clock)
{
    const PasteboardSnapshot snapshot(request.content);
    const PasteboardReader reader(snapshot, supportDirectory, clock);
    return reader.readItem(request.source, request.treatDigitNumbersAsColor);
}

void PasteboardMonitor::refuse(const OversizedContent &leftOut)
{
    qWarning().noquote() << QStringLiteral("Varnisto did not keep a copy: its %1 of at least %2 bytes is larger than "
                                           "the %3 bytes the clipboard is read for")
                                .arg(leftOut.type)
                                .arg(leftOut.size)
                                .arg(leftOut.limit);
    QMetaObject::invokeMethod(
        this,
        [this, leftOut] {
            if (m_delegate)
                m_delegate->pasteboardMonitorDidRefuse(leftOut);
        },
        Qt::QueuedConnection);
}

RunningApplication PasteboardMonitor::ownApplication()
{
    RunningApplication application;
    application.name = QStringLiteral("Varnisto");
    application.bundleIdentifier = QStringLiteral("varnisto"); // the desktop entry's id
    application.iconName = QStringLiteral("varnisto");
    application.processId = QCoreApplication::applicationPid();
    return application;
}

bool PasteboardMonitor::shouldCaptureContent(const PasteboardContent &content) const
{
    // Our own writes.
    if (content.data(PasteboardType::varnistoMarker()))
        return false;
    const QStringList types = content.types();
    if (m_preferences.ignoreTransientContent
        && (types.contains(PasteboardType::transient()) || types.contains(PasteboardType::autoGenerated())))
        return false;
    if (m_preferences.ignoreConcealedContent) {
        if (types.contains(PasteboardType::concealed()))
            return false;
        // Password managers here say so with a hint of their own.
        if (types.contains(PasteboardType::passwordManagerHint())
            && content.data(PasteboardType::passwordManagerHint()).value_or(QByteArray()).trimmed() == "secret")
            return false;
    }
    return true;
}

// --- Writes that wait for a busy database ---------------------------------------------------------------------

void PasteboardMonitor::write(Write write)
{
    // Behind the writes that wait, so that captures are stored in the order they were made.
    if (m_databaseBusy)
        keepPictureInFile(write);
    m_waitingWrites.push_back(std::move(write));
    pumpWrites();
}

void PasteboardMonitor::keepPictureInFile(Write &write)
{
    // A picture to recognise is read back from its file when its turn comes, rather than held in memory.
    auto &recognition = write.capture.read.recognition;
    if (recognition && !recognition->image.isNull() && write.capture.read.item.assetPath)
        recognition = RecognitionSource {QImage(), *write.capture.read.item.assetPath};
}

void PasteboardMonitor::pumpWrites()
{
    if (m_stepInFlight || m_closing || m_waitingWrites.empty() || m_writeRetryTimer.isActive())
        return;
    struct Attempted
    {
        WriteOutcome outcome = WriteOutcome::failed;
        Write write;
        WriteEffects effects;
    };
    m_writeInFlight = true;
    runStep<Attempted>(
        [this, write = m_waitingWrites.front(), current = m_preferences]() mutable {
            Attempted attempted;
            attempted.outcome = attempt(write, current, attempted.effects);
            attempted.write = std::move(write);
            return attempted;
        },
        [this](Attempted attempted) {
            writeFinished(attempted.outcome, std::move(attempted.write), std::move(attempted.effects));
        });
}

void PasteboardMonitor::writeFinished(WriteOutcome outcome, Write write, WriteEffects effects)
{
    m_writeInFlight = false;
    if (outcome == WriteOutcome::busy) {
        // Kept with what the attempt did so far, to be tried again.
        m_waitingWrites.front() = std::move(write);
        if (!m_databaseBusy) {
            qCInfo(lcServices) << "the history database is busy; captures wait until it is free";
            m_databaseBusy = true;
            m_writeRetryIntervalMs = firstWriteRetryIntervalMs;
            for (Write &waiting : m_waitingWrites)
                keepPictureInFile(waiting);
        } else {
            m_writeRetryIntervalMs = std::min(m_writeRetryIntervalMs * 2, longestWriteRetryIntervalMs);
        }
        m_writeRetryTimer.start(m_writeRetryIntervalMs);
        return;
    }
    m_waitingWrites.pop_front();
    if (outcome == WriteOutcome::written)
        applyEffects(write, effects);
    if (m_databaseBusy && m_waitingWrites.empty()) {
        m_databaseBusy = false;
        qCInfo(lcServices) << "the history database is free again; the waiting captures are written";
    }
}

void PasteboardMonitor::applyEffects(const Write &write, const WriteEffects &effects)
{
    // Only over the copy it was made of: a merge written late leaves what was copied since on the clipboard.
    if (effects.mergedText && m_pasteboard.changeCount() == write.capture.changeCount) {
        PasteboardContent content;
        content.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
        content.setString(PasteboardType::plainText(), *effects.mergedText);
        if (auto written = m_pasteboard.write(content); written) {
            // Our own write is not a change to capture.
            m_lastChangeCount = m_pasteboard.changeCount();
            stopRereads();
        } else {
            qCInfo(lcServices) << "could not put the merged text on the clipboard:" << written.error();
        }
    }
    if (effects.captured)
        notifyDelegate(effects.captured->item, effects.captured->resavedItems, effects.captured->removal);
    if (effects.recognizeItemID && write.capture.read.recognition)
        recognize(*effects.recognizeItemID, write.capture.read);
    if (effects.updated) {
        QMetaObject::invokeMethod(
            this,
            [this, item = *effects.updated] {
                if (m_delegate)
                    m_delegate->pasteboardMonitorDidUpdate(item);
            },
            Qt::QueuedConnection);
    }
}

PasteboardMonitor::WriteOutcome PasteboardMonitor::attempt(
    Write &write, const AppPreferences &current, WriteEffects &effects, std::optional<HistoryStoreError> *busyError)
{
    std::optional<HistoryStoreError> error;
    effects = WriteEffects();
    switch (write.step) {
    case Write::Step::store:
        if (auto stored = store(write.capture, current, write.resavedItems, effects); !stored)
            error = stored.error();
        break;
    case Write::Step::merge:
        if (auto merged = mergeIntoLatest(write.capture, current, write.resavedItems, effects); !merged)
            error = merged.error();
        break;
    case Write::Step::recognition:
        if (auto applied = applyRecognition(write.itemID, write.capture.read.item, write.found, effects); !applied)
            error = applied.error();
        break;
    }
    if (!error)
        return WriteOutcome::written;
    if (error->isDatabaseBusy()) {
        if (busyError)
            *busyError = error;
        return WriteOutcome::busy;
    }
    logWriteFailure(*error);
    if (write.step != Write::Step::recognition)
        discardUnstored(write.capture.read);
    return WriteOutcome::failed;
}

void PasteboardMonitor::retryWaitingWrites()
{
    pumpWrites();
}

// --- Storing --------------------------------------------------------------------------------------------------

PasteboardMonitor::StoreResult PasteboardMonitor::store(
    const Capture &capture, const AppPreferences &current, QList<ClipboardItem> &resavedItems, WriteEffects &effects)
{
    ClipboardItem item = capture.read.item;
    const bool sequenceMode = capture.preferences.copySequenceModeEnabled;
    if (sequenceMode) {
        auto sequenced = applyCopySequence(std::move(item), capture);
        if (!sequenced)
            return StoreResult::failure(sequenced.error());
        item = std::move(sequenced->item);
        for (const ClipboardItem &resaved : std::as_const(sequenced->resavedItems))
            addResaved(resavedItems, resaved);
    }
    auto stored = m_store.insertOrMerge(item, sequenceMode);
    if (!stored)
        return stored;
    // The capture is stored whatever the prune does, so the delegate hears of it either way.
    auto removal = pruneExpiredItems(stored->id, current);
    if (!removal)
        logWriteFailure(removal.error());
    effects.captured = WriteEffects::Notice {*stored, resavedItems, removal ? *removal : HistoryRemoval()};
    if (capture.read.recognition)
        effects.recognizeItemID = stored->id;
    return stored;
}

Expected<PasteboardMonitor::SequenceResult, HistoryStoreError> PasteboardMonitor::applyCopySequence(
    ClipboardItem item, const Capture &capture)
{
    using R = Expected<SequenceResult, HistoryStoreError>;
    // The newest item that is not this content again.
    const QString key = item.contentKey();
    auto previous
        = firstRecentItem(capture.preferences.historyItemLimit(), [&item, &key](const ClipboardItem &candidate) {
              return candidate.kind != item.kind || candidate.contentKey() != key;
          });
    if (!previous)
        return R::failure(previous.error());
    if (!*previous)
        return SequenceResult {std::move(item), {}};

    const ClipboardItem &before = **previous;
    const QDateTime &wroteAt = capture.lastCopySequencePasteTime;
    const bool wroteSince = wroteAt.isValid() && wroteAt > before.copiedAt;
    if (wroteSince || before.copiedAt.msecsTo(item.copiedAt) >= copySequenceThresholdMs) {
        item.copySequenceID.reset();
        item.copySequenceOrder.reset();
        return SequenceResult {std::move(item), {}};
    }
    if (before.copySequenceID) {
        item.copySequenceID = before.copySequenceID;
        item.copySequenceOrder = before.copySequenceOrder.value_or(0) + 1;
        return SequenceResult {std::move(item), {}};
    }
    // The item before starts the sequence.
    ClipboardItem first = before;
    first.copySequenceID = before.copiedAt;
    first.copySequenceOrder = 0;
    if (auto written = m_store.upsert(first); !written)
        return R::failure(written.error());
    item.copySequenceID = first.copySequenceID;
    item.copySequenceOrder = 1;
    return SequenceResult {std::move(item), {std::move(first)}};
}

Expected<HistoryRemoval, HistoryStoreError> PasteboardMonitor::pruneExpiredItems(
    const QUuid &keptItemID, const AppPreferences &current)
{
    RetentionPolicy policy;
    for (const ClipboardKind kind : ClipboardKind::allCases)
        retentionDaysField(policy, kind) = clampedDays(current.retentionDaysFor(kind));
    policy.now = m_clock.now();
    policy.keptItemID = keptItemID;
    const bool keepsEverything = std::all_of(ClipboardKind::allCases.begin(), ClipboardKind::allCases.end(),
        [&policy](ClipboardKind kind) { return policy.retentionDays(kind) < 0; });
    if (keepsEverything)
        return HistoryRemoval();

    auto removal = m_store.pruneItems(policy);
    if (!removal)
        return removal;
    // The files of the removed items go with them; only ever files of our own folder.
    const SupportFolder supportFolder(m_supportDirectory);
    for (const QString &path : std::as_const(removal->assetPaths)) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (supportFolder.contains(absolute) && !supportFolder.removeFile(absolute))
            qCInfo(lcServices) << "could not delete the file of a pruned item:" << absolute;
    }
    return removal;
}

void PasteboardMonitor::notifyDelegate(
    const ClipboardItem &item, QList<ClipboardItem> resavedItems, const HistoryRemoval &removal)
{
    // An item that the prune removed is not reported as updated.
    if (!removal.itemIDs.isEmpty()) {
        resavedItems.removeIf(
            [&removal](const ClipboardItem &resaved) { return removal.itemIDs.contains(resaved.id); });
    }
    QMetaObject::invokeMethod(
        this,
        [this, item, resavedItems = std::move(resavedItems), removal] {
            const QPointer<PasteboardMonitor> alive(this);
            if (m_delegate && !removal.itemIDs.isEmpty())
                m_delegate->pasteboardMonitorDidPrune(removal);
            if (alive && m_delegate)
                m_delegate->pasteboardMonitorDidCapture(item, resavedItems);
        },
        Qt::QueuedConnection);
}

void PasteboardMonitor::logWriteFailure(const HistoryStoreError &error)
{
    qWarning().noquote() << QStringLiteral("Varnisto history write failed: ") + error.description();
}

Expected<std::optional<ClipboardItem>, HistoryStoreError> PasteboardMonitor::firstRecentItem(
    qint64 limit, const std::function<bool(const ClipboardItem &)> &accepts)
{
    using R = Expected<std::optional<ClipboardItem>, HistoryStoreError>;
    qint64 asked = 1;
    qsizetype previousCount = -1;
    while (true) {
        auto items = m_store.loadRecentItems(asked);
        if (!items)
            return R::failure(items.error());
        for (const ClipboardItem &item : std::as_const(*items)) {
            if (accepts(item))
                return std::optional<ClipboardItem>(item);
        }
        // Read further back only while there is more to read.
        if (asked >= limit || items->size() <= previousCount)
            return std::optional<ClipboardItem>();
        previousCount = items->size();
        asked = qMin(asked * 8, limit);
    }
}

Expected<QStringList, HistoryStoreError> PasteboardMonitor::tagNames(const QList<qint64> &tagIDs)
{
    using R = Expected<QStringList, HistoryStoreError>;
    if (tagIDs.isEmpty())
        return QStringList();
    auto tags = m_store.loadTags();
    if (!tags)
        return R::failure(tags.error());
    QStringList names;
    for (const qint64 id : tagIDs) {
        for (const Tag &tag : std::as_const(*tags)) {
            if (tag.id == id) {
                names.append(tag.name);
                break;
            }
        }
    }
    return names;
}

// --- Copy-and-merge -------------------------------------------------------------------------------------------

void PasteboardMonitor::copyAndMergeStep(std::optional<Capture> capture)
{
    if (!capture) {
        flushPendingCopyAndMerge();
        return;
    }
    if (!m_pendingCopyAndMerge) {
        holdForCopyAndMerge(std::move(*capture));
        return;
    }
    Capture pending = std::move(*m_pendingCopyAndMerge);
    m_pendingCopyAndMerge.reset();
    m_pendingCopyAndMergeDeadline = QDateTime();
    const ClipboardItem &held = pending.read.item;
    if (held.kind == capture->read.item.kind && held.contentKey() == capture->read.item.contentKey()) {
        // The same content twice in a row: appended to the newest item, the first copy is not kept.
        discardUnstored(pending.read);
        write({Write::Step::merge, std::move(*capture)});
        return;
    }
    // The new capture is held before the earlier one is stored, so that a failure to store that one does not
    // take the new one with it; its half second starts once the earlier one is stored.
    holdForCopyAndMerge(std::move(*capture));
    write({Write::Step::store, std::move(pending)});
    m_pendingCopyAndMergeDeadline = m_clock.now().addMSecs(copyAndMergeHoldIntervalMs);
}

void PasteboardMonitor::holdForCopyAndMerge(Capture capture)
{
    m_pendingCopyAndMerge = std::move(capture);
    m_pendingCopyAndMergeDeadline = m_clock.now().addMSecs(copyAndMergeHoldIntervalMs);
}

void PasteboardMonitor::dropPendingCopyAndMerge()
{
    if (m_pendingCopyAndMerge) {
        discardUnstored(m_pendingCopyAndMerge->read);
        m_pendingCopyAndMerge.reset();
    }
    m_pendingCopyAndMergeDeadline = QDateTime();
}

void PasteboardMonitor::flushPendingCopyAndMerge()
{
    if (!m_pendingCopyAndMerge || m_clock.now() < m_pendingCopyAndMergeDeadline)
        return;
    Capture pending = std::move(*m_pendingCopyAndMerge);
    m_pendingCopyAndMerge.reset();
    m_pendingCopyAndMergeDeadline = QDateTime();
    write({Write::Step::store, std::move(pending)});
}

PasteboardMonitor::StoreResult PasteboardMonitor::mergeIntoLatest(
    const Capture &capture, const AppPreferences &current, QList<ClipboardItem> &resavedItems, WriteEffects &effects)
{
    // The newest item that is not a favourite. The first copy was held back and never stored, so this is the
    // item before it.
    auto target = firstRecentItem(
        capture.preferences.historyItemLimit(), [](const ClipboardItem &item) { return !item.isFavorite; });
    if (!target)
        return StoreResult::failure(target.error());
    if (!*target)
        return store(capture, current, resavedItems, effects);
    auto merged = mergedItem(capture.read.item, **target, capture.preferences);
    if (!merged)
        return StoreResult::failure(merged.error());
    if (!*merged)
        return store(capture, current, resavedItems, effects);
    return saveMergedItem(**merged, capture, current, effects);
}

Expected<std::optional<ClipboardItem>, HistoryStoreError> PasteboardMonitor::mergedItem(
    const ClipboardItem &newItem, const ClipboardItem &target, const AppPreferences &preferences)
{
    using R = Expected<std::optional<ClipboardItem>, HistoryStoreError>;
    if (!target.kind.isTextLike() || !newItem.kind.isTextLike() || !target.text || !newItem.text)
        return std::optional<ClipboardItem>();
    ClipboardItem merged = target;
    const QString separator
        = CopyAndMergeSeparatorPreference::resolved(preferences.copyAndMergeSeparator).separatorText();
    merged.text = *target.text + separator + *newItem.text;
    merged.rtfData.reset();
    merged.html.reset();
    merged.assetPath.reset();
    merged.filePaths.clear();
    merged.kind = ClipboardKind::detect(*merged.text, preferences.treatDigitNumbersAsColor);
    merged.copiedAt = newItem.copiedAt;
    merged.byteSize = merged.text->toUtf8().size();
    merged.copyCount = target.copyCount + 1;
    merged.linkPreviewDetails.reset();
    auto names = tagNames(target.tags);
    if (!names)
        return R::failure(names.error());
    return std::optional<ClipboardItem>(merged.refreshingSearchText(*names));
}

PasteboardMonitor::StoreResult PasteboardMonitor::saveMergedItem(
    const ClipboardItem &merged, const Capture &capture, const AppPreferences &current, WriteEffects &effects)
{
    if (auto written = m_store.upsert(merged); !written)
        return StoreResult::failure(written.error());
    // The clipboard is written on the GUI thread, once the merge is stored.
    if (capture.preferences.copyToClipboardAfterMerge && merged.text)
        effects.mergedText = merged.text;
    auto removal = pruneExpiredItems(merged.id, current);
    if (!removal)
        logWriteFailure(removal.error());
    effects.captured = WriteEffects::Notice {merged, {}, removal ? *removal : HistoryRemoval()};
    return merged;
}

// --- Recognition ----------------------------------------------------------------------------------------------

void PasteboardMonitor::recognize(const QUuid &storedItemID, const PasteboardCapture &capture)
{
    if (m_closing)
        return;
    ++m_recognitionsInFlight;
    auto finished = [this, storedItemID, item = capture.item](const TextRecognizer::Result &result) {
        --m_recognitionsInFlight;
        qCDebug(lcServices) << "recognition finished for item" << storedItemID;
        // A failure is logged by the recogniser; the item keeps no recognised text.
        if (!result)
            return;
        Write update;
        update.step = Write::Step::recognition;
        update.capture.read.item = item;
        update.itemID = storedItemID;
        update.found = *result;
        write(std::move(update));
    };
    const TextRecognizer::Parts parts(TextRecognizer::Text | TextRecognizer::QRCodes);
    const RecognitionSource &source = *capture.recognition;
    if (!source.image.isNull())
        m_textRecognizer.recognizeAsync(source.image, parts, this, std::move(finished));
    else
        m_textRecognizer.recognizeAsync(source.imageFilePath, parts, this, std::move(finished));
}

PasteboardMonitor::WriteResult PasteboardMonitor::applyRecognition(
    const QUuid &itemID, const ClipboardItem &captured, const ImageRecognition &found, WriteEffects &effects)
{
    const auto text = found.text();
    const auto qrText = found.qrText();
    if (!text && !qrText)
        return {};
    auto loaded = m_store.loadItems({itemID});
    if (!loaded)
        return WriteResult::failure(loaded.error());
    // Deleted or pruned meanwhile.
    if (loaded->isEmpty())
        return {};
    ClipboardItem item = loaded->first();
    // Only while the item still shows what was recognised.
    const bool sameImage = captured.kind == ClipboardKind::image
        ? item.kind == ClipboardKind::image && item.assetPath == captured.assetPath
        : item.kind == ClipboardKind::file && !item.filePaths.isEmpty()
            && item.filePaths.first() == captured.filePaths.value(0);
    if (!sameImage)
        return {};

    // As if the text had been there at the capture: the text is replaced, earlier QR text stays unless new
    // QR codes were found.
    item.text = text;
    if (qrText)
        item.qrCodeText = qrText;
    auto names = tagNames(item.tags);
    if (!names)
        return WriteResult::failure(names.error());
    item = PasteboardReader::refreshingCaptureSearchText(item, *names);
    if (auto written = m_store.upsert(item); !written)
        return written;
    effects.updated = item;
    return {};
}
