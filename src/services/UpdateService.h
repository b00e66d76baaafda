#pragma once

#include "Clock.h"
#include "Scheduler.h"

#include <QDateTime>
#include <QLatin1StringView>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class BoundedDownload;

// One release announced by the appcast.
struct AppcastItem
{
    QString title;
    QString version;
    QUrl downloadURL; // "http" or "https"

    bool operator==(const AppcastItem &) const = default;
};

// What a check for updates found, with the texts that tell the user.
struct UpdateCheckResult
{
    enum class Status {
        noFeedConfigured, // this build has no appcast address
        upToDate,
        updateAvailable,
        feedUnreachable, // no answer, an error status, a time-out
        feedInvalid, // an answer that is not an appcast with a usable release
    };

    Status status = Status::noFeedConfigured;
    bool userInitiated = true; // false for the automatic checks
    QString currentVersion;
    std::optional<AppcastItem> newestItem; // when the feed was read

    // A short headline and a sentence or two, in the interface language.
    QString title() const;
    QString message() const;
};

// The updater the coordinator and the menus talk to.
class UpdateService : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Checks at once, on the user's request; the answer comes with `updateCheckFinished`.
    virtual void checkForUpdates() = 0;

Q_SIGNALS:
    // Emitted from the event loop after every check. The user sees the answer of the checks they asked for;
    // of the automatic ones, only news of a newer version is worth showing.
    void updateCheckFinished(const UpdateCheckResult &result);
};

// Reads an appcast (an RSS feed whose items carry a version and a download link, as the Sparkle framework
// writes them) from an address fixed when the program is built, and compares its newest version with ours.
// A distribution's package manager installs the update; this only tells the user about it.
//
// Automatic checks run once a day while they are switched on and a feed is configured: one single-shot call waits
// for the next check, due a day after the last one, and is set again when a check ends. The time of the last check
// (also one the user asked for) is kept in the user settings under lastCheckTimeKey, so that a new start does not
// check again within the day.
class AppcastUpdateService final : public UpdateService
{
    Q_OBJECT

public:
    static constexpr std::chrono::hours automaticCheckInterval {24};
    static constexpr qint64 feedByteLimit = 1024 * 1024;
    static constexpr std::chrono::seconds feedDeadline {20};
    static constexpr QLatin1StringView lastCheckTimeKey {"VarnistoLastUpdateCheckTime"};

    // The configured feed and this program's version.
    AppcastUpdateService(const Clock &clock, Scheduler &scheduler, QString settingsFilePath, QObject *parent = nullptr);
    // Another feed and version. Without a settings file the time of the last check is kept for this run only.
    AppcastUpdateService(QUrl feedURL, QString currentVersion, const Clock &clock, Scheduler &scheduler,
        QString settingsFilePath = QString(), QObject *parent = nullptr);

    void checkForUpdates() override;
    bool isChecking() const { return !m_download.isNull(); }

    // The checkForUpdatesAutomatically switch. Turning it on schedules the next check (at once when the last one
    // is a day ago or unknown); turning it off cancels it. Without a feed nothing is ever scheduled.
    void setAutomaticChecksEnabled(bool enabled);

    const QUrl &feedURL() const { return m_feedURL; }
    // The address given to the build (the VARNISTO_UPDATE_FEED_URL setting); empty when there is none.
    static QUrl configuredFeedURL();

    // The releases of an appcast that have a version and an "http" or "https" download link, in feed order.
    // Nothing when the text is not an RSS document.
    static std::optional<QList<AppcastItem>> appcastItems(const QByteArray &appcast);
    // Negative, zero or positive as the first version is older than, equal to or newer than the second.
    // Numbers compare by value ("2.10" is newer than "2.9"), missing parts count as 0 ("2.0" equals "2.0.0"),
    // a part with letters marks a pre-release ("2.0b1" is older than "2.0"), and a leading "v" is ignored.
    static int compareVersions(const QString &a, const QString &b);

private:
    // What the tests and benchmarks look into.
    friend class ServicesProbe;

    void startCheck(bool userInitiated);
    void feedLoaded();
    // The check is over: its time is kept, the next automatic one scheduled, and the result reported.
    void finishCheck(UpdateCheckResult result);
    void report(UpdateCheckResult result);
    void scheduleAutomaticCheck();

    const QUrl m_feedURL;
    const QString m_currentVersion;
    const Clock &m_clock;
    Scheduler &m_scheduler;
    const QString m_settingsFilePath;
    QNetworkAccessManager m_network;
    QPointer<BoundedDownload> m_download;
    bool m_runningCheckIsUserInitiated = false;
    bool m_automaticChecksEnabled = false;
    std::optional<QDateTime> m_lastCheckTime;
    ScheduledCall m_nextAutomaticCheck;
    std::optional<QDateTime> m_nextAutomaticCheckTime;
};
