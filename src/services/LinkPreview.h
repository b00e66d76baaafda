#pragma once

#include "ClipboardItem.h"
#include "Url.h"

#include <QImage>
#include <QString>

#include <optional>

// A link preview as it is shown: the stored form (LinkPreviewDetails) with its two pictures loaded.
struct LinkPreview
{
    Url url; // the page; after a fetch, the address that was asked for (not the one redirects led to)
    std::optional<QString> title;
    std::optional<QString> description;
    QImage image; // the preview picture; null when there is none
    QImage favicon; // the page icon; null when there is none
};

// The preview of a stored link item, rebuilt from its details without any network access; the two pictures are
// read from their files on every call. Nothing for an item that is not a link, has no details or no usable
// address.
std::optional<LinkPreview> storedLinkPreview(const ClipboardItem &item);
