#pragma once

#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "HistorySourceApplication.h"
#include "Workspace.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

#include <optional>

class AppModel;
class KeyPoster;

// Small lookups and images that several parts of the history window share: the application a paste goes to, the
// dots that stand for tags, the icons of source applications, the test for a file item whose file is gone, and the
// order the text transforms are listed in. GUI thread only.
namespace HistoryPasteTarget {

// The application of the window that was active before ours (remembered by the key poster), or of the active
// window when that is not ours; never this program. Nothing when there is none.
std::optional<RunningApplication> pasteTargetApplication(KeyPoster &keys, const Workspace &workspace);
// Its name for menus and the toolbar; "Active App" in the interface language when there is no application or
// no name.
QString pasteTargetName(const std::optional<RunningApplication> &application);

// The icon of the application a paste goes to, at the size: its desktop entry's icon (a theme name or a file); the
// generic application icon of the theme when there is no such application (the window was opened from one of this
// program's own windows) or its icon cannot be found. Drawn in either appearance alike.
QIcon pasteTargetIcon(const std::optional<RunningApplication> &application, int size);

// A filled dot for a tag in a menu: 13 pixels in the colour, or in the menu's text colour without one.
QIcon tagMenuDotImage(const std::optional<QColor> &color);
// A filled dot for a tag token or filter entry: 12 pixels in the colour the tag's colour text ("#3B85ED") names, or
// in the text colour when it names none.
QIcon tagColorDotImage(const QString &hexColor);

// The icon of a source application's desktop entry, 16 pixels; a generic application symbol when it has none.
QIcon applicationIcon(const HistorySourceApplication &application, const AppModel &model);

// A file item with exactly one path, where there is no file now. Items of several files are never tested.
bool isMissingSingleFile(const ClipboardItem &item);

// By title, without regard to case and accents, in the interface language; equal titles keep their order.
void sortTransformsByTitle(QList<ClipboardTextTransform> &transforms);

} // namespace HistoryPasteTarget
