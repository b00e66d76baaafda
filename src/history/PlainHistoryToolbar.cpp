#include "PlainHistoryToolbar.h"

#include "HistorySymbols.h"
#include "Localization.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

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
    const QColor tint = palette().color(QPalette::PlaceholderText);
    const QIcon glass(HistorySymbols::tintedPixmap(QStringLiteral("magnifyingglass"), 16, tint, devicePixelRatioF()));
    const QList<QAction *> actions = m_searchField->actions();
    for (QAction *action : actions) {
        if (action->objectName() == u"searchGlass")
            m_searchField->removeAction(action);
    }
    QAction *action = m_searchField->addAction(glass, QLineEdit::LeadingPosition);
    action->setObjectName(QStringLiteral("searchGlass"));
}
