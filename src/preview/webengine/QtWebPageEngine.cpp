// The web page of the item preview on Qt WebEngine. Built as a module of its own and loaded with the first web
// page a preview shows.

#include "WebPageEngine.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QWebEngineProfile *previewProfile()
{
    // One off-the-record profile (no storage name) for every page the previews show: nothing is written to disk.
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QCoreApplication::instance());
        QWebEngineSettings *settings = profile->settings();
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
        settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    }
    return profile;
}

class QtWebPageEngine final : public WebPageEngine
{
public:
    QtWebPageEngine(Callbacks callbacks, QWidget *parent)
        : m_callbacks(std::move(callbacks)), m_view(new QWebEngineView(parent))
    {
        auto *page = new QWebEnginePage(previewProfile(), m_view);
        m_view->setPage(page);
        QObject::connect(page, &QWebEnginePage::loadingChanged, m_view, [this](const QWebEngineLoadingInfo &info) {
            switch (info.status()) {
            case QWebEngineLoadingInfo::LoadStartedStatus:
            case QWebEngineLoadingInfo::LoadStoppedStatus:
                return;
            case QWebEngineLoadingInfo::LoadSucceededStatus:
                break;
            case QWebEngineLoadingInfo::LoadFailedStatus:
                // A page the server answered with an error status still shows what the server sent.
                if (info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain) {
                    if (m_callbacks.failed)
                        m_callbacks.failed(info.errorCode());
                    return;
                }
                break;
            }
            if (m_callbacks.loaded)
                m_callbacks.loaded();
        });
        QObject::connect(
            page, &QWebEnginePage::newWindowRequested, m_view, [this](QWebEngineNewWindowRequest &request) {
                // Not opening it in a view makes no window.
                if (m_callbacks.newWindowRequested)
                    m_callbacks.newWindowRequested(request.requestedUrl());
            });
        QObject::connect(page, &QWebEnginePage::renderProcessTerminated, m_view,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus && m_callbacks.crashed)
                    m_callbacks.crashed();
            });
    }

    ~QtWebPageEngine() override
    {
        if (!m_view)
            return;
        m_view->stop();
        if (m_view->page())
            QObject::disconnect(m_view->page(), nullptr, m_view, nullptr);
        m_view->hide();
        m_view->deleteLater();
    }

    QWidget *widget() const override { return m_view; }
    void load(const QUrl &url) override { m_view->load(url); }
    void stop() override { m_view->stop(); }
    QString title() const override { return m_view->title(); }
    QUrl url() const override { return m_view->url(); }
    QWidget *inputWidget() const override { return m_view->focusProxy(); }
    void runJavaScript(const QString &script, std::function<void()> done) override
    {
        m_view->page()->runJavaScript(script, [done = std::move(done)](const QVariant &) {
            if (done)
                done();
        });
    }

private:
    Callbacks m_callbacks;
    QPointer<QWebEngineView> m_view;
};

} // namespace

extern "C" Q_DECL_EXPORT WebPageEngine *varnisto_createWebPageEngine(
    WebPageEngine::Callbacks *callbacks, QWidget *parent)
{
    return new QtWebPageEngine(std::move(*callbacks), parent);
}
