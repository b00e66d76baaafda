#include "SearchSuggestionsPopup.h"

#include "HistoryColors.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextLayout>

#include <cmath>

namespace {

QFont rowFont(bool bold)
{
    QFont font;
    font.setPixelSize(14);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

// The panel: rows painted from the popup's list, hover and clicks reported back.
class SearchSuggestionsPanel final : public QWidget
{
public:
    explicit SearchSuggestionsPanel(SearchSuggestionsPopup &popup)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_popup(popup)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
    }

    int rowAt(const QPointF &point) const
    {
        const int row = int(
            std::floor((point.y() - SearchSuggestionsPopup::verticalPadding) / SearchSuggestionsPopup::rowHeight));
        return row >= 0 && row < m_popup.suggestions().size() ? row : -1;
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        // The rounded shape also where no compositor blends the corners away.
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 10, 10);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        QPainterPath outline;
        outline.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(outline, colors.color(QPalette::Window));
        painter.setPen(QPen(HistoryColors::isDark(colors) ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 40), 1));
        painter.drawPath(outline);

        const QList<SearchSuggestion> &suggestions = m_popup.suggestions();
        for (int row = 0; row < suggestions.size(); ++row) {
            const QRectF rowRect(0, SearchSuggestionsPopup::verticalPadding + row * SearchSuggestionsPopup::rowHeight,
                width(), SearchSuggestionsPopup::rowHeight);
            const bool highlighted = row == m_popup.selectedIndex();
            if (highlighted) {
                QPainterPath shape;
                shape.addRoundedRect(rowRect.adjusted(4, 1, -4, -1), 6, 6);
                painter.fillPath(shape, colors.color(QPalette::Highlight));
            }
            const SearchSuggestion &suggestion = suggestions.at(row);
            const QRectF imageRect(12, rowRect.top() + std::round((rowRect.height() - 16) / 2), 16, 16);
            if (!suggestion.token.image.isNull()) {
                // A type's symbol is drawn in the accent colour, which is also the highlight's: on the highlight it
                // takes the highlighted text's colour. Tag dots and application icons keep their own colours.
                if (highlighted && suggestion.token.kind.isContentType()) {
                    QImage tinted = suggestion.token.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                    QPainter tint(&tinted);
                    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                    tint.fillRect(tinted.rect(), colors.color(QPalette::HighlightedText));
                    tint.end();
                    painter.drawImage(imageRect, tinted);
                } else {
                    painter.drawImage(imageRect, suggestion.token.image);
                }
            }

            // The title with the matched part in bold, cut at its end.
            const QString &title = suggestion.token.title;
            QTextLayout layout(title, rowFont(false));
            QList<QTextLayout::FormatRange> formats;
            if (suggestion.matchRange && suggestion.matchRange->first >= 0
                && suggestion.matchRange->first + suggestion.matchRange->second <= title.size()) {
                QTextCharFormat bold;
                bold.setFontWeight(QFont::Bold);
                formats.append({int(suggestion.matchRange->first), int(suggestion.matchRange->second), bold});
            }
            layout.setFormats(formats);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            const qreal available = qMax(0.0, width() - 48.0);
            line.setLineWidth(1e6);
            layout.endLayout();
            painter.setPen(highlighted ? colors.color(QPalette::HighlightedText) : HistoryColors::label(colors));
            painter.save();
            painter.setClipRect(QRectF(36, rowRect.top(), available, rowRect.height()));
            layout.draw(&painter, QPointF(36, rowRect.top() + std::round((rowRect.height() - line.height()) / 2)));
            painter.restore();
        }
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        const int row = rowAt(event->position());
        if (row >= 0 && row != m_popup.selectedIndex())
            m_popup.highlight(row);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        event->accept();
        const int row = rowAt(event->position());
        if (row >= 0 && m_popup.onSelect)
            m_popup.onSelect(m_popup.suggestions().at(row));
    }

private:
    SearchSuggestionsPopup &m_popup;
};

SearchSuggestionsPopup::SearchSuggestionsPopup(QObject *parent) : QObject(parent) { }

SearchSuggestionsPopup::~SearchSuggestionsPopup() = default;

QWidget *SearchSuggestionsPopup::panel() const
{
    return m_panel.get();
}

QRect SearchSuggestionsPopup::frame(const QList<SearchSuggestion> &suggestions, const QRect &anchorRect,
    const std::optional<QRect> &availableScreenArea)
{
    const QFontMetricsF bold(rowFont(true));
    int widest = 0;
    for (const SearchSuggestion &suggestion : suggestions)
        widest = qMax(widest, int(std::ceil(bold.horizontalAdvance(suggestion.token.title))));
    const int width = qBound(120, widest + 54, 340);
    const int height = int(suggestions.size()) * rowHeight + 2 * verticalPadding;
    int x = anchorRect.left() - 36; // the titles line up with the text above
    int y = anchorRect.top() + anchorRect.height() + 6;
    if (availableScreenArea) {
        const QRect &area = *availableScreenArea;
        x = qMin(area.left() + area.width() - width - 4, qMax(x, area.left() + 4));
        y = qMin(y, area.top() + area.height() - 4 - height);
    }
    return QRect(x, y, width, height);
}

void SearchSuggestionsPopup::show(
    const QList<SearchSuggestion> &suggestions, const QRect &anchorRect, QWidget *parentWindow)
{
    if (suggestions.isEmpty()) {
        hide();
        return;
    }
    std::optional<SearchToken> remembered;
    if (m_selectedIndex >= 0 && m_selectedIndex < m_suggestions.size())
        remembered = m_suggestions.at(m_selectedIndex).token;
    m_suggestions = suggestions;
    m_selectedIndex = 0;
    if (remembered) {
        for (int i = 0; i < m_suggestions.size(); ++i) {
            if (m_suggestions.at(i).token == *remembered) {
                m_selectedIndex = i;
                break;
            }
        }
    }
    if (!m_panel)
        m_panel = std::make_unique<SearchSuggestionsPanel>(*this);
    if (parentWindow)
        m_panel->setPalette(parentWindow->palette());

    std::optional<QRect> area;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(anchorRect)) {
            area = screen->availableGeometry();
            break;
        }
    }
    m_panel->setGeometry(frame(m_suggestions, anchorRect, area));
    m_panel->update();
    if (!m_panel->isVisible())
        m_panel->show();
}

void SearchSuggestionsPopup::hide()
{
    if (m_panel)
        m_panel->hide();
}

bool SearchSuggestionsPopup::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

std::optional<SearchSuggestion> SearchSuggestionsPopup::highlightedSuggestion() const
{
    if (!isVisible() || m_selectedIndex < 0 || m_selectedIndex >= m_suggestions.size())
        return std::nullopt;
    return m_suggestions.at(m_selectedIndex);
}

void SearchSuggestionsPopup::moveHighlight(HistorySelectionDirection direction)
{
    if (m_suggestions.isEmpty())
        return;
    const int count = int(m_suggestions.size());
    const int step = direction == HistorySelectionDirection::down ? 1 : -1;
    highlight(((m_selectedIndex + step) % count + count) % count);
}

void SearchSuggestionsPopup::highlight(int index)
{
    if (index < 0 || index >= m_suggestions.size())
        return;
    m_selectedIndex = index;
    if (m_panel)
        m_panel->update();
}
