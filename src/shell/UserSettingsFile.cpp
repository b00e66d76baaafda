#include "UserSettingsFile.h"

#include "Localization.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

UserSettingsFile::UserSettingsFile(QString path) : m_path(std::move(path))
{
    if (!isUsable(m_path))
        m_standInFolder = std::make_unique<QTemporaryDir>();
}

UserSettingsFile::~UserSettingsFile() = default;

QString UserSettingsFile::standardPath()
{
    // As QSettings builds it for the native format and the user scope on this platform: constructing a QSettings
    // would read the file at once.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/Varnisto/Varnisto.conf");
}

bool UserSettingsFile::isUsable(const QString &path)
{
    // QFileInfo follows links: a link to a regular file is one, a dangling link is nothing yet.
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

QString UserSettingsFile::filePath() const
{
    return m_standInFolder ? m_standInFolder->filePath(QStringLiteral("Varnisto.conf")) : m_path;
}

QString UserSettingsFile::problem() const
{
    if (!m_standInFolder)
        return QString();
    return localized(
        QStringLiteral("%@ is not a regular file. Varnisto starts with the default settings and does not save them."),
        {QDir::toNativeSeparators(m_path)});
}
