// The history window of the whole program, open while other applications copy: pictures, texts, colours, links and
// file lists arrive through the X11 clipboard one after another, and after each one every row of the list is as
// tall as its content and sits right below the one above it, pinned or not. A picture of the list goes to the
// screenshot folder.

#include "AppDelegate.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryRowHeights.h"
#include "HistoryTableView.h"
#include "PreferencesStore.h"
#include "TestSupport.h"
#include "Xclip.h"

#include "../services/LoopbackHttpServer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

QByteArray png(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.drawEllipse(QRect(QPoint(size.width() / 4, size.height() / 4), size / 2));
    painter.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// What is wrong with the list's rows now: a row that overlaps the one above it or leaves a gap, or one whose height
// is not its content's, measured afresh. Empty when every row is right.
QString faultsOfRows(History &list)
{
    HistoryTableView &table = list.tableView();
    table.layOutRowsNow();
    HistoryRowHeights measure;
    HistoryRowHeightContext context;
    context.showCommandNumberShortcut = true;
    context.showPreviewForLinks = true;
    for (int row = 0; row < list.tableRows().size() && !context.filePreviewCache; ++row)
        context.filePreviewCache = list.itemRowConfiguration(row).filePreviewCache;
    QStringList faults;
    int expectedTop = 0;
    for (int row = 0; row < list.tableRows().size(); ++row) {
        const QRect rect = table.rectOfRow(row);
        qreal height = row == 0 ? HistoryRowHeights::firstHeaderHeight : HistoryRowHeights::defaultRowHeight;
        QString what = QStringLiteral("header");
        if (const ClipboardItem *item = list.itemAtRow(row)) {
            height = measure.heightAt(
                measure.inputs(*item, list.tableRows().at(row).asItem()->itemIndex, context), table.tableWidth());
            what = item->displayTitle().left(24);
        }
        if (rect.top() != expectedTop || rect.height() != int(std::ceil(height)))
            faults.append(QStringLiteral("row %1 (%2): top %3 height %4, expected top %5 height %6")
                              .arg(row)
                              .arg(what)
                              .arg(rect.top())
                              .arg(rect.height())
                              .arg(expectedTop)
                              .arg(std::ceil(height)));
        expectedTop = rect.top() + rect.height();
    }
    return faults.join(QLatin1Char('\n'));
}

struct Copy
{
    QByteArray data;
    QString target;
    bool getsLinkPreview = false; // its row settles once the page's card has come
};

// No alert stops the run.
class QuietAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &, const QString &) override { }
    bool confirm(const QString &, const QString &, const QString &, const QString &) override { return false; }
};

class HistoryCapturedRows : public ::testing::TestWithParam<bool>
{
};

} // namespace

