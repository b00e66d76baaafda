#pragma once

#include "PreferenceBinding.h"

struct DesktopEntry;

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QVBoxLayout;

// The editor of the ignored applications: a boxed list of the entries of the preference text, one a line, with an
// add button that lists the installed applications (their desktop entries) to choose from and a remove button for
// the selected entry. Entries are desktop-entry paths, which adding writes, or application names, which the list shows
// and removes but never writes.
class IgnoredApplicationsList : public QWidget
{
    Q_OBJECT

public:
    // Asks the user for applications; the paths of the chosen desktop entries, nothing when cancelled. The list's
    // own chooser is the dialog over the installed applications.
    using ApplicationChooser = std::function<std::optional<QStringList>(QWidget *parent)>;

    IgnoredApplicationsList(
        PreferenceBinding<QString> ignoredAppsText, ApplicationChooser chooser = {}, QWidget *parent = nullptr);

    // The entries of a preference text: lines trimmed, blank ones dropped, order and repeats kept.
    static QStringList entries(const QString &text);
    QStringList entries() const { return entries(m_text.get()); }
    // The name shown: an entry file's application name, else the last part of a path, else the entry itself.
    static QString displayName(const QString &entry);
    static QIcon icon(const QString &entry);
    // The icon an application's desktop entry names; the generic application icon where it names none the theme has.
    static QIcon entryIcon(const DesktopEntry &entry);
    // 40 for no entry, 46 for one, then 40 more for each further entry but the last, which is 46.
    static int listHeight(qsizetype entryCount);

    void addApplications();
    void removeSelectedEntry();
    void selectEntry(const std::optional<QString> &entry);
    const std::optional<QString> &selectedEntry() const { return m_selectedEntry; }

    QAbstractButton &addButton() const { return *m_add; }
    QAbstractButton &removeButton() const { return *m_remove; }
    QWidget &listArea() const { return *m_listArea; }
    QList<QWidget *> rows() const { return m_rows; }

private:
    void rebuild();
    void refreshSelection();

    PreferenceBinding<QString> m_text;
    ApplicationChooser m_chooser;
    std::optional<QString> m_selectedEntry;
    QStringList m_shownEntries;
    QWidget *m_listArea = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QList<QWidget *> m_rows;
    QAbstractButton *m_add = nullptr;
    QAbstractButton *m_remove = nullptr;
};
