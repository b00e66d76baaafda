#include "LinkPreview.h"

namespace {

QImage imageFromFile(const std::optional<QString> &path)
{
    if (!path || path->isEmpty())
        return {};
    return QImage(*path);
}

} // namespace

std::optional<LinkPreview> storedLinkPreview(const ClipboardItem &item)
{
    if (item.kind != ClipboardKind::link || !item.linkPreviewDetails)
        return std::nullopt;
    const LinkPreviewDetails &details = *item.linkPreviewDetails;

    std::optional<Url> url;
    if (!details.url.isEmpty())
        url = Url::parse(details.url);
    if (!url && item.text)
        url = ClipboardItem::linkURL(*item.text);
    if (!url)
        return std::nullopt;

    return LinkPreview {
        *url, details.title, details.description, imageFromFile(details.imagePath), imageFromFile(details.faviconPath)};
}
