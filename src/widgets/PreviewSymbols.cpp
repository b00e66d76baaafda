#include "PreviewSymbols.h"

#include "HistoryColors.h"
#include "HistorySymbols.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {

// Paints a theme symbol, or one of the drawn ones, in one colour: the given one, or the palette's text colour at
// the time of painting, so that the symbol follows the appearance.
class SymbolEngine final : public QIconEngine
{
public:
    SymbolEngine(QString symbol, std::optional<QColor> color) : m_symbol(std::move(symbol)), m_color(std::move(color))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor color = m_color.value_or(HistoryColors::label(QApplication::palette()));
        // On a selected row, as the row's text is.
        if (mode == QIcon::Selected && !m_color)
            color = QApplication::palette().color(QPalette::HighlightedText);
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, tinted(rect.size(), color, ratio));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new SymbolEngine(m_symbol, m_color); }

private:
    QPixmap tinted(QSize size, const QColor &color, qreal ratio) const
    {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(QPointF(0, 0), QSizeF(size));
        if (m_symbol == QLatin1String("circle")) {
            painter.setPen(QPen(color, 1.6));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(area.adjusted(2, 2, -2, -2));
            return pixmap;
        }
        const QIcon themed = HistorySymbols::icon(m_symbol);
        if (themed.isNull())
            return pixmap;
        themed.paint(&painter, area.toRect());
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(area, color);
        return pixmap;
    }

    QString m_symbol;
    std::optional<QColor> m_color;
};

} // namespace

namespace PreviewSymbols {

QIcon icon(const QString &symbolName)
{
    if (symbolName != QLatin1String("circle") && HistorySymbols::themeIconName(symbolName).isEmpty())
        return {};
    return QIcon(new SymbolEngine(symbolName, std::nullopt));
}

QIcon accentIcon(const QString &symbolName)
{
    return QIcon(new SymbolEngine(symbolName, accentColor(HistoryColors::isDark(QApplication::palette()))));
}

QColor accentColor(bool dark)
{
    return dark ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
}

} // namespace PreviewSymbols
