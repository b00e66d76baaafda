#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Tests never see the user's own data or settings: scripts/with-temp-home gives each program fresh XDG folders.
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnisto"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
