#include "ItemPreviewDetailsView.h"

#include "HistoryRowParts.h"

#include "FileTypes.h"
#include "HistoryColors.h"
#include "Localization.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

// The small system font size.
constexpr int smallFontSize = 11;
constexpr int iconSize = 14;

QLocale interfaceLocale()
{
    return QLocale(currentInterfaceLanguage());
}

QFont smallFont(QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(smallFontSize);
    font.setWeight(weight);
    return font;
}

class SeparatorView final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QColor color = HistoryColors::label(palette());
        color.setAlphaF(0.1f);
        painter.fillRect(rect(), color);
    }
};

std::pair<QWidget *, QLabel *> makeFieldView(const ItemPreviewDetailsView::Field &field, QWidget *parent)
{
    auto *view = new QWidget(parent);
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);

    auto *title = new QLabel(field.title, view);
    title->setFont(smallFont(QFont::DemiBold));
    title->setTextFormat(Qt::PlainText);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, HistoryColors::label(parent->palette()));
    title->setPalette(titlePalette);
    column->addWidget(title);

    auto *value = new QLabel(field.value, view);
    value->setFont(smallFont(QFont::Normal));
    value->setTextFormat(Qt::PlainText);
    QPalette valuePalette = value->palette();
    valuePalette.setColor(QPalette::WindowText, HistoryColors::secondaryLabel(parent->palette()));
    value->setPalette(valuePalette);
    if (field.icon.isNull()) {
        column->addWidget(value);
    } else {
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        auto *icon = new QLabel(view);
        icon->setPixmap(field.icon.pixmap(iconSize, iconSize));
        icon->setFixedSize(iconSize, iconSize);
        row->addWidget(icon);
        row->addWidget(value, 1);
        column->addLayout(row);
    }
    view->setToolTip(field.value);
    return {view, value};
}

QIcon applicationIcon(const ClipboardItem &item)
{
    // The desktop entry names the icon; without one the identifier itself often is an icon name.
    for (const auto &name : {item.sourceBundleIdentifier, item.sourceAppName}) {
        if (name && !name->isEmpty()) {
            const QIcon icon = QIcon::fromTheme(*name);
            if (!icon.isNull())
                return icon;
            const QIcon lower = QIcon::fromTheme(name->toLower());
            if (!lower.isNull())
                return lower;
        }
    }
    return {};
}

} // namespace

ItemPreviewDetailsView::ItemPreviewDetailsView(const ClipboardItem &item, QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    update(item);
}

QString ItemPreviewDetailsView::typeTitle(const ClipboardItem &item)
{
    if (item.kind == ClipboardKind::file && item.filePaths.size() >= 2)
        return localized(QStringLiteral("Files"));
    return item.kind.title();
}

QString ItemPreviewDetailsView::formattedNumber(qint64 number)
{
    return interfaceLocale().toString(number);
}

QString ItemPreviewDetailsView::formattedByteCount(qint64 bytes)
{
    // The same text the history rows show.
    return ::formattedByteCount(bytes);
}

QString ItemPreviewDetailsView::formattedDate(const QDateTime &date)
{
    return interfaceLocale().toString(date.toLocalTime(), QLocale::ShortFormat);
}

qsizetype ItemPreviewDetailsView::characterCount(const QString &text)
{
    // The count runs on every keystroke while a text is edited, so most of a text is counted without the full
    // rules: below U+0300 no two neighbouring characters join into one cluster except CR LF, and between two such
    // neighbours there is always a boundary. Only the runs between those places go through the boundary finder.
    constexpr char16_t plainLimit = 0x300;
    const auto *data = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    const auto plain = [&](qsizetype i) { return data[i] < plainLimit; };
    const auto alwaysBreaksBefore
        = [&](qsizetype i) { return plain(i - 1) && plain(i) && !(data[i - 1] == u'\r' && data[i] == u'\n'); };
    QVarLengthArray<uchar, 256> attributes;
    qsizetype count = 0;
    qsizetype i = 0;
    while (i < size) {
        if (data[i] == u'\r' && i + 1 < size && data[i + 1] == u'\n') {
            ++count; // one cluster, and always a boundary after it
            i += 2;
            continue;
        }
        if (i + 1 == size || alwaysBreaksBefore(i + 1)) {
            ++count;
            ++i;
            continue;
        }
        qsizetype end = i + 2;
        while (end < size && !alwaysBreaksBefore(end))
            ++end;
        attributes.resize(end - i + 1);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar *>(data + i), end - i,
            attributes.data(), attributes.size());
        while (finder.toNextBoundary() > 0)
            ++count;
        i = end;
    }
    return count;
}

