#include "WebPagePreviews.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include <unistd.h>

void prepareWebPagePreviews()
{
    // Chromium refuses to run as root with its sandbox; without a GPU (Xvfb, remote sessions) it renders in
    // software. Both are read when the application object is made, long before any page is shown.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu")) {
        flags.append(flags.isEmpty() ? "--disable-gpu" : " --disable-gpu");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}
