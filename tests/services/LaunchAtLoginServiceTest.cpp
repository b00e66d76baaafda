#include "LaunchAtLoginService.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace { } // namespace

TEST(LaunchAtLoginService, WritesAndRemovesTheAutostartEntry)
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_TRUE(qEnvironmentVariable("XDG_CONFIG_HOME").startsWith(configHome)) << "tests run with a private home";
    const LaunchAtLoginService defaults;
    EXPECT_EQ(defaults.entryPath(), configHome + QLatin1String("/autostart/varnisto.desktop"));

    QTemporaryDir config;
    const QString folder = config.filePath(QStringLiteral("autostart"));
    const LaunchAtLoginService service(folder, QStringLiteral("/opt/My Apps/varnisto"));
    WarningLog log;

    // Applying the preferences twice asks twice; the entry is there after both.
    service.updateLaunchAtLogin(true);
    service.updateLaunchAtLogin(true);
    ASSERT_TRUE(service.isEnabled());
    QSettings entry(service.entryPath(), QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_EQ(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Varnisto"));
    QFile file(service.entryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\nExec=\"/opt/My Apps/varnisto\"\n")) << "a path with a space is quoted";
    file.close();

    service.updateLaunchAtLogin(false);
    EXPECT_FALSE(QFile::exists(service.entryPath()));
    service.updateLaunchAtLogin(false); // never registered: nothing to remove, nothing to report
    EXPECT_TRUE(WarningLog::lines().isEmpty()) << qPrintable(WarningLog::lines().join(u'\n'));
}

TEST(LaunchAtLoginService, AFailureIsWrittenToTheLogOnly)
{
    QTemporaryDir config;
    const QString blocked = config.filePath(QStringLiteral("autostart"));
    QFile blocker(blocked); // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const LaunchAtLoginService service(blocked, QStringLiteral("/usr/bin/varnisto"));
    const auto outcome = service.setEnabled(true);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().code, LaunchAtLoginError::Code::folderNotCreated);

    WarningLog log;
    service.updateLaunchAtLogin(true);
    EXPECT_EQ(WarningLog::lines(),
        QStringList {QStringLiteral("Varnisto launch-at-login update failed: The autostart folder “") + blocked
            + QStringLiteral("” could not be created.")});
}
