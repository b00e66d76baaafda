#pragma once

#include "Url.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a link preview shows, read from the beginning of a web page: the title, the description, the preview
// image's address and the icon addresses to try, in order. The page is not parsed as a document: meta, link and
// title elements are found with regular expressions over the raw text (also inside comments and scripts).
struct LinkPreviewMetadata
{
    std::optional<QString> title; // cleaned, not empty
    std::optional<QString> description; // cleaned, not empty
    std::optional<Url> imageURL; // absolute
    // Absolute, without repetitions: apple-touch icons, PNG icons, other icons, ICO icons (each group in page
    // order), then "/favicon.png" and "/favicon.ico" of the site unless the page already lists them.
    QList<Url> faviconURLs;

    // Never fails; relative addresses resolve against the base address.
    static LinkPreviewMetadata parse(const QString &html, const Url &baseURL);

    // --- The steps, exposed for their tests ----------------------------------------------------------------

    using Attributes = QHash<QString, QString>; // lower-cased name -> cleaned value

    // The texts of every match of an element pattern (ICU syntax, case-insensitive, "." matching line ends, ending
    // with ">").
    static QStringList tagMatches(const QString &pattern, const QString &html);
    // The attributes written with "=" and a value; a repeated name keeps its last value.
    static Attributes tagAttributes(const QString &element);
    // The five XML entities and numeric character references replaced (other named entities stay as written),
    // white-space runs made single spaces, and the ends trimmed.
    static QString cleanedText(const QString &text);
    // The "content" of the first meta element whose "property" or "name" is the key, for the first key that
    // gives a non-empty one.
    static std::optional<QString> firstMetaContent(const QStringList &keys, const QList<Attributes> &metaElements);
    // The reference resolved against the base; nothing when it is empty or not an address.
    static std::optional<Url> resolvedURL(const QString &reference, const Url &baseURL);

    struct FaviconCandidate
    {
        int priority = 0; // 0 apple-touch icon, 1 PNG, 2 other, 3 ICO
        Url url;
    };
    static std::optional<FaviconCandidate> faviconCandidate(const Attributes &link, const Url &baseURL);
};
