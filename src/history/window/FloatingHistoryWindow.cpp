#include "FloatingHistoryWindow.h"

#include "AppCoordinator.h"
#include "AppLogging.h"
#include "AppModel.h"
#include "CaretLocator.h"
#include "History.h"
#include "HistoryColors.h"
#include "HistoryCommandPaletteController.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "HistoryKeyEvent.h"
#include "HistoryPasteTarget.h"
#include "HistoryTableView.h"
#include "HistoryToolbarView.h"
#include "HistoryWindowCommands.h"
#include "KeyPoster.h"
#include "Localization.h"
#include "RefusedCopyNotice.h"
#include "WindowActivation.h"
#include "WindowFrames.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSizeGrip>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <memory>

namespace {

QRectF scaled(const QRect &rect, qreal ratio)
{
    return QRectF(rect.x() / ratio, rect.y() / ratio, rect.width() / ratio, rect.height() / ratio);
}

} // namespace

// --- Panel -----------------------------------------------------------------------------------------------------------

HistoryContentWindow::HistoryContentWindow(QWidget *parent) : QWidget(parent)
{
    // Tool windows stay out of the task bar; the flags are set once, as changing them would hide the window.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setObjectName(QStringLiteral("historyWindow"));
    setMinimumSize(FloatingHistoryWindow::minimumSide, FloatingHistoryWindow::minimumSide);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    // Resized from its bottom right corner, as it has no frame to drag.
    m_sizeGrip = new QSizeGrip(this);
    m_sizeGrip->resize(m_sizeGrip->sizeHint());
    qApp->installEventFilter(this);
}

void HistoryContentWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_sizeGrip->move(width() - m_sizeGrip->width() - 1, height() - m_sizeGrip->height() - 1);
    m_sizeGrip->raise();
}

HistoryContentWindow::~HistoryContentWindow()
{
    qApp->removeEventFilter(this);
}

bool HistoryContentWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != this)
        return false;
    const QEvent::Type type = event->type();
    // Once per key press, when it reaches its first receiver in this window; not again on its way to the parents.
    // That is the application's focus widget; a key handed over from another window, or delivered before Qt knows
    // the window is active, reaches this window's own focus widget instead.
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() != this)
        focus = focusWidget();
    const bool firstReceiver = focus ? widget == focus : widget == this || widget == focusWidget();
    if (QWidget *sheet = attachedWindow ? attachedWindow() : nullptr) {
        switch (type) {
        case QEvent::KeyPress:
            if (firstReceiver) {
                // Typed before the window manager moved the focus to the sheet, or after it gave it back here.
                QWidget *target = sheet->focusWidget() ? sheet->focusWidget() : sheet;
                const std::unique_ptr<QEvent> copy(event->clone());
                QCoreApplication::sendEvent(target, copy.get());
                // The key may have closed the sheet (Escape): a closed sheet is never shown again.
                if (attachedWindow() == sheet && !sheet->isActiveWindow())
                    WindowActivation::bringToFront(*sheet);
            }
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            WindowActivation::bringToFront(*sheet);
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }
    if (type != QEvent::KeyPress || !onKeyDown || !firstReceiver)
        return false;
    return onKeyDown(*static_cast<QKeyEvent *>(event));
}

void HistoryContentWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // A frameless window still shows where it ends.
    QPainter painter(this);
    painter.setPen(historySeparatorColor(*this).darker(HistoryColors::isDark(palette()) ? 60 : 115));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HistoryContentWindow::mousePressEvent(QMouseEvent *event)
{
    // Dragged by its background.
    if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

// --- Window ----------------------------------------------------------------------------------------------------------

FloatingHistoryWindow::FloatingHistoryWindow(AppModel &model, AppCoordinator &coordinator, HistoryWindowDesktop desktop,
    std::unique_ptr<HistoryWindowCommands> commands, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_desktop(std::move(desktop))
    , m_commands(commands ? std::move(commands) : makeItemCommands(model, coordinator, m_desktop))
    , m_panel(std::make_unique<HistoryContentWindow>())
{
    m_panel->setWindowTitle(localized(QStringLiteral("Clipboard History")));
    m_toolbar = new HistoryToolbarView(
        [this]() -> std::optional<RunningApplication> {
            if (!m_desktop.keyPoster || !m_desktop.workspace)
                return std::nullopt;
            return HistoryPasteTarget::pasteTargetApplication(*m_desktop.keyPoster, *m_desktop.workspace);
        },
        [this](const HistorySourceApplication &application) {
            return HistoryPasteTarget::applicationIcon(application, m_model);
        },
        m_panel.get());
    m_controller = std::make_unique<HistoryContentViewController>(m_model, m_coordinator, *m_commands, m_panel.get());
    m_controller->setHistoryToolbar(m_toolbar);
    m_palettes = std::make_unique<HistoryCommandPaletteController>(m_model, m_coordinator, *m_commands, *m_controller,
        *m_panel,
        HistoryCommandPaletteDesktop {m_desktop.keyPoster, m_desktop.workspace, m_desktop.defaultApplications});
    m_commands->setCommandPalettes(m_palettes.get());
    if (auto *itemCommands = dynamic_cast<HistoryItemCommands *>(m_commands.get()))
        itemCommands->attach(*m_panel, m_controller->list(), m_toolbar);
    m_controller->updateToolbarState();
    m_controller->reloadHistoryList();
    auto *layout = new QVBoxLayout(m_panel.get());
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    // Why the last copy was not kept, above the list, until a later copy is kept or the user dismisses it.
    m_refusedCopyNotice = new RefusedCopyNotice(m_panel.get());
    m_refusedCopyNotice->onDismiss = [this] { m_coordinator.dismissCaptureNotice(); };
    m_refusedCopyNotice->setNotice(m_model.refusedCopyNotice());
    connect(&m_model, &AppModel::refusedCopyLimitChanged, this,
        [this] { m_refusedCopyNotice->setNotice(m_model.refusedCopyNotice()); });
    layout->addWidget(m_refusedCopyNotice);
    layout->addWidget(&m_controller->view(), 1);

    m_panel->onKeyDown = [this](QKeyEvent &event) {
        const HistoryKeyEvent record = HistoryKeyEvent::fromQKeyEvent(event);
        const HistoryKeyFocus focus = m_controller->currentKeyFocus();
        if (m_controller->handleKeyDown(record, focus))
            return true;
        // The list keeps typed text to itself: it starts a search instead, as it would reaching the content.
        if (focus == HistoryKeyFocus::list && !m_commands->isOverlayOpen() && HistoryTableView::startsSearch(record)) {
            m_controller->view().onSearchKeyDown(event);
            return true;
        }
        return false;
    };
    m_panel->attachedWindow = [this]() -> QWidget * {
        QWidget *sheet = m_commands->attachedWindow();
        return sheet && sheet->isVisible() ? sheet : nullptr;
    };
    m_panel->installEventFilter(this);
    m_panel->resize(defaultWidth, defaultHeight);
    centrePanel();

    m_searchResetTimer.setSingleShot(true);
    m_searchResetTimer.setInterval(searchResetDelayMs);
    connect(&m_searchResetTimer, &QTimer::timeout, this, [this] {
        if (!m_panel->isVisible())
            m_controller->resetSearch();
    });
    m_ignoreResignKeyTimer.setSingleShot(true);
    m_ignoreResignKeyTimer.setInterval(resignKeyGraceMs);
    connect(&m_ignoreResignKeyTimer, &QTimer::timeout, this, [this] { m_shouldIgnoreNextResignKey = false; });
    // A move by the user is kept once it ends, so that a paste (which hides without saving) keeps it.
    m_moveEndTimer.setSingleShot(true);
    m_moveEndTimer.setInterval(300);
    connect(&m_moveEndTimer, &QTimer::timeout, this, &FloatingHistoryWindow::saveWindowFrame);
    // The focus as the windowing system reports it: a panel hidden while it had the focus and shown again can get
    // it back without Qt activating the widget once more.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (!m_panel->isVisible())
            return;
        QWidget *sheet = m_panel->attachedWindow();
        if (window && window == m_panel->windowHandle()) {
            noteActivated();
            // The sheet over the panel keeps the keys, as the panel's own keys go to it anyway.
            if (sheet)
                WindowActivation::bringToFront(*sheet);
        } else if (window && sheet && window == sheet->windowHandle()) {
            noteActivated();
        } else if (m_hasBeenActiveSinceShow && !window) {
            windowDidResignKey();
        }
    });
    connect(&m_model, &AppModel::localizationRevisionChanged, this, [this] {
        m_panel->setWindowTitle(localized(QStringLiteral("Clipboard History")));
        m_refusedCopyNotice->setNotice(m_model.refusedCopyNotice());
    });
}

std::unique_ptr<HistoryWindowCommands> FloatingHistoryWindow::makeItemCommands(
    AppModel &model, AppCoordinator &coordinator, const HistoryWindowDesktop &desktop)
{
    HistoryItemCommands::Desktop items;
    if (desktop.keyPoster && desktop.workspace) {
        items.menus.pasteTarget = [keys = desktop.keyPoster, workspace = desktop.workspace] {
            return HistoryPasteTarget::pasteTargetApplication(*keys, *workspace);
        };
    }
    if (const DefaultApplications *applications = desktop.defaultApplications) {
        items.menus.applicationForURL
            = [applications](const QUrl &url) { return AssociatedApplication::forURL(url, 16, *applications); };
    }
    return std::make_unique<HistoryItemCommands>(model, coordinator, std::move(items));
}

