#include "IgnoredApplicationsList.h"

#include "ApplicationChooserDialog.h"
#include "DesktopEntries.h"
#include "HistoryColors.h"
#include "Localization.h"
#include "SettingsLook.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int rowHeight = 40;
constexpr int endRowHeight = 46;
constexpr int cornerRadius = 12;

bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x0A || u == 0x0B || u == 0x0C || u == 0x0D || u == 0x85 || u == 0x2028 || u == 0x2029;
}

QColor toolbarColour(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(46, 46, 47) : QColor(235, 235, 235);
}

// A rectangle with only the top or only the bottom corners rounded.
QPainterPath halfRounded(const QRectF &rect, bool top)
{
    QPainterPath path;
    path.addRoundedRect(rect, cornerRadius, cornerRadius);
    QPainterPath square;
    square.addRect(top ? rect.adjusted(0, rect.height() / 2, 0, 0) : rect.adjusted(0, 0, 0, -rect.height() / 2));
    return path.united(square);
}

// The list area's card, rounded at the top.
class ListArea final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(halfRounded(QRectF(rect()), true), SettingsColors::groupBackground(palette()));
    }
};

// The bar under the list, rounded at the bottom.
class BottomBar final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(halfRounded(QRectF(rect()), false), toolbarColour(palette()));
    }
};

// One entry: its icon and name; the accent colour behind it while selected.
class EntryRow final : public QWidget
{
public:
    EntryRow(const QString &entry, bool first, bool last, std::function<void()> onClick, QWidget *parent)
        : QWidget(parent), m_first(first), m_onClick(std::move(onClick))
    {
        setMinimumHeight(first || last ? endRowHeight : rowHeight);
        setFixedHeight(minimumHeight());
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(6, 0, 6, 0);
        row->setSpacing(6);
        auto *icon = new QLabel(this);
        icon->setPixmap(IgnoredApplicationsList::icon(entry).pixmap(32, 32));
        icon->setFixedSize(32, 32);
        row->addWidget(icon);
        m_name = new QLabel(IgnoredApplicationsList::displayName(entry), this);
        m_name->setFont(SettingsFonts::body());
        m_name->setTextFormat(Qt::PlainText);
        row->addWidget(m_name, 1);
        setAccessibleName(m_name->text());
    }

    void setSelected(bool selected)
    {
        m_selected = selected;
        QPalette own = m_name->palette();
        own.setColor(QPalette::WindowText, selected ? QColor(Qt::white) : palette().color(QPalette::WindowText));
        m_name->setPalette(own);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_selected)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(rect());
        if (m_first)
            painter.fillPath(halfRounded(area, true), SettingsColors::accent(palette()));
        else
            painter.fillRect(area, SettingsColors::accent(palette()));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && m_onClick)
            m_onClick();
    }

private:
    bool m_first;
    bool m_selected = false;
    std::function<void()> m_onClick;
    QLabel *m_name = nullptr;
};

// The hairline between two rows, inset past the icons.
class RowSeparator final : public QWidget
{
public:
    explicit RowSeparator(QWidget *parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(44, 0, width() - 44, 1), SettingsColors::separator(palette()));
    }
};

QToolButton *barButton(const QString &symbol, const QString &tooltip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setText(symbol);
    button->setToolTip(tooltip);
    button->setAccessibleName(tooltip);
    button->setFixedSize(24, 24);
    button->setFont(SettingsFonts::sized(15, QFont::Medium));
    return button;
}

} // namespace

IgnoredApplicationsList::IgnoredApplicationsList(
    PreferenceBinding<QString> ignoredAppsText, ApplicationChooser chooser, QWidget *parent)
    : QWidget(parent), m_text(ignoredAppsText), m_chooser(std::move(chooser))
{
    if (!m_chooser)
        m_chooser = [this](QWidget *parent) { return ApplicationChooserDialog::choose(parent, entries()); };
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_listArea = new ListArea(this);
    m_rowsLayout = new QVBoxLayout(m_listArea);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    column->addWidget(m_listArea);

    auto *bar = new BottomBar(this);
    auto *buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(0, 2, 0, 2);
    buttons->setSpacing(0);
    m_add = barButton(QStringLiteral("+"), localized(QStringLiteral("Add application")), bar);
    m_remove = barButton(QStringLiteral("−"), localized(QStringLiteral("Remove selected application")), bar);
    auto *divider = new QWidget(bar);
    divider->setFixedSize(1, 16);
    divider->setAutoFillBackground(true);
    QPalette line = divider->palette();
    line.setColor(QPalette::Window, SettingsColors::separator(palette()));
    divider->setPalette(line);
    buttons->addWidget(m_add);
    buttons->addWidget(divider);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    column->addWidget(bar);

    connect(m_add, &QAbstractButton::clicked, this, &IgnoredApplicationsList::addApplications);
    connect(m_remove, &QAbstractButton::clicked, this, &IgnoredApplicationsList::removeSelectedEntry);
    connect(&m_text.model(), &AppModel::preferencesChanged, this, [this] {
        if (entries() != m_shownEntries)
            rebuild();
    });
    rebuild();
}

