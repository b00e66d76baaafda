#pragma once

#include "AppWindows.h"
#include "HistoryDelegate.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <memory>
#include <optional>

class QLineEdit;
class History;
class QWidget;

// A plain history window until the full one is built: a frameless tool window that stays on top, with a search
// field over the history list. Up and Down move the selection, Return pastes the selected item into the
// application that was in front, a double click pastes the clicked one, Escape closes the window, and it hides
// when it loses the focus while hideOnFocusLoss is on.
class PlainHistoryWindow final : public QObject, public HistoryWindow, private HistoryDelegate
{
    Q_OBJECT

public:
    static constexpr int focusLossGraceMs = 500;

    PlainHistoryWindow(AppModel &model, AppCoordinator &coordinator, QObject *parent = nullptr);
    ~PlainHistoryWindow() override;

    void show(bool afterActivation) override;
    void hide() override;
    void hideForPaste() override;
    void saveWindowFrame() override;
    bool isVisible() const override;

    QWidget &panel() const { return *m_panel; }
    QLineEdit &searchField() const { return *m_searchField; }
    History &list() const { return *m_list; }
    // The ids of the rows, top to bottom.
    QList<QUuid> rowIDs() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scheduleReload();
    void reload();
    void moveSelection(int offset);
    void pasteSelectedItem();
    void hidePanel();
    std::optional<QUuid> selectedVisibleID() const;

    void historySelectionDidChange(
        const QList<ClipboardItem> &itemsInSelectionOrder, const std::optional<ClipboardItem> &primaryItem) override;
    void historyDidClickItem(const ClipboardItem &) override { }
    void historyDidDoubleClickItem(const ClipboardItem &item) override;
    void historyContextMenu(QMenu &, const QList<ClipboardItem> &, const std::optional<ClipboardItem> &) override { }
    void historyNeedsLinkPreview(const ClipboardItem &item) override;
    void historyPlaySound(SoundEffect effect) override;
    void historyForwardSearchKeyDown(const QKeyEvent &event) override;

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::unique_ptr<QWidget> m_panel;
    QLineEdit *m_searchField = nullptr;
    History *m_list = nullptr;
    QTimer m_reloadTimer;
    QDeadlineTimer m_ignoreFocusLossUntil;
    bool m_reloading = false;
    bool m_hasBeenShown = false; // its geometry is the user's, not the one it was built with
};
