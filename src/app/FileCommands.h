#pragma once

#include "ClipboardItem.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class AlertPresenter;
class AppModel;
class DefaultApplications;
class DesktopLauncher;
class FileDialogPresenter;
class QImage;
class QWindow;

// The commands that take an item out of the program: save an image as a PNG file, open a file or link in another
// application, open a link in the browser, show a file in the file manager. Other applications are started
// through their desktop entries, never through a shell. When no browser or file manager takes an address or a file,
// the user is told so in an alert, and the model's last error says it too. Main thread only.
class FileCommands final : public QObject
{
    Q_OBJECT

public:
    // The icon size the open command asks the default application for.
    static constexpr int associatedApplicationIconSize = 22;

    FileCommands(AppModel &model, FileDialogPresenter &fileDialogs, DesktopLauncher &launcher,
        const DefaultApplications &defaultApplications, AlertPresenter &alerts);

    bool saveImage(const ClipboardItem &item, QWindow *window, std::function<void()> completion);
    static QString suggestedImageFileName(const ClipboardItem &item);
    void openInAssociatedApplication(const ClipboardItem &item);
    void openWithApplication(const ClipboardItem &item, const QUrl &applicationURL);
    void openLink(const ClipboardItem &item);
    // Opens a web address in the default browser.
    void openWebAddress(const QUrl &url);
    void showInFinder(const ClipboardItem &item);
    static std::optional<QByteArray> pngData(const QImage &image);

private:
    // The chosen path, ending in ".png".
    static QString pngDestination(const QString &chosenPath);
    void open(const QUrl &url, const QString &desktopEntryPath, const QString &applicationName);
    void copyImage(const QString &source, const QString &destination);
    void reportUnopened(const QString &message, const QString &detail);

    AppModel &m_model;
    FileDialogPresenter &m_fileDialogs;
    DesktopLauncher &m_launcher;
    const DefaultApplications &m_defaultApplications;
    AlertPresenter &m_alerts;
};
