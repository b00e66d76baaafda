#pragma once

#include "AppWindows.h"
#include "FloatingHistoryWindow.h"

#include <QObject>

#include <memory>

class QLabel;
class QMenu;
class QPushButton;
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

// A short welcome on the first start: it names the hot key that opens the history, and its button completes
// onboarding.
class PlainOnboardingWindow final : public QObject, public OnboardingWindow
{
    Q_OBJECT

public:
    PlainOnboardingWindow(
        AppModel &model, AppCoordinator &coordinator, QMenu *applicationMenu, QObject *parent = nullptr);
    ~PlainOnboardingWindow() override;

    void centerOnMouseScreen() override;
    void makeKeyAndOrderFront() override;
    void close() override;

    QWidget &window() const { return *m_window; }
    QPushButton &continueButton() const { return *m_continue; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retitle();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::unique_ptr<QWidget> m_window;
    QLabel *m_heading = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_continue = nullptr;
    bool m_closingByProgram = false;
};

// Builds the history window and the two windows above. The application menu (the "Varnisto" menu with its
// commands) goes into the menu bars of the settings and onboarding windows; the history window places itself with
// what the desktop tells of its windows.
class StandInWindowFactory final : public AppWindowFactory
{
public:
    explicit StandInWindowFactory(QMenu *applicationMenu = nullptr, HistoryWindowDesktop desktop = {})
        : m_applicationMenu(applicationMenu), m_desktop(std::move(desktop))
    { }

    std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &model, AppCoordinator &coordinator) override;
    std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &model, AppCoordinator &coordinator) override;
    std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &model, AppCoordinator &coordinator) override;

private:
    QMenu *m_applicationMenu;
    HistoryWindowDesktop m_desktop;
};
