#include "RefusedCopyNotice.h"

#include "HistoryColors.h"
#include "Localization.h"
#include "Symbols.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int iconSize = 16;

} // namespace

RefusedCopyNotice::RefusedCopyNotice(QWidget *parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_label(new QLabel(this)), m_close(new QToolButton(this))
{
    setFixedHeight(height);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 6, 1);
    layout->setSpacing(8);
    m_icon->setFixedSize(iconSize, iconSize);
    QFont font = m_label->font();
    font.setPixelSize(12);
    m_label->setFont(font);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_close->setAutoRaise(true);
    m_close->setFixedSize(22, 22);
    m_close->setIconSize(QSize(14, 14));
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (onDismiss)
            onDismiss();
    });
    layout->addWidget(m_icon);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_close);
    refreshLook();
    hide();
}

void RefusedCopyNotice::setNotice(const std::optional<QString> &text)
{
    m_text = text.value_or(QString());
    m_label->setToolTip(m_text);
    const QString dismiss = localized(QStringLiteral("Dismiss"));
    m_close->setToolTip(dismiss);
    m_close->setAccessibleName(dismiss);
    elide();
    setVisible(text.has_value());
}

QString RefusedCopyNotice::text() const
{
    return m_text;
}

void RefusedCopyNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool dark = HistoryColors::isDark(palette());
    painter.fillRect(rect(), dark ? QColor(255, 214, 10, 28) : QColor(255, 204, 0, 40));
    painter.fillRect(QRect(0, height - 1, width(), 1), dark ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26));
}

void RefusedCopyNotice::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        refreshLook();
}

void RefusedCopyNotice::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    elide();
}

void RefusedCopyNotice::refreshLook()
{
    const bool dark = HistoryColors::isDark(palette());
    const QColor warning = dark ? QColor(255, 214, 10) : QColor(196, 140, 0);
    m_icon->setPixmap(
        Symbols::tintedPixmap(QStringLiteral("exclamationmark.triangle"), iconSize, warning, devicePixelRatioF()));
    QPalette labelPalette = m_label->palette();
    labelPalette.setColor(QPalette::WindowText, HistoryColors::label(palette()));
    m_label->setPalette(labelPalette);
    m_close->setIcon(QIcon(Symbols::tintedPixmap(
        QStringLiteral("xmark"), 14, HistoryColors::secondaryLabel(palette()), devicePixelRatioF())));
    update();
}

void RefusedCopyNotice::elide()
{
    m_label->setText(QFontMetrics(m_label->font()).elidedText(m_text, Qt::ElideRight, std::max(0, m_label->width())));
}
