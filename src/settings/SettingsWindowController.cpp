#include "SettingsWindowController.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"
#include "SettingsSectionInfo.h"
#include "SettingsView.h"
#include "WindowActivation.h"
#include "WindowFrame.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>

namespace {

// The usable area of the screen under the mouse, else of the primary screen.
QRect mouseScreenArea()
{
    const QPoint mouse = QCursor::pos();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(mouse))
            return screen->availableGeometry();
    }
    if (QScreen *primary = QGuiApplication::primaryScreen())
        return primary->availableGeometry();
    return {};
}

} // namespace

std::optional<QSize> SettingsWindowFrame::restoredSize(const AppPreferences &preferences, const QRect &availableArea)
{
    if (!preferences.settingsWindowX || !preferences.settingsWindowY || !preferences.settingsWindowWidth
        || !preferences.settingsWindowHeight)
        return std::nullopt;
    const auto side = [](double saved, int room) {
        int value = saved <= 400 || !std::isfinite(saved) ? 400 : int(std::min(saved, 100000.0));
        if (room > 0)
            value = std::min(value, room);
        return value;
    };
    return QSize(side(*preferences.settingsWindowWidth, availableArea.width()),
        side(*preferences.settingsWindowHeight, availableArea.height()));
}

QPoint SettingsWindowFrame::centredOrigin(const QSize &size, const QRect &availableArea)
{
    const QPointF centre = QRectF(availableArea).center();
    return QPoint(
        int(std::lround(centre.x() - size.width() / 2.0)), int(std::lround(centre.y() - size.height() / 2.0)));
}

SettingsWindowController::SettingsWindowController(
    AppModel &model, AppCoordinator &coordinator, QMenu *applicationMenu, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(QStringLiteral("settingsWindow"));
    m_window->setWindowFlags(Qt::Window);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (applicationMenu) {
        auto *menuBar = new QMenuBar(m_window.get());
        menuBar->addMenu(applicationMenu);
        layout->setMenuBar(menuBar);
    }
    m_view = new SettingsView(model, coordinator, m_window.get());
    layout->addWidget(m_view);
    m_window->resize(SettingsWindowFrame::defaultSize);
    m_window->setMinimumSize(400, 400);
    m_window->installEventFilter(this);

    m_frameSettle.setSingleShot(true);
    m_frameSettle.setInterval(frameSettleMs);
    connect(&m_frameSettle, &QTimer::timeout, this, [this] {
        if (m_window->isVisible())
            saveWindowFrame();
    });
    retitle();
    connect(&m_model, &AppModel::localizationRevisionChanged, this, &SettingsWindowController::retitle);
    connect(&m_coordinator, &AppCoordinator::settingsSectionChanged, this, &SettingsWindowController::retitle);
}

SettingsWindowController::~SettingsWindowController()
{
    // Destroying a visible window closes it: that is not the user closing it.
    m_window->removeEventFilter(this);
}

void SettingsWindowController::retitle()
{
    // The title bar names the section shown, as the header above the pane does.
    m_window->setWindowTitle(SettingsSectionInfo::headerTitle(m_coordinator.settingsSection()));
}

void SettingsWindowController::restoreWindowFrame()
{
    if (std::exchange(m_didRestoreWindowFrame, true))
        return;
    if (const auto size = SettingsWindowFrame::restoredSize(m_model.preferences(), mouseScreenArea()))
        m_window->resize(*size);
}

void SettingsWindowController::centerOnMouseScreen()
{
    const QRect area = mouseScreenArea();
    if (area.isEmpty())
        return;
    m_window->move(SettingsWindowFrame::centredOrigin(m_window->size(), area));
}

void SettingsWindowController::makeKeyAndOrderFront()
{
    WindowActivation::bringToFront(*m_window);
    m_hasBeenShown = true;
}

void SettingsWindowController::saveWindowFrame()
{
    m_frameSettle.stop();
    if (!m_hasBeenShown)
        return;
    const StoredWindowFrame frame = WindowFrame::toStored(m_window->geometry(), WindowFrame::primaryScreenGeometry());
    AppPreferences preferences = m_model.preferences();
    preferences.settingsWindowX = frame.x;
    preferences.settingsWindowY = frame.y;
    preferences.settingsWindowWidth = std::abs(frame.width);
    preferences.settingsWindowHeight = std::abs(frame.height);
    m_model.setPreferences(preferences);
    m_coordinator.savePreferences();
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window.get())
        return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        // A drag moves the window many times: the frame is saved once, when it has come to rest.
        if (m_hasBeenShown && m_window->isVisible())
            m_frameSettle.start();
        break;
    case QEvent::Close:
        if (m_hasBeenShown) {
            saveWindowFrame();
            m_coordinator.settingsWindowDidClose();
        }
        break;
    default:
        break;
    }
    return false;
}
