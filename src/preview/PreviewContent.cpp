#include "PreviewContent.h"

#include "ColorText.h"
#include "FileTypes.h"
#include "ImageDensity.h"
#include "RichTextConversion.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace {

// The space around the content view, on each side.
constexpr double contentInset = 6;

PreviewContent plainText(const ClipboardItem &item)
{
    PreviewContent content;
    content.kind = PreviewContent::Kind::text;
    content.text = item.primaryText();
    return content;
}

bool isWebAddress(const Url &url)
{
    const QString scheme = url.scheme.value_or(QString()).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

std::optional<QSizeF> imageFileDisplaySize(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return std::nullopt;
    QSize pixels = reader.size();
    if (!pixels.isValid() || pixels.isEmpty())
        return std::nullopt;
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        pixels.transpose();
    return imageSizeInPoints(pixels, path);
}

PreviewContent PreviewContent::make(const ClipboardItem &item)
{
    switch (item.kind) {
    case ClipboardKind::text:
    case ClipboardKind::email:
        return plainText(item);
    case ClipboardKind::richText:
        // HTML is shown as Qt's rich-text document renders it; RTF, which Qt cannot read, as its text.
        if (item.html && !item.html->trimmed().isEmpty()) {
            PreviewContent content;
            content.html = *item.html;
            content.text = RichTextConversion::plainTextFromHtml(*item.html);
            content.monospaced = false;
            return content;
        }
        if (item.rtfData && !item.rtfData->isEmpty() && item.rtfData->startsWith("{\\rtf")) {
            const QString text = RichTextConversion::plainTextFromRtf(*item.rtfData);
            if (!text.isEmpty()) {
                PreviewContent content;
                content.text = text;
                content.monospaced = false;
                return content;
            }
        }
        return plainText(item);
    case ClipboardKind::link:
        if (item.text) {
            if (const auto url = ClipboardItem::linkURL(*item.text); url && isWebAddress(*url)) {
                PreviewContent content;
                content.kind = Kind::webPage;
                content.url = url->toQUrl();
                return content;
            }
        }
        return plainText(item);
    case ClipboardKind::color: {
        const QString text = item.primaryText();
        if (const auto color = colorFromColorString(text)) {
            PreviewContent content;
            content.kind = Kind::color;
            content.color = *color;
            content.colorText = text.trimmed();
            return content;
        }
        return plainText(item);
    }
    case ClipboardKind::image:
        if (item.assetPath) {
            if (const auto size = imageFileDisplaySize(*item.assetPath)) {
                PreviewContent content;
                content.kind = Kind::image;
                content.imagePath = *item.assetPath;
                content.imageSize = *size;
                return content;
            }
        }
        return plainText(item);
    case ClipboardKind::file:
        break;
    }

    PreviewContent content;
    if (item.filePaths.size() == 1 && QFileInfo::exists(item.filePaths.first())) {
        const QString path = item.filePaths.first();
        if (isImageFilePath(path)) {
            if (const auto size = imageFileDisplaySize(path)) {
                content.kind = Kind::image;
                content.imagePath = path;
                content.imageSize = *size;
                return content;
            }
        }
        content.kind = Kind::fileQuickLook;
        content.url = QUrl::fromLocalFile(path);
        return content;
    }
    content.kind = Kind::fileList;
    content.paths = item.filePaths;
    return content;
}

QSizeF PreviewContent::size(const ClipboardItem &item, const QSizeF &maximum, double detailsHeight) const
{
    const double W = maximum.width(), H = maximum.height(), d = detailsHeight;
    const double A = std::max(H - d, 150.0);
    switch (kind) {
    case Kind::image: {
        const double w = imageSize.width(), h = imageSize.height();
        double s = 1;
        if (w > 1)
            s = std::min(s, std::max(W - 2 * contentInset, 1.0) / w);
        if (h > 1)
            s = std::min(s, std::max(A - 2 * contentInset, 1.0) / h);
        return {std::min(std::max(w * s + 2 * contentInset, 360.0), W), std::min(h * s + 2 * contentInset, A)};
    }
    case Kind::fileQuickLook:
        return {std::min(W, 600.0), std::min(400 - d, A)};
    case Kind::fileList:
        return {std::min(W, 560.0), std::min(double(paths.size()) * 52 + 48, A)};
    case Kind::color:
        return {std::min(W, 420.0), std::min(A, 340.0)};
    case Kind::webPage:
        return {std::min(W, 1280.0), std::min(680 - d, A)};
    case Kind::text:
        break;
    }
    const double height = item.kind == ClipboardKind::email ? 300 : 400;
    return {std::min(W, 640.0), std::min(height - d, A)};
}

bool hasSamePreviewContent(const ClipboardItem &a, const ClipboardItem &b)
{
    return a.id == b.id && a.kind == b.kind && a.text == b.text && a.html == b.html && a.rtfData == b.rtfData
        && a.assetPath == b.assetPath && a.filePaths == b.filePaths;
}
