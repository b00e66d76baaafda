#include "PlainHistoryToolbar.h"

#include "FloatingHistoryWindow.h"
#include "Localization.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

PlainHistoryToolbar::PlainHistoryToolbar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("historyToolbar"));
    m_searchField = new QLineEdit(this);
    m_searchField->setObjectName(QStringLiteral("historySearchField"));
    m_searchField->setClearButtonEnabled(true);
    QFont font = m_searchField->font();
    font.setPixelSize(14);
    m_searchField->setFont(font);
    m_searchField->setMinimumHeight(30);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 6);
    layout->addWidget(m_searchField);
    connect(m_searchField, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_delegate)
            m_delegate->toolbarSearchTextDidChange(text);
    });
    updateAppearanceColors();
    relabel();
}

void PlainHistoryToolbar::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(historySeparatorColor(*this));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

void PlainHistoryToolbar::mousePressEvent(QMouseEvent *event)
{
    // The window moves when its toolbar is dragged.
    QWindow *window = this->window()->windowHandle();
    if (event->button() == Qt::LeftButton && window && window->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PlainHistoryToolbar::relabel()
{
    m_searchField->setPlaceholderText(localized(QStringLiteral("Search")));
}

QString PlainHistoryToolbar::searchText() const
{
    return m_searchField->text();
}

void PlainHistoryToolbar::setSearchText(const QString &text)
{
    if (m_searchField->text() != text)
        m_searchField->setText(text);
}

bool PlainHistoryToolbar::hasSelectedSearchText() const
{
    return m_searchField->hasSelectedText();
}

bool PlainHistoryToolbar::isSearchFieldFocused() const
{
    return m_searchField->hasFocus();
}

void PlainHistoryToolbar::focusSearchField()
{
    m_searchField->setFocus(Qt::ShortcutFocusReason);
    m_searchField->selectAll();
}

void PlainHistoryToolbar::clearSearch()
{
    if (m_searchField->text().isEmpty())
        return;
    m_searchField->clear();
    if (m_delegate)
        m_delegate->toolbarSearchTextDidChange(QString());
}

void PlainHistoryToolbar::insertKeyEvent(const QKeyEvent &event)
{
    m_searchField->setFocus(Qt::OtherFocusReason);
    m_searchField->end(false);
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text(), event.isAutoRepeat(), event.count());
    QCoreApplication::sendEvent(m_searchField, &copy);
}

void PlainHistoryToolbar::updateAppearanceColors()
{
    const QPalette colours = palette();
    const bool dark = colours.color(QPalette::Window).lightness() < 128;
    const QColor tint = colours.color(QPalette::PlaceholderText);
    // The field stands out from the window a little, with a hairline edge, in either appearance.
    const QColor field = dark ? QColor::fromRgbF(1, 1, 1, 0.08) : QColor::fromRgbF(0, 0, 0, 0.05);
    const QColor edge = dark ? QColor::fromRgbF(1, 1, 1, 0.14) : QColor::fromRgbF(0, 0, 0, 0.12);
    m_searchField->setStyleSheet(QStringLiteral("QLineEdit#historySearchField { background: %1; border: 1px solid %2; "
                                                "border-radius: 6px; padding: 2px 4px; }")
                                     .arg(field.name(QColor::HexArgb), edge.name(QColor::HexArgb)));

    // A lens and its handle, in the placeholder's colour.
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(qRound(16 * ratio), qRound(16 * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(tint, 1.6));
    painter.drawEllipse(QRectF(2, 2, 8.5, 8.5));
    painter.setPen(QPen(tint, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.8, 9.8), QPointF(13.5, 13.5));
    painter.end();
    const QIcon glass(pixmap);
    const QList<QAction *> actions = m_searchField->actions();
    for (QAction *action : actions) {
        if (action->objectName() == u"searchGlass") {
            m_searchField->removeAction(action);
            action->deleteLater();
        }
    }
    QAction *action = m_searchField->addAction(glass, QLineEdit::LeadingPosition);
    action->setObjectName(QStringLiteral("searchGlass"));
}