qsizetype ItemPreviewDetailsView::utf8Size(const QString &text)
{
    qsizetype bytes = 0;
    const auto *data = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i];
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(data[i + 1])) {
            bytes += 4;
            ++i;
        } else if (QChar::isSurrogate(c)) {
            bytes += 1; // a lone surrogate is written as "?"
        } else {
            bytes += 3;
        }
    }
    return bytes;
}

std::optional<QSize> ItemPreviewDetailsView::imagePixelSize(const QString &path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return size;
}

QList<ItemPreviewDetailsView::Field> ItemPreviewDetailsView::fields(const ClipboardItem &item)
{
    QList<Field> fields;
    fields.append({localized(QStringLiteral("Type")), typeTitle(item), {}, std::nullopt});

    std::optional<QSize> dimensions;
    if (item.kind.isTextLike()) {
        fields.append({localized(QStringLiteral("Characters")), formattedNumber(characterCount(item.primaryText())), {},
            FieldKey::characters});
    } else if (item.kind == ClipboardKind::image) {
        dimensions = item.imagePixelSize();
    } else if (item.filePaths.size() == 1 && isImageFilePath(item.filePaths.first())) {
        dimensions = imagePixelSize(item.filePaths.first());
    }
    if (dimensions) {
        fields.append({localized(QStringLiteral("Dimensions")),
            formattedNumber(dimensions->width()) + QStringLiteral(" \u00D7 ") + formattedNumber(dimensions->height()),
            {}, std::nullopt});
    }

    fields.append({localized(QStringLiteral("Size")), formattedByteCount(item.byteSize), {}, FieldKey::size});
    if (item.sourceAppName || item.sourceBundleIdentifier) {
        fields.append({localized(QStringLiteral("Application")),
            item.sourceAppName ? *item.sourceAppName : *item.sourceBundleIdentifier, applicationIcon(item),
            std::nullopt});
    }
    fields.append({localized(QStringLiteral("First Copy")), formattedDate(item.firstCopiedAt), {}, std::nullopt});
    fields.append({localized(QStringLiteral("Last Copy")), formattedDate(item.copiedAt), {}, std::nullopt});
    fields.append({localized(QStringLiteral("Copies")), formattedNumber(item.copyCount + 1), {}, std::nullopt});
    return fields;
}

void ItemPreviewDetailsView::update(const ClipboardItem &item)
{
    m_item = item;
    qDeleteAll(m_fieldViews);
    qDeleteAll(m_separatorViews);
    m_fieldViews.clear();
    m_separatorViews.clear();
    m_valueFieldsByKey.clear();

    const QList<Field> itemFields = fields(item);
    for (const Field &field : itemFields) {
        if (!m_fieldViews.isEmpty()) {
            auto *separator = new SeparatorView(this);
            separator->show();
            m_separatorViews.append(separator);
        }
        const auto [view, value] = makeFieldView(field, this);
        if (field.key)
            m_valueFieldsByKey.insert(*field.key, value);
        view->show();
        m_fieldViews.append(view);
    }
    m_contentHeight = 0;
    layoutFields(width(), true);
    updateGeometry();
}

void ItemPreviewDetailsView::updateEditingText(const QString &text)
{
    updateEditingCounts(characterCount(text), utf8Size(text));
}

