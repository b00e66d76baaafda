#include "SearchTokenField.h"

#include "HistoryColors.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

const QFont &chipFont()
{
    static const QFont font = [] {
        QFont made;
        made.setPixelSize(14);
        made.setWeight(QFont::Normal);
        return made;
    }();
    return font;
}

} // namespace

SearchTokenChipView::SearchTokenChipView(SearchToken token, QWidget *parent)
    : QWidget(parent), m_token(std::move(token))
{
    setToolTip(m_token.title);
    setAttribute(Qt::WA_Hover);
}

void SearchTokenChipView::setSelected(bool selected)
{
    if (m_isSelected == selected)
        return;
    m_isSelected = selected;
    update();
}

int SearchTokenChipView::naturalWidth() const
{
    const int title
        = qMin(int(std::ceil(QFontMetricsF(chipFont()).horizontalAdvance(m_token.title))), maximumTitleWidth);
    return (m_token.image.isNull() ? 12 : 30) + title;
}

void SearchTokenChipView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect(), 6, 6);
    QColor fill;
    if (m_isSelected) {
        fill = palette().color(QPalette::Highlight);
        fill.setAlphaF(0.35f);
    } else {
        fill = HistoryColors::isDark(palette()) ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
    }
    painter.fillPath(shape, fill);

    const bool hasImage = !m_token.image.isNull();
    if (hasImage) {
        const QRectF imageRect(6, std::round((height - 14) / 2.0), 14, 14);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSizeF fitted = QSizeF(m_token.image.size()).scaled(imageRect.size(), Qt::KeepAspectRatio);
        painter.drawImage(
            QRectF(imageRect.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), m_token.image);
    }
    const QFontMetricsF metrics(chipFont());
    const qreal start = hasImage ? 24 : 6;
    const qreal width = qMax(0.0, this->width() - start - 6);
    const qreal lineHeight = std::ceil(metrics.ascent() + metrics.descent());
    painter.setFont(chipFont());
    painter.setPen(HistoryColors::label(palette()));
    painter.drawText(QRectF(start, std::round((height - lineHeight) / 2), width, lineHeight),
        Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(m_token.title, Qt::ElideRight, width));
}

void SearchTokenChipView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (onClick)
        onClick();
}

SearchTokenTextField::SearchTokenTextField(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::transparent);
    setPalette(colors);
}

void SearchTokenTextField::mousePressEvent(QMouseEvent *event)
{
    if (onMouseDown)
        onMouseDown();
    QLineEdit::mousePressEvent(event);
}

QList<int> searchTokenChipWidths(const QList<int> &naturalWidths, int fieldWidth)
{
    const qsizetype count = naturalWidths.size();
    if (count == 0)
        return {};
    const int available
        = fieldWidth - SearchTokenField::textMinimumWidth - (SearchTokenField::chipSpacing * int(count - 1) + 7);
    const int total = std::accumulate(naturalWidths.cbegin(), naturalWidths.cend(), 0);
    if (available <= 0 || total <= available)
        return naturalWidths;
    QList<qsizetype> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](qsizetype a, qsizetype b) { return naturalWidths.at(a) < naturalWidths.at(b); });
    QList<int> widths(count);
    int remaining = available;
    for (qsizetype handled = 0; handled < count; ++handled) {
        const qsizetype index = order.at(handled);
        const int left = int(count - handled);
        const int share = int(std::floor(double(remaining) / left));
        const int width = qMax(qMin(share, naturalWidths.at(index)), 44);
        widths[index] = width;
        remaining -= width;
    }
    return widths;
}

SearchTokenField::SearchTokenField(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    m_textField = new SearchTokenTextField(this);
    m_textField->installEventFilter(this);
    m_textField->onMouseDown = [this] {
        if (m_selectedChipIndex)
            deselectChip();
    };
    connect(m_textField, &QLineEdit::textEdited, this, [this] {
        if (m_selectedChipIndex)
            deselectChip();
        if (m_delegate)
            m_delegate->searchTokenFieldDidChangeText(*this);
    });
}

SearchTokenField::~SearchTokenField()
{
    m_textField->removeEventFilter(this);
    m_delegate = nullptr;
}

void SearchTokenField::setTokens(const QList<SearchToken> &tokens)
{
    if (tokens == m_tokens)
        return;
    m_tokens = tokens;
    m_selectedChipIndex.reset();
    rebuildChips();
    applyPlaceholder();
    if (onTokensWidthChange)
        onTokensWidthChange();
    layOutChildren();
}

void SearchTokenField::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    applyPlaceholder();
}

void SearchTokenField::applyPlaceholder()
{
    m_textField->setPlaceholderText(m_tokens.isEmpty() ? m_placeholder : QString());
}

