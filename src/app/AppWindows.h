#pragma once

#include <memory>

class AppCoordinator;
class AppModel;

// What the coordinator uses of its three windows. Each window holds the model and the coordinator and acts only
// through them.

// The floating history window. Built hidden.
class HistoryWindow
{
public:
    virtual ~HistoryWindow() = default;

    // Shows the window with the keyboard focus. With `afterActivation` it ignores its next loss of the focus
    // within half a second and takes the focus again on the next turn of the event loop.
    virtual void show(bool afterActivation) = 0;
    // Saves the window's frame into the preferences, hides it and resets its search.
    virtual void hide() = 0;
    // Hides it as hide() does, without saving the frame.
    virtual void hideForPaste() = 0;
    // Writes the window's origin and size into the preferences and saves them. A window that has not been shown in
    // this run has no frame of its own yet: it writes nothing, and the frame stored by an earlier run stays.
    virtual void saveWindowFrame() = 0;
    virtual bool isVisible() const = 0;
};

// The settings window. Built hidden; when the user closes it, it saves its frame and has the coordinator apply the
// preferences (AppCoordinator::settingsWindowDidClose). As for the history window, only a frame that was shown in
// this run is ever saved.
class SettingsWindow
{
public:
    virtual ~SettingsWindow() = default;

    // Applies the saved window size; only the first call of a run does anything.
    virtual void restoreWindowFrame() = 0;
    virtual void centerOnMouseScreen() = 0;
    // Shows the window in front of the others with the keyboard focus.
    virtual void makeKeyAndOrderFront() = 0;
};

// The window that welcomes a first start. Built hidden; its last step calls AppCoordinator::completeOnboarding, and
// closing it by hand calls AppCoordinator::onboardingWindowDidClose.
class OnboardingWindow
{
public:
    virtual ~OnboardingWindow() = default;

    virtual void centerOnMouseScreen() = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void close() = 0;
};

// Builds the windows when the coordinator first needs them.
class AppWindowFactory
{
public:
    virtual ~AppWindowFactory() = default;

    virtual std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &model, AppCoordinator &coordinator) = 0;
    virtual std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &model, AppCoordinator &coordinator) = 0;
    virtual std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &model, AppCoordinator &coordinator) = 0;
};
