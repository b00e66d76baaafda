#include "EmptyHistory.h"

#include "HistoryColors.h"
#include "HistoryRowMetrics.h"
#include "Symbols.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

EmptyHistory::EmptyHistory(
    const QString &title, const std::optional<QString> &message, const QString &symbolName, QWidget *parent)
    : QWidget(parent), m_symbolName(symbolName)
{
    m_symbol = new QLabel(this);
    m_symbol->setFixedSize(symbolBoxSize, symbolBoxSize);
    m_symbol->setAlignment(Qt::AlignCenter);
    m_symbol->setAccessibleName(title);

    m_title = new QLabel(title, this);
    QFont titleFont = font();
    titleFont.setPixelSize(HistoryRowMetrics::systemFontSize + 8);
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_title->setAlignment(Qt::AlignCenter);

    if (message) {
        m_message = new QLabel(*message, this);
        QFont messageFont = font();
        messageFont.setPixelSize(HistoryRowMetrics::systemFontSize);
        m_message->setFont(messageFont);
        m_message->setAlignment(Qt::AlignCenter);
        m_message->setWordWrap(true);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(sideMargin, 0, sideMargin, 0);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addWidget(m_title);
    if (m_message)
        layout->addWidget(m_message);
    layout->addStretch(1);

    applyColors();
}

QString EmptyHistory::title() const
{
    return m_title->text();
}

std::optional<QString> EmptyHistory::message() const
{
    return m_message ? std::optional<QString>(m_message->text()) : std::nullopt;
}

void EmptyHistory::setTexts(const QString &title, const std::optional<QString> &message)
{
    m_title->setText(title);
    m_symbol->setAccessibleName(title);
    if (m_message && message)
        m_message->setText(*message);
}

QList<QLabel *> EmptyHistory::arrangedLabels() const
{
    QList<QLabel *> labels {m_symbol, m_title};
    if (m_message)
        labels.append(m_message);
    return labels;
}

void EmptyHistory::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void EmptyHistory::applyColors()
{
    if (!m_title) // still being built
        return;
    const QColor color = HistoryColors::secondaryLabel(palette());
    m_symbol->setPixmap(Symbols::tintedPixmap(m_symbolName, symbolPointSize, color, devicePixelRatioF()));
    // A style sheet rather than the labels' palettes: a palette set on a child is overridden when the
    // application's palette changes after it.
    const QString sheet = QStringLiteral("color: rgba(%1, %2, %3, %4);")
                              .arg(color.red())
                              .arg(color.green())
                              .arg(color.blue())
                              .arg(color.alpha());
    for (QLabel *label : {m_title, m_message}) {
        if (label)
            label->setStyleSheet(sheet);
    }
}

namespace FavoriteStar {

void paint(QPainter &painter, const QPointF &topLeft, const QColor &color, bool isFavorite)
{
    if (!isFavorite)
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawPixmap(topLeft, Symbols::tintedPixmap(QStringLiteral("star"), size, color, ratio));
}

} // namespace FavoriteStar
