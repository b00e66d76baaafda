#pragma once

#include "SettingsSection.h"

#include <QColor>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

class AppCoordinator;
class AppModel;
class ArchiveOperationTracker;
class QLabel;
class QListWidget;
class QVBoxLayout;
class ToggleSwitch;

// The whole content of the settings window: the sidebar of the nine sections, a header with the section's title
// (and, for the sounds, the master switch), and the pane of the section the coordinator holds. Switching sections
// discards the pane and builds the new one afresh. Every pane but About scrolls.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    SettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent = nullptr);

    // The pane of a section, as the detail area shows it (without its scroll area).
    static QWidget *createPane(SettingsSection section, AppModel &model, AppCoordinator &coordinator,
        ArchiveOperationTracker *archiveOperation = nullptr);

    SettingsSection shownSection() const { return m_shown; }
    QListWidget &sidebar() const { return *m_sidebar; }
    QLabel &headerTitle() const { return *m_headerTitle; }
    ToggleSwitch &soundSwitch() const { return *m_soundSwitch; }
    QWidget *pane() const { return m_pane; }
    // The scroll area around the pane; none for About.
    QScrollArea *scrollArea() const { return m_scrollArea; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showSection(SettingsSection section);
    void retitle();
    void refreshSoundSwitch();
    void styleSidebar();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    SettingsSection m_shown = SettingsSection::general;
    QListWidget *m_sidebar = nullptr;
    QLabel *m_headerTitle = nullptr;
    ToggleSwitch *m_soundSwitch = nullptr;
    QVBoxLayout *m_detail = nullptr;
    QPointer<QWidget> m_detailContent;
    QPointer<QWidget> m_pane;
    QPointer<QScrollArea> m_scrollArea;
    QColor m_sidebarAccent;
    ArchiveOperationTracker *m_archiveOperation = nullptr;
};
