#include "PasteboardMonitor.h"

#include "CopyAndMergeSeparatorPreference.h"
#include "ServicesLogging.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <limits>

namespace {

bool isTextLike(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
    case ClipboardKind::link:
    case ClipboardKind::email:
    case ClipboardKind::color:
        return true;
    case ClipboardKind::image:
    case ClipboardKind::file:
        return false;
    }
    return false;
}

int retentionDays(qint64 days)
{
    return int(std::clamp<qint64>(days, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The image file of a capture that was never stored: nothing refers to it.
void discardUnstored(const PasteboardCapture &capture)
{
    if (capture.item.assetPath)
        QFile::remove(*capture.item.assetPath);
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
    m_timer.setInterval(checkPasteboardIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PasteboardMonitor::checkPasteboard);
    // Recognition is slow and needs one core: one capture after the other.
    m_recognitionWorker.setMaxThreadCount(1);
}

PasteboardMonitor::~PasteboardMonitor()
{
    m_recognitionWorker.waitForDone();
}

// --- Life cycle -----------------------------------------------------------------------------------------------

void PasteboardMonitor::start(const AppPreferences &preferences)
{
    updatePreferences(preferences);
    m_timer.start();
}

void PasteboardMonitor::stop()
{
    m_timer.stop();
    dropPendingCopyAndMerge();
}

void PasteboardMonitor::updatePreferences(const AppPreferences &preferences)
{
    if (!preferences.copyAndMergeEnabled)
        dropPendingCopyAndMerge();
    m_preferences = preferences;
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
            m_deferredReadAttemptsRemaining = 0;
        }
    }
    m_paused = paused;
}

// --- The tick -------------------------------------------------------------------------------------------------

void PasteboardMonitor::checkPasteboard()
{
    if (m_paused)
        return;
    if (m_preferences.copyAndMergeEnabled)
        copyAndMergeTick();
    else
        captureChange();
}

void PasteboardMonitor::captureChange()
{
    auto capture = readIfChanged();
    if (!capture)
        return;
    if (auto stored = store(*capture); !stored) {
        logWriteFailure(stored.error());
        discardUnstored(*capture);
    }
}

std::optional<PasteboardCapture> PasteboardMonitor::readIfChanged()
{
    const qint64 changeCount = m_pasteboard.changeCount();
    bool skipped = false;
    if (changeCount != m_lastChangeCount) {
        m_lastChangeCount = changeCount;
        m_deferredReadAttemptsRemaining = 0;
        auto capture = readCapture(skipped);
        // Content that no reader can take yet is tried again on the next ticks.
        if (!capture && !skipped)
            m_deferredReadAttemptsRemaining = maxDeferredReadAttempts;
        return capture;
    }
    if (m_deferredReadAttemptsRemaining < 1)
        return std::nullopt;
    --m_deferredReadAttemptsRemaining;
    auto capture = readCapture(skipped);
    if (capture || skipped)
        m_deferredReadAttemptsRemaining = 0;
    return capture;
}

std::optional<PasteboardCapture> PasteboardMonitor::readCapture(bool &skipped)
{
    skipped = true;
    if (!shouldCaptureContent())
        return std::nullopt;
    const auto front = m_workspace.frontApplication();
    if (front && m_preferences.isIgnoredApplication(front->name, front->bundlePath))
        return std::nullopt;
    skipped = false;
    return m_reader.readItem(front, m_preferences.treatDigitNumbersAsColor);
}

bool PasteboardMonitor::shouldCaptureContent() const
{
    // Our own writes.
    if (m_pasteboard.data(PasteboardType::varnistoMarker()))
        return false;
    const QStringList types = m_pasteboard.types();
    if (m_preferences.ignoreTransientContent
        && (types.contains(PasteboardType::transient()) || types.contains(PasteboardType::autoGenerated())))
        return false;
    if (m_preferences.ignoreConcealedContent) {
        if (types.contains(PasteboardType::concealed()))
            return false;
        // Password managers here say so with a hint of their own.
        if (types.contains(PasteboardType::passwordManagerHint())
            && m_pasteboard.data(PasteboardType::passwordManagerHint()).value_or(QByteArray()).trimmed() == "secret")
            return false;
    }
    return true;
}

// --- Storing --------------------------------------------------------------------------------------------------

PasteboardMonitor::StoreResult PasteboardMonitor::store(const PasteboardCapture &capture)
{
    ClipboardItem item = capture.item;
    QList<ClipboardItem> resavedItems;
    const bool sequenceMode = m_preferences.copySequenceModeEnabled;
    if (sequenceMode) {
        auto sequenced = applyCopySequence(std::move(item));
        if (!sequenced)
            return StoreResult::failure(sequenced.error());
        item = std::move(sequenced->item);
        resavedItems = std::move(sequenced->resavedItems);
    }
    auto stored = m_store.insertOrMerge(item, sequenceMode);
    if (!stored)
        return stored;
    // The capture is stored whatever the prune does, so the delegate hears of it either way.
    auto removal = pruneExpiredItems(stored->id);
    if (!removal)
        logWriteFailure(removal.error());
    notifyDelegate(*stored, std::move(resavedItems), removal ? *removal : HistoryRemoval());
    if (capture.recognition)
        recognize(stored->id, capture);
    return stored;
}

Expected<PasteboardMonitor::SequenceResult, HistoryStoreError> PasteboardMonitor::applyCopySequence(ClipboardItem item)
{
    using R = Expected<SequenceResult, HistoryStoreError>;
    // The newest item that is not this content again.
    const QString key = item.contentKey();
    auto previous = firstRecentItem([&item, &key](const ClipboardItem &candidate) {
        return candidate.kind != item.kind || candidate.contentKey() != key;
    });
    if (!previous)
        return R::failure(previous.error());
    if (!*previous)
        return SequenceResult {std::move(item), {}};

    const ClipboardItem &before = **previous;
    const bool wroteSince = m_lastCopySequencePasteTime.isValid() && m_lastCopySequencePasteTime > before.copiedAt;
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

Expected<HistoryRemoval, HistoryStoreError> PasteboardMonitor::pruneExpiredItems(const QUuid &keptItemID)
{
    RetentionPolicy policy;
    policy.textRetentionDays = retentionDays(m_preferences.textRetentionDays);
    policy.imageRetentionDays = retentionDays(m_preferences.imageRetentionDays);
    policy.fileRetentionDays = retentionDays(m_preferences.fileRetentionDays);
    policy.linkRetentionDays = retentionDays(m_preferences.linkRetentionDays);
    policy.emailRetentionDays = retentionDays(m_preferences.emailRetentionDays);
    policy.colorRetentionDays = retentionDays(m_preferences.colorRetentionDays);
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
    const QString root = QDir::cleanPath(QDir(m_supportDirectory).absolutePath()) + u'/';
    for (const QString &path : std::as_const(removal->assetPaths)) {
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (absolute.startsWith(root) && !QFile::remove(absolute) && QFileInfo::exists(absolute))
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
    const std::function<bool(const ClipboardItem &)> &accepts)
{
    using R = Expected<std::optional<ClipboardItem>, HistoryStoreError>;
    const qint64 limit = m_preferences.historyItemLimit();
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

void PasteboardMonitor::copyAndMergeTick()
{
    auto capture = readIfChanged();
    if (!capture) {
        flushPendingCopyAndMerge();
        return;
    }
    if (!m_pendingCopyAndMerge) {
        holdForCopyAndMerge(std::move(*capture));
        return;
    }
    PasteboardCapture pending = std::move(*m_pendingCopyAndMerge);
    m_pendingCopyAndMerge.reset();
    m_pendingCopyAndMergeDeadline = QDateTime();
    if (pending.item.kind == capture->item.kind && pending.item.contentKey() == capture->item.contentKey()) {
        // The same content twice in a row: appended to the newest item, the first copy is not kept.
        discardUnstored(pending);
        if (auto merged = mergeIntoLatest(*capture); !merged) {
            logWriteFailure(merged.error());
            discardUnstored(*capture);
        }
        return;
    }
    // The new capture is held before the earlier one is stored, so that a failure to store that one does not
    // take the new one with it; its half second starts once the earlier one is stored.
    holdForCopyAndMerge(std::move(*capture));
    if (auto stored = store(pending); !stored) {
        logWriteFailure(stored.error());
        discardUnstored(pending);
    }
    m_pendingCopyAndMergeDeadline = m_clock.now().addMSecs(copyAndMergeHoldIntervalMs);
}

void PasteboardMonitor::holdForCopyAndMerge(PasteboardCapture capture)
{
    m_pendingCopyAndMerge = std::move(capture);
    m_pendingCopyAndMergeDeadline = m_clock.now().addMSecs(copyAndMergeHoldIntervalMs);
}

void PasteboardMonitor::dropPendingCopyAndMerge()
{
    if (m_pendingCopyAndMerge) {
        discardUnstored(*m_pendingCopyAndMerge);
        m_pendingCopyAndMerge.reset();
    }
    m_pendingCopyAndMergeDeadline = QDateTime();
}

void PasteboardMonitor::flushPendingCopyAndMerge()
{
    if (!m_pendingCopyAndMerge || m_clock.now() < m_pendingCopyAndMergeDeadline)
        return;
    PasteboardCapture pending = std::move(*m_pendingCopyAndMerge);
    m_pendingCopyAndMerge.reset();
    m_pendingCopyAndMergeDeadline = QDateTime();
    if (auto stored = store(pending); !stored) {
        logWriteFailure(stored.error());
        discardUnstored(pending);
    }
}

PasteboardMonitor::StoreResult PasteboardMonitor::mergeIntoLatest(const PasteboardCapture &capture)
{
    // The newest item that is not a favourite. The first copy was held back and never stored, so this is the
    // item before it.
    auto target = firstRecentItem([](const ClipboardItem &item) { return !item.isFavorite; });
    if (!target)
        return StoreResult::failure(target.error());
    if (!*target)
        return store(capture);
    auto merged = mergedItem(capture.item, **target);
    if (!merged)
        return StoreResult::failure(merged.error());
    if (!*merged)
        return store(capture);
    return saveMergedItem(**merged);
}

Expected<std::optional<ClipboardItem>, HistoryStoreError> PasteboardMonitor::mergedItem(
    const ClipboardItem &newItem, const ClipboardItem &target)
{
    using R = Expected<std::optional<ClipboardItem>, HistoryStoreError>;
    if (!isTextLike(target.kind) || !isTextLike(newItem.kind) || !target.text || !newItem.text)
        return std::optional<ClipboardItem>();
    ClipboardItem merged = target;
    const QString separator
        = CopyAndMergeSeparatorPreference::resolved(m_preferences.copyAndMergeSeparator).separatorText();
    merged.text = *target.text + separator + *newItem.text;
    merged.rtfData.reset();
    merged.html.reset();
    merged.assetPath.reset();
    merged.filePaths.clear();
    merged.kind = ClipboardKind::detect(*merged.text, m_preferences.treatDigitNumbersAsColor);
    merged.copiedAt = newItem.copiedAt;
    merged.byteSize = merged.text->toUtf8().size();
    merged.copyCount = target.copyCount + 1;
    merged.linkPreviewDetails.reset();
    auto names = tagNames(target.tags);
    if (!names)
        return R::failure(names.error());
    return std::optional<ClipboardItem>(merged.refreshingSearchText(*names));
}

PasteboardMonitor::StoreResult PasteboardMonitor::saveMergedItem(const ClipboardItem &merged)
{
    if (auto written = m_store.upsert(merged); !written)
        return StoreResult::failure(written.error());
    if (m_preferences.copyToClipboardAfterMerge && merged.text) {
        PasteboardContent content;
        content.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
        content.setString(PasteboardType::plainText(), *merged.text);
        if (auto written = m_pasteboard.write(content); written) {
            // Our own write is not a change to capture.
            m_lastChangeCount = m_pasteboard.changeCount();
            m_deferredReadAttemptsRemaining = 0;
        } else {
            qCInfo(lcServices) << "could not put the merged text on the clipboard:" << written.error();
        }
    }
    auto removal = pruneExpiredItems(merged.id);
    if (!removal)
        logWriteFailure(removal.error());
    notifyDelegate(merged, {}, removal ? *removal : HistoryRemoval());
    return merged;
}

// --- Recognition ----------------------------------------------------------------------------------------------

void PasteboardMonitor::recognize(const QUuid &storedItemID, const PasteboardCapture &capture)
{
    const RecognitionSource source = *capture.recognition;
    auto *watcher = new QFutureWatcher<TextRecognizer::Result>(this);
    ++m_recognitionsInFlight;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, storedItemID, capture] {
        --m_recognitionsInFlight;
        const TextRecognizer::Result result = watcher->result();
        watcher->deleteLater();
        // A failure is logged by the recogniser; the item keeps no recognised text.
        if (result)
            applyRecognition(storedItemID, capture, *result);
    });
    TextRecognizer *recognizer = &m_textRecognizer;
    watcher->setFuture(QtConcurrent::run(&m_recognitionWorker, [recognizer, source]() -> TextRecognizer::Result {
        QImage image = source.image;
        if (image.isNull() && !source.imageFilePath.isEmpty()) {
            QImageReader reader(source.imageFilePath);
            reader.setAutoTransform(true);
            image = reader.read();
            // A file that is no image after all holds nothing to recognise.
            if (image.isNull())
                return ImageRecognition();
        }
        return recognizer->recognize(image);
    }));
}

void PasteboardMonitor::applyRecognition(
    const QUuid &itemID, const PasteboardCapture &capture, const ImageRecognition &found)
{
    const auto text = found.text();
    const auto qrText = found.qrText();
    if (!text && !qrText)
        return;
    auto loaded = m_store.loadItems({itemID});
    if (!loaded) {
        logWriteFailure(loaded.error());
        return;
    }
    // Deleted or pruned meanwhile.
    if (loaded->isEmpty())
        return;
    ClipboardItem item = loaded->first();
    // Only while the item still shows what was recognised.
    const bool sameImage = capture.item.kind == ClipboardKind::image
        ? item.kind == ClipboardKind::image && item.assetPath == capture.item.assetPath
        : item.kind == ClipboardKind::file && !item.filePaths.isEmpty()
            && item.filePaths.first() == capture.item.filePaths.value(0);
    if (!sameImage)
        return;

    // As if the text had been there at the capture: the text is replaced, earlier QR text stays unless new
    // QR codes were found.
    item.text = text;
    if (qrText)
        item.qrCodeText = qrText;
    auto names = tagNames(item.tags);
    if (!names) {
        logWriteFailure(names.error());
        return;
    }
    item = PasteboardReader::refreshingCaptureSearchText(item, *names);
    if (auto written = m_store.upsert(item); !written) {
        logWriteFailure(written.error());
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, item] {
            if (m_delegate)
                m_delegate->pasteboardMonitorDidUpdate(item);
        },
        Qt::QueuedConnection);
}
