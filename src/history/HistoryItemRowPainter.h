#pragma once

#include "ClipboardItem.h"
#include "HistoryRowMetrics.h"
#include "Tag.h"

#include <QPalette>
#include <QRectF>
#include <QString>

#include <optional>

class FilePreviewCache;
class QPainter;

// What one item row shows besides its item, set afresh each time the row is painted: the same figures the row's
// height was computed from.
struct HistoryItemRowConfiguration
{
    std::optional<int> quickPasteIndex; // 1 to 9 for the first nine items when the numbers are shown
    QList<Tag> tags; // the item's tags the history knows, in the item's order
    qreal tableWidth = 0;
    QString searchQuery;
    bool showsLinkPreview = false;
    std::optional<int> selectionOrderNumber; // the row's place in a multiple selection
    bool showsSelectionOrderPlaceholder = false; // a multiple selection that this row is not part of
    bool isSelected = false;
    FilePreviewCache *filePreviewCache = nullptr;
};

// The kind of row an item gets: "TextHistoryItemRow", "RichTextHistoryItemRow", "LinkHistoryItemRow",
// "EmailHistoryItemRow", "ColorHistoryItemRow", "ImageHistoryItemRow", and for files "FileHistoryItemRow" (fewer
// than two paths) or "FilesHistoryItemRow".
QString historyItemRowReuseIdentifier(const ClipboardItem &item);

// Paints the rows of one kind. The rows are painted, not built from widgets: a painter lays out the row from the
// row metrics, so that what it draws fits the height computed for the row.
class HistoryItemRowPainter
{
public:
    // Where a row's content starts, from its edges.
    static constexpr qreal contentLeading = 42;
    static constexpr qreal contentTrailing = 12;
    static constexpr qreal contentTop = 10;
    static constexpr qreal contentBottom = 10;
    // The kind's symbol sits in a 22-pixel square at (12, 8).
    static constexpr QRectF typeIconRect {12, 8, 22, 22};

    explicit HistoryItemRowPainter(const HistoryRowMetrics &metrics = HistoryRowMetrics::shared());
    virtual ~HistoryItemRowPainter() = default;

    // The painter of the rows with the reuse identifier; every identifier has one.
    static const HistoryItemRowPainter &forReuseIdentifier(const QString &identifier);

    // Paints the row's content into the row's rectangle (selection and dividers are the list's).
    void paint(QPainter &painter, const QRectF &rowRect, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, const QPalette &palette) const;

    // The symbol that stands for the item in its type icon.
    virtual QString symbolName(const ClipboardItem &item) const;

protected:
    // The content below the title line, inside the content rectangle.
    virtual void paintContent(QPainter &painter, const QRectF &contentRect, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, const QPalette &palette) const;

    const HistoryRowMetrics &m_metrics;
};

// The title of a day or "Favorites" header: 12 pixels, 9 from the left, 6 below the top in the first row and 14 in
// the others, cut at the end when the row is too narrow.
namespace HistorySectionHeaderCell {

inline constexpr qreal leading = 9;
inline constexpr qreal firstTitleTop = 6;
inline constexpr qreal titleTop = 14;
inline constexpr int fontSize = 12;

void paint(QPainter &painter, const QRectF &rowRect, const QString &title, bool isFirstRow, const QPalette &palette);

} // namespace HistorySectionHeaderCell
