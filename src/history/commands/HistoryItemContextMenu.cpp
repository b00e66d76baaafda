#include "HistoryItemContextMenu.h"

#include "ColorText.h"
#include "HistoryPasteTarget.h"
#include "ItemCommandRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

constexpr int iconSize = 16;

QIcon themeOrFileIcon(const QString &name)
{
    if (name.isEmpty())
        return QIcon();
    return QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
}

} // namespace

HistoryItemContextMenu::HistoryItemContextMenu(
    ItemCommandRunner *runner, QList<Tag> availableTags, AppPreferences preferences, HistoryItemMenuDesktop desktop)
    : m_runner(runner)
    , m_availableTags(std::move(availableTags))
    , m_preferences(std::move(preferences))
    , m_desktop(std::move(desktop))
{ }

QIcon HistoryItemContextMenu::pasteTargetIcon(const std::optional<RunningApplication> &application)
{
    QIcon icon = application ? themeOrFileIcon(application->iconName) : QIcon();
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return icon.isNull() ? QIcon() : QIcon(icon.pixmap(iconSize, iconSize));
}

ItemCommandMenuContent HistoryItemContextMenu::content(const ClipboardItem &item) const
{
    using Variant = ItemCommandRegistry::MenuVariant;
    const std::optional<RunningApplication> target
        = m_desktop.pasteTarget ? m_desktop.pasteTarget() : std::optional<RunningApplication>();
    ItemCommandContext context;
    context.preferences = m_preferences;
    context.pasteTargetName = HistoryPasteTarget::pasteTargetName(target);
    context.tags = m_availableTags;
    context.canSplit = !m_runner.isNull();

    ItemCommandMenuContent content;
    content.images.pasteTarget = pasteTargetIcon(target);
    content.images.tagDot
        = [](const QString &color) { return HistoryPasteTarget::tagMenuDotImage(colorFromHexString(color)); };
    // The applications are looked up only for the lists that name them.
    const Variant variant = ItemCommandRegistry::menuVariant(item);
    const bool opensFiles = variant == Variant::image || variant == Variant::imageFile || variant == Variant::file;
    if (opensFiles && m_desktop.applicationForURL) {
        if (const auto url = item.contentFileURL()) {
            if (const auto application = m_desktop.applicationForURL(*url)) {
                context.defaultApplicationName = application->name;
                content.images.defaultApplication = application->icon;
            }
        }
        if (variant != Variant::image) {
            // The file manager is the application that opens folders.
            if (const auto manager = m_desktop.applicationForURL(QUrl::fromLocalFile(QDir::homePath())))
                content.images.fileManager = manager->icon;
        }
    }
    content.entries = ItemCommandRegistry::itemMenu(item, context);
    return content;
}

ItemCommandMenu::Run HistoryItemContextMenu::runner() const
{
    return [runner = m_runner](const ItemCommandEntry &entry) {
        if (runner)
            runner->run(entry.request);
    };
}

QMenu *HistoryItemContextMenu::makeMenu(const ClipboardItem &item, QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    fill(*menu, item);
    return menu;
}

void HistoryItemContextMenu::fill(QMenu &menu, const ClipboardItem &item) const
{
    const ItemCommandMenuContent made = content(item);
    ItemCommandMenu::fill(menu, made.entries, made.images, runner());
}
