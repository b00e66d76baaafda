#include "TesseractTextRecognizer.h"

#include <QMutexLocker>
#include <QPainter>

#include <ZXing/ReadBarcode.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <cmath>
#include <exception>

namespace {

// tesseract parallelises parts of its work with OpenMP, some of it with a fixed thread count that the usual
// per-thread setting does not cap. Recognition is meant to take one core: no OpenMP region may become active.
// The OpenMP runtime comes with tesseract, so its functions are looked up rather than linked; nothing else in the
// program uses OpenMP.
void limitOpenMPToOneThread()
{
    using SetCount = void (*)(int);
    static const auto setMaxActiveLevels = reinterpret_cast<SetCount>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    static const auto setThreadCount = reinterpret_cast<SetCount>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (setMaxActiveLevels)
        setMaxActiveLevels(0);
    if (setThreadCount)
        setThreadCount(1);
}

// An 8-bit grey image no larger than the pixel limit, transparent parts laid on white.
QImage preparedGreyImage(const QImage &image)
{
    QImage source = image;
    const qint64 pixels = qint64(source.width()) * source.height();
    if (pixels > TesseractTextRecognizer::maximumPixelCount) {
        const double factor = std::sqrt(double(TesseractTextRecognizer::maximumPixelCount) / double(pixels));
        const int width = qMax(1, int(source.width() * factor));
        const int height = qMax(1, int(source.height() * factor));
        source = source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (source.hasAlphaChannel()) {
        QImage opaque(source.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, source);
        painter.end();
        source = std::move(opaque);
    }
    return source.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

struct TesseractTextRecognizer::Engine
{
    tesseract::TessBaseAPI api;
    bool started = false;
    std::optional<QString> startFailure;
};

TesseractTextRecognizer::TesseractTextRecognizer(QObject *parent)
    : TextRecognizer(parent), m_engine(std::make_unique<Engine>())
{ }

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    waitForPendingWork();
}

Expected<QStringList, QString> TesseractTextRecognizer::recognizeTextLines(const QImage &image)
{
    using Lines = Expected<QStringList, QString>;
    QMutexLocker locker(&m_engineMutex);
    limitOpenMPToOneThread();
    Engine &engine = *m_engine;
    if (!engine.started) {
        engine.started = true;
        if (engine.api.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0)
            engine.startFailure = QStringLiteral("the English text recognition model could not be loaded");
        else
            engine.api.SetVariable("debug_file", "/dev/null");
    }
    if (engine.startFailure)
        return Lines::failure(*engine.startFailure);

    try {
        const QImage grey = preparedGreyImage(image);
        engine.api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
        // Screen content has no recorded resolution; this spares tesseract the guess.
        engine.api.SetSourceResolution(96);
        if (engine.api.Recognize(nullptr) != 0) {
            engine.api.Clear();
            return Lines::failure(QStringLiteral("the text in the image could not be recognised"));
        }
        QStringList lines;
        std::unique_ptr<tesseract::ResultIterator> iterator(engine.api.GetIterator());
        if (iterator && !iterator->Empty(tesseract::RIL_TEXTLINE)) {
            do {
                const std::unique_ptr<char[]> text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (text)
                    lines.append(QString::fromUtf8(text.get()));
            } while (iterator->Next(tesseract::RIL_TEXTLINE));
        }
        engine.api.Clear();
        return lines;
    } catch (const std::exception &error) {
        engine.api.Clear();
        return Lines::failure(QString::fromLocal8Bit(error.what()));
    }
}

Expected<QStringList, QString> TesseractTextRecognizer::readQRCodes(const QImage &image)
{
    using Payloads = Expected<QStringList, QString>;
    try {
        const QImage grey = preparedGreyImage(image);
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode);
        const ZXing::ImageView view(
            grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
        QStringList payloads;
        for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
            if (result.isValid())
                payloads.append(QString::fromStdString(result.text()));
        }
        return payloads;
    } catch (const std::exception &error) {
        return Payloads::failure(QString::fromLocal8Bit(error.what()));
    }
}
