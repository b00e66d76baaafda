#pragma once

#include "ClipboardKind.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QRectF>
#include <QString>
#include <QStringView>

class QPainter;

// The small pieces every item row is painted from: the row colours for light and dark, search-match ranges, the
// byte-count text, one-line labels with coloured matches and tag chips. Painting happens on the GUI thread; the
// text functions are pure.

// A run of characters of a text, in UTF-16 units.
struct HistoryTextRange
{
    qsizetype start = 0;
    qsizetype length = 0;

    bool operator==(const HistoryTextRange &) const = default;
};

// The occurrences of the query in the text, compared without regard to case and accents, from the start and
// without overlapping. A query that is empty after trimming white space finds nothing.
QList<HistoryTextRange> historySearchMatches(QStringView text, QStringView query);

// True when any character of the text is a control character or lies in U+F700 to U+F8FF, where key events of
// function and arrow keys put their characters; false for the empty text. Such text is never typed into search.
// Characters beyond that range (emoji, rare CJK ideographs) are ordinary typing.
bool containsControlOrFunctionKeyScalar(QStringView text);

// A byte count as file managers write it, in powers of 1000: "Zero KB", "1 byte", "532 bytes", "12 KB",
// "1.5 MB", "2.25 GB"; kilobytes without decimals, megabytes with one, larger units with two, trailing zeros
// dropped.
QString formattedByteCount(qint64 bytes);

// The colours of the rows, for the appearance of the palette.
namespace HistoryRowColors {

QColor label(const QPalette &palette, bool emphasized = false);
QColor secondaryLabel(const QPalette &palette);
QColor tertiaryLabel(const QPalette &palette);
QColor separator(const QPalette &palette);
QColor searchMatch(const QPalette &palette); // system blue
QColor lightGray(); // missing files; marks in the light appearance
QColor darkGray(); // marks in the dark appearance; the quick-paste number on a selected light row
QColor fileTileBackground(); // system grey at 10 %
QColor accent(const QPalette &palette);
// The tint of a kind: indigo for text, blue for links, teal for e-mail, pink for colours, purple for images,
// orange for files.
QColor rowTint(ClipboardKind kind, const QPalette &palette);
// The grey of the kind symbols in the type icon.
QColor typeSymbol(const QPalette &palette);

} // namespace HistoryRowColors

// A one-line text in a rectangle: cut at the end (or in the middle), vertically centred, with the search matches
// of the shown text in the match colour.
struct HistoryLabel
{
    QString text;
    QFont font;
    QColor color;
    Qt::TextElideMode elide = Qt::ElideRight;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString searchQuery;
    QColor matchColor;

    void paint(QPainter &painter, const QRectF &rect) const;
};

// Draws text laid out from the given start with coloured runs; ranges are of the whole text.
void paintTextWithRanges(QPainter &painter, const QPointF &topLeft, const QString &text, const QFont &font,
    const QColor &color, const QList<std::pair<HistoryTextRange, QColor>> &ranges);

// A tag's coloured dot, 12 pixels across; a colour text that is no "#RRGGBB" colour paints in the label colour.
namespace TagChip {

inline constexpr qreal size = 12;
void paint(QPainter &painter, const QRectF &rect, const QString &colorHex, const QPalette &palette);

} // namespace TagChip

// Aspect-fill: the image scaled to cover the whole box, centred, the overflow cut equally on both sides. The part
// of an image of the size that shows in a box of the size (in the image's pixels).
QRectF aspectFillSourceRect(QSizeF imageSize, QSizeF boxSize);
