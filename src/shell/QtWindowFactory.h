#pragma once

#include "AppWindows.h"
#include "FloatingHistoryWindow.h"

#include <functional>
#include <memory>

class QMenu;

// Builds the real Qt windows (the history window, the settings window and the onboarding window), and hands the
// settings and onboarding windows the application menu (the "Varnisto" menu with its commands). `canPostKeys` tells the
// onboarding whether this display takes synthetic key input; the history window places itself with what the
// desktop tells of its windows.
class QtWindowFactory final : public AppWindowFactory
{
public:
    explicit QtWindowFactory(
        QMenu *applicationMenu = nullptr, std::function<bool()> canPostKeys = {}, HistoryWindowDesktop desktop = {})
        : m_applicationMenu(applicationMenu), m_canPostKeys(std::move(canPostKeys)), m_desktop(std::move(desktop))
    { }

    std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &model, AppCoordinator &coordinator) override;
    std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &model, AppCoordinator &coordinator) override;
    std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &model, AppCoordinator &coordinator) override;

private:
    QMenu *m_applicationMenu;
    std::function<bool()> m_canPostKeys;
    HistoryWindowDesktop m_desktop;
};
