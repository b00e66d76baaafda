#include "StandInWindows.h"

#include "OnboardingWindowController.h"
#include "SettingsWindowController.h"

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
