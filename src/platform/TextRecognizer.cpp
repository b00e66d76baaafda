#include "TextRecognizer.h"

#include "TextUtilities.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QImageReader>
#include <QMutexLocker>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

std::optional<QString> ImageRecognition::joined(const QStringList &pieces)
{
    QStringList kept;
    for (const QString &piece : pieces) {
        QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(piece);
        if (!trimmed.isEmpty())
            kept.append(std::move(trimmed));
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(u'\n');
}

TextRecognizer::TextRecognizer(QObject *parent) : QObject(parent)
{
    // One worker, kept alive: requests run one after another on the same thread and the same engine.
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
    // Recognition is background work: it takes only the time the rest of the system leaves (SCHED_IDLE).
    m_worker.setThreadPriority(QThread::IdlePriority);
}

TextRecognizer::~TextRecognizer()
{
    waitForPendingWork();
}

void TextRecognizer::waitForPendingWork()
{
    m_worker.waitForDone();
}

TextRecognizer::Result TextRecognizer::recognize(const QImage &image, Parts parts)
{
    ImageRecognition recognition;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return recognition;
    auto fail = [](const QString &description) {
        qWarning().noquote() << QStringLiteral("Varnisto image content recognition failed: ") + description;
        return Result::failure(description);
    };
    if (parts.testFlag(Text)) {
        auto lines = recognizeTextLines(image);
        if (!lines)
            return fail(lines.error());
        recognition.textLines = std::move(lines).value();
    }
    if (parts.testFlag(QRCodes)) {
        auto payloads = readQRCodes(image);
        if (!payloads)
            return fail(payloads.error());
        recognition.qrPayloads = std::move(payloads).value();
    }
    return recognition;
}

void TextRecognizer::recognizeAsync(const QImage &image, Parts parts, QObject *context, Callback callback)
{
    runAsync([this, image, parts] { return recognize(image, parts); }, context, std::move(callback));
}

void TextRecognizer::recognizeAsync(const QString &imageFilePath, Parts parts, QObject *context, Callback callback)
{
    runAsync(
        [this, imageFilePath, parts]() -> Result {
            QImageReader reader(imageFilePath);
            reader.setAutoTransform(true);
            // A null image (no image after all) gives the empty result.
            return recognize(reader.read(), parts);
        },
        context, std::move(callback));
}

void TextRecognizer::runAsync(std::function<Result()> work, QObject *context, Callback callback)
{
    Q_ASSERT(context);
    // The watcher lives on the caller's thread and dies with the context, which silences the callback.
    auto *watcher = new QFutureWatcher<Result>(context);
    connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, callback = std::move(callback)] {
        callback(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&m_worker, std::move(work)));
}

void MemoryTextRecognizer::setResult(const ImageRecognition &result)
{
    QMutexLocker locker(&m_mutex);
    m_result = result;
}

void MemoryTextRecognizer::setFailure(std::optional<QString> description)
{
    QMutexLocker locker(&m_mutex);
    m_failure = std::move(description);
}

int MemoryTextRecognizer::textRequestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_textRequestCount;
}

int MemoryTextRecognizer::qrRequestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_qrRequestCount;
}

Expected<QStringList, QString> MemoryTextRecognizer::recognizeTextLines(const QImage &)
{
    QMutexLocker locker(&m_mutex);
    ++m_textRequestCount;
    if (m_failure)
        return Expected<QStringList, QString>::failure(*m_failure);
    return m_result.textLines;
}

Expected<QStringList, QString> MemoryTextRecognizer::readQRCodes(const QImage &)
{
    QMutexLocker locker(&m_mutex);
    ++m_qrRequestCount;
    if (m_failure)
        return Expected<QStringList, QString>::failure(*m_failure);
    return m_result.qrPayloads;
}
