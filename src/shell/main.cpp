#include "AppDelegate.h"
#include "AppLogging.h"
#include "CrashLog.h"
#include "KeyNameTranslator.h"
#include "Localization.h"
#include "MemoryTuning.h"
#include "MessageBoxAlertPresenter.h"
#include "PreferencesStore.h"
#include "SingleInstance.h"
#include "Symbols.h"
#include "TerminationSignals.h"
#include "UserSettingsFile.h"
#include "WebPagePreviews.h"

#include <QApplication>
#include <QDBusConnection>
#include <QIcon>
#include <QImageReader>
#include <QTimer>

#include <cstdio>

namespace {

// A line for the user on the error output, where a program started from a terminal or a session log speaks.
void tellUser(const QString &message)
{
    std::fprintf(stderr, "varnisto: %s\n", qUtf8Printable(message));
}

} // namespace

int main(int argc, char **argv)
{
    // Until the event loop runs, a termination signal has its default action and ends the process at once.
    traceStartup("main");
    tuneMemoryAllocatorForLargeLists();
    prepareWebPagePreviews();
    QApplication app(argc, argv);
    traceStartup("application");
    QCoreApplication::setOrganizationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNISTO_VERSION));
    // Varnisto lives in the background: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt refuses images above 128 MB by default, which an 8K screenshot passes; keep a limit against
    // decompression bombs, but one that real screenshots stay under.
    QImageReader::setAllocationLimit(1024);
    // Before the first icon is looked up: the windows' symbols come from the installed theme where the desktop
    // has none, and an icon looked up once is not looked up again.
    Symbols::useInstalledThemeAsFallback();
    QGuiApplication::setDesktopFileName(QStringLiteral("varnisto"));
    // Every window, dialogs included, carries the program's icon rather than the window manager's generic one.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varnisto.svg")));
    // Keys that Qt writes itself (menus, key sequence fields) follow the interface language like ours do.
    KeyNameTranslator keyNames;
    QCoreApplication::installTranslator(&keyNames);

    const UserSettingsFile settingsFile;
    if (settingsFile.isStandIn())
        tellUser(settingsFile.problem());
    else // what this start has to say comes in the user's language
        setCurrentInterfaceLanguage(supportedLanguageCode(PreferencesStore(settingsFile.filePath()).load().language));

    traceStartup("language");
    // One copy per history, settled before the history is opened.
    const QString supportDirectory = AppDelegate::makeSupportDirectory();
#ifndef VARNISTO_SANITIZED_BUILD
    // A fault from here on leaves its stack in the support directory; the next start says where. (Under the
    // sanitizers their own report says more.)
    CrashLog::install(supportDirectory, QCoreApplication::applicationVersion());
#endif
    SingleInstance instance(supportDirectory);
    switch (instance.claim(QDBusConnection::sessionBus())) {
    case SingleInstance::Role::primary:
        break;
    case SingleInstance::Role::handedOver:
        return 0;
    case SingleInstance::Role::refused:
        tellUser(instance.refusal());
        return 1;
    }

    traceStartup("single instance");
    // A termination request, the end of the desktop session and Quit all leave the event loop the same way, and
    // the delegate prepares for termination on the way out. A history that could not be written at the claim is
    // locked as soon as it can be, before its first write.
    AppDelegate delegate(
        {supportDirectory, settingsFile.filePath(), [&instance] { return instance.holdLockForWriting(); }},
        PlatformServices::forCurrentPlatform(), std::make_unique<MessageBoxAlertPresenter>());
    QObject::connect(
        &instance, &SingleInstance::showHistoryRequested, &delegate, &AppDelegate::showHistoryWindowOnRequest);
    traceStartup("services");
    TerminationSignals terminationSignals;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    QTimer::singleShot(0, &terminationSignals, &TerminationSignals::install);
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
