#pragma once

#include "FilePreviewCache.h"
#include "GlobalShortcutService.h"
#include "LinkPreviewFetcher.h"
#include "PasteboardMonitor.h"
#include "UpdateService.h"

#include <QMutexLocker>

#include <chrono>
#include <optional>

// What tests and benchmarks read of the services' inner state, which the program itself never asks for: whether
// work is still running or waiting, how much, and what the services hold.
class ServicesProbe
{
public:
    // Whether a timer of the monitor is running: a tick, a re-read, the end of a copy-and-merge hold or a retry of a
    // write is due. Never the case while nothing happens.
    static bool hasTimedStep(const PasteboardMonitor &monitor)
    {
        return monitor.m_stepTimer.isActive() || monitor.m_writeRetryTimer.isActive();
    }
    // Writes waiting for the database to be free: captures, merges and recognised texts.
    static qsizetype waitingWriteCount(const PasteboardMonitor &monitor)
    {
        return qsizetype(monitor.m_waitingWrites.size());
    }
    // Whether recognitions are queued or running on the worker.
    static bool isRecognizing(const PasteboardMonitor &monitor) { return monitor.m_recognitionsInFlight > 0; }
    // Whether a step of the capture road is running on the capture worker.
    static bool isCapturing(const PasteboardMonitor &monitor) { return monitor.m_stepInFlight; }
    static PasteboardMonitor::CaptureThread captureThread(const PasteboardMonitor &monitor)
    {
        return monitor.m_captureThread;
    }

    static int hotKeyCount(const GlobalShortcutService &service) { return int(service.m_hotKeys.size()); }

    // Thumbnails being rendered or waiting for the worker.
    static int pendingRenderingCount(const FilePreviewCache &cache)
    {
        QMutexLocker locker(&cache.m_pendingLock);
        return int(cache.m_pendingKeys.size());
    }
    // How many thumbnail renderings were started since the cache was made.
    static int startedRenderingCount(const FilePreviewCache &cache)
    {
        QMutexLocker locker(&cache.m_pendingLock);
        return cache.m_startedRenderings;
    }

    static bool automaticChecksEnabled(const AppcastUpdateService &service) { return service.m_automaticChecksEnabled; }
    // When the next automatic check is due; nothing while none waits.
    static std::optional<QDateTime> nextAutomaticCheckTime(const AppcastUpdateService &service)
    {
        return service.m_nextAutomaticCheck.isPending() ? service.m_nextAutomaticCheckTime : std::nullopt;
    }
    // When the last check ended, as kept in the settings.
    static std::optional<QDateTime> lastCheckTime(const AppcastUpdateService &service)
    {
        return service.m_lastCheckTime;
    }

    static std::chrono::milliseconds requestDeadline(const LinkPreviewFetcher &fetcher)
    {
        return fetcher.m_requestDeadline;
    }
};
