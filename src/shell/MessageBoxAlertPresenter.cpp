#include "MessageBoxAlertPresenter.h"

#include "Localization.h"
#include "WindowActivation.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

// An alert asked while one of our windows has the focus is that window's own dialog: it stands above it (also
// above a window that stays on top), the window does not take it for a turn to another program, and it has the
// focus back once the alert is answered.
QWidget *alertParent()
{
    QWidget *active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

} // namespace

void MessageBoxAlertPresenter::inform(Style style, const QString &message, const QString &informativeText)
{
    // On the heap: the window it belongs to may go while it is asked, and takes it along.
    const QPointer<QMessageBox> box
        = new QMessageBox(style == Style::warning ? QMessageBox::Warning : QMessageBox::Information,
            QStringLiteral("Varnisto"), message, QMessageBox::NoButton, alertParent());
    box->setInformativeText(informativeText);
    box->addButton(localized(QStringLiteral("OK")), QMessageBox::AcceptRole);
    WindowActivation::bringToFront(*box);
    box->exec();
    delete box;
}

bool MessageBoxAlertPresenter::confirm(
    const QString &message, const QString &informativeText, const QString &confirmButton, const QString &cancelButton)
{
    const QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Varnisto"), message, QMessageBox::NoButton, alertParent());
    box->setInformativeText(informativeText);
    QPushButton *confirm = box->addButton(confirmButton, QMessageBox::DestructiveRole);
    QPushButton *cancel = box->addButton(cancelButton, QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    WindowActivation::bringToFront(*box);
    box->exec();
    const bool confirmed = box && box->clickedButton() == confirm;
    delete box;
    return confirmed;
}
