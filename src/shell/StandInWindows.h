#pragma once

#include "AppWindows.h"
#include "FloatingHistoryWindow.h"

#include <QObject>

#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QWidget;

// A settings window that says the settings are still to come, with the program's menu in its menu bar. Closing it
// saves its frame (once it has been shown) and applies the preferences, as the full settings window will.
class PlaceholderSettingsWindow final : public QObject, public SettingsWindow
{
    Q_OBJECT

public:
    PlaceholderSettingsWindow(
        AppModel &model, AppCoordinator &coordinator, QMenu *applicationMenu, QObject *parent = nullptr);
    ~PlaceholderSettingsWindow() override;

    void restoreWindowFrame() override;
    void centerOnMouseScreen() override;
    void makeKeyAndOrderFront() override;

    QWidget &window() const { return *m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retitle();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::unique_ptr<QWidget> m_window;
    QLabel *m_message = nullptr;
    QLabel *m_version = nullptr;
    bool m_frameRestored = false;
    bool m_hasBeenShown = false;
};

// Builds the history window, the settings window and the onboarding window, and hands the settings and
// onboarding windows the application menu (the "Varnisto" menu with its commands). `canPostKeys` tells the
// onboarding whether this display takes synthetic key input; the history window places itself with what the
// desktop tells of its windows.
class StandInWindowFactory final : public AppWindowFactory
{
public:
    explicit StandInWindowFactory(
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
