#pragma once

#include <QString>

// Encodings and decodings, digests, extraction and generation. Encoders read the text as UTF-8; a decoder whose
// input is not what it decodes, or whose bytes are not UTF-8, returns the input unchanged.
namespace EncodingsAndExtraction {

QString base64Encode(const QString &text);
QString base64Decode(const QString &text);
QString hexEncode(const QString &text);
QString hexDecode(const QString &text);
QString urlEncode(const QString &text);
QString urlDecode(const QString &text);
QString htmlEncode(const QString &text);
QString htmlDecode(const QString &text);
QString escapeRegex(const QString &text);
QString md5Hash(const QString &text);
QString sha256Hash(const QString &text);
QString generateUUID();
QString extractEmails(const QString &text);
QString extractURLs(const QString &text);
QString extractNumbers(const QString &text);

} // namespace EncodingsAndExtraction
