#include "StandInWindows.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"
#include "OnboardingWindowController.h"
#include "SettingsWindowController.h"
#include "WindowActivation.h"
#include "WindowFrame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {

void centreOnScreenUnderMouse(QWidget &window)
{
    QRect frame = window.geometry();
    frame.moveCenter(WindowFrame::screenUnderMouse().center());
    window.move(frame.topLeft());
}

QMenuBar *addMenuBar(QWidget &window, QVBoxLayout &layout, QMenu *applicationMenu)
{
    if (!applicationMenu)
        return nullptr;
    auto *menuBar = new QMenuBar(&window);
    menuBar->addMenu(applicationMenu);
    layout.setMenuBar(menuBar);
    return menuBar;
}

} // namespace

// --- Settings --------------------------------------------------------------------------------------------------------

PlaceholderSettingsWindow::PlaceholderSettingsWindow(
    AppModel &model, AppCoordinator &coordinator, QMenu *applicationMenu, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(QStringLiteral("settingsWindow"));
    m_window->installEventFilter(this);
    auto *layout = new QVBoxLayout(m_window.get());
    addMenuBar(*m_window, *layout, applicationMenu);
    m_message = new QLabel(m_window.get());
    m_message->setWordWrap(true);
    m_version = new QLabel(m_window.get());
    layout->addWidget(m_message);
    layout->addWidget(m_version);
    layout->addStretch();
    m_window->resize(420, 200);
    retitle();
    connect(&m_model, &AppModel::localizationRevisionChanged, this, &PlaceholderSettingsWindow::retitle);
}

PlaceholderSettingsWindow::~PlaceholderSettingsWindow()
{
    // Destroying a visible window closes it: that is not the user closing it.
    m_window->removeEventFilter(this);
}

void PlaceholderSettingsWindow::retitle()
{
    m_window->setWindowTitle(localized(QStringLiteral("Settings")));
    m_message->setText(localized(QStringLiteral("Settings are not available in this version yet.")));
    m_version->setText(localized(QStringLiteral("Version %@"), {QCoreApplication::applicationVersion()}));
}

void PlaceholderSettingsWindow::restoreWindowFrame()
{
    if (std::exchange(m_frameRestored, true))
        return;
    const AppPreferences &preferences = m_model.preferences();
    if (const auto frame = WindowFrame::fromPreferences(preferences.settingsWindowX, preferences.settingsWindowY,
            preferences.settingsWindowWidth, preferences.settingsWindowHeight))
        m_window->resize(int(frame->width), int(frame->height));
}

void PlaceholderSettingsWindow::centerOnMouseScreen()
{
    centreOnScreenUnderMouse(*m_window);
}

void PlaceholderSettingsWindow::makeKeyAndOrderFront()
{
    WindowActivation::bringToFront(*m_window);
    m_hasBeenShown = true;
}

bool PlaceholderSettingsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close && m_hasBeenShown) {
        const StoredWindowFrame frame
            = WindowFrame::toStored(m_window->geometry(), WindowFrame::primaryScreenGeometry());
        AppPreferences preferences = m_model.preferences();
        preferences.settingsWindowX = frame.x;
        preferences.settingsWindowY = frame.y;
        preferences.settingsWindowWidth = frame.width;
        preferences.settingsWindowHeight = frame.height;
        m_model.setPreferences(preferences);
        m_coordinator.settingsWindowDidClose();
    }
    return false;
}

// --- Factory ---------------------------------------------------------------------------------------------------------

std::unique_ptr<HistoryWindow> StandInWindowFactory::createHistoryWindow(AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<FloatingHistoryWindow>(model, coordinator, m_desktop);
}

std::unique_ptr<SettingsWindow> StandInWindowFactory::createSettingsWindow(AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<SettingsWindowController>(model, coordinator, m_applicationMenu);
}

std::unique_ptr<OnboardingWindow> StandInWindowFactory::createOnboardingWindow(
    AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<OnboardingWindowController>(model, coordinator, m_canPostKeys, m_applicationMenu);
}
