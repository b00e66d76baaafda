#pragma once

#include "ClipboardItem.h"
#include "LinkPreview.h"
#include "LinkPreviewDetails.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>

class FilePreviewCache;

// The measured widths of at most the first three lines of a text preview. The largest finite double marks a line
// too long to measure, which counts as filling every line.
struct HistoryTextPreviewLineMetrics
{
    QList<qreal> lineWidths;

    bool operator==(const HistoryTextPreviewLineMetrics &) const = default;
};

// The figures that size the history rows: line and label heights of the row fonts, the fixed heights of file rows,
// line measuring, the width left for a text preview beside the accessories, thumbnail fitting and the height of a
// link card. The row heights and the row painters both read them, so a computed height and a painted row agree.
//
// Fonts are the application font's family at pixel sizes (one point of the row layout is one pixel): text 14,
// titles and headlines 13 semibold, captions 11. The shared object is made on first use and kept for the life of
// the process; like everything that paints, it belongs to the GUI thread.
class HistoryRowMetrics
{
public:
    static constexpr int systemFontSize = 13;
    static constexpr int smallSystemFontSize = 11;
    // Lines of this many characters or more are not measured: they fill every line.
    static constexpr int unmeasuredLineLength = 1001;
    static constexpr int maximumPreviewLines = 3;

    // The metrics of the application font, made on first use.
    static const HistoryRowMetrics &shared();

    // Metrics of the given font family (its size and weight are replaced by the row sizes).
    explicit HistoryRowMetrics(const QFont &baseFont);

    const QFont &textFont() const { return m_textFont; }
    const QFont &titleFont() const { return m_titleFont; }
    const QFont &captionFont() const { return m_captionFont; }

    qreal textLineHeight() const { return m_textLineHeight; }
    qreal roundedTextLineHeight() const { return m_roundedTextLineHeight; }
    qreal titleFontLineHeight() const { return m_titleFontLineHeight; }
    qreal titleLineHeight() const { return m_titleFontLineHeight + 2; }
    qreal captionLineHeight() const { return m_captionLineHeight; }
    qreal twoCaptionLinesHeight() const { return 2 * m_captionLineHeight; }
    qreal headlineLabelHeight() const { return m_headlineLabelHeight; }
    qreal captionLabelHeight() const { return m_captionLabelHeight; }
    qreal fileTextStackHeight() const { return m_headlineLabelHeight + 2 * m_captionLabelHeight + 4; }
    qreal fileRowContentHeight() const { return qMax(fileTextStackHeight(), qreal(48)); }
    qreal fileRowHeight() const { return fileRowContentHeight() + 20; }
    qreal filesRowContentHeight() const
    {
        return qMax(m_headlineLabelHeight + 8 + 55 + m_captionLabelHeight + 16, qreal(48));
    }
    qreal filesRowHeight() const { return filesRowContentHeight() + 20; }

    // The default line height of the font (ascent, descent and leading), not rounded.
    static qreal lineHeight(const QFont &font);
    // The height of a one-line label reading "Agy": its text height or the font's line height, whichever is
    // larger, rounded up.
    static qreal labelHeight(const QFont &font);

    // The extra height of a row's title line: 0 without a title (absent or blank), else the title line and 2.
    qreal titleHeight(const ClipboardItem &item) const;

    // The widths of the text's first three lines (split at "\n", empty lines kept) in the text font, rounded up.
    HistoryTextPreviewLineMetrics measureLines(const QString &text) const;
    // The width measureLines gives a line too long to measure: it fills every line.
    static qreal unmeasuredLineWidth();
    // How many lines, at most three and at least one, the measured lines wrap to at the width.
    static int lineCount(const HistoryTextPreviewLineMetrics &metrics, qreal width);
    static int lineCount(const qreal *lineWidths, qsizetype count, qreal width);
    // The width left for the preview text in a row of the table width beside its accessories (tag chips,
    // favourite star, quick-paste number, source-application icon); at least 80.
    static qreal textPreviewWidth(
        const ClipboardItem &item, std::optional<int> quickPasteIndex, int tagCount, qreal tableWidth);
    static qreal textPreviewWidth(qreal reservedWidth, qreal tableWidth);
    // The width of a row that its accessories and margins keep from the preview text.
    static qreal textPreviewReservedWidth(const ClipboardItem &item, std::optional<int> quickPasteIndex, int tagCount);
    // The thumbnail of an image of the size (in points) in a row of the available width: at most 100 high and as
    // wide as the row's content allows, never larger than the image. 100 x 100 without a usable size or width.
    static QSizeF thumbnailSize(std::optional<qreal> availableWidth, QSizeF imageSize);

    // The thumbnail height of an image item at the table width: from its pixel size, else from its file.
    qreal imagePreviewHeight(const ClipboardItem &item, qreal tableWidth) const;
    // The size in points of an image item's picture, or of a file item's first file (the cache's display size
    // when a cache is given); nothing when it has none.
    std::optional<QSizeF> imagePictureSize(const ClipboardItem &item) const;
    std::optional<QSizeF> filePictureSize(const ClipboardItem &item, FilePreviewCache *cache) const;
    // The thumbnail of a file item's first file when it is an image (the cache's display size when a cache is
    // given), else 100 x 100.
    QSizeF filePreviewSize(const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache) const;
    qreal filePreviewHeight(const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache) const;

    // The height of a link row's preview card: 18 without a preview to show; else the address line with the title,
    // the description and the gaps between them, at least 70 when there is an image.
    qreal linkPreviewCardHeight(const std::optional<LinkPreview> &preview, bool showsPreview) const;
    qreal linkPreviewCardHeight(const std::optional<LinkPreviewDetails> &details, bool showsPreview) const;

    // The size in points of an image file: its pixel size, scaled to 72 dots per inch along each axis whose
    // density the file states. Looked up once per path and remembered for the life of this object; nothing when
    // the file has no usable size.
    std::optional<QSizeF> cachedImageSize(const QString &path) const;

private:
    qreal cardHeight(bool hasTitle, bool hasDescription, bool hasImage, bool hasFavicon) const;

    QFont m_textFont;
    QFont m_titleFont;
    QFont m_captionFont;
    qreal m_textLineHeight;
    qreal m_roundedTextLineHeight;
    qreal m_titleFontLineHeight;
    qreal m_captionLineHeight;
    qreal m_headlineLabelHeight;
    qreal m_captionLabelHeight;
    mutable QHash<QString, QSizeF> m_imageSizes; // (0, 0): the file has no usable size
};
