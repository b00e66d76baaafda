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

// Where the module may be: under the installation's library folder, found from the program's own folder, and, for
// a program run from the build folder, where the build put it. An installed program never takes a build's module.
QStringList moduleCandidates()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList candidates {
        QDir::cleanPath(
            programFolder + QStringLiteral("/" VARNISTO_WEBPAGE_INSTALLED_FOLDER "/libvarnisto_webpage.so")),
    };
    const QString buildFolder = QFileInfo(QStringLiteral(VARNISTO_BUILD_DIRECTORY)).canonicalFilePath();
    const QString program = QFileInfo(programFolder).canonicalFilePath();
    if (!buildFolder.isEmpty() && (program == buildFolder || program.startsWith(buildFolder + u'/')))
        candidates.append(QStringLiteral(VARNISTO_WEBPAGE_MODULE));
    return candidates;
}

CreateWebPageEngineFunction createFunction()
{
    static CreateWebPageEngineFunction function = [] {
        QStringList problems;
        for (const QString &path : moduleCandidates()) {
            if (!QFileInfo::exists(path)) {
                problems.append(path + QStringLiteral(" (not there)"));
                continue;
            }
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
            problems.append(library.errorString());
        }
        // Said once: the module is looked for only the first time a page is to show.
        qCWarning(webPageLog, "The web page module could not be loaded, so links preview as cards: %s",
            qUtf8Printable(problems.join(QStringLiteral("; "))));
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