FloatingHistoryWindow::~FloatingHistoryWindow()
{
    // Destroying a visible window deactivates it: nothing of that is the user's doing.
    m_panel->removeEventFilter(this);
    m_panel->onKeyDown = nullptr;
}

bool FloatingHistoryWindow::isVisible() const
{
    return m_panel->isVisible();
}

void FloatingHistoryWindow::show(bool afterActivation)
{
    const bool wasVisible = m_panel->isVisible();
    m_searchResetTimer.stop();
    if (afterActivation) {
        m_shouldIgnoreNextResignKey = true;
        m_ignoreResignKeyTimer.start();
    }
    if (!std::exchange(m_didRestoreWindowFrame, true))
        restoreWindowFrame();
    std::optional<QPointF> origin;
    if (!wasVisible) {
        refreshAppearance();
        m_toolbar->updateAppearanceColors();
        origin = placeAtOpenStrategyOrigin();
        m_hasBeenActiveSinceShow = false;
    }
    m_hasBeenShown = true;
    activate();
    m_controller->list().reloadVisibleFileRows();
    if (afterActivation) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_panel->isVisible())
                    activate();
            },
            Qt::QueuedConnection);
    }
    if (wasVisible)
        return;
    m_controller->reloadIfNeeded();
    m_controller->selectFirstVisibleItem(true);
    m_controller->viewDidAppear();
    // Once the window manager has mapped the panel: the saved size again, and the same origin.
    QMetaObject::invokeMethod(
        this,
        [this, origin] {
            if (!m_panel->isVisible())
                return;
            restoreWindowFrame();
            if (origin)
                setPanelOrigin(*origin);
            else
                placeAtOpenStrategyOrigin();
        },
        Qt::QueuedConnection);
    // A window manager that let the hot key's grab keep the focus gets asked once more.
    QTimer::singleShot(50, this, [this] {
        if (m_panel->isVisible() && !m_hasBeenActiveSinceShow)
            activate();
    });
}

void FloatingHistoryWindow::activate()
{
    WindowActivation::bringToFront(*m_panel);
    // An open sheet comes along and keeps the keys.
    if (QWidget *sheet = m_panel->attachedWindow())
        WindowActivation::bringToFront(*sheet);
    // Qt sends no activation to a window it still takes for the active one (hidden and shown again before the
    // focus moved on).
    if (m_panel->isActiveWindow() || QGuiApplication::focusWindow() == m_panel->windowHandle())
        noteActivated();
}

void FloatingHistoryWindow::noteActivated()
{
    if (!std::exchange(m_hasBeenActiveSinceShow, true))
        qCInfo(lcApp) << "history window has the focus";
}

void FloatingHistoryWindow::hide()
{
    saveWindowFrame();
    hidePanel();
}

void FloatingHistoryWindow::hideForPaste()
{
    hidePanel();
}

void FloatingHistoryWindow::hidePanel()
{
    m_moveEndTimer.stop();
    rememberAppearance();
    {
        // The focus it loses on the way is no reason to hide it once more, nor to take the focus back.
        const QScopedValueRollback hiding(m_isHidingPanel, true);
        m_panel->hide();
    }
    scheduleSearchReset();
    History &list = m_controller->list();
    if (list.isKeyboardMultipleSelectionMode()) {
        list.leaveKeyboardMultipleSelectionMode();
        list.updateVisibleRowSelectionStyles();
        list.updateSelectionOrderNumbers();
    }
}

void FloatingHistoryWindow::scheduleSearchReset()
{
    m_searchResetTimer.start();
}

void FloatingHistoryWindow::saveWindowFrame()
{
    // A window never shown in this run has no frame of its own: what an earlier run stored stays.
    if (!m_hasBeenShown)
        return;
    const QRectF frame = storedFrame();
    AppPreferences preferences = m_model.preferences();
    preferences.historyWindowX = frame.x();
    preferences.historyWindowY = frame.y();
    preferences.historyWindowWidth = frame.width();
    preferences.historyWindowHeight = frame.height();
    m_model.setPreferences(preferences);
    m_coordinator.savePreferences();
}

QRectF FloatingHistoryWindow::storedFrame() const
{
    return HistoryWindowPlacement::fromTopLeft(QRectF(m_panel->geometry()), primaryScreenGeometry());
}

