#pragma once

#include "DesktopEntries.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;

// Lists the installed applications by name and icon for choosing several at once; a field above narrows the list
// by name or file id. The applications given as already listed show greyed out and cannot be chosen again.
class ApplicationChooserDialog final : public QDialog
{
    Q_OBJECT

public:
    // The applications of the desktop's menus (entries marked not to show are left out, unless already listed),
    // sorted by the name shown. `listed` holds the desktop-entry paths already chosen earlier.
    ApplicationChooserDialog(QList<DesktopEntry> applications, const QStringList &listed, QWidget *parent = nullptr);

    // The desktop-entry paths of the chosen applications, in the list's order.
    QStringList chosenPaths() const;

    QLineEdit &filterField() const { return *m_filter; }
    QListWidget &list() const { return *m_list; }
    QPushButton &addButton() const { return *m_add; }

    // Runs the dialog over the installed applications: the chosen paths, nothing when cancelled.
    static std::optional<QStringList> choose(QWidget *parent, const QStringList &listed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFilter(const QString &text);
    void selectionChanged();

    QLineEdit *m_filter = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_add = nullptr;
};
