#include "HistoryItemRowPainter.h"

#include "ApplicationIconCache.h"
#include "ColorHistoryItemRowPainter.h"
#include "EmptyHistory.h"
#include "FileHistoryItemRowPainter.h"
#include "HistoryColors.h"
#include "ImageHistoryItemRowPainter.h"
#include "LinkHistoryItemRowPainter.h"
#include "QuickPasteLabel.h"
#include "Symbols.h"
#include "TextHistoryItemRowPainter.h"
#include "TextUtilities.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr qreal accessorySpacing = 4;
constexpr qreal favoriteStarWidth = 16;

QWidget *repaintTargetOf(const QPainter &painter)
{
    // Rows are painted into the list's viewport; a grab into a picture has nobody to repaint.
    if (painter.device() && painter.device()->devType() == QInternal::Widget)
        return static_cast<QWidget *>(painter.device());
    return nullptr;
}

} // namespace

QString historyItemRowReuseIdentifier(const ClipboardItem &item)
{
    switch (item.kind) {
    case ClipboardKind::text:
        return QStringLiteral("TextHistoryItemRow");
    case ClipboardKind::richText:
        return QStringLiteral("RichTextHistoryItemRow");
    case ClipboardKind::link:
        return QStringLiteral("LinkHistoryItemRow");
    case ClipboardKind::email:
        return QStringLiteral("EmailHistoryItemRow");
    case ClipboardKind::color:
        return QStringLiteral("ColorHistoryItemRow");
    case ClipboardKind::image:
        return QStringLiteral("ImageHistoryItemRow");
    case ClipboardKind::file:
        return item.filePaths.size() >= 2 ? QStringLiteral("FilesHistoryItemRow")
                                          : QStringLiteral("FileHistoryItemRow");
    }
    return QStringLiteral("TextHistoryItemRow");
}

qreal HistoryItemRowAccessories::width() const
{
    qreal total = 0;
    int parts = 0;
    if (tagCount > 0) {
        total += TagChip::size * tagCount + accessorySpacing * (tagCount - 1);
        ++parts;
    }
    if (favoriteStar) {
        total += favoriteStarWidth;
        ++parts;
    }
    if (quickPasteNumber) {
        total += QuickPasteLabel::width;
        ++parts;
    }
    if (applicationIcon) {
        total += HistoryItemRowPainter::applicationIconSize;
        ++parts;
    }
    return parts == 0 ? 0 : total + accessorySpacing * (parts - 1);
}

HistoryItemRowAccessories HistoryItemRowAccessories::of(
    const ClipboardItem &item, const HistoryItemRowConfiguration &configuration)
{
    HistoryItemRowAccessories accessories;
    accessories.tagCount = int(configuration.tags.size());
    accessories.favoriteStar = item.isFavorite;
    accessories.quickPasteNumber = configuration.quickPasteIndex;
    accessories.applicationIcon = item.sourceBundleIdentifier.has_value() || item.sourceAppName.has_value();
    return accessories;
}

HistoryLabel HistoryItemRowPaintContext::label(
    const QString &text, const QFont &font, const QColor &color, Qt::TextElideMode elide) const
{
    HistoryLabel made;
    made.text = text;
    made.font = font;
    made.color = color;
    made.elide = elide;
    made.searchQuery = configuration.searchQuery;
    made.matchColor = HistoryRowColors::searchMatch(palette);
    return made;
}

HistoryItemRowPainter::HistoryItemRowPainter(const HistoryRowMetrics &metrics) : m_metrics(metrics) { }

const HistoryItemRowPainter &HistoryItemRowPainter::forReuseIdentifier(const QString &identifier)
{
    static const TextHistoryItemRowPainter text;
    static const EmailHistoryItemRowPainter email;
    static const ColorHistoryItemRowPainter color;
    static const ImageHistoryItemRowPainter image;
    static const FileHistoryItemRowPainter file;
    static const FilesHistoryItemRowPainter files;
    static const LinkHistoryItemRowPainter link;
    static const QHash<QString, const HistoryItemRowPainter *> painters {
        {QStringLiteral("TextHistoryItemRow"), &text},
        {QStringLiteral("RichTextHistoryItemRow"), &text},
        {QStringLiteral("LinkHistoryItemRow"), &link},
        {QStringLiteral("EmailHistoryItemRow"), &email},
        {QStringLiteral("ColorHistoryItemRow"), &color},
        {QStringLiteral("ImageHistoryItemRow"), &image},
        {QStringLiteral("FileHistoryItemRow"), &file},
        {QStringLiteral("FilesHistoryItemRow"), &files},
    };
    return *painters.value(identifier, &text);
}

QString HistoryItemRowPainter::symbolName(const ClipboardItem &item) const
{
    switch (item.kind) {
    case ClipboardKind::text:
        return QStringLiteral("text.page");
    case ClipboardKind::richText:
        return QStringLiteral("richtext.page");
    case ClipboardKind::link:
        return QStringLiteral("link");
    case ClipboardKind::email:
        return QStringLiteral("envelope");
    case ClipboardKind::color:
        return QStringLiteral("paintpalette");
    case ClipboardKind::image:
        return QStringLiteral("photo");
    case ClipboardKind::file:
        return QStringLiteral("document");
    }
    return QStringLiteral("text.page");
}

