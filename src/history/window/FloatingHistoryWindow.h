#pragma once

#include "AppWindows.h"
#include "HistoryWindowCommands.h"
#include "HistoryWindowOpenStrategy.h"
#include "HistoryWindowPlacement.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CaretLocator;
class DefaultApplications;
class HistoryCommandPalettes;
class HistoryContentViewController;
class KeyPoster;
class HistoryToolbarView;
class RefusedCopyNotice;
class WindowFrames;
class Workspace;

// The panel of the history window: frameless, above other windows and out of the task bar. It can be dragged by
// its background. Every key press meant for one of its widgets is first offered to onKeyDown; one that it handled
// goes nowhere else.
class HistoryContentWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryContentWindow(QWidget *parent = nullptr);
    ~HistoryContentWindow() override;

    std::function<bool(QKeyEvent &)> onKeyDown;
    // A window of ours open over the panel as its sheet (the preview), or none. While there is one, the keys that
    // reach the panel go to it, in the order they came, and clicks on the panel only bring it to the front.
    std::function<QWidget *()> attachedWindow;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_sizeGrip = nullptr;
};

// What the window asks of the desktop to place itself.
struct HistoryWindowDesktop
{
    KeyPoster *keyPoster = nullptr; // names the window the user works in (the paste target)
    const WindowFrames *windowFrames = nullptr;
    CaretLocator *caretLocator = nullptr;
    // The screens and the mouse; Qt's when not set (tests set them).
    std::function<QList<HistoryWindowPlacement::Screen>()> screens;
    std::function<QPointF()> mouseLocation;
    const Workspace *workspace = nullptr; // names the paste target's application
    const DefaultApplications *defaultApplications = nullptr; // which applications open an item's file
};

// The history window: the panel with its toolbar and content, shown on the hot key at the opening position the
// user chose, hidden when the user pastes, presses Escape or (unless pinned) turns to another window. It keeps its
// frame in the preferences (origin at the bottom left of the primary screen, y upwards), and resets the search
// when it stayed hidden for 15 seconds.
class FloatingHistoryWindow final : public QObject, public HistoryWindow
{
    Q_OBJECT

public:
    static constexpr int defaultWidth = 620;
    static constexpr int defaultHeight = 700;
    static constexpr int minimumSide = 400;
    static constexpr int resignKeyGraceMs = 500;
    static constexpr int searchResetDelayMs = 15000;
    // The caret and front-window queries share this much time; then the fallbacks apply.
    static constexpr int placementBudgetMs = 200;

    FloatingHistoryWindow(AppModel &model, AppCoordinator &coordinator, HistoryWindowDesktop desktop,
        std::unique_ptr<HistoryWindowCommands> commands = nullptr, QObject *parent = nullptr);
    ~FloatingHistoryWindow() override;

    void show(bool afterActivation) override;
    void hide() override;
    void hideForPaste() override;
    void saveWindowFrame() override;
    bool isVisible() const override;

    // The panel lost the keyboard focus to another window.
    void windowDidResignKey();
    // The panel's frame in the preferences' coordinates.
    QRectF storedFrame() const;
    // Places the panel at its opening position; the origin used, or nothing when it was centred.
    std::optional<QPointF> placeAtOpenStrategyOrigin();
    // What the placement reads, within the budget.
    HistoryWindowPlacement::Inputs placementInputs(HistoryWindowOpenStrategy strategy);

    HistoryContentWindow &panel() const { return *m_panel; }
    HistoryContentViewController &contentViewController() const { return *m_controller; }
    HistoryToolbarView &toolbar() const { return *m_toolbar; }
    // The line above the list that says why the last copy was not kept.
    RefusedCopyNotice &refusedCopyNotice() const { return *m_refusedCopyNotice; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class WindowProbe;

    void restoreWindowFrame();
    void hidePanel();
    void scheduleSearchReset();
    void rememberAppearance();
    void refreshAppearance();
    void activate();
    void noteActivated();
    QRectF primaryScreenGeometry() const;
    QList<HistoryWindowPlacement::Screen> screens() const;
    // The frame of the window the user works in (the paste target), bottom-left; nothing when it is unknown.
    std::optional<QRectF> activeWindowFrame(const QRectF &primaryScreen) const;
    QPointF mouseLocation(const QRectF &primaryScreen) const;
    void setPanelOrigin(QPointF origin);
    void centrePanel();
    void panelDidMove();
    static std::unique_ptr<HistoryWindowCommands> makeItemCommands(
        AppModel &model, AppCoordinator &coordinator, const HistoryWindowDesktop &desktop);

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    HistoryWindowDesktop m_desktop;
    std::unique_ptr<HistoryWindowCommands> m_commands;
    std::unique_ptr<HistoryContentWindow> m_panel;
    HistoryToolbarView *m_toolbar = nullptr;
    RefusedCopyNotice *m_refusedCopyNotice = nullptr;
    std::unique_ptr<HistoryContentViewController> m_controller; // goes before the panel it works on
    std::unique_ptr<HistoryCommandPalettes> m_palettes; // goes before the controller and panel it works on
    bool m_didRestoreWindowFrame = false;
    bool m_shouldIgnoreNextResignKey = false;
    bool m_hasBeenShown = false;
    bool m_hasBeenActiveSinceShow = false;
    bool m_isHidingPanel = false;
    std::optional<bool> m_wasDarkWhenHidden;
    QPoint m_placedPosition; // where the program last put the panel; a move elsewhere is the user's
    QSize m_placedSize;
    QTimer m_searchResetTimer;
    QTimer m_moveEndTimer;
    QTimer m_ignoreResignKeyTimer;
};
