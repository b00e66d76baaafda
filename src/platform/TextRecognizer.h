#pragma once

#include "Expected.h"

#include <QFlags>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

// What recognition found in one image: the text lines, top to bottom, and the payloads of the QR codes, each
// as the engine gave it (not trimmed; empty ones may occur).
struct ImageRecognition
{
    QStringList textLines;
    QStringList qrPayloads;

    // The lines trimmed of white space and newlines, empty ones dropped, joined with "\n"; nothing when none is
    // left. This is how an item keeps its recognised text and its QR text.
    static std::optional<QString> joined(const QStringList &pieces);
    std::optional<QString> text() const { return joined(textLines); }
    std::optional<QString> qrText() const { return joined(qrPayloads); }

    bool operator==(const ImageRecognition &) const = default;
};

// Text and QR-code recognition of images. Reading text is slow (a screenshot takes a good part of a second):
// call recognize() with Text only off the GUI thread, or use recognizeAsync(). QR codes alone are fast enough
// for the GUI thread. Every failure is written to the log as "Varnisto image content recognition failed: "
// followed by its description, and also returned; callers do not log it again.
class TextRecognizer : public QObject
{
    Q_OBJECT

public:
    enum Part { Text = 0x1, QRCodes = 0x2 };
    Q_DECLARE_FLAGS(Parts, Part)

    using Result = Expected<ImageRecognition, QString>;
    using Callback = std::function<void(const Result &)>;

    explicit TextRecognizer(QObject *parent = nullptr);
    // Waits for recognition still running on the worker.
    ~TextRecognizer() override;

    // Recognises on the calling thread. Safe to call from any thread; calls are serialised where the engine
    // needs it. A null image gives an empty result, not a failure.
    Result recognize(const QImage &image, Parts parts = Parts(Text | QRCodes));

    // Recognises on the recogniser's own worker thread (one at a time, in order of request) and calls back on
    // the thread of `context` (call this from that thread, usually the GUI thread). Nothing is called when
    // `context` is destroyed first.
    void recognizeAsync(const QImage &image, Parts parts, QObject *context, Callback callback);
    // The same for an image file, read on the worker (turned as its orientation says). A file that holds no
    // image gives an empty result, not a failure.
    void recognizeAsync(const QString &imageFilePath, Parts parts, QObject *context, Callback callback);

protected:
    // The engine's work; called on any thread, one call at a time per recogniser.
    virtual Expected<QStringList, QString> recognizeTextLines(const QImage &image) = 0;
    virtual Expected<QStringList, QString> readQRCodes(const QImage &image) = 0;
    // Subclasses that own an engine wait here for queued work before their members go.
    void waitForPendingWork();

private:
    void runAsync(std::function<Result()> work, QObject *context, Callback callback);

    QThreadPool m_worker;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TextRecognizer::Parts)

// A recogniser whose answers the test sets.
class MemoryTextRecognizer final : public TextRecognizer
{
    Q_OBJECT

public:
    using TextRecognizer::TextRecognizer;
    ~MemoryTextRecognizer() override { waitForPendingWork(); }

    void setResult(const ImageRecognition &result);
    // Every later request fails with this description (nothing: succeed again).
    void setFailure(std::optional<QString> description);
    // How often the text lines and the QR codes were asked for.
    int textRequestCount() const;
    int qrRequestCount() const;

protected:
    Expected<QStringList, QString> recognizeTextLines(const QImage &image) override;
    Expected<QStringList, QString> readQRCodes(const QImage &image) override;

private:
    mutable QMutex m_mutex;
    ImageRecognition m_result;
    std::optional<QString> m_failure;
    int m_textRequestCount = 0;
    int m_qrRequestCount = 0;
};
