#include "HistoryItemTypeIcon.h"

#include "HistoryRowParts.h"
#include "Symbols.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

void HistoryItemTypeIcon::configure(ClipboardKind kind, const QString &symbolName)
{
    m_kind = kind;
    m_symbolName = symbolName;
    m_swatchColor.reset();
    m_image = QImage();
    m_selectionOrderNumber.reset();
    m_showsSelectionOrderPlaceholder = false;
    m_imageInset = 3;
    m_toolTip = kind.title();
}

void HistoryItemTypeIcon::configureSwatch(const QColor &color, const QString &toolTip)
{
    m_kind.reset();
    m_swatchColor = color;
    m_image = QImage();
    m_selectionOrderNumber.reset();
    m_showsSelectionOrderPlaceholder = false;
    m_imageInset = 4;
    m_toolTip = toolTip;
}

void HistoryItemTypeIcon::configureImage(const QImage &image, const QString &toolTip, std::optional<qreal> inset)
{
    m_kind.reset();
    m_swatchColor.reset();
    m_image = image;
    m_selectionOrderNumber.reset();
    m_showsSelectionOrderPlaceholder = false;
    m_imageInset = inset.value_or(4);
    m_toolTip = toolTip;
}

bool HistoryItemTypeIcon::setSelectionOrder(std::optional<int> number, bool showsPlaceholder)
{
    const bool placeholder = !number && showsPlaceholder;
    if (number == m_selectionOrderNumber && placeholder == m_showsSelectionOrderPlaceholder)
        return false;
    m_selectionOrderNumber = number;
    m_showsSelectionOrderPlaceholder = placeholder;
    return true;
}

bool HistoryItemTypeIcon::isImageHidden() const
{
    return m_selectionOrderNumber || m_showsSelectionOrderPlaceholder || m_swatchColor;
}

void HistoryItemTypeIcon::paint(QPainter &painter, const QRectF &rect, const QPalette &palette) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isImageHidden()) {
        const QRectF imageRect = rect.adjusted(m_imageInset, m_imageInset, -m_imageInset, -m_imageInset);
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        if (m_kind) {
            const int size = qRound(qMin(imageRect.width(), imageRect.height()));
            painter.drawPixmap(imageRect.topLeft(),
                Symbols::tintedPixmap(m_symbolName, size, HistoryRowColors::typeSymbol(palette), ratio));
        } else if (!m_image.isNull()) {
            // Scaled down to fit, centred, never enlarged.
            QSizeF size = QSizeF(m_image.size()) / m_image.devicePixelRatio();
            if (size.width() > imageRect.width() || size.height() > imageRect.height())
                size.scale(imageRect.size(), Qt::KeepAspectRatio);
            const QRectF target(imageRect.center() - QPointF(size.width() / 2, size.height() / 2), size);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, m_image);
        }
    }
    if (m_selectionOrderNumber) {
        const QRectF oval = rect.adjusted(2, 2, -2, -2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(HistoryRowColors::accent(palette));
        painter.drawEllipse(oval);
        QFont font = QGuiApplication::font();
        font.setPixelSize(badgeFontPixelSize(*m_selectionOrderNumber));
        font.setWeight(QFont::DemiBold);
        font.setStyleHint(QFont::Monospace);
        const QString digits = QString::number(*m_selectionOrderNumber);
        const QFontMetricsF metrics(font);
        const QSizeF textSize(metrics.horizontalAdvance(digits), metrics.height());
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(oval.center().x() - textSize.width() / 2,
                             oval.center().y() - textSize.height() / 2 + metrics.ascent()),
            digits);
    } else if (m_showsSelectionOrderPlaceholder) {
        painter.setPen(QPen(HistoryRowColors::tertiaryLabel(palette), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(rect.adjusted(2.75, 2.75, -2.75, -2.75));
    } else if (m_swatchColor) {
        painter.setPen(QPen(HistoryRowColors::separator(palette), 1));
        painter.setBrush(*m_swatchColor);
        painter.drawEllipse(rect.adjusted(2, 2, -2, -2));
    }
    painter.restore();
}
