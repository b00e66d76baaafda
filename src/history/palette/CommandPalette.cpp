#include "CommandPalette.h"

#include "HistoryColors.h"
#include "HistoryRowMetrics.h"
#include "Localization.h"
#include "ShortcutText.h"
#include "Symbols.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <cmath>

namespace {

constexpr int searchContainerHeight = 52;
constexpr int listInset = 8;

QColor systemRed(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

QColor separatorColor(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
}

QColor selectionFill()
{
    return QColor(142, 142, 147, 51); // system grey at 0.2
}

QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

// The rows as Qt's view sees them: how many, and which can be selected.
class CommandPaletteListModel final : public QAbstractListModel
{
public:
    explicit CommandPaletteListModel(const QList<CommandPaletteRow> &rows, QObject *parent)
        : QAbstractListModel(parent), m_rows(rows)
    { }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return QVariant();
        const CommandPaletteRow &row = m_rows.at(index.row());
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return row.isCommand() ? row.command.title : row.title;
        // A description is one line, cut where the row has no room for it: the whole of it on hover.
        if (role == Qt::ToolTipRole && row.isCommand() && row.command.description)
            return *row.command.description;
        return QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return Qt::NoItemFlags;
        return m_rows.at(index.row()).isCommand() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const QList<CommandPaletteRow> &m_rows;
};

CommandPaletteListView::CommandPaletteListView(QWidget *parent) : QListView(parent)
{
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Commands below the fold (Settings..., Delete, Delete All) must be discoverable: the bar shows when the list
    // is longer than the panel.
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setFocusPolicy(Qt::NoFocus); // keys stay in the search field
    setUniformItemSizes(false);
    viewport()->setAutoFillBackground(false);
    // 8 pixels of room above the first row and below the last.
    setViewportMargins(0, listInset, 0, listInset);
}

void CommandPaletteListView::mouseMoveEvent(QMouseEvent *event)
{
    QListView::mouseMoveEvent(event);
    if (onMouseMovedOverRow)
        onMouseMovedOverRow(indexAt(event->position().toPoint()).row());
}

void CommandPaletteListView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        QListView::mousePressEvent(event);
        return;
    }
    if (onMouseClickedRow)
        onMouseClickedRow(index.row());
}

void CommandPaletteListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The first click already ran the command.
    event->accept();
}

CommandPaletteRowDelegate::CommandPaletteRowDelegate(const QList<CommandPaletteRow> &rows, QObject *parent)
    : QStyledItemDelegate(parent), m_rows(rows)
{ }

QSize CommandPaletteRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    if (index.row() < 0 || index.row() >= m_rows.size())
        return QSize(1, 34);
    return QSize(1, int(commandPaletteRowHeight(m_rows.at(index.row()))));
}

CommandPaletteRowDelegate::RowLayout CommandPaletteRowDelegate::layout(const CommandPaletteRow &row, const QRectF &rect)
{
    RowLayout layout;
    switch (row.kind) {
    case CommandPaletteRow::Kind::divider:
        break;
    case CommandPaletteRow::Kind::sectionHeader:
        layout.texts.append({row.title, systemFont(HistoryRowMetrics::systemFontSize, QFont::DemiBold),
            rect.adjusted(12, row.hasTopSpacing ? 8 : 0, -12, 0)});
        break;
    case CommandPaletteRow::Kind::command: {
        const CommandPaletteCommand &command = row.command;
        const qreal textLeft = command.showsIcon ? rect.left() + 12 + 22 + 8 : rect.left() + 12;

        // The trailing end: the checkmark, or the key caps.
        qreal trailing = rect.right() - 10;
        if (command.isChecked) {
            layout.checkmark = QRectF(rect.right() - 14 - 13, rect.center().y() - 6.5, 13, 13);
            trailing = layout.checkmark->left() - 10;
        }
        const QFontMetricsF badgeMetrics(systemFont(HistoryRowMetrics::systemFontSize, QFont::Medium));
        layout.keyCaps = shortcutKeyCaps(command.shortcut);
        qreal x = trailing;
        for (qsizetype i = layout.keyCaps.size() - 1; i >= 0; --i) {
            const qreal width = qMax(20.0, std::ceil(badgeMetrics.horizontalAdvance(layout.keyCaps.at(i))) + 8);
            layout.badges.prepend(QRectF(x - width, rect.center().y() - 10, width, 20));
            x -= width + 4;
        }
        const qreal textRight = layout.badges.isEmpty() ? trailing : layout.badges.first().left() - 10;

        // Title over the description, the two centred together.
        const QFont titleFont = systemFont(HistoryRowMetrics::systemFontSize);
        const QFont descriptionFont = systemFont(HistoryRowMetrics::smallSystemFontSize);
        const qreal titleHeight = HistoryRowMetrics::labelHeight(titleFont);
        const bool hasDescription = command.description && !command.description->isEmpty();
        const qreal descriptionHeight = hasDescription ? HistoryRowMetrics::labelHeight(descriptionFont) : 0;
        const qreal stackHeight = titleHeight + (hasDescription ? 1 + descriptionHeight : 0);
        const qreal top = rect.center().y() - stackHeight / 2;
        const qreal width = qMax(0.0, textRight - textLeft);
        layout.texts.append({command.title, titleFont, QRectF(textLeft, top, width, titleHeight)});
        if (hasDescription) {
            layout.texts.append({*command.description, descriptionFont,
                QRectF(textLeft, top + titleHeight + 1, width, descriptionHeight)});
        }
        break;
    }
    }
    return layout;
}

void CommandPaletteRowDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.row() < 0 || index.row() >= m_rows.size())
        return;
    const CommandPaletteRow &row = m_rows.at(index.row());
    const QRectF rect = option.rect;
    const QPalette &palette = option.palette;
    const bool dark = HistoryColors::isDark(palette);
    const RowLayout layout = CommandPaletteRowDelegate::layout(row, rect);
    const auto drawText = [painter](const TextPlace &place) {
        painter->setFont(place.font);
        painter->drawText(place.rect, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(place.font).elidedText(place.text, Qt::ElideRight, place.rect.width()));
    };
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    switch (row.kind) {
    case CommandPaletteRow::Kind::divider: {
        const qreal y = rect.center().y();
        const qreal hairline = 1.0;
        painter->fillRect(
            QRectF(rect.left() + 10, y - hairline / 2, rect.width() - 20, hairline), separatorColor(palette));
        break;
    }
    case CommandPaletteRow::Kind::sectionHeader:
        painter->setPen(HistoryColors::secondaryLabel(palette));
        for (const TextPlace &place : layout.texts)
            drawText(place);
        break;
    case CommandPaletteRow::Kind::command: {
        const CommandPaletteCommand &command = row.command;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        if (selected) {
            QPainterPath shape;
            shape.addRoundedRect(rect.adjusted(8, 0, -8, 0), 12, 12);
            painter->fillPath(shape, selectionFill());
        }
        const QColor labelColor = HistoryColors::label(palette);
        const QColor selectedText = selected ? (dark ? QColor(Qt::white) : QColor(Qt::black)) : labelColor;
        const QColor primary = command.isDestructive ? systemRed(palette) : selectedText;
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;

        if (command.showsIcon) {
            const QRectF iconRect(rect.left() + 12, rect.center().y() - 11, 22, 22);
            if (!command.image.isNull()) {
                painter->drawImage(iconRect.adjusted(2, 2, -2, -2), command.image);
            } else {
                const QColor tint = command.isDestructive ? systemRed(palette) : labelColor;
                painter->drawPixmap(iconRect.adjusted(3, 3, -3, -3).topLeft(),
                    Symbols::tintedPixmap(command.systemImageName, 16, tint, ratio));
            }
        }
        if (layout.checkmark) {
            painter->drawPixmap(
                layout.checkmark->topLeft(), Symbols::tintedPixmap(QStringLiteral("checkmark"), 13, primary, ratio));
        }
        const QColor badgeText
            = selected ? (dark ? QColor(Qt::white) : QColor(Qt::black)) : HistoryColors::secondaryLabel(palette);
        const QColor badgeFill = selected ? (dark ? QColor(255, 255, 255, 46) : QColor(0, 0, 0, 20))
                                          : (dark ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26));
        painter->setFont(systemFont(HistoryRowMetrics::systemFontSize, QFont::Medium));
        for (qsizetype i = 0; i < layout.badges.size(); ++i) {
            QPainterPath shape;
            shape.addRoundedRect(layout.badges.at(i), 6, 6);
            painter->fillPath(shape, badgeFill);
            painter->setPen(badgeText);
            painter->drawText(layout.badges.at(i), Qt::AlignCenter, layout.keyCaps.at(i));
        }

        // The title, then the description in its own colour.
        painter->setPen(primary);
        drawText(layout.texts.first());
        if (layout.texts.size() > 1) {
            QColor descriptionColor = selectedText;
            if (selected)
                descriptionColor.setAlphaF(0.75f);
            else
                descriptionColor = HistoryColors::secondaryLabel(palette);
            painter->setPen(descriptionColor);
            drawText(layout.texts.at(1));
        }
        break;
    }
    }
    painter->restore();
}

