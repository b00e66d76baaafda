#include "SourceApplicationLocator.h"

#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

std::optional<QString> DesktopEntryLocator::pathForIdentifier(const QString &identifier) const
{
    if (identifier.isEmpty() || identifier.contains(QLatin1Char('/')))
        return std::nullopt;
    const QString path
        = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, identifier + QLatin1String(".desktop"));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> DesktopEntryLocator::pathForName(const QString &name) const
{
    if (!m_pathsByName) {
        // Earlier folders take precedence, as they do for the desktop.
        QHash<QString, QString> paths;
        for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
            QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile file(path);
                if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                    continue;
                bool inMainGroup = false;
                while (!file.atEnd()) {
                    const QString line = QString::fromUtf8(file.readLine()).trimmed();
                    if (line.startsWith(QLatin1Char('['))) {
                        inMainGroup = line == QLatin1String("[Desktop Entry]");
                        continue;
                    }
                    if (!inMainGroup || !line.startsWith(QLatin1String("Name")))
                        continue;
                    const qsizetype equals = line.indexOf(QLatin1Char('='));
                    const QStringView key = QStringView(line).left(equals).trimmed();
                    if (equals < 0 || (key != QLatin1String("Name") && !key.startsWith(QLatin1String("Name["))))
                        continue;
                    const QString value = line.mid(equals + 1).trimmed();
                    if (!value.isEmpty() && !paths.contains(value))
                        paths.insert(value, path);
                }
            }
        }
        m_pathsByName = std::move(paths);
    }
    const auto found = m_pathsByName->constFind(name);
    if (found == m_pathsByName->cend())
        return std::nullopt;
    return found.value();
}