void SearchTokenField::rebuildChips()
{
    qDeleteAll(m_chipViews);
    m_chipViews.clear();
    for (qsizetype index = 0; index < m_tokens.size(); ++index) {
        auto *chip = new SearchTokenChipView(m_tokens.at(index), this);
        chip->onClick = [this, index] { selectChip(int(index)); };
        chip->stackUnder(m_textField);
        chip->show();
        m_chipViews.append(chip);
    }
}

void SearchTokenField::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOutChildren();
}

void SearchTokenField::layOutChildren()
{
    QList<int> natural;
    for (const SearchTokenChipView *chip : std::as_const(m_chipViews))
        natural.append(chip->naturalWidth());
    const QList<int> widths = searchTokenChipWidths(natural, width());
    int x = 0;
    const int chipTop = int(std::round((height() - SearchTokenChipView::height) / 2.0));
    for (qsizetype i = 0; i < m_chipViews.size(); ++i) {
        m_chipViews.at(i)->setGeometry(x, chipTop, widths.at(i), SearchTokenChipView::height);
        x += widths.at(i) + chipSpacing;
    }
    if (!m_chipViews.isEmpty())
        x += 3;
    const int textHeight = m_textField->sizeHint().height();
    m_textField->setGeometry(
        x, int(std::round((height() - textHeight) / 2.0)), qMax(width() - x, textMinimumWidth), textHeight);
}

void SearchTokenField::selectChip(int index)
{
    if (index < 0 || index >= m_chipViews.size())
        return;
    m_selectedChipIndex = index;
    for (qsizetype i = 0; i < m_chipViews.size(); ++i)
        m_chipViews.at(i)->setSelected(i == index);
    setFocus(Qt::OtherFocusReason);
}

void SearchTokenField::deselectChip()
{
    m_selectedChipIndex.reset();
    for (SearchTokenChipView *chip : std::as_const(m_chipViews))
        chip->setSelected(false);
    m_textField->setFocus(Qt::OtherFocusReason);
    m_textField->setCursorPosition(0);
    m_textField->deselect();
}

void SearchTokenField::removeToken(int index)
{
    if (index < 0 || index >= m_tokens.size())
        return;
    const SearchToken removed = m_tokens.takeAt(index);
    m_selectedChipIndex.reset();
    rebuildChips();
    applyPlaceholder();
    if (onTokensWidthChange)
        onTokensWidthChange();
    layOutChildren();
    if (m_delegate)
        m_delegate->searchTokenFieldDidRemoveToken(*this, removed);
    m_textField->setFocus(Qt::OtherFocusReason);
    m_textField->setCursorPosition(0);
}

void SearchTokenField::keyPressEvent(QKeyEvent *event)
{
    if (!m_selectedChipIndex) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        removeToken(*m_selectedChipIndex);
        return;
    case Qt::Key_Escape:
    case Qt::Key_Right:
        deselectChip();
        return;
    case Qt::Key_Left:
        selectChip(qMax(0, *m_selectedChipIndex - 1));
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (m_delegate)
            m_delegate->searchTokenFieldMoveSelection(
                *this, event->key() == Qt::Key_Up ? HistorySelectionDirection::up : HistorySelectionDirection::down);
        return;
    default: {
        // Back to the text, where the typed character goes in at the start.
        deselectChip();
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat());
        QCoreApplication::sendEvent(m_textField, &copy);
        return;
    }
    }
}

void SearchTokenField::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_selectedChipIndex) {
        m_selectedChipIndex.reset();
        for (SearchTokenChipView *chip : std::as_const(m_chipViews))
            chip->setSelected(false);
    }
}

bool SearchTokenField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textField && event->type() == QEvent::KeyPress)
        return handleTextKey(*static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool SearchTokenField::handleTextKey(QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (event.modifiers() == Qt::NoModifier && m_textField->cursorPosition() == 0 && !m_textField->hasSelectedText()
            && !m_chipViews.isEmpty()) {
            selectChip(int(m_chipViews.size()) - 1);
            return true;
        }
        return false;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (m_delegate)
            m_delegate->searchTokenFieldMoveSelection(
                *this, event.key() == Qt::Key_Up ? HistorySelectionDirection::up : HistorySelectionDirection::down);
        return true;
    case Qt::Key_Tab:
        return m_delegate && m_delegate->searchTokenFieldPerform(*this, SearchTokenFieldCommand::accept);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_delegate)
            m_delegate->searchTokenFieldPerform(*this, SearchTokenFieldCommand::accept);
        return true;
    case Qt::Key_Escape:
        return m_delegate && m_delegate->searchTokenFieldPerform(*this, SearchTokenFieldCommand::cancel);
    default:
        return false;
    }
}

void SearchTokenField::insertKeyEvent(const QKeyEvent &event)
{
    m_textField->setFocus(Qt::OtherFocusReason);
    if (event.text().isEmpty())
        return;
    m_textField->end(false);
    // An insertion is an edit: the owner hears of it through textEdited.
    m_textField->insert(event.text());
}
