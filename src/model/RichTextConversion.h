#pragma once

#include <QByteArray>
#include <QString>

// The readable text of rich-text content, for every place that must show or paste it as plain text:
// never the markup itself.
namespace RichTextConversion {

// The text of an HTML document or fragment: tags dropped, entities decoded, white space collapsed as a
// browser would, line breaks for <br> and block elements, <pre> kept as written.
QString plainTextFromHtml(const QString &html);

// The text of an RTF document: groups of fonts, colours, styles, pictures and other destinations skipped,
// \par and \line as line breaks, \tab, \'hh (Windows-1252) and \uN characters decoded.
QString plainTextFromRtf(const QByteArray &rtf);

// Replaces the XML/HTML character references of a text: the named entities that HTML commonly uses, and
// decimal or hexadecimal references. Unknown names stay as written.
QString decodeHtmlEntities(const QString &text);

} // namespace RichTextConversion
