#pragma once

#include "HistoryItemRowPainter.h"

#include <QCache>
#include <QUuid>

// Text and rich-text rows: the item's text as a preview of at most three wrapped lines beside the accessory strip,
// the last shown line cut with an ellipsis. Search matches are blue; the marks that make white space visible
// (" ⏎ " between lines, "→" for tabs, "·" for leading spaces) are grey, also inside a match. A rich-text row shows
// the same plain preview as a text row.
class TextHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    using HistoryItemRowPainter::HistoryItemRowPainter;

    // The coloured runs of a preview: matches of the query first, then the marks over them.
    static QList<std::pair<HistoryTextRange, QColor>> previewRanges(
        const QString &preview, const QString &query, const QPalette &palette);

protected:
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;

private:
    struct Preview
    {
        size_t fingerprint = 0;
        QString text;
    };
    // The preview text, kept per item while its text stays the same (about 4 MB of them).
    const Preview &preview(const ClipboardItem &item) const;

    mutable QCache<QUuid, Preview> m_previews {2048};
};

// E-mail rows: the address on one line, cut at the end before the accessory strip.
class EmailHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    using HistoryItemRowPainter::HistoryItemRowPainter;

protected:
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;
};
