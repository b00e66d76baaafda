#include "OnboardingWindowController.h"

#include "AppCoordinator.h"
#include "OnboardingView.h"
#include "WindowActivation.h"
#include "WindowFrame.h"

#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

OnboardingWindowController::OnboardingWindowController(AppModel &model, AppCoordinator &coordinator,
    std::function<bool()> canPostKeys, QMenu *applicationMenu, QObject *parent)
    : QObject(parent), m_coordinator(coordinator), m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(QStringLiteral("onboardingWindow"));
    m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The program's name, for the window list; the window shows no title of its own.
    m_window->setWindowTitle(QStringLiteral("Varnisto"));
    m_window->setWindowIcon(QIcon(QStringLiteral(":/icons/varnisto.svg")));
    m_window->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new OnboardingView(model, coordinator, std::move(canPostKeys), m_window.get());
    layout->addWidget(m_view);
    // The view asks for at least 700 points across, more than the 600 of the window's first rectangle.
    m_window->setFixedSize(700, 490);
    // The program's menu, with its keyboard shortcuts, sits in the empty strip above the step: without a tray it
    // is where the program can be quit.
    if (applicationMenu) {
        auto *menuBar = new QMenuBar(m_window.get());
        menuBar->setObjectName(QStringLiteral("onboardingMenuBar"));
        menuBar->addMenu(applicationMenu);
        menuBar->move(0, 0);
        menuBar->resize(menuBar->sizeHint());
        menuBar->raise();
    }
    m_window->installEventFilter(this);
}

OnboardingWindowController::~OnboardingWindowController()
{
    // Destroying a visible window closes it: that is not the user closing it.
    m_window->removeEventFilter(this);
}

void OnboardingWindowController::centerOnMouseScreen()
{
    const QRect visible = WindowFrame::screenUnderMouse();
    const QRect frame = m_window->frameGeometry();
    const QPoint frameOrigin(
        visible.x() + (visible.width() - frame.width()) / 2, visible.y() + (visible.height() - frame.height()) / 2);
    // move() places the frame's corner when the window has a frame, and the window's own before it has one.
    m_window->move(frameOrigin);
}

void OnboardingWindowController::makeKeyAndOrderFront()
{
    const QSize unframed = m_window->frameGeometry().size();
    WindowActivation::bringToFront(*m_window);
    // A window gets its frame when it is first shown: centred before, it now sits off by half the frame.
    if (m_window->frameGeometry().size() != unframed)
        centerOnMouseScreen();
}

void OnboardingWindowController::close()
{
    m_closingByProgram = true;
    m_window->close();
    m_closingByProgram = false;
}

bool OnboardingWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close && !m_closingByProgram)
        m_coordinator.onboardingWindowDidClose(this);
    return false;
}
