#pragma once

#include "AppWindows.h"

#include <QObject>

#include <functional>
#include <memory>

class OnboardingView;
class QMenu;
class QWidget;

// The window that walks a first start through the onboarding steps: 700 by 490, closable but neither resizable nor
// minimisable, moved by dragging its background, placed in the middle of the screen under the mouse. Closing it by
// hand tells the coordinator, and onboarding stays incomplete; the last step's button completes it.
class OnboardingWindowController final : public QObject, public OnboardingWindow
{
    Q_OBJECT

public:
    // `canPostKeys` answers whether this display takes synthetic key input (what pasting needs). The application
    // menu is shown in the window's menu bar, and its commands answer their keyboard shortcuts there.
    OnboardingWindowController(AppModel &model, AppCoordinator &coordinator, std::function<bool()> canPostKeys,
        QMenu *applicationMenu = nullptr, QObject *parent = nullptr);
    ~OnboardingWindowController() override;

    void centerOnMouseScreen() override;
    void makeKeyAndOrderFront() override;
    void close() override;

    QWidget &window() const { return *m_window; }
    OnboardingView &view() const { return *m_view; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppCoordinator &m_coordinator;
    std::unique_ptr<QWidget> m_window;
    OnboardingView *m_view = nullptr;
    bool m_closingByProgram = false;
};
