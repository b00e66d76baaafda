#include "HistoryCommandPaletteController.h"

#include "AppCoordinator.h"
#include "AppLogging.h"
#include "AppModel.h"
#include "AssociatedApplication.h"
#include "ColorText.h"
#include "CommandPalette.h"
#include "HistoryColors.h"
#include "HistoryCommandPalettePickers.h"
#include "HistoryContentViewController.h"
#include "HistoryPasteTarget.h"
#include "HistoryToolbar.h"
#include "HistoryWindowCommands.h"
#include "ItemCommandMenu.h"
#include "Localization.h"
#include "OutsideClickDismissalMonitor.h"
#include "TagOrder.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

constexpr int sheetMargin = 8;
constexpr int iconSize = 22;

QImage themeIcon(const QString &name, const QString &fallback)
{
    QIcon icon;
    if (!name.isEmpty())
        icon = QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
    if (icon.isNull())
        icon = QIcon::fromTheme(fallback);
    return icon.isNull() ? QImage() : icon.pixmap(iconSize, iconSize).toImage();
}

bool isInside(const QWidget *widget, const QWidget *ancestor)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget == ancestor)
            return true;
    }
    return false;
}

} // namespace

// The layer under an open palette: it dims the panel a little and draws the palette's shadow and edge.
class HistoryCommandPaletteSheet final : public QWidget
{
public:
    explicit HistoryCommandPaletteSheet(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("commandPaletteSheet"));
        setFocusPolicy(Qt::NoFocus);
    }

    QRect paletteRect;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool dark = HistoryColors::isDark(palette());
        painter.fillRect(rect(), QColor(0, 0, 0, dark ? 60 : 20));
        if (paletteRect.isEmpty())
            return;
        // A soft shadow: rings of falling strength around the palette, a little lower than it.
        for (int ring = 8; ring >= 1; --ring) {
            QPainterPath path;
            path.addRoundedRect(QRectF(paletteRect).adjusted(-ring, -ring + 2, ring, ring + 2), 10 + ring, 10 + ring);
            painter.fillPath(path, QColor(0, 0, 0, dark ? 14 : 7));
        }
        painter.setPen(QPen(dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 45), 1));
        painter.drawRect(QRectF(paletteRect).adjusted(-0.5, -0.5, 0.5, 0.5));
    }
};

