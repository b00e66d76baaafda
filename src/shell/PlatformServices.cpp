#include "PlatformServices.h"

#include "AtSpiCaretLocator.h"
#include "MemoryHotKeyBackend.h"
#include "MemoryKeyPoster.h"
#include "MemoryPasteboard.h"
#include "ShellLogging.h"
#include "TesseractTextRecognizer.h"
#include "x11/X11HotKeyBackend.h"
#include "x11/X11KeyPoster.h"
#include "x11/X11Pasteboard.h"
#include "x11/X11WindowFrames.h"
#include "x11/X11Workspace.h"

#include <QGuiApplication>

PlatformServices PlatformServices::forCurrentPlatform()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return x11();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        qCWarning(lcShell).noquote() << "Varnisto needs an X11 session to watch the clipboard, to paste and to "
                                        "register hot keys; running on"
                                     << QGuiApplication::platformName() << "without them";
    return inMemory();
}

PlatformServices PlatformServices::x11()
{
    PlatformServices services;
    auto hotKeys = std::make_unique<X11HotKeyBackend>();
    services.keyPoster = std::make_unique<X11KeyPoster>(hotKeys.get());
    services.hotKeys = std::move(hotKeys);
    services.pasteboard = std::make_unique<X11Pasteboard>();
    auto workspace = std::make_unique<X11Workspace>();
    workspace->setPasteTargets(services.keyPoster.get());
    services.workspace = std::move(workspace);
    services.textRecognizer = std::make_unique<TesseractTextRecognizer>();
    services.iconProvider = std::make_unique<DesktopIconProvider>();
    services.systemBoot = std::make_unique<LinuxSystemBoot>();
    services.defaultApplications = std::make_unique<DesktopDefaultApplications>();
    services.launcher = std::make_unique<SystemDesktopLauncher>();
    services.windowFrames = std::make_unique<X11WindowFrames>();
    services.caretLocator = std::make_unique<AtSpiCaretLocator>();
    services.isX11 = true;
    return services;
}

PlatformServices PlatformServices::inMemory()
{
    PlatformServices services;
    services.hotKeys = std::make_unique<MemoryHotKeyBackend>();
    services.keyPoster = std::make_unique<MemoryKeyPoster>();
    services.pasteboard = std::make_unique<MemoryPasteboard>();
    services.workspace = std::make_unique<MemoryWorkspace>();
    services.textRecognizer = std::make_unique<MemoryTextRecognizer>();
    services.iconProvider = std::make_unique<DesktopIconProvider>();
    services.systemBoot = std::make_unique<LinuxSystemBoot>();
    services.defaultApplications = std::make_unique<DesktopDefaultApplications>();
    services.launcher = std::make_unique<SystemDesktopLauncher>();
    services.windowFrames = std::make_unique<MemoryWindowFrames>();
    auto caret = std::make_unique<MemoryCaretLocator>();
    caret->trusted = false;
    services.caretLocator = std::move(caret);
    return services;
}
