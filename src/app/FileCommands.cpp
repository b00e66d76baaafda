#include "FileCommands.h"

#include "AlertPresenter.h"
#include "AppLogging.h"
#include "AppModel.h"
#include "AssociatedApplication.h"
#include "ClipboardImageExportError.h"
#include "DesktopEntries.h"
#include "DesktopLauncher.h"
#include "FileDialogPresenter.h"
#include "Localization.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QSaveFile>

FileCommands::FileCommands(AppModel &model, FileDialogPresenter &fileDialogs, DesktopLauncher &launcher,
    const DefaultApplications &defaultApplications, AlertPresenter &alerts)
    : m_model(model)
    , m_fileDialogs(fileDialogs)
    , m_launcher(launcher)
    , m_defaultApplications(defaultApplications)
    , m_alerts(alerts)
{ }

void FileCommands::reportUnopened(const QString &message, const QString &detail)
{
    m_model.setLastError(detail);
    m_alerts.inform(AlertPresenter::Style::warning, message, detail);
}

QString FileCommands::suggestedImageFileName(const ClipboardItem &item)
{
    if (const std::optional<QSize> size = item.imagePixelSize())
        return QStringLiteral("image_%1x%2.png").arg(size->width()).arg(size->height());
    return QStringLiteral("image.png");
}

QString FileCommands::pngDestination(const QString &chosenPath)
{
    if (chosenPath.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return chosenPath;
    return chosenPath + QStringLiteral(".png");
}

std::optional<QByteArray> FileCommands::pngData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return bytes;
}

bool FileCommands::saveImage(const ClipboardItem &item, QWindow *window, std::function<void()> completion)
{
    const auto refuse = [&](ClipboardImageExportError error) {
        m_model.setLastError(error.errorDescription());
        if (completion)
            completion();
        return false;
    };
    if (item.kind != ClipboardKind::image || !item.assetPath)
        return refuse(ClipboardImageExportError::unsupportedItem);
    const QString source = *item.assetPath;
    if (!QFileInfo(source).isFile())
        return refuse(ClipboardImageExportError::missingImageFile);

    QPointer<FileCommands> self(this);
    m_fileDialogs.chooseSaveLocation(window,
        {localized(QStringLiteral("Save Image")), suggestedImageFileName(item),
            localized(QStringLiteral("PNG Image")) + QStringLiteral(" (*.png)"), QStringLiteral("png")},
        [self, source, completion = std::move(completion)](const std::optional<QString> &chosen) {
            if (self && chosen && !chosen->isEmpty())
                self->copyImage(source, pngDestination(*chosen));
            if (completion)
                completion();
        });
    return true;
}

void FileCommands::copyImage(const QString &source, const QString &destination)
{
    // The stored image is PNG already: its bytes are copied as they are, and the file appears whole or not at all.
    QFile input(source);
    QSaveFile output(destination);
    if (!input.open(QIODevice::ReadOnly)) {
        qCWarning(lcApp).noquote() << "cannot read" << source << input.errorString();
        m_model.setLastError(ClipboardImageExportError(ClipboardImageExportError::missingImageFile).errorDescription());
        return;
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError || !output.open(QIODevice::WriteOnly)
        || output.write(bytes) != bytes.size() || !output.commit()) {
        qCWarning(lcApp).noquote() << "cannot save the image to" << destination << output.errorString();
        m_model.setLastError(
            localized(QStringLiteral("The image could not be saved to %@."), {QFileInfo(destination).fileName()}));
    }
}

void FileCommands::open(const QUrl &url, const QString &desktopEntryPath, const QString &applicationName)
{
    if (auto opened = m_launcher.openURLs({url}, desktopEntryPath); !opened) {
        const QString name = !applicationName.isEmpty()
            ? applicationName
            : DesktopEntries::displayName(desktopEntryPath, currentInterfaceLanguage());
        m_model.setLastError(localized(QStringLiteral("%@ could not be started."), {name}));
    }
}

void FileCommands::openInAssociatedApplication(const ClipboardItem &item)
{
    std::optional<QUrl> url = item.contentFileURL();
    if (!url && item.kind == ClipboardKind::link && item.text) {
        if (const std::optional<Url> link = ClipboardItem::linkURL(*item.text))
            url = link->toQUrl();
    }
    if (!url)
        return;
    const std::optional<AssociatedApplication> application
        = AssociatedApplication::forURL(*url, associatedApplicationIconSize, m_defaultApplications);
    if (!application)
        return;
    open(*url, application->url.toLocalFile(), application->name);
}

void FileCommands::openWithApplication(const ClipboardItem &item, const QUrl &applicationURL)
{
    const std::optional<QUrl> url = item.contentFileURL();
    if (!url)
        return;
    open(*url, applicationURL.toLocalFile(), QString());
}

void FileCommands::openLink(const ClipboardItem &item)
{
    if (item.kind != ClipboardKind::link || !item.text)
        return;
    if (const std::optional<Url> link = ClipboardItem::linkURL(*item.text))
        openWebAddress(link->toQUrl());
}

void FileCommands::openWebAddress(const QUrl &url)
{
    if (!url.isValid() || m_launcher.openURL(url))
        return;
    reportUnopened(localized(QStringLiteral("The link could not be opened.")),
        localized(QStringLiteral("No web browser could open %@. Set up a default web browser on this desktop and "
                                 "try again."),
            {url.toDisplayString()}));
}

void FileCommands::showInFinder(const ClipboardItem &item)
{
    const std::optional<QUrl> url = item.contentFileURL();
    if (!url)
        return;
    const QString name = QFileInfo(url->toLocalFile()).fileName();
    const QPointer<FileCommands> self(this);
    m_launcher.revealFile(url->toLocalFile(), [self, name] {
        if (!self)
            return;
        self->reportUnopened(localized(QStringLiteral("The file could not be shown.")),
            localized(QStringLiteral("No file manager could show %@. Set up a default file manager on this desktop "
                                     "and try again."),
                {name}));
    });
}