HistoryCommandPaletteController::HistoryCommandPaletteController(AppModel &model, AppCoordinator &coordinator,
    HistoryWindowCommands &commands, HistoryContentViewController &content, QWidget &panel,
    HistoryCommandPaletteDesktop desktop, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_commands(commands)
    , m_content(content)
    , m_panel(panel)
    , m_desktop(desktop)
    , m_outsideClickMonitor(std::make_unique<OutsideClickDismissalMonitor>())
    , m_runner(model, coordinator, commands)
{
    m_panel.installEventFilter(this);
}

HistoryCommandPaletteController::~HistoryCommandPaletteController()
{
    m_outsideClickMonitor->stop();
    m_panel.removeEventFilter(this);
    if (qApp)
        qApp->removeEventFilter(this);
    if (m_palette)
        m_palette->onDismiss = nullptr;
    delete m_sheet.data();
}

CommandPalette *HistoryCommandPaletteController::palette() const
{
    return m_palette.data();
}

HistoryPaletteActionSink HistoryCommandPaletteController::sink()
{
    return [self = QPointer<HistoryCommandPaletteController>(this)](const HistoryPaletteRequest &request) {
        if (self)
            self->perform(request);
    };
}

// --- Presenting ------------------------------------------------------------------------------------------------------

HistoryCommandPaletteContext HistoryCommandPaletteController::makeContext(
    const QList<ClipboardItem> &selectedItems) const
{
    HistoryCommandPaletteContext context;
    context.preferences = m_model.preferences();
    std::optional<RunningApplication> target;
    if (m_desktop.keyPoster && m_desktop.workspace)
        target = HistoryPasteTarget::pasteTargetApplication(*m_desktop.keyPoster, *m_desktop.workspace);
    context.pasteTargetName = HistoryPasteTarget::pasteTargetName(target);
    context.pasteTargetIcon
        = themeIcon(target ? target->iconName : QString(), QStringLiteral("application-x-executable"));
    context.fileManagerIcon = themeIcon(QStringLiteral("system-file-manager"), QStringLiteral("folder"));
    if (selectedItems.size() == 1 && m_desktop.defaultApplications) {
        if (const auto url = selectedItems.first().contentFileURL()) {
            if (const auto application
                = AssociatedApplication::forURL(*url, iconSize, *m_desktop.defaultApplications)) {
                context.defaultApplicationName = application->name;
                context.defaultApplicationIcon = application->icon.pixmap(iconSize, iconSize).toImage();
            }
        }
    }
    return context;
}

void HistoryCommandPaletteController::presentActions()
{
    if (isOpen())
        return;
    const QList<ClipboardItem> selected = m_model.visibleSelectedItems();
    present(HistoryCommandPaletteCommands::makeCommandPaletteCommands(selected, makeContext(selected), sink()),
        localized(QStringLiteral("Search for actions...")), actionsSize);
}

void HistoryCommandPaletteController::present(
    QList<CommandPaletteCommand> commands, const QString &searchPlaceholderText, QSize contentSize)
{
    if (isOpen())
        return;
    if (!m_sheet) {
        m_sheet = new HistoryCommandPaletteSheet(&m_panel);
        m_sheet->hide();
    }
    const int top = paletteTop();
    const int height = std::min(contentSize.height(), m_panel.height() - top - sheetMargin);
    // Wider than its figure where a language's titles need it, as far as the panel allows.
    const int width = std::max(contentSize.width(), CommandPalette::fittingWidth(commands, height));
    const QSize size(std::min(width, m_panel.width() - 2 * sheetMargin), height);
    qCInfo(lcApp) << "command palette shown with" << commands.size() << "commands";
    auto *palette = new CommandPalette(
        std::move(commands), size, searchPlaceholderText, m_model.preferences().showCommandPaletteShortcut, m_sheet);
    palette->onDismiss
        = [self = QPointer<HistoryCommandPaletteController>(this), palette = QPointer<CommandPalette>(palette)] {
              if (self)
                  self->paletteDidDismiss(palette.data());
          };
    m_palette = palette;
    m_focusBeforePalette = QApplication::focusWidget();
    placePalette();
    m_sheet->show();
    m_sheet->raise();
    palette->show();
    palette->searchField().setFocus();
    // Keys of the window reach the palette before the window's own dispatch sees them.
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
    QTimer::singleShot(
        0, this, [this, palette = QPointer<CommandPalette>(palette)] { installOutsideClickMonitor(palette.data()); });
}

int HistoryCommandPaletteController::paletteTop() const
{
    // Below the toolbar, when the window has one.
    const QWidget *toolbar = m_content.historyToolbar() ? &m_content.historyToolbar()->widget() : nullptr;
    const int below = toolbar && toolbar->isVisible() ? toolbar->mapTo(&m_panel, QPoint(0, toolbar->height())).y() : 0;
    return below + sheetMargin;
}

void HistoryCommandPaletteController::placePalette()
{
    if (!m_sheet || !m_palette)
        return;
    m_sheet->setGeometry(m_panel.rect());
    m_palette->move((m_panel.width() - m_palette->width()) / 2, paletteTop());
    m_sheet->paletteRect = m_palette->geometry();
    m_sheet->update();
}

void HistoryCommandPaletteController::installOutsideClickMonitor(CommandPalette *palette)
{
    if (!palette || palette != m_palette || !palette->isVisible())
        return;
    m_outsideClickMonitor->start(palette, [this] { closeFromOutsideClick(); });
}

void HistoryCommandPaletteController::closeFromOutsideClick()
{
    close();
}

void HistoryCommandPaletteController::close()
{
    m_outsideClickMonitor->stop();
    if (m_palette)
        m_palette->dismiss();
}

void HistoryCommandPaletteController::paletteDidDismiss(CommandPalette *palette)
{
    // A late report of an older palette leaves a newer one alone.
    if (palette != m_palette)
        return;
    m_outsideClickMonitor->stop();
    m_palette = nullptr;
    qCInfo(lcApp) << "command palette closed";
    qApp->removeEventFilter(this);
    if (m_sheet)
        m_sheet->hide();
    if (palette)
        palette->deleteLater();
    if (m_focusBeforePalette && m_focusBeforePalette->isVisible())
        m_focusBeforePalette->setFocus();
    m_focusBeforePalette = nullptr;
}

void HistoryCommandPaletteController::runAfterClosing(std::function<void()> work)
{
    close();
    QTimer::singleShot(0, this, std::move(work));
}

bool HistoryCommandPaletteController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_panel && event->type() == QEvent::Resize) {
        placePalette();
        return false;
    }
    if (event->type() != QEvent::KeyPress || !m_palette || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != &m_panel)
        return false;
    // Once per key press, at its first receiver.
    const QWidget *focus = QApplication::focusWidget();
    if (focus ? widget != focus : widget != &m_panel)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const QPointer<CommandPalette> palette = m_palette;
    if (palette->handleSearchFieldKey(*key))
        return true;
    if (!isInside(widget, palette)) {
        // Typing meant for the palette, wherever the focus was.
        palette->searchField().setFocus();
        QCoreApplication::sendEvent(&palette->searchField(), event);
        return true;
    }
    return false;
}

