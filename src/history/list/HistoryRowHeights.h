#pragma once

#include "ClipboardItem.h"
#include "HistoryRowMetrics.h"
#include "HistoryTableRow.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <array>
#include <functional>
#include <optional>

class FilePreviewCache;

// Everything a row's height depends on besides the row itself. Two rows with equal keys have equal heights, so a
// change of any of these makes a new key and a stale height is never served.
struct HistoryRowHeightCacheKey
{
    QUuid itemID;
    ClipboardKind kind;
    QString contentKey;
    bool hasTitle = false; // a title that is not blank
    qint64 tableWidth = 0; // rounded, halves away from zero
    std::optional<int> quickPasteIndex;
    int tagCount = 0; // tags of the item that the history knows
    bool isFavorite = false;
    bool showsLinkPreview = false;
    bool linkPreviewHasTitle = false;
    bool linkPreviewHasDescription = false;
    bool linkPreviewHasImage = false;
    bool linkPreviewHasFavicon = false;
    std::optional<QString> assetPath;
    std::optional<QString> firstFilePath;

    // Equal in every field. The texts are compared last, and a text that shares its data with the other's (the
    // same item asked again) is equal without reading it.
    bool operator==(const HistoryRowHeightCacheKey &other) const;
};

// Over every field; of the content key, which may be a long text, its length and first 128 characters only.
size_t qHash(const HistoryRowHeightCacheKey &key, size_t seed = 0);

// What an item row's height depends on that stays the same at every table width, measured once from the item: the
// widths of its text's lines, the size of its picture, and the parts of the row around them. The height at a width
// is then arithmetic over these (HistoryRowHeights::heightAt), with no text shaped and no file read.
struct HistoryRowHeightInputs
{
    enum class Shape : quint8 {
        unmeasured,
        fixed, // as high at every width
        text, // lines that wrap at the width left beside the accessories
        thumbnail, // a picture fitted to the width
    };
    // Kept for every row of the list, so packed: a text row's lines and a thumbnail row's picture share their room,
    // and the heights, which are multiples of a font's 1/64 pixel, are exact as floats.
    union Content {
        std::array<float, 3> lineWidths; // text: rounded up; infinite for a line too long to measure
        std::array<qreal, 2> pictureSize; // thumbnail: the picture's size in points, 0 when it has none
    };
    Content content {};
    float inner = 0; // fixed: the height; text and thumbnail: what the row adds to its content below its minimum
    float outer = 0; // text: the width the accessories take from the table; thumbnail: the title line
    Shape shape = Shape::unmeasured;
    quint8 lineCount = 0; // text: the measured lines in lineWidths

    bool isMeasured() const { return shape != Shape::unmeasured; }
};

// What the history view shows that the row heights read.
struct HistoryRowHeightContext
{
    bool showCommandNumberShortcut = true; // the first nine items carry their quick-paste number
    bool showPreviewForLinks = true;
    QSet<qint64> availableTagIDs; // the tags the history knows; an item's other tag ids are not shown
    FilePreviewCache *filePreviewCache = nullptr; // sizes image files when given
    // The measured lines of a text item's preview, when the history keeps them; measured here otherwise.
    std::function<std::optional<HistoryTextPreviewLineMetrics>(const ClipboardItem &)> textPreviewLineMetrics;
};

// The heights of the history table's rows, computed from the row alone and remembered per key. Belongs to the
// history view, on the GUI thread.
class HistoryRowHeights
{
public:
    static constexpr qreal defaultRowHeight = 36;
    static constexpr qreal firstHeaderHeight = 28;
    static constexpr int quickPasteItemCount = 9;

    explicit HistoryRowHeights(const HistoryRowMetrics &metrics = HistoryRowMetrics::shared());

    // The height of the row at the index, of rows built from the items, for a table of the width: 36 out of range;
    // 28 for a header at row 0 and 36 for later headers (never cached); an item row's height by kind, from the
    // cache when it holds the key.
    qreal rowHeight(const QList<HistoryTableRow> &rows, const QList<ClipboardItem> &items, qsizetype row,
        qreal tableWidth, const HistoryRowHeightContext &context);

    static HistoryRowHeightCacheKey cacheKey(
        const ClipboardItem &item, int itemIndex, qreal tableWidth, const HistoryRowHeightContext &context);
    // The height of an item row by kind, computed afresh. The key must be the item's.
    qreal itemRowHeight(const ClipboardItem &item, const HistoryRowHeightCacheKey &key, qreal tableWidth,
        const HistoryRowHeightContext &context) const;
    // What the height of the row of the item at the index (in display order) depends on at any width, measured now.
    HistoryRowHeightInputs inputs(
        const ClipboardItem &item, int itemIndex, const HistoryRowHeightContext &context) const;
    // What the height of the row would depend on, guessed without shaping its text or reading a file: its lines as
    // wide as their characters at the font's average width, its picture of no known size.
    HistoryRowHeightInputs guessedInputs(
        const ClipboardItem &item, int itemIndex, const HistoryRowHeightContext &context) const;
    // Whether measuring the item's row shapes its text or reads a file; other rows cost no more to measure than to
    // guess.
    static bool isCostlyToMeasure(const ClipboardItem &item);
    // The height of a row of the measured inputs in a table of the width.
    qreal heightAt(const HistoryRowHeightInputs &inputs, qreal tableWidth) const;

    // Keeps only the heights of the items with these ids.
    void retainItems(const QSet<QUuid> &itemIDs);
    // Drops the heights of the items with these ids.
    void removeItems(const QSet<QUuid> &itemIDs);
    // Empties the cache when the width changed by more than half a point; answers whether it did. The table
    // then asks for every row's height again.
    bool tableWidthDidChange(qreal oldWidth, qreal newWidth);
    void clear() { m_heights.clear(); }

    qsizetype cachedHeightCount() const { return m_heights.size(); }
    const HistoryRowMetrics &metrics() const { return m_metrics; }

private:
    // guessesCostlyParts: the text's lines are guessed from its characters, and a picture's size is not read.
    HistoryRowHeightInputs measure(const ClipboardItem &item, std::optional<int> quickPasteIndex, int tagCount,
        bool showsLinkPreview, const HistoryRowHeightContext &context, bool guessesCostlyParts) const;
    // The widths of the text's first lines, at the font's average character width.
    void guessLineWidths(const ClipboardItem &item, HistoryRowHeightInputs &inputs) const;
    // What a thumbnail row of the kind adds to its picture below the row's minimum height.
    qreal aroundThumbnail(ClipboardKind kind) const;

    const HistoryRowMetrics &m_metrics;
    qreal m_averageCharacterWidth = 0;
    QHash<HistoryRowHeightCacheKey, qreal> m_heights;
};
