#include "MessageBoxAlertPresenter.h"

#include "Localization.h"
#include "WindowActivation.h"

#include <QMessageBox>
#include <QPushButton>

void MessageBoxAlertPresenter::inform(Style style, const QString &message, const QString &informativeText)
{
    QMessageBox box(
        style == Style::warning ? QMessageBox::Warning : QMessageBox::Information, QStringLiteral("Varnisto"), message);
    box.setInformativeText(informativeText);
    box.addButton(localized(QStringLiteral("OK")), QMessageBox::AcceptRole);
    WindowActivation::bringToFront(box);
    box.exec();
}

bool MessageBoxAlertPresenter::confirm(
    const QString &message, const QString &informativeText, const QString &confirmButton, const QString &cancelButton)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Varnisto"), message);
    box.setInformativeText(informativeText);
    QPushButton *confirm = box.addButton(confirmButton, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(cancelButton, QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    WindowActivation::bringToFront(box);
    box.exec();
    return box.clickedButton() == confirm;
}
