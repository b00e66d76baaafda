#pragma once

#include "ClipboardItem.h"
#include "HistoryItemTypeIcon.h"
#include "HistoryRowMetrics.h"
#include "HistoryRowParts.h"
#include "Tag.h"

#include <QList>
#include <QPalette>
#include <QRectF>
#include <QString>

#include <optional>

class FilePreviewCache;
class QAbstractItemView;
class QHelpEvent;
class QPainter;
class QWidget;

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

// Where the fixed parts of an item row go. The type icon is a 22-pixel square at (12, 8); the content starts 42
// from the left and 10 from the top and keeps 12 from the right and 10 from the bottom; the accessory strip sits 9
// from the top and 12 from the right and holds, from left to right, the tag chips (12 wide, 4 apart), the
// favourite star (16), the quick-paste number (24) and the source application's icon (20), 4 apart; the title line
// is the top of the content, left of the strip; the kind's own content goes below it.
struct HistoryItemRowLayout
{
    QRectF row;
    QRectF typeIcon;
    QRectF content;
    QRectF accessoryStrip; // empty without accessories
    qreal accessoryControlsWidth = 0;
    QList<QRectF> tagChips;
    QRectF favoriteStar;
    QRectF quickPaste;
    QRectF applicationIcon;
    QRectF title; // empty without a title
    QRectF body; // the content below the title line

    // The width a line of the content keeps free for the accessory strip: the strip and the gap before it.
    qreal accessoryReserve(qreal gap = 4) const
    {
        return accessoryControlsWidth > 0 ? accessoryControlsWidth + gap : 0;
    }
};

// Which accessories a row shows.
struct HistoryItemRowAccessories
{
    int tagCount = 0;
    bool favoriteStar = false;
    std::optional<int> quickPasteNumber;
    bool applicationIcon = false;

    bool isEmpty() const { return tagCount == 0 && !favoriteStar && !quickPasteNumber && !applicationIcon; }
    // The strip's width: the parts and 4 between each two.
    qreal width() const;
    static HistoryItemRowAccessories of(const ClipboardItem &item, const HistoryItemRowConfiguration &configuration);
};

// One painting of one row: the row's layout, item and configuration, and the widget that repaints when a picture
// arrives later.
struct HistoryItemRowPaintContext
{
    const HistoryItemRowLayout &layout;
    const ClipboardItem &item;
    const HistoryItemRowConfiguration &configuration;
    const QPalette &palette;
    QWidget *repaintTarget = nullptr;

    // A selected row draws its registered labels in black (light) or white (dark).
    bool emphasized() const { return configuration.isSelected; }
    qreal tableWidth() const { return configuration.tableWidth > 0 ? configuration.tableWidth : layout.row.width(); }
    // A one-line label that shows the search matches, in the given colour.
    HistoryLabel label(
        const QString &text, const QFont &font, const QColor &color, Qt::TextElideMode elide = Qt::ElideRight) const;
};

// Paints the rows of one kind. The rows are painted, not built from widgets: a painter lays out the row from the
// row metrics, so that what it draws fits the height computed for the row. One painter serves every row of its
// kind; it keeps nothing of the row it painted last.
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
    static constexpr qreal accessoryTop = 9;
    static constexpr qreal accessoryTrailing = 12;
    static constexpr qreal applicationIconSize = 20;

    explicit HistoryItemRowPainter(const HistoryRowMetrics &metrics = HistoryRowMetrics::shared());
    virtual ~HistoryItemRowPainter() = default;

    // The painter of the rows with the reuse identifier; every identifier has one.
    static const HistoryItemRowPainter &forReuseIdentifier(const QString &identifier);

    HistoryItemRowLayout layout(
        const QRectF &rowRect, const ClipboardItem &item, const HistoryItemRowConfiguration &configuration) const;

    // Paints the row's content into the row's rectangle (selection and dividers are the list's).
    void paint(QPainter &painter, const QRectF &rowRect, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, const QPalette &palette) const;

    // The tool tip at a point of the row: a tag's name, the application's name, the shortcut of the quick-paste
    // number, or the type icon's (the kind, the colour, the page's host). Empty elsewhere.
    QString toolTip(const QRectF &rowRect, const ClipboardItem &item, const HistoryItemRowConfiguration &configuration,
        const QPointF &position) const;

    // The type icon as the row shows it, badge included.
    HistoryItemTypeIcon typeIcon(
        const ClipboardItem &item, const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const;

    // The symbol that stands for the item in its type icon.
    virtual QString symbolName(const ClipboardItem &item) const;

    const HistoryRowMetrics &metrics() const { return m_metrics; }

protected:
    // Replaces the kind symbol of the type icon: a colour's swatch, a page's icon.
    virtual void configureTypeIcon(HistoryItemTypeIcon &icon, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const;
    // The title line's label; nothing without a title. Registered labels follow the selection.
    virtual std::optional<HistoryLabel> titleLabel(const HistoryItemRowPaintContext &context) const;
    // The kind's content in the layout's body.
    virtual void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const;

    // One line of the item's default title in the text font, left of the accessory strip (colour and e-mail rows).
    void paintTextLine(QPainter &painter, const HistoryItemRowPaintContext &context, bool followsSelection) const;
    // The kind symbol tinted with the kind's colour, fitted into the box.
    void paintKindSymbol(QPainter &painter, const QRectF &box, const ClipboardItem &item, const QPalette &palette,
        qreal opacity = 1.0) const;

    const HistoryRowMetrics &m_metrics;

private:
    void paintAccessories(QPainter &painter, const HistoryItemRowPaintContext &context) const;
};

// The row's tool tip for a help event on an item row of the view; true when one was shown.
bool showHistoryItemRowToolTip(QHelpEvent &event, QAbstractItemView &view, const QRectF &rowRect,
    const ClipboardItem &item, const HistoryItemRowConfiguration &configuration);

// The title of a day or "Favorites" header: 12 pixels, 9 from the left, 6 below the top in the first row and 14 in
// the others, cut at the end when the row is too narrow.
namespace HistorySectionHeaderCell {

inline constexpr qreal leading = 9;
inline constexpr qreal firstTitleTop = 6;
inline constexpr qreal titleTop = 14;
inline constexpr int fontSize = 12;

void paint(QPainter &painter, const QRectF &rowRect, const QString &title, bool isFirstRow, const QPalette &palette);

} // namespace HistorySectionHeaderCell
