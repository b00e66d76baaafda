#include "RebootCheck.h"

#include <QSettings>

#include <cmath>

bool RebootCheck::isAnotherBoot(const StoredBoot &previous, const BootRecord &current)
{
    if (previous.bootID && current.bootID)
        return *previous.bootID != *current.bootID;
    if (previous.bootTime)
        return std::abs(*previous.bootTime - current.bootTime) > bootTimeToleranceSeconds;
    return false;
}

bool RebootCheck::recordBoot(const QString &settingsFilePath, const BootRecord &current)
{
    QSettings settings(settingsFilePath, QSettings::IniFormat);
    StoredBoot previous;
    bool isNumber = false;
    const double time = settings.value(bootTimeKey).toDouble(&isNumber);
    if (isNumber && std::isfinite(time))
        previous.bootTime = time;
    const QString id = settings.value(bootIDKey).toString();
    if (!id.isEmpty())
        previous.bootID = id;

    settings.setValue(bootTimeKey, current.bootTime);
    if (current.bootID)
        settings.setValue(bootIDKey, *current.bootID);
    else
        settings.remove(bootIDKey);
    settings.sync();
    return isAnotherBoot(previous, current);
}
