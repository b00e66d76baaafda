#pragma once

#include "AppCoordinator.h"
#include "HistoryArchiveCommands.h"
#include "LinkPreviewRequests.h"
#include "PasteCommands.h"

#include <QUuid>

#include <optional>

// What the tests look into that the windows never see: the windows the coordinator made, where paste-next stands,
// the running link-preview fetches; and the steps that only the coordinator takes itself (a reload of the history,
// a reset of paste-next), for tests that take them at a moment of their own.
class AppCoordinatorProbe
{
public:
    explicit AppCoordinatorProbe(AppCoordinator &coordinator) : m_coordinator(coordinator) { }

    SettingsWindow *settingsWindow() const { return m_coordinator.m_settingsWindow.get(); }
    OnboardingWindow *onboardingWindow() const { return m_coordinator.m_onboardingWindow.get(); }

    const std::optional<QUuid> &pasteNextItemID() const { return m_coordinator.m_pasteCommands->m_pasteNextItemID; }
    void resetPasteNextItem() { m_coordinator.resetPasteNextItem(); }

    void loadHistory() { m_coordinator.loadHistory(); }
    int runningLinkPreviewFetchCount() const { return m_coordinator.m_linkPreviews->runningFetchCount(); }
    // As if an archive export or import ran.
    void setHistoryArchiveOperationRunning(bool running) { m_coordinator.m_archive->m_running = running; }

private:
    AppCoordinator &m_coordinator;
};
