#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// An address split into its generic components (scheme, authority, path, query, fragment) without any
// normalisation, so that it can be rebuilt exactly as it was written. QUrl is not used for this because it
// lower-cases, maps and re-encodes parts of what it is given.
class Url
{
public:
    // Splits an absolute or relative reference. Refuses text with characters that an address cannot hold
    // (white space, controls, "<", ">", quotes, braces, "|", "\", "^", "`", a "%" not followed by two
    // hexadecimal digits) or a malformed authority. Characters beyond ASCII are accepted as they stand.
    static std::optional<Url> parse(const QString &text);

    std::optional<QString> scheme;
    bool hasAuthority = false;
    std::optional<QString> userInfo;
    QString host; // empty when there is no authority or the authority names none
    std::optional<QString> port;
    QString path;
    std::optional<QString> query;
    std::optional<QString> fragment;

    // The address rebuilt from its components.
    QString toString() const;
    QUrl toQUrl() const { return QUrl(toString(), QUrl::TolerantMode); }

    bool operator==(const Url &) const = default;
};