CommandPalette::CommandPalette(QList<CommandPaletteCommand> commands, QSize contentSize, QString searchPlaceholderText,
    QString dismissalShortcut, QWidget *parent)
    : QWidget(parent), m_commands(std::move(commands)), m_dismissalShortcut(std::move(dismissalShortcut))
{
    setObjectName(QStringLiteral("CommandPalette"));
    resize(contentSize);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    setFocusPolicy(Qt::StrongFocus);

    m_searchContainer = new QWidget(this);
    m_searchIcon = new QLabel(m_searchContainer);
    m_searchIcon->setFixedSize(22, 22);
    m_searchIcon->setAlignment(Qt::AlignCenter);
    m_searchIcon->setAccessibleName(localized(QStringLiteral("Search")));
    m_searchField = new QLineEdit(m_searchContainer);
    m_searchField->setFrame(false);
    m_searchField->setFont(systemFont(HistoryRowMetrics::systemFontSize + 1));
    m_searchField->setPlaceholderText(searchPlaceholderText);
    m_searchField->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_searchField->installEventFilter(this);
    m_searchDivider = new QWidget(m_searchContainer);
    m_searchDivider->setAutoFillBackground(true);

    m_listView = new CommandPaletteListView(this);
    m_model = new CommandPaletteListModel(m_rows, this);
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(new CommandPaletteRowDelegate(m_rows, m_listView));
    m_listView->onMouseMovedOverRow = [this](int row) {
        if (row >= 0 && row < m_rows.size() && m_rows.at(row).isCommand() && row != selectedRow())
            selectRow(row);
    };
    m_listView->onMouseClickedRow = [this](int row) { runRow(row); };

    m_noResultsLabel = new QLabel(localized(QStringLiteral("No Results")), this);
    m_noResultsLabel->setFont(systemFont(14));
    m_noResultsLabel->setAlignment(Qt::AlignCenter);
    m_noResultsLabel->hide();

    // Fixed geometry from the palette's figures.
    const int width = contentSize.width();
    const int height = contentSize.height();
    m_searchContainer->setGeometry(0, 0, width, searchContainerHeight);
    m_searchIcon->move(16, (searchContainerHeight - 22) / 2);
    const int fieldLeft = 16 + 22 + 8;
    const int fieldHeight = m_searchField->sizeHint().height();
    m_searchField->setGeometry(
        fieldLeft, (searchContainerHeight - fieldHeight) / 2, width - fieldLeft - 16, fieldHeight);
    m_searchDivider->setGeometry(0, searchContainerHeight - 1, width, 1);
    m_listView->setGeometry(0, searchContainerHeight, width, height - searchContainerHeight);
    m_noResultsLabel->setGeometry(m_listView->geometry());

    connect(m_searchField, &QLineEdit::textChanged, this, &CommandPalette::filter);
    applyColors();
    filter();
}

int CommandPalette::fittingWidth(const QList<CommandPaletteCommand> &commands, int height)
{
    const QList<CommandPaletteRow> rows = commandPaletteRows(commands);
    // The titles are measured in a row far wider than any, which leaves them their room and nothing else.
    constexpr qreal probe = 10000;
    qreal widest = 0;
    qreal rowsHeight = 2 * listInset;
    // The rows' titles share one or two fonts: their metrics are made once.
    std::optional<QFont> lastFont;
    std::optional<QFontMetricsF> lastMetrics;
    for (const CommandPaletteRow &row : rows) {
        const qreal rowHeight = commandPaletteRowHeight(row);
        rowsHeight += rowHeight;
        const CommandPaletteRowDelegate::RowLayout layout
            = CommandPaletteRowDelegate::layout(row, QRectF(0, 0, probe, rowHeight));
        if (layout.texts.isEmpty())
            continue;
        const CommandPaletteRowDelegate::TextPlace &title = layout.texts.first();
        if (!lastFont || *lastFont != title.font) {
            lastFont = title.font;
            lastMetrics.emplace(title.font);
        }
        widest = qMax(widest, probe - title.rect.width() + lastMetrics->horizontalAdvance(title.text));
    }
    const int scrollBar = rowsHeight > height - searchContainerHeight
        ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent)
        : 0;
    return int(std::ceil(widest)) + scrollBar;
}

CommandPalette::~CommandPalette()
{
    m_searchField->removeEventFilter(this);
}

