#include "QtWindowFactory.h"

#include "OnboardingWindowController.h"
#include "SettingsWindowController.h"

std::unique_ptr<HistoryWindow> QtWindowFactory::createHistoryWindow(AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<FloatingHistoryWindow>(model, coordinator, m_desktop);
}

std::unique_ptr<SettingsWindow> QtWindowFactory::createSettingsWindow(AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<SettingsWindowController>(model, coordinator, m_applicationMenu);
}

std::unique_ptr<OnboardingWindow> QtWindowFactory::createOnboardingWindow(AppModel &model, AppCoordinator &coordinator)
{
    return std::make_unique<OnboardingWindowController>(model, coordinator, m_canPostKeys, m_applicationMenu);
}
