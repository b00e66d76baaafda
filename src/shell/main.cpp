#include "AppDelegate.h"
#include "MemoryTuning.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QImageReader>
#include <QTimer>

int main(int argc, char **argv)
{
    tuneMemoryAllocatorForLargeLists();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNISTO_VERSION));
    // Varnisto lives in the background: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt refuses images above 128 MB by default, which an 8K screenshot passes; keep a limit against
    // decompression bombs, but one that real screenshots stay under.
    QImageReader::setAllocationLimit(1024);

    // A termination request, the end of the desktop session and Quit all leave the event loop the same way, and
    // the delegate prepares for termination on the way out.
    TerminationSignals terminationSignals;
    AppDelegate delegate;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