// --- Pickers ---------------------------------------------------------------------------------------------------------

void HistoryCommandPaletteController::showSeparatorPicker(const QList<QUuid> &itemIDs)
{
    close();
    present(HistoryCommandPalettePickers::makeSeparatorCommands(itemIDs, sink()),
        localized(QStringLiteral("Search for separators...")), separatorsSize);
}

void HistoryCommandPaletteController::showTransformPicker(const ClipboardItem &item)
{
    close();
    present(HistoryCommandPalettePickers::makeTransformCommands(item.id, sink()),
        localized(QStringLiteral("Search for transforms...")), transformsSize);
}

void HistoryCommandPaletteController::showTypePicker()
{
    close();
    present(HistoryCommandPalettePickers::makeTypeFilterCommands(m_model.selectedHistoryFilterContentTypes(), sink()),
        localized(QStringLiteral("Search for types...")), typesSize);
}

bool HistoryCommandPaletteController::showApplicationPicker(const ClipboardItem &item, const QUrl &fileURL)
{
    if (!m_desktop.defaultApplications)
        return false;
    QList<CommandPaletteCommand> commands = HistoryCommandPalettePickers::makeOpenWithApplicationCommands(
        item.id, fileURL, *m_desktop.defaultApplications, sink());
    if (commands.isEmpty())
        return false;
    close();
    present(std::move(commands), localized(QStringLiteral("Search for apps...")), applicationsSize);
    return true;
}

// --- Carrying out ----------------------------------------------------------------------------------------------------

void HistoryCommandPaletteController::setContentTypeFilter(HistoryFilterContentType type, bool isSelected)
{
    QSet<HistoryFilterContentType> types = m_model.selectedHistoryFilterContentTypes();
    if (type == HistoryFilterContentType::all) {
        if (types.isEmpty())
            return;
        types.clear();
    } else if (isSelected) {
        types.insert(type);
    } else {
        types.remove(type);
    }
    if (types == m_model.selectedHistoryFilterContentTypes())
        return;
    m_model.setSelectedHistoryFilterContentTypes(types);
    m_content.selectFirstVisibleItem(false);
}

void HistoryCommandPaletteController::perform(const HistoryPaletteRequest &request)
{
    // The palette goes first, so that whatever the command shows has the window to itself.
    close();
    if (request.contentType) {
        setContentTypeFilter(*request.contentType, request.select);
        return;
    }
    const ItemCommandRequest command = request;
    // Commands that open a sheet or another palette do so once this one has gone.
    if (ItemCommandRegistry::runsAfterPaletteCloses(command.id)) {
        runAfterClosing([this, command] { m_runner.run(command); });
        return;
    }
    m_runner.run(command);
}

// --- The menu for several rows ---------------------------------------------------------------------------------------

QMenu *HistoryCommandPaletteController::makeMultiItemContextMenu(const QList<ClipboardItem> &items, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    if (items.isEmpty())
        return menu;
    const HistoryCommandPaletteContext made = makeContext(items);
    ItemCommandContext context = HistoryCommandPaletteCommands::registryContext(made);
    context.tags = TagOrder::sortedByName(m_model.tags());
    ItemCommandMenuImages images;
    images.pasteTarget = QIcon(QPixmap::fromImage(made.pasteTargetIcon));
    images.tagDot = [](const QString &color) { return HistoryPasteTarget::tagMenuDotImage(colorFromHexString(color)); };
    ItemCommandMenu::fill(*menu, ItemCommandRegistry::selectionMenu(items, context), images,
        [self = QPointer<HistoryCommandPaletteController>(this)](const ItemCommandEntry &entry) {
            if (self)
                self->m_runner.run(entry.request);
        });
    return menu;
}
