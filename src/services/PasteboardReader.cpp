#include "PasteboardReader.h"

#include "Coding.h"
#include "FileTypes.h"
#include "RichTextConversion.h"
#include "TextUtilities.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

namespace {

QString imageFileName(const QUuid &id)
{
    return Coding::uuidString(id) + QStringLiteral(".png");
}

// The last component of a path, as a file URL names it: a trailing slash (a folder) does not count.
QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    if (slash < 0 || end == 1)
        return path.left(end);
    return path.mid(slash + 1, end - slash - 1);
}

QString fileNames(const QStringList &paths)
{
    QStringList names;
    names.reserve(paths.size());
    for (const QString &path : paths)
        names.append(lastPathComponent(path));
    return names.join(u' ');
}

qint64 fileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

qint64 utf8Length(const QString &text)
{
    // The UTF-8 length without building the bytes: 1 to 3 bytes per UTF-16 unit, 4 for a surrogate pair.
    qint64 length = 0;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c < 0x80) {
            length += 1;
        } else if (c < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(data[i + 1].unicode())) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

// The image on the pasteboard with its PNG encoding. PNG data that the owner offers is kept as it came (it is
// the same picture, and encoding a screenshot again costs more than everything else in a capture); any other
// format is encoded as PNG.
struct PasteboardImage
{
    QImage image;
    QByteArray png;
};

std::optional<PasteboardImage> pasteboardImage(const Pasteboard &pasteboard)
{
    if (const auto png = pasteboard.data(PasteboardType::png()); png && !png->isEmpty()) {
        QImage image;
        if (image.loadFromData(*png, "PNG") && !image.isNull())
            return PasteboardImage {image, *png};
    }
    const auto image = pasteboard.image();
    if (!image || image->isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly))
        return std::nullopt;
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(*image) || png.isEmpty())
        return std::nullopt;
    return PasteboardImage {*image, png};
}

// Whether a plain text offered beside an image only names it: a web address, a file URL or path, or the file
// name of an image. Browsers and image viewers offer such a text with a copied picture.
bool namesTheImage(const QString &plain)
{
    const QString text = TextUtilities::trimmedWhitespaceAndNewlines(plain);
    if (text.contains(u'\n') || text.contains(u'\r'))
        return false;
    if (ClipboardItem::linkURL(text))
        return true;
    if (text.startsWith(u'/') || text.startsWith(QLatin1StringView("~/"))
        || text.startsWith(QLatin1StringView("file:/"), Qt::CaseInsensitive))
        return true;
    // Only a name with an extension: the file's content is never looked at for a text.
    return !QFileInfo(text).suffix().isEmpty() && isImageFilePath(text);
}

