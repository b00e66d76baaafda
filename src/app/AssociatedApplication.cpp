#include "AssociatedApplication.h"

#include "DefaultApplications.h"

#include <QFileInfo>

std::optional<AssociatedApplication> AssociatedApplication::forURL(
    const QUrl &url, int iconSize, const DefaultApplications &applications)
{
    const std::optional<DefaultApplication> application = applications.forURL(url);
    if (!application)
        return std::nullopt;
    return from(*application, iconSize);
}

AssociatedApplication AssociatedApplication::from(const DefaultApplication &application, int iconSize)
{
    QIcon theme;
    if (!application.iconName.isEmpty()) {
        theme = QFileInfo(application.iconName).isAbsolute() ? QIcon(application.iconName)
                                                             : QIcon::fromTheme(application.iconName);
    }
    if (theme.isNull())
        theme = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    QIcon icon;
    if (!theme.isNull())
        icon.addPixmap(theme.pixmap(iconSize, iconSize));

    QString name = application.name;
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    return AssociatedApplication {QUrl::fromLocalFile(application.desktopEntryPath), name, icon};
}