TEST_P(HistoryCapturedRows, EveryRowKeepsItsContentsHeightWhileCopiesArrive)
{
    const bool pinned = GetParam();
    QTemporaryDir root;
    QTemporaryDir files;
    ASSERT_TRUE(root.isValid() && files.isValid());
    const AppDelegate::Locations locations {
        root.path() + QStringLiteral("/Varnisto2"), root.path() + QStringLiteral("/Varnisto.conf")};
    QDir().mkpath(locations.supportDirectory);
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.showMainWindowAtStartup = false;
    preferences.soundEffectsEnabled = false;
    preferences.hideOnFocusLoss = !pinned;
    PreferencesStore(locations.settingsFilePath).save(preferences);

    QStringList paths;
    for (const QString &name : {QStringLiteral("notes one.txt"), QStringLiteral("report.pdf")}) {
        QFile file(files.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("contents\n");
        paths.append(QUrl::fromLocalFile(file.fileName()).toString(QUrl::FullyEncoded));
    }
    // A page with a title, a description and a picture: its link's card comes a moment after the copy.
    LoopbackHttpServer server;
    server.answer("/page",
        LoopbackHttpServer::page("<html><head><title>Release notes</title><meta property=\"og:description\" "
                                 "content=\"What changed in this release, and what to look out for\">"
                                 "<meta property=\"og:image\" content=\"/page.png\"></head><body></body></html>"));
    server.answer("/page.png", {200, {{"Content-Type", "image/png"}}, png(QSize(600, 315), QColor(40, 120, 90))});
    const QList<Copy> copies = {
        {png(QSize(480, 300), QColor(70, 130, 180)), QStringLiteral("image/png")},
        {"short text", {}},
        {"#FF8800", {}},
        {"https://www.debian.org/releases/bookworm/", {}},
        {server.address("/page").toUtf8(), {}, true},
        {png(QSize(200, 400), QColor(180, 90, 40)), QStringLiteral("image/png")},
        {paths.join(QStringLiteral("\r\n")).toUtf8() + "\r\n", QStringLiteral("text/uri-list")},
        {"A longer text that runs on past the width of one row, so that its row wraps it onto a second line and "
         "a third one as well, which makes its row taller than the others",
            {}},
        {"#3B85ED", {}},
    };

    AppDelegate delegate(locations, PlatformServices::x11(), std::make_unique<QuietAlerts>());
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(waitUntil([&] { return delegate.coordinator().historyWindow() != nullptr; }));
    auto *window = dynamic_cast<FloatingHistoryWindow *>(delegate.coordinator().historyWindow());
    ASSERT_NE(window, nullptr);
    History &list = window->contentViewController().list();

    // Something to start from: one text, then the window opens.
    std::vector<std::unique_ptr<XclipCopy>> owners;
    owners.push_back(std::make_unique<XclipCopy>("first text"));
    ASSERT_TRUE(waitUntil([&] { return delegate.model().items().size() == 1; }, 10000));
    delegate.coordinator().showHistoryWindow(false, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->panel()));
    ASSERT_TRUE(waitUntil([&] { return list.itemAtRow(1) != nullptr; }));

    for (qsizetype n = 0; n < copies.size(); ++n) {
        const qsizetype before = delegate.model().items().size();
        owners.push_back(std::make_unique<XclipCopy>(copies.at(n).data, copies.at(n).target));
        ASSERT_TRUE(waitUntil([&] { return delegate.model().items().size() == before + 1; }, 10000)) << n;
        // The list shows the new item first.
        ASSERT_TRUE(waitUntil([&] {
            const ClipboardItem *first = list.itemAtRow(1);
            return first && first->id == delegate.model().items().first().id;
        })) << n;
        if (copies.at(n).getsLinkPreview)
            ASSERT_TRUE(
                waitUntil([&] { return delegate.model().items().first().linkPreviewDetails.has_value(); }, 10000));
        // Pictures are decoded and pages are looked at meanwhile; the rows settle and stay so.
        QString faults;
        waitUntil([&] { return (faults = faultsOfRows(list)).isEmpty(); }, 1500);
        EXPECT_TRUE(faults.isEmpty()) << "after copy " << n << ":\n" << faults.toStdString();
        ASSERT_TRUE(window->isVisible());
    }

    // A text copied again comes up from further down; deleted items leave their rows, one at a time and several.
    const auto settled = [&](const char *step) {
        QString faults;
        waitUntil([&] { return (faults = faultsOfRows(list)).isEmpty(); }, 1500);
        EXPECT_TRUE(faults.isEmpty()) << step << ":\n" << faults.toStdString();
    };
    owners.push_back(std::make_unique<XclipCopy>("short text"));
    ASSERT_TRUE(waitUntil(
        [&] {
            const ClipboardItem *first = list.itemAtRow(1);
            return first && first->text == QStringLiteral("short text");
        },
        10000));
    settled("copied again");
    const qsizetype count = delegate.model().items().size();
    delegate.coordinator().deleteItems({delegate.model().items().at(2)});
    ASSERT_TRUE(waitUntil([&] {
        return list.rowIndexOfItem(delegate.model().items().at(1).id) == 2 && list.tableRows().size() == count;
    }));
    settled("one deleted");
    delegate.coordinator().deleteItems({delegate.model().items().at(1), delegate.model().items().at(3)});
    ASSERT_TRUE(waitUntil([&] { return list.tableRows().size() == count - 2; }));
    settled("two deleted");

    // Hidden and shown again, the rows are as they were.
    window->hide();
    delegate.coordinator().showHistoryWindow(false, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window->panel()));
    QTest::qWait(100);
    EXPECT_EQ(faultsOfRows(list).toStdString(), "");

    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    const QString name
        = pinned ? QStringLiteral("history-captured-rows-pinned.png") : QStringLiteral("history-captured-rows.png");
    EXPECT_TRUE(
        window->panel().grab().toImage().save(QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name)));
    delegate.applicationWillTerminate();
}

INSTANTIATE_TEST_SUITE_P(PinnedOrNot, HistoryCapturedRows, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "Pinned" : "Unpinned"; });
