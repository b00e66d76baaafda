#include "ApplicationChooserDialog.h"

#include "IgnoredApplicationsList.h"
#include "Localization.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int pathRole = Qt::UserRole;
constexpr int searchTextRole = Qt::UserRole + 1;

QString shownName(const DesktopEntry &entry)
{
    const QString name = entry.localizedName(currentInterfaceLanguage());
    return name.isEmpty() ? entry.id : name;
}

} // namespace

ApplicationChooserDialog::ApplicationChooserDialog(
    QList<DesktopEntry> applications, const QStringList &listed, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(localized(QStringLiteral("Choose Applications")));
    resize(420, 480);

    QSet<QString> listedPaths;
    for (const QString &path : listed)
        listedPaths.insert(QFileInfo(path).absoluteFilePath());
    applications.removeIf(
        [&](const DesktopEntry &entry) { return entry.noDisplay && !listedPaths.contains(entry.path); });
    QCollator collator {QLocale(currentInterfaceLanguage())};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(applications.begin(), applications.end(),
        [&](const DesktopEntry &a, const DesktopEntry &b) { return collator.compare(shownName(a), shownName(b)) < 0; });

    auto *column = new QVBoxLayout(this);
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(localized(QStringLiteral("Search applications")));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    column->addWidget(m_filter);

    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(24, 24));
    m_list->setUniformItemSizes(true);
    m_list->setAccessibleName(localized(QStringLiteral("Applications")));
    for (const DesktopEntry &entry : std::as_const(applications)) {
        const QString name = shownName(entry);
        auto *item = new QListWidgetItem(IgnoredApplicationsList::entryIcon(entry), name, m_list);
        item->setData(pathRole, entry.path);
        item->setData(searchTextRole, QString(name + u'\n' + entry.name + u'\n' + entry.id).toCaseFolded());
        if (listedPaths.contains(entry.path)) {
            // Shown, so that the user sees it is there, but not to be chosen twice.
            item->setFlags(Qt::NoItemFlags);
            item->setText(localized(QStringLiteral("%@ (already ignored)"), {name}));
        }
    }
    column->addWidget(m_list, 1);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(localized(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    m_add = buttons->addButton(localized(QStringLiteral("Add")), QDialogButtonBox::AcceptRole);
    m_add->setDefault(true);
    m_add->setEnabled(false);
    column->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_filter, &QLineEdit::textChanged, this, &ApplicationChooserDialog::applyFilter);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &ApplicationChooserDialog::selectionChanged);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        if (item->flags().testFlag(Qt::ItemIsEnabled))
            accept();
    });
    m_filter->setFocus();
}

QStringList ApplicationChooserDialog::chosenPaths() const
{
    QStringList paths;
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem *item = m_list->item(row);
        if (item->isSelected() && !item->isHidden())
            paths.append(item->data(pathRole).toString());
    }
    return paths;
}

void ApplicationChooserDialog::applyFilter(const QString &text)
{
    const QString wanted = text.trimmed().toCaseFolded();
    QListWidgetItem *firstShown = nullptr;
    bool selectionShown = false;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        const bool shown = item->data(searchTextRole).toString().contains(wanted);
        item->setHidden(!shown);
        // What the filter hides is no longer chosen: Add takes only what the user sees.
        if (!shown && item->isSelected())
            item->setSelected(false);
        if (shown && item->flags().testFlag(Qt::ItemIsSelectable)) {
            if (!firstShown)
                firstShown = item;
            selectionShown = selectionShown || item->isSelected();
        }
    }
    // Typing narrows to a choice that Return takes.
    if (!wanted.isEmpty() && !selectionShown && firstShown) {
        m_list->setCurrentItem(firstShown, QItemSelectionModel::ClearAndSelect);
        m_list->scrollToItem(firstShown);
    }
}

void ApplicationChooserDialog::selectionChanged()
{
    m_add->setEnabled(!chosenPaths().isEmpty());
}

bool ApplicationChooserDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys move through the list while the filter field keeps the keyboard.
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up || key->key() == Qt::Key_PageDown
            || key->key() == Qt::Key_PageUp) {
            QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(m_list, &forwarded);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QStringList> ApplicationChooserDialog::choose(QWidget *parent, const QStringList &listed)
{
    ApplicationChooserDialog dialog(DesktopEntries().entries(), listed, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenPaths();
}
