#include "SystemBoot.h"

#include <QDateTime>
#include <QFile>

#include <time.h>

BootRecord LinuxSystemBoot::currentBoot() const
{
    BootRecord record;
    timespec sinceBoot {};
    const double now = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    if (clock_gettime(CLOCK_BOOTTIME, &sinceBoot) == 0)
        record.bootTime = now - (double(sinceBoot.tv_sec) + double(sinceBoot.tv_nsec) / 1e9);
    else
        record.bootTime = now;

    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromLatin1(file.readAll()).trimmed();
        if (!id.isEmpty())
            record.bootID = id;
    }
    return record;
}