void ItemPreviewDetailsView::updateEditingCounts(qsizetype characterCount, qsizetype bytes)
{
    if (QLabel *characters = m_valueFieldsByKey.value(FieldKey::characters))
        characters->setText(formattedNumber(characterCount));
    if (QLabel *size = m_valueFieldsByKey.value(FieldKey::size))
        size->setText(formattedByteCount(bytes));
    for (QLabel *label : std::as_const(m_valueFieldsByKey)) {
        for (QWidget *view : std::as_const(m_fieldViews)) {
            if (view->isAncestorOf(label))
                view->setToolTip(label->text());
        }
    }
    layoutFields(width(), true);
}

QList<ItemPreviewDetailsView::FieldLine> ItemPreviewDetailsView::breakLines(const QList<int> &widths, double available)
{
    QList<FieldLine> lines;
    FieldLine current;
    for (int index = 0; index < widths.size(); ++index) {
        const int w = widths.at(index);
        if (!current.indices.isEmpty() && current.width + fieldGap + w > available) {
            lines.append(current);
            current = {};
        }
        current.width += current.indices.isEmpty() ? w : fieldGap + w;
        current.indices.append(index);
    }
    if (!current.indices.isEmpty())
        lines.append(current);
    return lines;
}

int ItemPreviewDetailsView::layoutFields(int width, bool apply)
{
    if (m_fieldViews.isEmpty())
        return 0;
    QList<int> widths;
    int rowHeight = 0;
    for (QWidget *view : std::as_const(m_fieldViews)) {
        const QSize fitting = view->sizeHint();
        widths.append(fitting.width());
        rowHeight = std::max(rowHeight, fitting.height());
    }
    const int available = std::max(width - 2 * horizontalMargin, 1);
    const QList<FieldLine> lines = breakLines(widths, available);
    const int count = int(lines.size());
    const int height = rowHeight * count + lineSpacing * (count - 1) + 2 * verticalMargin;
    if (!apply)
        return height;

    for (int k = 0; k < count; ++k) {
        const FieldLine &line = lines.at(k);
        const int y = verticalMargin + k * (rowHeight + lineSpacing);
        double x = horizontalMargin + std::max((available - line.width) / 2, 0.0);
        for (const int j : line.indices) {
            if (j >= 1) {
                QWidget *separator = m_separatorViews.at(j - 1);
                const bool first = j == line.indices.first();
                separator->setHidden(first);
                if (!first) {
                    separator->setGeometry(int(std::lround(x + 12)), y, 1, rowHeight);
                    x += fieldGap;
                }
            }
            m_fieldViews.at(j)->setGeometry(int(std::lround(x)), y, std::min(available, widths.at(j)), rowHeight);
            x += widths.at(j);
        }
    }
    if (std::abs(height - m_contentHeight) > 0) {
        m_contentHeight = height;
        updateGeometry();
    }
    return height;
}

int ItemPreviewDetailsView::preferredWidth() const
{
    if (m_fieldViews.isEmpty())
        return 0;
    int sum = 0;
    for (QWidget *view : m_fieldViews)
        sum += view->sizeHint().width();
    return sum + fieldGap * int(m_separatorViews.size()) + 2 * horizontalMargin;
}

QSize ItemPreviewDetailsView::sizeHint() const
{
    return {preferredWidth(), heightForWidth(width() > 0 ? width() : preferredWidth())};
}

QSize ItemPreviewDetailsView::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

int ItemPreviewDetailsView::heightForWidth(int width) const
{
    return const_cast<ItemPreviewDetailsView *>(this)->layoutFields(width, false);
}

void ItemPreviewDetailsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The labels take their colours from the appearance when they are made.
    if (event->type() == QEvent::PaletteChange && !m_fieldViews.isEmpty())
        update(m_item);
}

void ItemPreviewDetailsView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutFields(width(), true);
}

void ItemPreviewDetailsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), HistoryColors::textBackground(palette()));
}