// Whether HTML holds more than a picture: any visible text, a table (of cells, empty ones too), or more than one
// image element. A copied picture comes with HTML of one <img> element, and nothing else.
bool htmlHoldsMoreThanAnImage(const QString &html)
{
    int images = 0;
    const qsizetype size = html.size();
    for (qsizetype at = html.indexOf(u'<'); at >= 0 && at + 1 < size; at = html.indexOf(u'<', at + 1)) {
        if (QStringView(html).sliced(at).startsWith(QLatin1StringView("<!--"))) {
            at = html.indexOf(QLatin1StringView("-->"), at + 4);
            if (at < 0)
                break;
            continue;
        }
        qsizetype end = at + 1;
        while (end < size && html.at(end).isLetterOrNumber())
            ++end;
        const QStringView name = QStringView(html).sliced(at + 1, end - at - 1);
        if (name.compare(QLatin1StringView("img"), Qt::CaseInsensitive) == 0 && ++images > 1)
            return true;
        if (name.compare(QLatin1StringView("table"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return !TextUtilities::isBlank(RichTextConversion::plainTextFromHtml(html));
}

bool offersImage(const Pasteboard &pasteboard)
{
    const QStringList types = pasteboard.types();
    return std::any_of(types.cbegin(), types.cend(),
        [](const QString &type) { return type.startsWith(QLatin1StringView("image/"), Qt::CaseInsensitive); });
}

} // namespace

PasteboardReader::PasteboardReader(const Pasteboard &pasteboard, QString supportDirectory, const Clock &clock)
    : m_pasteboard(pasteboard), m_supportDirectory(std::move(supportDirectory)), m_clock(clock)
{ }

QString PasteboardReader::imagesDirectory() const
{
    return QDir(m_supportDirectory).filePath(QStringLiteral("Images"));
}

std::optional<PasteboardCapture> PasteboardReader::readItem(
    const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const
{
    if (auto capture = readFiles(source))
        return capture;
    if (!imageRendersText()) {
        if (auto capture = readImage(source))
            return capture;
    }
    if (auto capture = readRichText(source, treatDigitNumbersAsColor))
        return capture;
    return readPlainText(source, treatDigitNumbersAsColor);
}

ClipboardItem PasteboardReader::newItem(ClipboardKind kind, const std::optional<RunningApplication> &source) const
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    if (source && !source->name.isEmpty())
        item.sourceAppName = source->name;
    if (source && !source->bundleIdentifier.isEmpty())
        item.sourceBundleIdentifier = source->bundleIdentifier;
    return item;
}

std::optional<QString> PasteboardReader::plainString() const
{
    if (auto text = m_pasteboard.string(PasteboardType::plainText()))
        return text;
    return m_pasteboard.string(PasteboardType::plainTextUtf8());
}

bool PasteboardReader::imageRendersText() const
{
    if (!offersImage(m_pasteboard))
        return false;
    if (const auto plain = plainString(); plain && !TextUtilities::isBlank(*plain) && !namesTheImage(*plain))
        return true;
    if (const auto html = m_pasteboard.string(PasteboardType::html()); html && htmlHoldsMoreThanAnImage(*html))
        return true;
    auto rtf = m_pasteboard.data(PasteboardType::rtf());
    if (!rtf)
        rtf = m_pasteboard.data(PasteboardType::rtfAlternative());
    return rtf && !TextUtilities::isBlank(RichTextConversion::plainTextFromRtf(*rtf));
}

std::optional<PasteboardCapture> PasteboardReader::readFiles(const std::optional<RunningApplication> &source) const
{
    const auto urls = m_pasteboard.fileURLs();
    if (!urls || urls->isEmpty())
        return std::nullopt;

    PasteboardCapture capture;
    ClipboardItem &item = capture.item;
    item = newItem(ClipboardKind::file, source);
    for (const QUrl &url : *urls)
        item.filePaths.append(url.toLocalFile());
    for (const QString &path : std::as_const(item.filePaths))
        item.byteSize += fileSize(path);
    // Only the first file is looked into, however many there are.
    if (isImageFilePath(item.filePaths.first()))
        capture.recognition = RecognitionSource {QImage(), item.filePaths.first()};
    item.copiedAt = m_clock.now();
    item.firstCopiedAt = item.copiedAt;
    item = refreshingCaptureSearchText(item, {});
    return capture;
}

std::optional<PasteboardCapture> PasteboardReader::readImage(const std::optional<RunningApplication> &source) const
{
    auto image = pasteboardImage(m_pasteboard);
    if (!image)
        return std::nullopt;

    const QString directory = imagesDirectory();
    QDir().mkpath(directory);
    PasteboardCapture capture;
    ClipboardItem &item = capture.item;
    item = newItem(ClipboardKind::image, source);
    const QString path = QDir(directory).filePath(imageFileName(item.id));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image->png) != image->png.size() || !file.commit())
        return std::nullopt; // the next readers still get the change

    item.assetPath = path;
    item.byteSize = image->png.size();
    capture.recognition = RecognitionSource {image->image, QString()};
    item.copiedAt = m_clock.now();
    item.firstCopiedAt = item.copiedAt;
    item = refreshingCaptureSearchText(item, {});
    return capture;
}

std::optional<PasteboardCapture> PasteboardReader::readRichText(
    const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const
{
    auto rtf = m_pasteboard.data(PasteboardType::rtf());
    if (!rtf)
        rtf = m_pasteboard.data(PasteboardType::rtfAlternative());
    const auto html = m_pasteboard.string(PasteboardType::html());
    if (!rtf && !html)
        return std::nullopt;
    const auto plain = plainString();

    ClipboardKind kind = ClipboardKind::richText;
    if (plain) {
        const ClipboardKind detected = ClipboardKind::detect(*plain, treatDigitNumbersAsColor);
        if (detected == ClipboardKind::link || detected == ClipboardKind::email || detected == ClipboardKind::color)
            kind = detected;
    }
    PasteboardCapture capture;
    ClipboardItem &item = capture.item;
    item = newItem(kind, source);
    item.text = plain;
    item.rtfData = rtf;
    item.html = html;
    item.byteSize = (rtf ? rtf->size() : 0) + (html ? utf8Length(*html) : 0) + (plain ? utf8Length(*plain) : 0);
    item.copiedAt = m_clock.now();
    item.firstCopiedAt = item.copiedAt;
    item = item.refreshingSearchText({});
    return capture;
}

std::optional<PasteboardCapture> PasteboardReader::readPlainText(
    const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const
{
    auto plain = plainString();
    if (!plain || TextUtilities::isBlank(*plain))
        return std::nullopt;
    PasteboardCapture capture;
    ClipboardItem &item = capture.item;
    item = newItem(ClipboardKind::detect(*plain, treatDigitNumbersAsColor), source);
    item.byteSize = utf8Length(*plain);
    item.text = std::move(plain);
    item.copiedAt = m_clock.now();
    item.firstCopiedAt = item.copiedAt;
    item = item.refreshingSearchText({});
    return capture;
}

ClipboardItem PasteboardReader::refreshingCaptureSearchText(const ClipboardItem &item, const QStringList &tagNames)
{
    if (item.kind == ClipboardKind::file) {
        QStringList parts {fileNames(item.filePaths)};
        if (!tagNames.isEmpty())
            parts.append(tagNames.join(u' '));
        if (item.text)
            parts.append(*item.text);
        if (item.qrCodeText)
            parts.append(*item.qrCodeText);
        ClipboardItem result = item;
        result.searchText = parts.join(u' ');
        return result;
    }
    if (item.kind == ClipboardKind::image && item.assetPath && item.filePaths.isEmpty()) {
        // The general rule, with the asset file's name where the file paths go.
        ClipboardItem named = item;
        named.filePaths = {QFileInfo(*item.assetPath).fileName()};
        ClipboardItem result = item;
        result.searchText = named.refreshingSearchText(tagNames).searchText;
        return result;
    }
    return item.refreshingSearchText(tagNames);
}
