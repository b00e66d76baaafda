#include "UpdateService.h"

#include "BoundedDownload.h"
#include "Localization.h"

#include <QSettings>
#include <QXmlStreamReader>

#include <algorithm>

#ifndef VARNISTO_UPDATE_FEED_URL
#define VARNISTO_UPDATE_FEED_URL ""
#endif

namespace {

const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isDownloadLink(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

// One <item> of the channel: its title, the Sparkle versions and the enclosure or link.
std::optional<AppcastItem> readItem(QXmlStreamReader &reader)
{
    QString title;
    QString version; // sparkle:version
    QString shortVersion; // sparkle:shortVersionString, the one people read
    QUrl enclosure;
    QUrl link;
    while (reader.readNextStartElement()) {
        const bool isSparkle = reader.namespaceUri() == sparkleNamespace;
        const QStringView name = reader.name();
        if (name == u"enclosure" && reader.namespaceUri().isEmpty()) {
            const QXmlStreamAttributes attributes = reader.attributes();
            enclosure = QUrl(attributes.value(QLatin1String("url")).toString().trimmed());
            if (version.isEmpty())
                version = attributes.value(sparkleNamespace, QLatin1String("version")).toString().trimmed();
            if (shortVersion.isEmpty())
                shortVersion
                    = attributes.value(sparkleNamespace, QLatin1String("shortVersionString")).toString().trimmed();
            reader.skipCurrentElement();
        } else if (name == u"title" && reader.namespaceUri().isEmpty()) {
            title = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (name == u"link" && reader.namespaceUri().isEmpty()) {
            link = QUrl(reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
        } else if (isSparkle && name == u"version") {
            version = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle && name == u"shortVersionString") {
            shortVersion = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
    AppcastItem item;
    item.title = title;
    item.version = shortVersion.isEmpty() ? version : shortVersion;
    item.downloadURL = isDownloadLink(enclosure) ? enclosure : link;
    if (item.version.isEmpty() || !isDownloadLink(item.downloadURL))
        return std::nullopt;
    return item;
}

// A version cut into numbers and words; separators only separate, and a "v" before the first number is dropped.
QStringList versionParts(QString version)
{
    if (version.size() > 1 && (version.front() == u'v' || version.front() == u'V') && version.at(1).isDigit())
        version.remove(0, 1);
    QStringList parts;
    QString current;
    int currentKind = 0; // 1 digits, 2 letters
    for (const QChar c : version) {
        const int kind = c.isDigit() ? 1 : (c.isLetter() ? 2 : 0);
        if (kind != currentKind && !current.isEmpty()) {
            parts.append(current);
            current.clear();
        }
        currentKind = kind;
        if (kind != 0)
            current.append(c);
    }
    if (!current.isEmpty())
        parts.append(current);
    return parts;
}

bool isNumber(const QString &part)
{
    return !part.isEmpty() && part.front().isDigit();
}

int compareNumbers(const QString &a, const QString &b)
{
    const auto withoutLeadingZeros = [](const QString &text) {
        qsizetype first = 0;
        while (first + 1 < text.size() && text.at(first) == u'0')
            ++first;
        return QStringView(text).mid(first);
    };
    const QStringView x = withoutLeadingZeros(a);
    const QStringView y = withoutLeadingZeros(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

} // namespace

// --- Results -----------------------------------------------------------------------------------------------------

QString UpdateCheckResult::title() const
{
    switch (status) {
    case Status::noFeedConfigured:
        return localized(QStringLiteral("No update feed is configured"));
    case Status::upToDate:
        return localized(QStringLiteral("Varnisto is up to date"));
    case Status::updateAvailable:
        return localized(QStringLiteral("A new version of Varnisto is available"));
    case Status::feedUnreachable:
    case Status::feedInvalid:
        return localized(QStringLiteral("The update check failed"));
    }
    return {};
}

QString UpdateCheckResult::message() const
{
    const QString newest = newestItem ? newestItem->version : QString();
    switch (status) {
    case Status::noFeedConfigured:
        return localized(QStringLiteral("This copy of Varnisto was built without an address to look for new "
                                        "versions. Updates come the way you installed it."));
    case Status::upToDate:
        return localized(QStringLiteral("Version %@ is the newest version available."), {currentVersion});
    case Status::updateAvailable:
        return localized(
            QStringLiteral("Varnisto %1$@ is available; you have version %2$@."), {newest, currentVersion});
    case Status::feedUnreachable:
        return localized(QStringLiteral("The update feed could not be reached. Check your connection and try "
                                        "again later."));
    case Status::feedInvalid:
        return localized(QStringLiteral("The update feed could not be read."));
    }
    return {};
}

// --- The service ---------------------------------------------------------------------------------------------------

AppcastUpdateService::AppcastUpdateService(
    const Clock &clock, Scheduler &scheduler, QString settingsFilePath, QObject *parent)
    : AppcastUpdateService(
        configuredFeedURL(), QStringLiteral(VARNISTO_VERSION), clock, scheduler, std::move(settingsFilePath), parent)
{ }

AppcastUpdateService::AppcastUpdateService(QUrl feedURL, QString currentVersion, const Clock &clock,
    Scheduler &scheduler, QString settingsFilePath, QObject *parent)
    : UpdateService(parent)
    , m_feedURL(std::move(feedURL))
    , m_currentVersion(std::move(currentVersion))
    , m_clock(clock)
    , m_scheduler(scheduler)
    , m_settingsFilePath(std::move(settingsFilePath))
{
    if (!m_settingsFilePath.isEmpty()) {
        const QDateTime stored = QDateTime::fromString(
            QSettings(m_settingsFilePath, QSettings::IniFormat).value(lastCheckTimeKey).toString(), Qt::ISODateWithMs);
        if (stored.isValid())
            m_lastCheckTime = stored;
    }
}

QUrl AppcastUpdateService::configuredFeedURL()
{
    return QUrl(QStringLiteral(VARNISTO_UPDATE_FEED_URL).trimmed());
}

void AppcastUpdateService::checkForUpdates()
{
    startCheck(true);
}

void AppcastUpdateService::setAutomaticChecksEnabled(bool enabled)
{
    if (std::exchange(m_automaticChecksEnabled, enabled) == enabled)
        return;
    scheduleAutomaticCheck();
}

void AppcastUpdateService::scheduleAutomaticCheck()
{
    m_nextAutomaticCheck.cancel();
    m_nextAutomaticCheckTime.reset();
    // While a check runs, its end schedules the next one.
    if (!m_automaticChecksEnabled || m_feedURL.isEmpty() || m_download)
        return;
    const QDateTime now = m_clock.now();
    std::chrono::milliseconds delay {0};
    if (m_lastCheckTime) {
        // A last check that lies ahead (the clock was set back) still waits no longer than a day.
        const std::chrono::milliseconds interval = automaticCheckInterval;
        delay = std::clamp(std::chrono::milliseconds(now.msecsTo(m_lastCheckTime->addMSecs(interval.count()))),
            std::chrono::milliseconds(0), interval);
    }
    m_nextAutomaticCheckTime = now.addMSecs(delay.count());
    m_nextAutomaticCheck = m_scheduler.schedule(delay, this, [this] { startCheck(false); });
}

void AppcastUpdateService::startCheck(bool userInitiated)
{
    if (m_feedURL.isEmpty()) {
        if (userInitiated)
            report({UpdateCheckResult::Status::noFeedConfigured, true, m_currentVersion, std::nullopt});
        return;
    }
    if (m_download) {
        // One check at a time; asking again while it runs makes its answer the user's.
        m_runningCheckIsUserInitiated = m_runningCheckIsUserInitiated || userInitiated;
        return;
    }
    const QString scheme = m_feedURL.scheme();
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http") && scheme != QLatin1String("file")) {
        finishCheck({UpdateCheckResult::Status::feedUnreachable, userInitiated, m_currentVersion, std::nullopt});
        return;
    }
    m_nextAutomaticCheck.cancel();
    m_runningCheckIsUserInitiated = userInitiated;
    QNetworkRequest request(m_feedURL);
    request.setRawHeader("User-Agent", "Varnisto/" VARNISTO_VERSION);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_download
        = new BoundedDownload(m_network, request, feedByteLimit, BoundedDownload::Overflow::fail, feedDeadline, this);
    connect(m_download, &BoundedDownload::finished, this, &AppcastUpdateService::feedLoaded);
}

void AppcastUpdateService::feedLoaded()
{
    const BoundedDownload::Result download = m_download->result();
    m_download->deleteLater();
    m_download.clear();

    UpdateCheckResult result {
        UpdateCheckResult::Status::feedUnreachable, m_runningCheckIsUserInitiated, m_currentVersion, std::nullopt};
    const bool statusAccepted = !download.httpStatus || (*download.httpStatus >= 200 && *download.httpStatus < 300);
    if (download.exceededCap) {
        result.status = UpdateCheckResult::Status::feedInvalid;
    } else if (download.succeeded && statusAccepted) {
        const auto items = appcastItems(download.body);
        if (!items || items->isEmpty()) {
            result.status = UpdateCheckResult::Status::feedInvalid;
        } else {
            AppcastItem newest = items->first();
            for (const AppcastItem &item : *items) {
                if (compareVersions(item.version, newest.version) > 0)
                    newest = item;
            }
            result.newestItem = newest;
            result.status = compareVersions(newest.version, m_currentVersion) > 0
                ? UpdateCheckResult::Status::updateAvailable
                : UpdateCheckResult::Status::upToDate;
        }
    }
    finishCheck(std::move(result));
}

void AppcastUpdateService::finishCheck(UpdateCheckResult result)
{
    m_lastCheckTime = m_clock.now();
    if (!m_settingsFilePath.isEmpty()) {
        QSettings settings(m_settingsFilePath, QSettings::IniFormat);
        settings.setValue(lastCheckTimeKey, m_lastCheckTime->toUTC().toString(Qt::ISODateWithMs));
        settings.sync();
    }
    scheduleAutomaticCheck();
    report(std::move(result));
}

void AppcastUpdateService::report(UpdateCheckResult result)
{
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { Q_EMIT updateCheckFinished(result); }, Qt::QueuedConnection);
}

std::optional<QList<AppcastItem>> AppcastUpdateService::appcastItems(const QByteArray &appcast)
{
    QXmlStreamReader reader(appcast);
    if (!reader.readNextStartElement() || reader.name() != u"rss")
        return std::nullopt;
    QList<AppcastItem> items;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"channel") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == u"item") {
                if (auto item = readItem(reader))
                    items.append(std::move(*item));
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return items;
}

int AppcastUpdateService::compareVersions(const QString &a, const QString &b)
{
    const QStringList x = versionParts(a);
    const QStringList y = versionParts(b);
    for (qsizetype i = 0; i < qMax(x.size(), y.size()); ++i) {
        const QString left = x.value(i, QStringLiteral("0"));
        const QString right = y.value(i, QStringLiteral("0"));
        const bool leftIsNumber = isNumber(left);
        const bool rightIsNumber = isNumber(right);
        int order = 0;
        if (leftIsNumber && rightIsNumber)
            order = compareNumbers(left, right);
        else if (leftIsNumber != rightIsNumber)
            order = leftIsNumber ? 1 : -1; // a number is newer than a pre-release word
        else
            order = left.compare(right, Qt::CaseInsensitive);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}
