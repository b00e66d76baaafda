#include "HistoryPasteTarget.h"

#include "AppModel.h"
#include "ColorText.h"
#include "DesktopEntries.h"
#include "ItemCommandRegistry.h"
#include "Localization.h"
#include "PasteTarget.h"
#include "Symbols.h"

#include <QApplication>
#include <QCollator>
#include <QFileInfo>
#include <QPainter>
#include <QPalette>
#include <QStandardPaths>

namespace {

QIcon dot(const QColor &color, int size)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(int(size * ratio), int(size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    return QIcon(pixmap);
}

QColor textColor()
{
    return QApplication::palette().color(QPalette::WindowText);
}

// The theme's generic application icon; on platforms that search no theme, the installed Adwaita theme's files.
QIcon genericApplicationIcon()
{
    const QString name = QStringLiteral("application-x-executable");
    Symbols::useInstalledThemeAsFallback();
    if (const QIcon themed = QIcon::fromTheme(name); !themed.isNull())
        return themed;
    static const QIcon installed = [&] {
        QIcon icon;
        QStringList roots = QIcon::themeSearchPaths();
        for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
            roots.append(data + QStringLiteral("/icons"));
        for (const QString &root : roots) {
            for (const int size : {16, 22, 24, 32, 48, 64, 256}) {
                const QString file = QStringLiteral("%1/Adwaita/%2x%2/mimetypes/%3.png").arg(root).arg(size).arg(name);
                if (QFileInfo::exists(file))
                    icon.addFile(file, QSize(size, size));
            }
            if (!icon.isNull())
                break;
        }
        return icon;
    }();
    return installed;
}

} // namespace

std::optional<RunningApplication> HistoryPasteTarget::pasteTargetApplication(
    KeyPoster &keys, const Workspace &workspace)
{
    return PasteTarget(keys, workspace).application();
}

QString HistoryPasteTarget::pasteTargetName(const std::optional<RunningApplication> &application)
{
    if (application && !application->name.isEmpty())
        return application->name;
    return localized(QStringLiteral("Active App"));
}

QIcon HistoryPasteTarget::pasteTargetIcon(const std::optional<RunningApplication> &application, int size)
{
    QIcon icon;
    if (application && !application->iconName.isEmpty())
        icon = QFileInfo(application->iconName).isAbsolute() ? QIcon(application->iconName)
                                                             : QIcon::fromTheme(application->iconName);
    if (icon.isNull())
        icon = genericApplicationIcon();
    if (icon.isNull()) // a theme without it: the application symbol, in the text's colour
        return QIcon(
            Symbols::tintedPixmap(QStringLiteral("app"), size, textColor(), qApp ? qApp->devicePixelRatio() : 1.0));
    return QIcon(icon.pixmap(size, size));
}

QIcon HistoryPasteTarget::tagMenuDotImage(const std::optional<QColor> &color)
{
    return dot(color.value_or(textColor()), 13);
}

QIcon HistoryPasteTarget::tagColorDotImage(const QString &hexColor)
{
    return dot(colorFromHexString(hexColor).value_or(textColor()), 12);
}

QIcon HistoryPasteTarget::applicationIcon(const HistorySourceApplication &application, const AppModel &model)
{
    if (const auto path = model.applicationPath(application)) {
        if (const auto entry = DesktopEntries::read(*path); entry && !entry->icon.isEmpty()) {
            const QIcon icon = QFileInfo(entry->icon).isAbsolute() ? QIcon(entry->icon) : QIcon::fromTheme(entry->icon);
            if (!icon.isNull())
                return QIcon(icon.pixmap(16, 16));
        }
    }
    const QIcon symbol = Symbols::themeIcon(QStringLiteral("app.dashed"));
    if (!symbol.isNull())
        return QIcon(symbol.pixmap(16, 16));
    return QIcon::fromTheme(QStringLiteral("application-x-executable"));
}

bool HistoryPasteTarget::isMissingSingleFile(const ClipboardItem &item)
{
    return ItemCommandRegistry::isMissingSingleFile(item);
}

void HistoryPasteTarget::sortTransformsByTitle(QList<ClipboardTextTransform> &transforms)
{
    ItemCommandRegistry::sortTransformsByTitle(transforms);
}