HistoryItemRowLayout HistoryItemRowPainter::layout(
    const QRectF &rowRect, const ClipboardItem &item, const HistoryItemRowConfiguration &configuration) const
{
    HistoryItemRowLayout layout;
    layout.row = rowRect;
    layout.typeIcon = typeIconRect.translated(rowRect.topLeft());
    layout.content = rowRect.adjusted(contentLeading, contentTop, -contentTrailing, -contentBottom);
    if (layout.content.width() < 0)
        layout.content.setWidth(0);

    const HistoryItemRowAccessories accessories = HistoryItemRowAccessories::of(item, configuration);
    if (!accessories.isEmpty()) {
        layout.accessoryControlsWidth = accessories.width();
        const qreal quickPasteHeight = std::ceil(HistoryRowMetrics::lineHeight(QuickPasteLabel::font()));
        qreal height = 0;
        if (accessories.tagCount > 0)
            height = qMax(height, TagChip::size);
        if (accessories.favoriteStar)
            height = qMax(height, qreal(FavoriteStar::size));
        if (accessories.quickPasteNumber)
            height = qMax(height, quickPasteHeight);
        if (accessories.applicationIcon)
            height = qMax(height, applicationIconSize);
        const qreal right = rowRect.right() - accessoryTrailing;
        layout.accessoryStrip = QRectF(
            right - layout.accessoryControlsWidth, rowRect.top() + accessoryTop, layout.accessoryControlsWidth, height);
        const qreal middle = layout.accessoryStrip.center().y();
        qreal x = layout.accessoryStrip.left();
        const auto place = [&](qreal width, qreal partHeight) {
            const QRectF part(x, middle - partHeight / 2, width, partHeight);
            x += width + accessorySpacing;
            return part;
        };
        for (int i = 0; i < accessories.tagCount; ++i)
            layout.tagChips.append(place(TagChip::size, TagChip::size));
        if (accessories.favoriteStar)
            layout.favoriteStar = place(favoriteStarWidth, FavoriteStar::size);
        if (accessories.quickPasteNumber)
            layout.quickPaste = place(QuickPasteLabel::width, quickPasteHeight);
        if (accessories.applicationIcon)
            layout.applicationIcon = place(applicationIconSize, applicationIconSize);
    }

    layout.body = layout.content;
    if (item.customTitle()) {
        const qreal width = qMax(0.0, layout.content.width() - layout.accessoryReserve());
        layout.title = QRectF(layout.content.left(), layout.content.top(), width, m_metrics.titleLineHeight());
        layout.body.setTop(layout.content.top() + m_metrics.titleHeight(item));
    }
    return layout;
}

HistoryItemTypeIcon HistoryItemRowPainter::typeIcon(
    const ClipboardItem &item, const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const
{
    HistoryItemTypeIcon icon;
    icon.configure(item.kind, symbolName(item));
    configureTypeIcon(icon, item, configuration, repaintTarget);
    icon.setSelectionOrder(configuration.selectionOrderNumber, configuration.showsSelectionOrderPlaceholder);
    return icon;
}

void HistoryItemRowPainter::configureTypeIcon(
    HistoryItemTypeIcon &, const ClipboardItem &, const HistoryItemRowConfiguration &, QWidget *) const
{ }

void HistoryItemRowPainter::paint(QPainter &painter, const QRectF &rowRect, const ClipboardItem &item,
    const HistoryItemRowConfiguration &configuration, const QPalette &palette) const
{
    const HistoryItemRowLayout rowLayout = layout(rowRect, item, configuration);
    const HistoryItemRowPaintContext context {rowLayout, item, configuration, palette, repaintTargetOf(painter)};

    typeIcon(item, configuration, context.repaintTarget).paint(painter, rowLayout.typeIcon, palette);
    paintAccessories(painter, context);
    if (!rowLayout.title.isEmpty()) {
        if (const std::optional<HistoryLabel> title = titleLabel(context))
            title->paint(painter,
                QRectF(rowLayout.title.topLeft(), QSizeF(rowLayout.title.width(), m_metrics.titleFontLineHeight())));
    }
    painter.save();
    paintContent(painter, context);
    painter.restore();
}

std::optional<HistoryLabel> HistoryItemRowPainter::titleLabel(const HistoryItemRowPaintContext &context) const
{
    const std::optional<QString> title = context.item.customTitle();
    if (!title)
        return std::nullopt;
    return context.label(TextUtilities::firstLine(*title).toString(), m_metrics.titleFont(),
        HistoryRowColors::label(context.palette, context.emphasized()));
}

void HistoryItemRowPainter::paintContent(QPainter &, const HistoryItemRowPaintContext &) const { }

void HistoryItemRowPainter::paintAccessories(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    const HistoryItemRowLayout &rowLayout = context.layout;
    for (qsizetype i = 0; i < rowLayout.tagChips.size() && i < context.configuration.tags.size(); ++i)
        TagChip::paint(painter, rowLayout.tagChips.at(i), context.configuration.tags.at(i).color, context.palette);
    if (!rowLayout.favoriteStar.isEmpty()) {
        const QPointF topLeft(rowLayout.favoriteStar.center().x() - FavoriteStar::size / 2.0,
            rowLayout.favoriteStar.center().y() - FavoriteStar::size / 2.0);
        FavoriteStar::paint(painter, topLeft, HistoryRowColors::label(context.palette), true);
    }
    if (!rowLayout.quickPaste.isEmpty() && context.configuration.quickPasteIndex) {
        QuickPasteLabel::paint(painter, rowLayout.quickPaste, *context.configuration.quickPasteIndex, context.palette,
            context.emphasized());
    }
    if (!rowLayout.applicationIcon.isEmpty()) {
        const std::optional<QImage> icon = ApplicationIconCache::shared().cachedApplicationIcon(
            context.item.sourceBundleIdentifier, context.item.sourceAppName, applicationIconSize);
        if (icon && !icon->isNull()) {
            QSizeF size = QSizeF(icon->size()) / icon->devicePixelRatio();
            size.scale(rowLayout.applicationIcon.size().boundedTo(size), Qt::KeepAspectRatio);
            const QRectF target(
                rowLayout.applicationIcon.center() - QPointF(size.width() / 2, size.height() / 2), size);
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, *icon);
            painter.restore();
        }
    }
}