void FloatingHistoryWindow::restoreWindowFrame()
{
    const AppPreferences &preferences = m_model.preferences();
    double width = std::max<double>(preferences.historyWindowWidth.value_or(defaultWidth), minimumSide);
    double height = std::max<double>(preferences.historyWindowHeight.value_or(defaultHeight), minimumSide);
    const QList<HistoryWindowPlacement::Screen> all = screens();
    const QRectF primary = primaryScreenGeometry();
    if (const auto main = HistoryWindowPlacement::mainScreen(all, activeWindowFrame(primary), mouseLocation(primary))) {
        // A small screen wins over the minimum.
        width = std::min(width, all.at(*main).visibleFrame.width());
        height = std::min(height, all.at(*main).visibleFrame.height());
    }
    m_panel->setMinimumSize(
        std::min(minimumSide, int(std::floor(width))), std::min(minimumSide, int(std::floor(height))));
    QRectF frame = storedFrame();
    if (HistoryWindowOpenStrategy::fromStoredString(preferences.openWindowStrategy)
            == HistoryWindowOpenStrategy::lastLocation
        && preferences.historyWindowX && preferences.historyWindowY)
        frame.moveTo(*preferences.historyWindowX, *preferences.historyWindowY);
    frame.setSize(QSizeF(width, height));
    const QRectF topLeft = HistoryWindowPlacement::toTopLeft(frame, primaryScreenGeometry());
    const QRect geometry(int(std::lround(topLeft.x())), int(std::lround(topLeft.y())), int(std::lround(width)),
        int(std::lround(height)));
    m_placedPosition = geometry.topLeft();
    m_placedSize = geometry.size();
    m_panel->setGeometry(geometry);
}

QRectF FloatingHistoryWindow::primaryScreenGeometry() const
{
    const QList<HistoryWindowPlacement::Screen> all = screens();
    if (m_desktop.screens && !all.isEmpty()) {
        // The test's screens are given bottom-left; the primary one is at the origin.
        return all.first().frame;
    }
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF(0, 0, 1024, 768);
}

QList<HistoryWindowPlacement::Screen> FloatingHistoryWindow::screens() const
{
    if (m_desktop.screens)
        return m_desktop.screens();
    QList<HistoryWindowPlacement::Screen> result;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return result;
    const QRectF primaryGeometry(primary->geometry());
    QList<QScreen *> ordered = QGuiApplication::screens();
    ordered.removeOne(const_cast<QScreen *>(primary));
    ordered.prepend(const_cast<QScreen *>(primary));
    for (const QScreen *screen : std::as_const(ordered))
        result.append({HistoryWindowPlacement::fromTopLeft(QRectF(screen->geometry()), primaryGeometry),
            HistoryWindowPlacement::fromTopLeft(QRectF(screen->availableGeometry()), primaryGeometry)});
    return result;
}

std::optional<QRectF> FloatingHistoryWindow::activeWindowFrame(const QRectF &primaryScreen) const
{
    if (!m_desktop.keyPoster || !m_desktop.windowFrames)
        return std::nullopt;
    const auto frame = m_desktop.windowFrames->frameOfWindow(m_desktop.keyPoster->pasteTargetWindow());
    if (!frame)
        return std::nullopt;
    // The display reports device pixels.
    return HistoryWindowPlacement::fromTopLeft(scaled(*frame, qApp->devicePixelRatio()), primaryScreen);
}

QPointF FloatingHistoryWindow::mouseLocation(const QRectF &primaryScreen) const
{
    return m_desktop.mouseLocation ? m_desktop.mouseLocation()
                                   : HistoryWindowPlacement::pointFromTopLeft(QPointF(QCursor::pos()), primaryScreen);
}

