#include "WebPageEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <QOpenGLContext>

// Qt's context that every OpenGL context of the process shares with; the web engine needs one.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
Q_GUI_EXPORT QOpenGLContext *qt_gl_global_share_context();

namespace {

Q_LOGGING_CATEGORY(webPageLog, "varnisto.preview")

bool loadedOnce = false;

CreateWebPageEngineFunction createFunction()
{
    static CreateWebPageEngineFunction function = [] {
        // Beside the program first (an installed copy), then where the build put it.
        const QStringList candidates {
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libvarnisto_webpage.so")),
            QStringLiteral(VARNISTO_WEBPAGE_MODULE),
        };
        for (const QString &path : candidates) {
            if (!QFileInfo::exists(path))
                continue;
            // The web engine shares its surfaces through Qt's global context. Qt makes one at start-up only when asked
            // to, which costs every start several hundred milliseconds on a display without a GPU; it is made here,
            // when the first page is about to show.
            if (!qt_gl_global_share_context()) {
                auto *context = new QOpenGLContext(QCoreApplication::instance());
                context->create();
                qt_gl_set_global_share_context(context);
            }
            QLibrary library(path);
            library.setLoadHints(QLibrary::PreventUnloadHint);
            if (auto resolved
                = reinterpret_cast<CreateWebPageEngineFunction>(library.resolve("varnisto_createWebPageEngine"))) {
                loadedOnce = true;
                return resolved;
            }
            qCWarning(webPageLog, "The web page module could not be loaded: %s", qUtf8Printable(library.errorString()));
        }
        return CreateWebPageEngineFunction(nullptr);
    }();
    return function;
}

} // namespace

std::unique_ptr<WebPageEngine> WebPageEngine::create(Callbacks callbacks, QWidget *parent)
{
    const CreateWebPageEngineFunction create = createFunction();
    if (!create)
        return nullptr;
    return std::unique_ptr<WebPageEngine>(create(&callbacks, parent));
}

bool WebPageEngine::isLoaded()
{
    return loadedOnce;
}
