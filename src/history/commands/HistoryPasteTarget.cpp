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