HistoryWindowPlacement::Inputs FloatingHistoryWindow::placementInputs(HistoryWindowOpenStrategy strategy)
{
    const QDeadlineTimer budget(placementBudgetMs);
    HistoryWindowPlacement::Inputs inputs;
    inputs.screens = screens();
    const QRectF primary = primaryScreenGeometry();
    inputs.mouseLocation = mouseLocation(primary);
    inputs.windowSize = QSizeF(m_panel->size());
    const AppPreferences &preferences = m_model.preferences();
    if (preferences.historyWindowX && preferences.historyWindowY)
        inputs.savedOrigin = QPointF(*preferences.historyWindowX, *preferences.historyWindowY);

    const bool needsFrontWindow = strategy != HistoryWindowOpenStrategy::screenWithCursor
        && strategy != HistoryWindowOpenStrategy::mouseCursor
        && !(strategy == HistoryWindowOpenStrategy::lastLocation && inputs.savedOrigin);
    // The window manager answers for the front window at once; the caret's peer may be slow and gets what is left.
    std::optional<QRectF> activeFrame;
    if (needsFrontWindow) {
        activeFrame = activeWindowFrame(primary);
        inputs.frontWindowFrame = activeFrame;
    } else if (!HistoryWindowPlacement::screenContainingPoint(inputs.screens, inputs.mouseLocation)) {
        // The pointer's screen comes before the main screen: only a pointer on no screen needs the window.
        activeFrame = activeWindowFrame(primary);
    }
    inputs.mainScreen = HistoryWindowPlacement::mainScreen(inputs.screens, activeFrame, inputs.mouseLocation);
    if (strategy == HistoryWindowOpenStrategy::inputCursor && m_desktop.caretLocator
        && m_desktop.caretLocator->isTrusted() && !budget.hasExpired()) {
        const qreal ratio = qApp->devicePixelRatio();
        if (const auto caret = m_desktop.caretLocator->caretRect(budget); caret && !budget.hasExpired())
            inputs.caretRect = HistoryWindowPlacement::fromTopLeft(scaled(*caret, ratio), primary);
    }
    return inputs;
}

std::optional<QPointF> FloatingHistoryWindow::placeAtOpenStrategyOrigin()
{
    const HistoryWindowOpenStrategy strategy
        = HistoryWindowOpenStrategy::fromStoredString(m_model.preferences().openWindowStrategy);
    const std::optional<QPointF> origin = HistoryWindowPlacement::origin(strategy, placementInputs(strategy));
    if (origin)
        setPanelOrigin(*origin);
    else
        centrePanel();
    return origin;
}

void FloatingHistoryWindow::setPanelOrigin(QPointF origin)
{
    const QRectF frame(origin, QSizeF(m_panel->size()));
    const QRectF topLeft = HistoryWindowPlacement::toTopLeft(frame, primaryScreenGeometry());
    m_placedPosition = QPoint(int(std::lround(topLeft.x())), int(std::lround(topLeft.y())));
    m_panel->move(m_placedPosition);
}

void FloatingHistoryWindow::centrePanel()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = m_panel->geometry();
    frame.moveCenter(screen->availableGeometry().center());
    m_placedPosition = frame.topLeft();
    m_panel->move(m_placedPosition);
}

void FloatingHistoryWindow::panelDidMove()
{
    // The user moved or resized it: the frame is saved once that ends.
    if (m_panel->isVisible() && (m_panel->pos() != m_placedPosition || m_panel->size() != m_placedSize))
        m_moveEndTimer.start();
}

void FloatingHistoryWindow::rememberAppearance()
{
    m_wasDarkWhenHidden = HistoryColors::isDark(m_panel->palette());
}

void FloatingHistoryWindow::refreshAppearance()
{
    if (!m_wasDarkWhenHidden)
        return;
    const bool dark = HistoryColors::isDark(m_panel->palette());
    if (dark == *m_wasDarkWhenHidden)
        return;
    m_wasDarkWhenHidden = dark;
    m_toolbar->relabel();
    m_toolbar->updateAppearanceColors();
}

void FloatingHistoryWindow::windowDidResignKey()
{
    if (m_isHidingPanel)
        return;
    if (std::exchange(m_shouldIgnoreNextResignKey, false))
        return;
    if (!m_model.preferences().hideOnFocusLoss || !m_panel->isVisible())
        return;
    if (m_commands->isCommandPaletteOpen() || m_commands->isOverlayOpen()
        || m_commands->isModalSheetPresentationPending())
        return;
    // The preview has just closed and handed the focus back here, but the window manager, still settling the
    // closed window, let it fall elsewhere: it comes back.
    if (m_commands->hasJustClosedOverlay() && !QApplication::activeWindow()) {
        WindowActivation::takeFocusBack(*m_panel);
        return;
    }
    // A dialog of the window (a sheet) has the focus.
    if (const QWidget *active = QApplication::activeWindow(); active && active != m_panel.get()) {
        for (const QWidget *parent = active->parentWidget(); parent; parent = parent->parentWidget()) {
            if (parent == m_panel.get())
                return;
        }
    }
    hide();
}

bool FloatingHistoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_panel.get())
        return false;
    switch (event->type()) {
    case QEvent::WindowActivate:
        noteActivated();
        break;
    case QEvent::WindowDeactivate:
        // While the window manager settles a new window, the panel can lose a focus it never had: not the user's.
        if (m_hasBeenActiveSinceShow)
            windowDidResignKey();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        panelDidMove();
        break;
    default:
        break;
    }
    return false;
}
