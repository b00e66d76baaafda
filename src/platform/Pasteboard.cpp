#include "Pasteboard.h"

#include <QStringDecoder>

void PasteboardContent::setData(const QString &type, const QByteArray &data)
{
    for (auto &representation : m_representations) {
        if (representation.first == type) {
            representation.second = data;
            return;
        }
    }
    m_representations.append({type, data});
}

void PasteboardContent::setFileURLs(const QList<QUrl> &urls)
{
    QByteArray list;
    for (const QUrl &url : urls)
        list += url.toEncoded() + "\r\n";
    setData(PasteboardType::fileURLs(), list);
}

QStringList PasteboardContent::types() const
{
    QStringList result;
    result.reserve(m_representations.size());
    for (const auto &representation : m_representations)
        result.append(representation.first);
    return result;
}

bool PasteboardContent::hasType(const QString &type) const
{
    for (const auto &representation : m_representations) {
        if (representation.first == type)
            return true;
    }
    return false;
}

std::optional<QByteArray> PasteboardContent::data(const QString &type) const
{
    for (const auto &representation : m_representations) {
        if (representation.first == type)
            return representation.second;
    }
    return std::nullopt;
}

PasteboardContent Pasteboard::snapshot() const
{
    PasteboardContent content;
    for (const QString &type : types()) {
        if (auto bytes = data(type))
            content.setData(type, *bytes);
    }
    return content;
}

std::optional<QString> Pasteboard::string(const QString &type) const
{
    auto bytes = data(type);
    if (!bytes)
        return std::nullopt;
    if (bytes->startsWith("\xff\xfe") || bytes->startsWith("\xfe\xff")) {
        auto decoder = QStringDecoder(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        return QString(decoder(*bytes));
    }
    if (bytes->startsWith("\xef\xbb\xbf"))
        bytes->remove(0, 3);
    // Some owners end their text with a NUL.
    while (bytes->endsWith('\0'))
        bytes->chop(1);
    return QString::fromUtf8(*bytes);
}

std::optional<QList<QUrl>> Pasteboard::fileURLs() const
{
    const auto list = data(PasteboardType::fileURLs());
    if (!list)
        return std::nullopt;
    QList<QUrl> urls;
    const QList<QByteArray> lines = list->split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (!url.isValid() || !url.isLocalFile())
            return std::nullopt;
        urls.append(url);
    }
    if (urls.isEmpty())
        return std::nullopt;
    return urls;
}

std::optional<QImage> Pasteboard::image() const
{
    static const char *const formats[][2] = {
        {"image/png", "PNG"},
        {"image/tiff", "TIFF"},
        {"image/jpeg", "JPEG"},
        {"image/bmp", "BMP"},
    };
    for (const auto &format : formats) {
        const auto bytes = data(QLatin1String(format[0]));
        if (!bytes || bytes->isEmpty())
            continue;
        QImage image;
        if (image.loadFromData(*bytes, format[1]) && !image.isNull())
            return image;
    }
    return std::nullopt;
}
