#pragma once

#include "Pasteboard.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// How the targets an X11 selection owner offers become the types and data of a pasteboard snapshot. Owners
// offer many conversions of one content (Qt and GTK each offer the text under four names, the image in every
// format they can encode); a snapshot fetches only what the history reads and names it by our type names.
namespace X11ClipboardTargets {

// The offered targets worth fetching, in the order to fetch them: the marker types and the password-manager
// hint, one text target (UTF8_STRING before the other text names), one RTF, the HTML, one file list and one
// image (PNG before TIFF before JPEG).
QStringList targetsToRead(const QStringList &offered);

// The snapshot made of fetched targets: text under "text/plain" as UTF-8, RTF under "text/rtf", a GNOME file
// list as a "text/uri-list", and the concealed marker added when the password-manager hint says "secret".
PasteboardContent contentFromTargets(const QList<std::pair<QString, QByteArray>> &fetched);

} // namespace X11ClipboardTargets
