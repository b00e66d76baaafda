#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

// A live web page, from the web engine module. The module, and the web engine with it, is loaded by the first
// page a preview shows, so the engine costs the program's start nothing. Main thread only.
class WebPageEngine
{
public:
    // What the page reports; each is called on the main thread.
    struct Callbacks
    {
        std::function<void()> loaded;
        std::function<void(int errorCode)> failed; // the engine's error code; a page the server refused is loaded
        std::function<void(const QUrl &)> newWindowRequested; // no window is made
        std::function<void()> crashed; // the page's process ended abnormally
    };

    virtual ~WebPageEngine() = default;
    // The page's view, made with the parent given to create().
    virtual QWidget *widget() const = 0;
    virtual void load(const QUrl &url) = 0;
    virtual void stop() = 0;
    virtual QString title() const = 0;
    virtual QUrl url() const = 0;
    // The widget that takes the page's mouse and keys.
    virtual QWidget *inputWidget() const = 0;
    virtual void runJavaScript(const QString &script, std::function<void()> done) = 0;

    // A page in an off-the-record profile where scripts open no windows and the engine shows no error pages of its
    // own; nothing when the module cannot be loaded.
    static std::unique_ptr<WebPageEngine> create(Callbacks callbacks, QWidget *parent);
    // Whether the module has been loaded in this process.
    static bool isLoaded();
};

// The module's one entry point.
extern "C" {
using CreateWebPageEngineFunction = WebPageEngine *(*)(WebPageEngine::Callbacks *callbacks, QWidget *parent);
}
