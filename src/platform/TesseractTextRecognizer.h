#pragma once

#include "TextRecognizer.h"

#include <QMutex>

#include <memory>

// Text lines with tesseract (the English LSTM model, one engine kept initialised from its first use, one core),
// QR codes with zxing. Images above 16 megapixels are scaled down first; transparent parts count as white. Only
// the regions with text-like structure are read (light text on dark turned dark on light first), so an image
// without any, such as a photo, costs only the look for it.
class TesseractTextRecognizer final : public TextRecognizer
{
    Q_OBJECT

public:
    static constexpr qint64 maximumPixelCount = 16'000'000;

    explicit TesseractTextRecognizer(QObject *parent = nullptr);
    ~TesseractTextRecognizer() override;

protected:
    Expected<QStringList, QString> recognizeTextLines(const QImage &image) override;
    Expected<QStringList, QString> readQRCodes(const QImage &image) override;

private:
    struct Engine;
    QMutex m_engineMutex;
    std::unique_ptr<Engine> m_engine;
};
