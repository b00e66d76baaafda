#include "AssociatedApplication.h"
#include "CoordinatorTestSupport.h"
#include "DefaultApplications.h"

#include <QStandardPaths>

namespace {

// A desktop entry and the user's choice of it as the default for a type and a scheme, in the run's own XDG folders.
void installDefaultApplication(const QString &id, const QString &name, const QStringList &types)
{
    const QString applications
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications/");
    writeFile(applications + id,
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=true %u\nIcon=text-x-generic\nMimeType=%2;\n")
            .arg(name, types.join(QLatin1Char(';')))
            .toUtf8());
    QString list = QStringLiteral("[Default Applications]\n");
    for (const QString &type : types)
        list += type + QLatin1Char('=') + id + QLatin1Char('\n');
    writeFile(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/mimeapps.list"),
        list.toUtf8());
}

} // namespace

TEST(AssociatedApplication, FindsTheDesktopsDefaultForAFileAndForAnAddress)
{
    installDefaultApplication(QStringLiteral("varnisto-test-reader.desktop"), QStringLiteral("Test Reader.app"),
        {QStringLiteral("text/plain"), QStringLiteral("x-scheme-handler/varnisto-test")});
    const DesktopDefaultApplications applications;
    QTemporaryDir folder;
    const QString note = folder.path() + QStringLiteral("/note.txt");
    writeFile(note, "a note");

    for (const QUrl &url : {QUrl::fromLocalFile(note), QUrl(QStringLiteral("varnisto-test://item"))}) {
        const auto application = AssociatedApplication::forURL(url, 22, applications);
        ASSERT_TRUE(application) << qPrintable(url.toString());
        EXPECT_EQ(application->name, QStringLiteral("Test Reader")); // the ".app" of a bundle name is dropped
        EXPECT_TRUE(
            application->url.toLocalFile().endsWith(QStringLiteral("/applications/varnisto-test-reader.desktop")));
    }
    EXPECT_FALSE(AssociatedApplication::forURL(QUrl(QStringLiteral("no-such-scheme://x")), 22, applications));
}
