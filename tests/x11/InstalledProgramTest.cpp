// The program as `cmake --install` leaves it under a prefix of its own, run on this display: a link's preview shows
// the live page through the web page module of the installation, never through the one in the build folder; without
// its module the preview shows the link's card and the log says once why.

#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString moduleName = QStringLiteral("libvarnisto_webpage.so");
// Where the installation puts it, under the prefix.
const QString installedModule = QStringLiteral(VARNISTO_WEBPAGE_INSTALL_DIR "/libvarnisto_webpage.so");

// Answers every request on 127.0.0.1 with a page that is one colour from edge to edge.
class LoopbackPage final : public QObject
{
public:
    LoopbackPage()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    const QByteArray body
                        = QByteArrayLiteral("<!doctype html><html><head><title>Installed page</title></head>"
                                            "<body style=\"margin:0;background:#ff00ff;height:100vh\"></body></html>");
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/installed").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

// The build installed under the prefix, as a user installs it.
::testing::AssertionResult install(const QString &prefix)
{
    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral("cmake"),
        {QStringLiteral("--install"), QStringLiteral(VARNISTO_BUILD_DIRECTORY), QStringLiteral("--prefix"), prefix});
    if (!cmake.waitForFinished(120000) || cmake.exitStatus() != QProcess::NormalExit || cmake.exitCode() != 0)
        return ::testing::AssertionFailure() << cmake.readAll().toStdString();
    return ::testing::AssertionSuccess();
}

// The web page module the running program has mapped, if any.
std::optional<QString> loadedModule(RunningVarnisto &varnisto)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(varnisto.process().processId()));
    if (!maps.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype path = line.indexOf('/');
        if (path >= 0 && line.endsWith(moduleName.toUtf8()))
            return QString::fromUtf8(line.mid(path));
    }
    return std::nullopt;
}

// The share of a window's picture in the page's colour.
double pageShare(const QString &window)
{
    const QString path = freshScreenshotPath(QStringLiteral("installed-program-web-page.png"));
    if (runProgram(QStringLiteral("import"), {QStringLiteral("-window"), window, path}) != 0)
        return 0;
    const QImage image(path);
    qint64 matching = 0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const QColor colour = image.pixelColor(x, y);
            matching += colour.red() > 230 && colour.green() < 30 && colour.blue() > 230 ? 1 : 0;
            ++count;
        }
    }
    return count ? double(matching) / double(count) : 0;
}

} // namespace

TEST(InstalledProgram, ShowsAWebPageThroughTheModuleOfItsInstallation)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(install(prefix.path()));
    storeHistoryWindowPreferences(AppAppearance::light);
    LoopbackPage page;
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    RunningVarnisto varnisto(environmentWithoutSessionBus(), prefix.filePath(QStringLiteral("bin/varnisto")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    XclipCopy copy(page.url().toUtf8());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured")));
    ASSERT_TRUE(openHistoryWindow(varnisto, receiver));
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("space")}), 0);
    const QString title = QRegularExpression::escape(page.url());
    std::optional<QString> preview;
    ASSERT_TRUE(waitUntil([&] { return (preview = visibleWindowNamed(title)).has_value(); }));

    // The page fills most of the preview once it has rendered.
    EXPECT_TRUE(waitUntil([&] { return pageShare(*preview) > 0.3; }, 30000)) << pageShare(*preview);
    const auto module = loadedModule(varnisto);
    ASSERT_TRUE(module);
    EXPECT_EQ(
        module->toStdString(), QString(QDir(prefix.path()).canonicalPath() + u'/' + installedModule).toStdString());
    EXPECT_FALSE(varnisto.log().contains(QStringLiteral("web page module could not be loaded")));

    // (A preview that is open when the program is asked to quit can refuse the request: it is closed first.)
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Escape"), QStringLiteral("Escape")}), 0);
    ASSERT_TRUE(waitUntil([&] { return !visibleWindowNamed(historyWindowTitle()) && !visibleWindowNamed(title); }));
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

TEST(InstalledProgram, WithoutItsModuleALinkShowsItsCardAndTheLogSaysWhyOnce)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(install(prefix.path()));
    ASSERT_TRUE(QFile::remove(prefix.filePath(installedModule)));
    storeHistoryWindowPreferences(AppAppearance::light);
    LoopbackPage page;
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    RunningVarnisto varnisto(environmentWithoutSessionBus(), prefix.filePath(QStringLiteral("bin/varnisto")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    XclipCopy copy(page.url().toUtf8());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured")));
    const QString title = QRegularExpression::escape(page.url());
    // Twice: the preview is opened, closed and opened again.
    for (int time = 0; time < 2; ++time) {
        SCOPED_TRACE(time);
        ASSERT_TRUE(openHistoryWindow(varnisto, receiver));
        ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("space")}), 0);
        std::optional<QString> preview;
        ASSERT_TRUE(waitUntil([&] { return (preview = visibleWindowNamed(title)).has_value(); }));
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("web page module could not be loaded")));
        if (time == 0)
            saveScreenshot(*preview, QStringLiteral("installed-program-link-card.png"));
        ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Escape"), QStringLiteral("Escape")}), 0);
        ASSERT_TRUE(waitUntil([&] { return !visibleWindowNamed(title) && !visibleWindowNamed(historyWindowTitle()); }));
    }
    EXPECT_EQ(varnisto.log().count(QStringLiteral("web page module could not be loaded")), 1)
        << qPrintable(varnisto.log());
    EXPECT_TRUE(varnisto.log().contains(prefix.filePath(installedModule)));
    // The build folder's module is no substitute.
    EXPECT_FALSE(loadedModule(varnisto));

    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}
