#pragma once

#include "CaretLocator.h"
#include "DefaultApplications.h"
#include "DesktopLauncher.h"
#include "HotKeyBackend.h"
#include "IconProvider.h"
#include "KeyPoster.h"
#include "Pasteboard.h"
#include "SystemBoot.h"
#include "TextRecognizer.h"
#include "WindowFrames.h"
#include "Workspace.h"

#include <memory>

// The desktop facilities the program is built on, chosen once at start: the X11 implementations when the program
// runs on the xcb platform, the in-memory ones otherwise (tests under the offscreen platform, or a session where
// there is no X11 clipboard to watch).
struct PlatformServices
{
    std::unique_ptr<HotKeyBackend> hotKeys; // before the key poster, which lifts its grabs while posting
    std::unique_ptr<KeyPoster> keyPoster;
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<TextRecognizer> textRecognizer;
    std::unique_ptr<IconProvider> iconProvider;
    std::unique_ptr<SystemBoot> systemBoot;
    std::unique_ptr<DefaultApplications> defaultApplications;
    std::unique_ptr<DesktopLauncher> launcher;
    std::unique_ptr<WindowFrames> windowFrames; // where the paste target's window is
    std::unique_ptr<CaretLocator> caretLocator; // its text caret
    bool isX11 = false;

    static PlatformServices forCurrentPlatform();
    static PlatformServices x11();
    static PlatformServices inMemory();
};
