#pragma once

// A small stand-in for the capture road, so that the application can be built and run before the full pasteboard
// monitor is in place: it captures plain text only (no images, files, rich text, copy-and-merge, copy sequences or
// retention pruning). It offers the full monitor's interface.

#include "AppPreferences.h"
#include "HistoryStore.h"
#include "Pasteboard.h"
#include "PasteboardMonitorDelegate.h"
#include "TextRecognizer.h"
#include "Workspace.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <utility>

// Where the current time comes from.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The system's time, in UTC.
class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

// A clock that stands still until it is set or advanced.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2025, 1, 6), QTime(9, 0), Qt::UTC)) : m_now(std::move(start))
    { }

    QDateTime now() const override { return m_now; }
    void setNow(const QDateTime &now) { m_now = now; }
    void advance(qint64 milliseconds) { m_now = m_now.addMSecs(milliseconds); }
    void advanceSeconds(double seconds) { advance(qint64(seconds * 1000.0)); }

private:
    QDateTime m_now;
};

class PasteboardMonitor final : public QObject
{
    Q_OBJECT

public:
    static constexpr int checkPasteboardIntervalMs = 100;
    static constexpr int maxDeferredReadAttempts = 30;

    // Whatever is on the pasteboard now is never captured.
    PasteboardMonitor(HistoryStore &historyStore, Pasteboard &pasteboard, Workspace &workspace,
        TextRecognizer &textRecognizer, QString supportDirectory, const Clock &clock, QObject *parent = nullptr);

    PasteboardMonitorDelegate *delegate() const { return m_delegate; }
    void setDelegate(PasteboardMonitorDelegate *delegate) { m_delegate = delegate; }

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

    QDateTime lastCopySequencePasteTime() const { return m_lastCopySequencePasteTime; }
    void setLastCopySequencePasteTime(const QDateTime &time) { m_lastCopySequencePasteTime = time; }

    const AppPreferences &preferences() const { return m_preferences; }
    QString imagesDirectory() const;

    void start(const AppPreferences &preferences);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    void updatePreferences(const AppPreferences &preferences);

    // One polling tick.
    void checkPasteboard();

private:
    void capture();

    HistoryStore &m_store;
    Pasteboard &m_pasteboard;
    Workspace &m_workspace;
    const QString m_supportDirectory;
    const Clock &m_clock;
    PasteboardMonitorDelegate *m_delegate = nullptr;

    QTimer m_timer;
    bool m_paused = false;
    qint64 m_lastChangeCount = 0;
    int m_deferredReadAttemptsRemaining = 0;
    AppPreferences m_preferences;
    QDateTime m_lastCopySequencePasteTime;
};
