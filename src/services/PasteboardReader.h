#pragma once

#include "ClipboardItem.h"
#include "Clock.h"
#include "Pasteboard.h"
#include "Workspace.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// What a capture still has to have recognised once it is stored: the copied image, or the copied image file
// (loaded only when its turn comes, off the GUI thread).
struct RecognitionSource
{
    QImage image;
    QString imageFilePath;
};

// One pasteboard change read into a new history item.
struct PasteboardCapture
{
    ClipboardItem item;
    std::optional<RecognitionSource> recognition;
};

// Turns the pasteboard's current content into a new history item. Four readers are tried in order of
// preference (file URLs, an image, rich text, plain text); the first that finds its kind of content makes the
// item. An image that is the rendering of a text offered with it (a spreadsheet's cells, a document's table) is
// passed over for that text: it comes with a plain text that is more than the picture's address or file name, or
// with rich text that holds more than a picture. The image reader also writes the image as a PNG file named by the
// item's id into the "Images" folder of the support directory. Text and QR codes in images are not read here: the item
// says what to recognise.
class PasteboardReader
{
public:
    PasteboardReader(const Pasteboard &pasteboard, QString supportDirectory, const Clock &clock);

    // "Images" in the support directory.
    QString imagesDirectory() const;

    // The item of the first reader that makes one; nothing when no reader can (yet) read the content. `source`
    // is the application in front, recorded as the item's source.
    std::optional<PasteboardCapture> readItem(
        const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const;

    std::optional<PasteboardCapture> readFiles(const std::optional<RunningApplication> &source) const;
    std::optional<PasteboardCapture> readImage(const std::optional<RunningApplication> &source) const;
    std::optional<PasteboardCapture> readRichText(
        const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const;
    std::optional<PasteboardCapture> readPlainText(
        const std::optional<RunningApplication> &source, bool treatDigitNumbersAsColor) const;

    // The item with its search text rebuilt the way the capture builds it for its kind: for a file item the
    // file names, the recognised text and the QR text; for an image item the general rule with the asset
    // file's name in the place of file paths; for every other kind the general rule. Tag names go in where the
    // general rule puts them (after the file names for a file item).
    static ClipboardItem refreshingCaptureSearchText(const ClipboardItem &item, const QStringList &tagNames);

private:
    // Whether the image on offer is a picture of the text beside it, which is then the content.
    bool imageRendersText() const;
    ClipboardItem newItem(ClipboardKind kind, const std::optional<RunningApplication> &source) const;
    std::optional<QString> plainString() const;

    const Pasteboard &m_pasteboard;
    const QString m_supportDirectory;
    const Clock &m_clock;
};
