#pragma once

#include "AppPreferences.h"
#include "AppWindows.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <memory>
#include <optional>

class QMenu;
class QWidget;
class SettingsView;

// Where the settings window goes: pure functions over the saved frame and the screen.
namespace SettingsWindowFrame {
// The size a run starts with: 680 x 720 content.
constexpr QSize defaultSize {680, 720};
// The saved size, when all four frame values were saved: each side at least 400, and no larger than the usable
// area of the screen it opens on.
std::optional<QSize> restoredSize(const AppPreferences &preferences, const QRect &availableArea);
// The window's top left that centres the size in the usable area.
QPoint centredOrigin(const QSize &size, const QRect &availableArea);
} // namespace SettingsWindowFrame

// The one settings window of a run, built hidden when first opened and kept until the program ends; closing it only
// hides it. It takes its saved size once per run, opens centred on the screen under the mouse, saves its frame as
// one change of the preferences when a move or resize has come to rest, and on closing saves the frame and has the
// coordinator apply the preferences.
class SettingsWindowController final : public QObject, public SettingsWindow
{
    Q_OBJECT

public:
    SettingsWindowController(
        AppModel &model, AppCoordinator &coordinator, QMenu *applicationMenu = nullptr, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    void restoreWindowFrame() override;
    void centerOnMouseScreen() override;
    void makeKeyAndOrderFront() override;
    // Writes the four frame values in one change and saves the whole record (without applying it).
    void saveWindowFrame();

    QWidget &window() const { return *m_window; }
    SettingsView &view() const { return *m_view; }
    // How long the window must be still before its frame is saved.
    static constexpr int frameSettleMs = 300;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retitle();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::unique_ptr<QWidget> m_window;
    SettingsView *m_view = nullptr;
    QTimer m_frameSettle;
    bool m_didRestoreWindowFrame = false;
    bool m_hasBeenShown = false;
};
