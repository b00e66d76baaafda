// The web page of a link on a real display, against a small HTTP server on the loopback address: a page loads and
// the spinner goes, an unreachable port shows our text for the failure, and a page's new windows open only web
// addresses, in the browser. Pictures of the page in light and dark go to the screenshots folder of the build.

#include "ItemPreviewContentViews.h"
#include "ItemPreviewDialogController.h"
#include "ItemPreviewPresenter.h"
#include "StyleAppearanceApplier.h"
#include "TestSupport.h"
#include "WebPagePreviews.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const bool webEnginePrepared = (prepareWebPagePreviews(), true);

// Answers every request with the page of its path; bound to 127.0.0.1 only.
class LoopbackServer final : public QObject
{
public:
    LoopbackServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    QStringList requested;

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QList<QByteArray> first = request.left(request.indexOf('\r')).split(' ');
        const QString path = first.size() > 1 ? QString::fromLatin1(first.at(1)) : QString();
        requested.append(path);
        QByteArray body;
        if (path == QLatin1String("/")) {
            body = QByteArrayLiteral(
                "<!doctype html><html><head><title>Loopback page</title><style>"
                "body{margin:0;font-family:sans-serif;background:#fafafa;color:#222}"
                "a{display:block;height:120px;line-height:120px;text-align:center;font-size:24px;"
                "background:#3465a4;color:white;text-decoration:none;margin:0 0 10px 0}"
                "h1{padding:20px 24px;margin:0}p{padding:0 24px}</style></head><body>"
                "<a id='web' href='/other' target='_blank'>A web page in a new window</a>"
                "<a id='file' href='file:///etc/hostname' target='_blank'>A file in a new window</a>"
                "<h1>Loopback page</h1><p>Served on 127.0.0.1 for the preview's suite.</p></body></html>");
        } else {
            body = QByteArrayLiteral("<!doctype html><title>Other</title><p>Other page</p>");
        }
        QByteArray response = QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                                                "Connection: close\r\nContent-Length: ")
            + QByteArray::number(body.size()) + QByteArrayLiteral("\r\n\r\n") + body;
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

// A port on the loopback address where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

ClipboardItem linkItem(const QUrl &url)
{
    ClipboardItem made;
    made.id = QUuid::createUuid();
    made.kind = ClipboardKind::link;
    made.text = url.toString();
    made.copiedAt = QDateTime::currentDateTime();
    made.firstCopiedAt = made.copiedAt;
    made.sourceAppName = QStringLiteral("Web Browser");
    return made;
}

bool loaded(const PreviewWebPageView &view)
{
    return !view.loadingIndicator()->isVisible() && view.messageField()->isHidden();
}

} // namespace

TEST(ItemPreviewWebPage, LoadsAPageAndOpensOnlyWebAddressesInTheBrowser)
{
    ASSERT_TRUE(webEnginePrepared);
    LoopbackServer server;
    QList<QUrl> opened;
    PreviewEnvironment environment;
    environment.openExternally = [&](const QUrl &url) { opened.append(url); };
    const ClipboardItem link = linkItem(server.url(QStringLiteral("/")));

    EXPECT_FALSE(PreviewWebPageView::webEngineStarted());
    EXPECT_FALSE(WebPageEngine::isLoaded());
    PreviewWebPageView view(server.url(QStringLiteral("/")), link, environment);
    view.resize(800, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(PreviewWebPageView::webEngineStarted());
    EXPECT_TRUE(WebPageEngine::isLoaded());
    ASSERT_TRUE(view.webPage());
    EXPECT_TRUE(view.loadingIndicator()->isVisible() || loaded(view));
    ASSERT_TRUE(waitUntil([&] { return loaded(view); }, 20000));
    EXPECT_TRUE(view.webPage()->widget()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return view.webPage()->title() == QLatin1String("Loopback page"); }));

    // Scripts open no windows; a file address is opened by nothing.
    bool ran = false;
    view.webPage()->runJavaScript(QStringLiteral("window.open('file:///etc/hostname'); window.open('%1');")
                                      .arg(server.url(QStringLiteral("/x")).toString()),
        [&] { ran = true; });
    ASSERT_TRUE(waitUntil([&] { return ran; }));

    // The user's click on a link to a new window: a web address goes to the browser, a file address nowhere.
    QWidget *input = view.webPage()->inputWidget();
    ASSERT_TRUE(input);
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(400, 60)); // the first link
    ASSERT_TRUE(waitUntil([&] { return !opened.isEmpty(); }, 10000));
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(400, 190)); // the second link
    QTest::qWait(500);
    EXPECT_EQ(opened, QList<QUrl>({server.url(QStringLiteral("/other"))}));
    // The preview stays on its page.
    EXPECT_EQ(view.webPage()->url(), server.url(QStringLiteral("/")));
    EXPECT_FALSE(server.requested.contains(QStringLiteral("/x")));

    // Teardown stops the page and lets go of it.
    view.teardown();
    EXPECT_EQ(view.webPage(), nullptr);
}

TEST(ItemPreviewWebPage, AnUnreachablePortShowsOurText)
{
    const QUrl unreachable(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()));
    PreviewWebPageView view(unreachable, linkItem(unreachable), PreviewEnvironment {});
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(waitUntil([&] { return view.messageField()->isVisible(); }, 20000));
    EXPECT_EQ(view.messageField()->text(), QStringLiteral("Could not connect to the server."));
    EXPECT_FALSE(view.loadingIndicator()->isVisible());
    EXPECT_FALSE(view.webPage()->widget()->isVisible());
    EXPECT_LE(view.messageField()->height(), 3 * view.messageField()->fontMetrics().lineSpacing());
}

TEST(ItemPreviewWebPage, PicturesOfALinkPageInLightAndDark)
{
    LoopbackServer server;
    QWidget history;
    history.resize(1600, 1100);
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    StyleAppearanceApplier appearance;
    PreviewEnvironment environment;
    environment.openExternally = [](const QUrl &) {};
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        ItemPreviewDialogPresenter presenter({}, {}, environment);
        presenter.present(linkItem(server.url(QStringLiteral("/"))), &history);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(presenter.dialog()));
        auto *page = qobject_cast<PreviewWebPageView *>(presenter.controller()->contentView());
        ASSERT_TRUE(page);
        ASSERT_TRUE(waitUntil([&] { return loaded(*page); }, 20000));
        QTest::qWait(500); // the page's first frame
        QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
        const QString name = mode == AppAppearance::light ? QStringLiteral("item-preview-link-light.png")
                                                          : QStringLiteral("item-preview-link-dark.png");
        EXPECT_TRUE(presenter.dialog()->grab().toImage().save(
            QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name)));

        // The next item replaces the page: its loading stops and the web view goes before the new content shows.
        ClipboardItem text = linkItem(server.url(QStringLiteral("/")));
        text.kind = ClipboardKind::text;
        text.id = QUuid::createUuid();
        QPointer<QWidget> web = page->webPage()->widget();
        presenter.updateItem(text);
        EXPECT_EQ(page->webPage(), nullptr);
        EXPECT_TRUE(!web || web->isHidden());
        EXPECT_TRUE(qobject_cast<PreviewTextView *>(presenter.controller()->contentView()));
        presenter.close();
    }
    appearance.apply(AppAppearance::system);
}