void CommandPalette::applyColors()
{
    if (!m_noResultsLabel) // still being built
        return;
    const QPalette &colors = palette();
    m_searchIcon->setPixmap(Symbols::tintedPixmap(
        QStringLiteral("magnifyingglass"), 16, colors.color(QPalette::PlaceholderText), devicePixelRatioF()));
    QPalette dividerPalette = m_searchDivider->palette();
    dividerPalette.setColor(QPalette::Window, separatorColor(colors));
    m_searchDivider->setPalette(dividerPalette);
    QPalette fieldPalette = m_searchField->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    m_searchField->setPalette(fieldPalette);
    const QColor secondary = HistoryColors::secondaryLabel(colors);
    m_noResultsLabel->setStyleSheet(QStringLiteral("color: rgba(%1, %2, %3, %4);")
                                        .arg(secondary.red())
                                        .arg(secondary.green())
                                        .arg(secondary.blue())
                                        .arg(secondary.alpha()));
}

void CommandPalette::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void CommandPalette::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_searchField->setFocus();
}

int CommandPalette::selectedRow() const
{
    const QModelIndexList selected = m_listView->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CommandPalette::selectRow(int row)
{
    if (row < 0 || row >= m_rows.size()) {
        m_listView->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_listView->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    m_listView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_listView->scrollTo(index);
}

void CommandPalette::filter()
{
    const QString query = commandPaletteQuery(m_searchField->text());
    QList<CommandPaletteCommand> passing;
    for (const CommandPaletteCommand &command : std::as_const(m_commands)) {
        if (commandPaletteCommandMatches(command, query))
            passing.append(command);
    }
    m_rows = commandPaletteRows(passing);
    const bool noResults = !query.isEmpty() && passing.isEmpty();
    m_listView->setVisible(!noResults);
    m_noResultsLabel->setVisible(noResults);
    m_model->reload();
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).isCommand()) {
            selectRow(row);
            return;
        }
    }
    m_listView->clearSelection();
}

void CommandPalette::moveSelection(bool up)
{
    if (m_rows.isEmpty())
        return;
    const int current = selectedRow();
    int target = -1;
    if (up) {
        for (int row = current < 0 ? int(m_rows.size()) - 1 : current - 1; row >= 0; --row) {
            if (m_rows.at(row).isCommand()) {
                target = row;
                break;
            }
        }
    } else {
        for (int row = current < 0 ? 0 : current + 1; row < m_rows.size(); ++row) {
            if (m_rows.at(row).isCommand()) {
                target = row;
                break;
            }
        }
    }
    if (target >= 0)
        selectRow(target);
}

void CommandPalette::runRow(int row)
{
    if (m_isDismissed || row < 0 || row >= m_rows.size() || !m_rows.at(row).isCommand())
        return;
    selectRow(row);
    // The action runs while the palette is still up; it closes after.
    const CommandPaletteCommand command = m_rows.at(row).command;
    if (command.action)
        command.action();
    dismiss();
}

void CommandPalette::dismiss()
{
    if (m_isDismissed)
        return;
    m_isDismissed = true;
    hide();
    if (onDismiss) {
        const auto report = std::move(onDismiss);
        onDismiss = nullptr;
        report();
    }
}

bool CommandPalette::matchesDismissalShortcut(const QKeyEvent &event) const
{
    const auto sequence = ShortcutText::keySequence(m_dismissalShortcut);
    if (!sequence || sequence->isEmpty())
        return false;
    const QKeyCombination wanted = (*sequence)[0];
    const Qt::KeyboardModifiers relevant
        = event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    return event.key() == wanted.key() && relevant == wanted.keyboardModifiers();
}

bool CommandPalette::handleKey(const QKeyEvent &event)
{
    if (m_isDismissed)
        return false;
    if (matchesDismissalShortcut(event)) {
        dismiss();
        return true;
    }
    switch (event.key()) {
    case Qt::Key_Escape:
        dismiss();
        return true;
    case Qt::Key_Up:
        moveSelection(true);
        return true;
    case Qt::Key_Down:
        moveSelection(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runRow(selectedRow());
        return true;
    default:
        return false;
    }
}

bool CommandPalette::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_searchField && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            // Our keys, not the window's shortcuts, while the palette has the focus.
            if (matchesDismissalShortcut(*key) || key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return
                || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                event->accept();
                return true;
            }
            return false;
        }
        return handleSearchFieldKey(*key);
    }
    return QWidget::eventFilter(watched, event);
}

bool CommandPalette::handleSearchFieldKey(const QKeyEvent &event)
{
    // While typing, Escape first empties the field; with an empty field it closes the palette.
    if (!m_isDismissed && event.key() == Qt::Key_Escape && !m_searchField->text().isEmpty()) {
        m_searchField->clear();
        return true;
    }
    return handleKey(event);
}

void CommandPalette::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(*event))
        QWidget::keyPressEvent(event);
}