QStringList IgnoredApplicationsList::entries(const QString &text)
{
    QStringList result;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        if (at == text.size() || isLineBreak(text.at(at))) {
            const QString piece = text.mid(start, at - start).trimmed();
            if (!piece.isEmpty())
                result.append(piece);
            start = at + 1;
        }
    }
    return result;
}

QString IgnoredApplicationsList::displayName(const QString &entry)
{
    if (entry.startsWith(QLatin1Char('/')) && entry.endsWith(QLatin1String(".desktop"))) {
        if (const auto desktopEntry = DesktopEntries::read(entry))
            return desktopEntry->localizedName(currentInterfaceLanguage());
    }
    if (entry.contains(QLatin1Char('/')))
        return QFileInfo(entry).fileName();
    return entry;
}

QIcon IgnoredApplicationsList::icon(const QString &entry)
{
    std::optional<DesktopEntry> desktopEntry;
    if (entry.startsWith(QLatin1Char('/')))
        desktopEntry = DesktopEntries::read(entry);
    else
        desktopEntry = DesktopEntries().entryNamed(entry);
    return desktopEntry ? entryIcon(*desktopEntry) : settingsThemeIcon(QStringLiteral("application-x-executable"));
}

QIcon IgnoredApplicationsList::entryIcon(const DesktopEntry &entry)
{
    const QIcon generic = settingsThemeIcon(QStringLiteral("application-x-executable"));
    if (entry.icon.isEmpty())
        return generic;
    if (QFileInfo(entry.icon).isAbsolute())
        return QIcon(entry.icon);
    const QIcon themed = settingsThemeIcon(entry.icon);
    return themed.isNull() ? generic : themed;
}

int IgnoredApplicationsList::listHeight(qsizetype entryCount)
{
    if (entryCount == 0)
        return rowHeight;
    if (entryCount == 1)
        return endRowHeight;
    return int(2 * endRowHeight + rowHeight * (entryCount - 2));
}

void IgnoredApplicationsList::addApplications()
{
    const auto chosen = m_chooser(window());
    if (!chosen)
        return;
    QStringList list = entries();
    for (const QString &path : *chosen) {
        const QString standard = QFileInfo(path).absoluteFilePath();
        if (!list.contains(standard))
            list.append(standard);
    }
    m_text.set(list.join(QLatin1Char('\n')));
    if (!chosen->isEmpty())
        selectEntry(QFileInfo(chosen->last()).absoluteFilePath());
}

void IgnoredApplicationsList::removeSelectedEntry()
{
    if (!m_selectedEntry)
        return;
    QStringList list = entries();
    list.removeAll(*m_selectedEntry);
    m_selectedEntry.reset();
    m_text.set(list.join(QLatin1Char('\n')));
    refreshSelection();
}

void IgnoredApplicationsList::selectEntry(const std::optional<QString> &entry)
{
    m_selectedEntry = entry;
    refreshSelection();
}

void IgnoredApplicationsList::rebuild()
{
    m_shownEntries = entries();
    m_rows.clear();
    while (QLayoutItem *item = m_rowsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (m_shownEntries.isEmpty()) {
        auto *empty = new QLabel(localized(QStringLiteral("No items")), m_listArea);
        empty->setAlignment(Qt::AlignCenter);
        empty->setFont(SettingsFonts::sized(12));
        QPalette secondary = empty->palette();
        secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
        empty->setPalette(secondary);
        m_rowsLayout->addWidget(empty);
    }
    for (qsizetype n = 0; n < m_shownEntries.size(); ++n) {
        const QString entry = m_shownEntries.at(n);
        auto *row = new EntryRow(
            entry, n == 0, n + 1 == m_shownEntries.size(), [this, entry] { selectEntry(entry); }, m_listArea);
        m_rows.append(row);
        m_rowsLayout->addWidget(row);
        if (n + 1 < m_shownEntries.size())
            m_rowsLayout->addWidget(new RowSeparator(m_listArea));
    }
    m_listArea->setFixedHeight(
        listHeight(m_shownEntries.size()) + int(std::max<qsizetype>(0, m_shownEntries.size() - 1)));
    // The selection goes when its entry is gone.
    if (m_selectedEntry && !m_shownEntries.contains(*m_selectedEntry))
        m_selectedEntry.reset();
    refreshSelection();
}

void IgnoredApplicationsList::refreshSelection()
{
    for (qsizetype n = 0; n < m_rows.size(); ++n)
        static_cast<EntryRow *>(m_rows.at(n))->setSelected(m_selectedEntry && m_shownEntries.at(n) == *m_selectedEntry);
    m_remove->setEnabled(m_selectedEntry.has_value());
}
