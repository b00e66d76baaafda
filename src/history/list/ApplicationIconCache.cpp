#include "ApplicationIconCache.h"

#include "DesktopEntries.h"

#include <QFileInfo>
#include <QIcon>

#include <cmath>

namespace {

QImage themeIcon(const QString &iconName, int pixelSize)
{
    if (iconName.isEmpty())
        return QImage();
    const QIcon icon = QFileInfo(iconName).isAbsolute() ? QIcon(iconName) : QIcon::fromTheme(iconName);
    if (icon.isNull())
        return QImage();
    return icon.pixmap(pixelSize, pixelSize).toImage();
}

} // namespace

ApplicationIconCache &ApplicationIconCache::shared()
{
    static ApplicationIconCache cache(&ApplicationIconCache::lookUpApplicationIcon);
    return cache;
}

ApplicationIconCache::ApplicationIconCache(LookUp lookUp) : m_lookUp(std::move(lookUp)) { }

QString ApplicationIconCache::cacheKey(
    const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, qreal pointSize)
{
    QString size = QString::number(pointSize, 'f', 6);
    while (size.endsWith(QLatin1Char('0')) && !size.endsWith(QLatin1String(".0")))
        size.chop(1);
    return (bundleIdentifier ? *bundleIdentifier : name.value_or(QString())) + QLatin1Char('|') + size;
}

std::optional<QImage> ApplicationIconCache::cachedApplicationIcon(
    const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, qreal pointSize)
{
    if (!bundleIdentifier && !name)
        return std::nullopt;
    const QString key = cacheKey(bundleIdentifier, name, pointSize);
    if (const auto found = m_icons.constFind(key); found != m_icons.constEnd())
        return *found;
    const int pixels = qMax(1, int(std::ceil(pointSize)));
    QImage icon = m_lookUp(bundleIdentifier, name, pixels);
    if (!icon.isNull() && icon.size() != QSize(pixels, pixels))
        icon = icon.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_icons.insert(key, icon);
    return icon;
}

QImage ApplicationIconCache::lookUpApplicationIcon(
    const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, int pixelSize)
{
    static DesktopEntries entries;
    if (bundleIdentifier && !bundleIdentifier->isEmpty()) {
        if (const auto entry = entries.entry(*bundleIdentifier)) {
            if (QImage icon = themeIcon(entry->icon, pixelSize); !icon.isNull())
                return icon;
        }
    }
    if (name && !name->isEmpty()) {
        WindowIdentity window;
        window.instanceName = *name;
        window.className = *name;
        if (const auto entry = entries.match(window)) {
            if (QImage icon = themeIcon(entry->icon, pixelSize); !icon.isNull())
                return icon;
        }
    }
    QImage generic = themeIcon(QStringLiteral("application-x-executable"), pixelSize);
    if (generic.isNull())
        generic = themeIcon(QStringLiteral("applications-other"), pixelSize);
    return generic;
}