void HistoryItemRowPainter::paintTextLine(
    QPainter &painter, const HistoryItemRowPaintContext &context, bool followsSelection) const
{
    const QRectF &body = context.layout.body;
    const QRectF line(body.left(), body.top(), qMax(0.0, body.width() - context.layout.accessoryReserve()),
        m_metrics.textLineHeight());
    const QColor color = followsSelection ? HistoryRowColors::label(context.palette, context.emphasized())
                                          : HistoryRowColors::label(context.palette);
    context.label(TextUtilities::firstLine(context.item.defaultTitle()).toString(), m_metrics.textFont(), color)
        .paint(painter, line);
}

void HistoryItemRowPainter::paintKindSymbol(
    QPainter &painter, const QRectF &box, const ClipboardItem &item, const QPalette &palette, qreal opacity) const
{
    const qreal side = qMin(box.width(), box.height());
    if (side < 1)
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap symbol
        = Symbols::tintedPixmap(symbolName(item), qRound(side), HistoryRowColors::rowTint(item.kind, palette), ratio);
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawPixmap(QPointF(box.center().x() - side / 2, box.center().y() - side / 2), symbol);
    painter.restore();
}

QString HistoryItemRowPainter::toolTip(const QRectF &rowRect, const ClipboardItem &item,
    const HistoryItemRowConfiguration &configuration, const QPointF &position) const
{
    const HistoryItemRowLayout rowLayout = layout(rowRect, item, configuration);
    if (rowLayout.typeIcon.contains(position))
        return typeIcon(item, configuration, nullptr).toolTip();
    for (qsizetype i = 0; i < rowLayout.tagChips.size() && i < configuration.tags.size(); ++i) {
        if (rowLayout.tagChips.at(i).contains(position))
            return configuration.tags.at(i).name;
    }
    if (rowLayout.applicationIcon.contains(position))
        return item.sourceAppName.value_or(QString());
    if (rowLayout.quickPaste.contains(position) && configuration.quickPasteIndex)
        return QuickPasteLabel::shortcutText(*configuration.quickPasteIndex);
    return QString();
}

bool showHistoryItemRowToolTip(QHelpEvent &event, QAbstractItemView &view, const QRectF &rowRect,
    const ClipboardItem &item, const HistoryItemRowConfiguration &configuration)
{
    const QString text = HistoryItemRowPainter::forReuseIdentifier(historyItemRowReuseIdentifier(item))
                             .toolTip(rowRect, item, configuration, event.pos());
    if (text.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event.globalPos(), text, view.viewport(), rowRect.toAlignedRect());
    return true;
}

namespace HistorySectionHeaderCell {

void paint(QPainter &painter, const QRectF &rowRect, const QString &title, bool isFirstRow, const QPalette &palette)
{
    QFont font = painter.font();
    font.setPixelSize(fontSize);
    font.setWeight(QFont::Normal);
    const QFontMetricsF metrics(font);
    const qreal top = rowRect.top() + (isFirstRow ? firstTitleTop : titleTop);
    const QRectF titleRect(rowRect.left() + leading, top, qMax(0.0, rowRect.width() - 2 * leading), metrics.height());
    painter.setFont(font);
    painter.setPen(HistoryColors::sectionHeaderText(palette));
    painter.drawText(
        titleRect, Qt::AlignLeft | Qt::AlignTop, metrics.elidedText(title, Qt::ElideRight, titleRect.width()));
}

} // namespace HistorySectionHeaderCell
