#pragma once

#include "HistoryItemRowPainter.h"

// Link rows. With link previews off, the link on one line. With them on, a card: the link, the page's title, two
// lines of its description and, on the right, its picture filling 130 x 70 (cut to shape, never stretched); the
// page's icon replaces the link symbol, with the page's host as its tool tip. A link without a preview yet shows
// the link alone. The texts keep their colours when the row is selected.
class LinkHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    static constexpr QSizeF pictureSize {130, 70};
    static constexpr qreal faviconInset = 1;

    using HistoryItemRowPainter::HistoryItemRowPainter;

    struct CardLayout
    {
        QRectF headline;
        QRectF title; // empty without a title
        QRectF description; // empty without a description
        QRectF picture; // empty without a picture
    };
    CardLayout cardLayout(const HistoryItemRowPaintContext &context) const;
    // The favicon's tool tip: the page's host, else the kind's title.
    static QString faviconToolTip(const ClipboardItem &item);

protected:
    void configureTypeIcon(HistoryItemTypeIcon &icon, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const override;
    std::optional<HistoryLabel> titleLabel(const HistoryItemRowPaintContext &context) const override;
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;
};
