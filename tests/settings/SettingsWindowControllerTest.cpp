#include "CoordinatorTestSupport.h"

#include "AboutSettingsView.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"
#include "SettingsSectionInfo.h"
#include "SettingsView.h"
#include "SettingsWindowController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A coordinator whose windows are the real settings window.
class SettingsHarness
{
public:
    class Factory final : public AppWindowFactory
    {
    public:
        std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &, AppCoordinator &) override { return {}; }
        std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &model, AppCoordinator &coordinator) override
        {
            return std::make_unique<SettingsWindowController>(model, coordinator);
        }
        std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &, AppCoordinator &) override { return {}; }
    };

    SettingsHarness() : coordinator(h.dependencies(h.store, h.supportDirectory, factory)) { }

    SettingsWindowController &open(SettingsSection section)
    {
        coordinator.openSettings(section);
        return *dynamic_cast<SettingsWindowController *>(AppCoordinatorProbe(coordinator).settingsWindow());
    }

    CoordinatorHarness h;
    Factory factory;
    AppCoordinator coordinator;
};

AppPreferences savedFrame(double width, double height)
{
    AppPreferences preferences;
    preferences.settingsWindowX = 10;
    preferences.settingsWindowY = 20;
    preferences.settingsWindowWidth = width;
    preferences.settingsWindowHeight = height;
    return preferences;
}

// What of the widget's text its size cuts off, or nothing.
std::optional<std::string> cut(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return std::nullopt;
        if (label->wordWrap()) {
            if (label->height() < label->heightForWidth(label->width()))
                return "height " + std::to_string(label->height()) + " < "
                    + std::to_string(label->heightForWidth(label->width()));
        } else if (label->width() < label->sizeHint().width()) {
            return "width " + std::to_string(label->width()) + " < " + std::to_string(label->sizeHint().width());
        }
        return std::nullopt;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        if (button->text().isEmpty())
            return std::nullopt;
        // A button's frame leaves its text some room; a check box's or radio button's indicator is in its hint.
        const bool indicator = qobject_cast<const QCheckBox *>(button) || qobject_cast<const QRadioButton *>(button);
        const int needed = indicator ? button->sizeHint().width()
                                     : QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8;
        if (button->width() < needed)
            return "width " + std::to_string(button->width()) + " < " + std::to_string(needed);
    }
    return std::nullopt;
}

QString textOf(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget))
        return button->text();
    return {};
}

} // namespace

TEST(SettingsSections, TitlesInSidebarOrder)
{
    QStringList titles;
    for (SettingsSection::Value section : SettingsSection::allCases)
        titles.append(SettingsSectionInfo::title(section));
    EXPECT_EQ(titles,
        QStringList({QStringLiteral("General"), QStringLiteral("History"), QStringLiteral("Sounds"),
            QStringLiteral("Tags"), QStringLiteral("Storage"), QStringLiteral("Shortcuts"), QStringLiteral("Privacy"),
            QStringLiteral("Import"), QStringLiteral("About")}));
    EXPECT_EQ(SettingsSectionInfo::headerTitle(SettingsSection::sounds), QStringLiteral("Sound Effects"));
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    EXPECT_EQ(SettingsSectionInfo::title(SettingsSection::general), QStringLiteral("Allgemein"));
    setCurrentInterfaceLanguage(QStringLiteral("en"));
}

// The saved size, at least 400 a side and no larger than the screen; the origin comes from centring alone.
TEST(SettingsWindowFrame, RestoredSizeIsClampedToTheScreen)
{
    struct Case
    {
        AppPreferences preferences;
        QRect screen;
        std::optional<QSize> size;
    };
    AppPreferences sizeOnly;
    sizeOnly.settingsWindowWidth = 900;
    sizeOnly.settingsWindowHeight = 800;
    const QRect large(0, 0, 2560, 1410);
    const QRect small(0, 24, 1024, 576);
    const Case cases[] = {
        {AppPreferences(), large, std::nullopt},
        {sizeOnly, large, std::nullopt},
        {savedFrame(900, 800), large, QSize(900, 800)},
        {savedFrame(300, 900), large, QSize(400, 900)},
        {savedFrame(400, 400), large, QSize(400, 400)},
        {savedFrame(900, 800), small, QSize(900, 576)},
        {savedFrame(5000, 5000), small, QSize(1024, 576)},
        {savedFrame(-10, std::numeric_limits<double>::quiet_NaN()), large, QSize(400, 400)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SettingsWindowFrame::restoredSize(c.preferences, c.screen), c.size);
    EXPECT_EQ(SettingsWindowFrame::centredOrigin(QSize(680, 720), QRect(1920, 0, 1920, 1080)), QPoint(2540, 180));
}

TEST(SettingsWindow, OpensOnceWithItsSavedSizeAndSavesOneFrameWhenAMoveEnds)
{
    SettingsHarness s;
    s.h.model.setPreferences(savedFrame(560, 450)); // the offscreen screen is small
    SettingsWindowController &window = s.open(SettingsSection::general);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.window()));
    EXPECT_EQ(window.window().size(), QSize(560, 450));
    EXPECT_EQ(window.window().windowTitle(), QStringLiteral("General"));

    // A drag: many moves, one change of the record and one save when it has come to rest; nothing is applied.
    QSignalSpy changes(&s.h.model, &AppModel::preferencesChanged);
    const qsizetype applies = s.h.appearance.applied.size();
    for (int step = 1; step <= 10; ++step)
        window.window().move(100 + step * 5, 80 + step * 3);
    EXPECT_TRUE(waitUntil([&] { return changes.size() > 0; }, 3000));
    QTest::qWait(SettingsWindowController::frameSettleMs + 100);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(s.h.appearance.applied.size(), applies);
    const AppPreferences saved = s.h.preferencesStore.load();
    EXPECT_EQ(saved.settingsWindowWidth, 560);
    EXPECT_TRUE(saved.settingsWindowX.has_value());

    // Resized and closed: closing saves and applies; the next show keeps the size of this run.
    window.window().resize(620, 480);
    window.window().close();
    EXPECT_EQ(s.h.appearance.applied.size(), applies + 1);
    EXPECT_EQ(s.h.preferencesStore.load().settingsWindowWidth, 620);
    s.h.model.setPreferences(savedFrame(500, 500));
    SettingsWindowController &again = s.open(SettingsSection::about);
    EXPECT_EQ(&again, &window);
    EXPECT_EQ(again.window().size(), QSize(620, 480));
    again.window().close();
}

TEST(SettingsView, SectionsSwitchPanesAndTheSoundsHeaderHasTheSwitch)
{
    SettingsHarness s;
    SettingsWindowController &window = s.open(SettingsSection::shortcuts);
    SettingsView &view = window.view();
    EXPECT_EQ(view.sidebar().count(), 9);
    EXPECT_EQ(view.sidebar().currentRow(), int(SettingsSection::shortcuts));
    EXPECT_NE(view.scrollArea(), nullptr);
    EXPECT_FALSE(view.soundSwitch().isVisibleTo(&view));

    // Picking the row already selected publishes nothing.
    QSignalSpy sections(&s.coordinator, &AppCoordinator::settingsSectionChanged);
    s.coordinator.selectSettingsSection(SettingsSection::shortcuts);
    EXPECT_EQ(sections.size(), 0);

    view.sidebar().setCurrentRow(int(SettingsSection::sounds));
    EXPECT_EQ(s.coordinator.settingsSection(), SettingsSection::sounds);
    EXPECT_EQ(view.headerTitle().text(), QStringLiteral("Sound Effects"));
    EXPECT_TRUE(view.soundSwitch().isVisibleTo(&view));
    QSignalSpy changes(&s.h.model, &AppModel::preferencesChanged);
    view.soundSwitch().click();
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(s.h.model.preferences().soundEffectsEnabled, !AppPreferences().soundEffectsEnabled);

    view.sidebar().setCurrentRow(int(SettingsSection::about));
    EXPECT_EQ(view.scrollArea(), nullptr);
    EXPECT_NE(qobject_cast<AboutSettingsView *>(view.pane()), nullptr);
    EXPECT_EQ(window.window().windowTitle(), QStringLiteral("About"));

    // A new interface language: the sidebar and the pane come back in it.
    s.h.changePreferences([](AppPreferences &preferences) { preferences.language = QStringLiteral("de"); });
    s.coordinator.applyPreferences();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.sidebar().item(0)->text(), QStringLiteral("Allgemein"));
    EXPECT_EQ(view.headerTitle().text(), QStringLiteral("Über"));
    EXPECT_NE(qobject_cast<AboutSettingsView *>(view.pane()), nullptr);
    window.window().close();
}

TEST(SettingsBlocks, GroupsDivideTheirRowsAndTogglesWriteOneChange)
{
    AppModel model;
    for (int count : {1, 3}) {
        QList<QWidget *> rows;
        for (int n = 0; n < count; ++n)
            rows.append(new QLabel(QStringLiteral("row")));
        SettingsSectionGroup group(std::nullopt, rows);
        EXPECT_EQ(group.dividerCount(), count - 1);
        EXPECT_EQ(group.titleLabel(), nullptr);
    }
    SettingsToggle toggle(QStringLiteral("Pin favourites"), std::nullopt,
        PreferenceBinding<bool>(model, &AppPreferences::pinFavoritesToTop));
    EXPECT_EQ(toggle.descriptionLabel(), nullptr);
    EXPECT_TRUE(toggle.toggle().isChecked());
    QSignalSpy changes(&model, &AppModel::preferencesChanged);
    toggle.toggle().click();
    EXPECT_EQ(changes.size(), 1);
    EXPECT_FALSE(model.preferences().pinFavoritesToTop);
    // The switch follows the record.
    AppPreferences preferences = model.preferences();
    preferences.pinFavoritesToTop = true;
    model.setPreferences(preferences);
    EXPECT_TRUE(toggle.toggle().isChecked());
}

TEST(AboutSettingsView, BlobsFollowTheirKeyframesAndMoveOnlyWhileShown)
{
    const auto &first = AboutSettingsView::firstBlobKeyframes();
    // At a keyframe's own progress the transform is that keyframe's.
    for (const auto &keyframe : first)
        EXPECT_EQ(BlobTransform::interpolated(first, keyframe.progress),
            keyframe.progress < 1 ? keyframe.transform : first.first().transform);
    const BlobTransform halfway = BlobTransform::interpolated(first, 0.125);
    EXPECT_DOUBLE_EQ(halfway.x, -10);
    EXPECT_DOUBLE_EQ(halfway.scale, 1.25);
    EXPECT_EQ(BlobTransform::interpolated({}, 0.4), BlobTransform());
    // Both cycles divide a minute.
    const auto now = AboutSettingsView::blobTransforms(7.3);
    const auto later = AboutSettingsView::blobTransforms(67.3);
    for (const auto &[a, b] : {std::pair(now.first, later.first), std::pair(now.second, later.second)}) {
        EXPECT_NEAR(a.x, b.x, 1e-6);
        EXPECT_NEAR(a.y, b.y, 1e-6);
        EXPECT_NEAR(a.scale, b.scale, 1e-9);
    }

    EXPECT_EQ(AboutSettingsView::processorName(QStringLiteral("x86_64")), QStringLiteral("x86-64"));
    EXPECT_EQ(AboutSettingsView::processorName(QStringLiteral("arm64")), QStringLiteral("ARM64"));
    EXPECT_TRUE(AboutSettingsView::versionText().startsWith(QStringLiteral("Version ")));

    CoordinatorHarness h;
    AboutSettingsView about(*h.coordinator);
    EXPECT_FALSE(about.isAnimating());
    about.show();
    EXPECT_TRUE(about.isAnimating());
    about.hide();
    EXPECT_FALSE(about.isAnimating());
}

// The settings look follows the palette: grey 245 cards with the separator colour in light, grey 30 cards with an
// opaque grey 47 hairline in dark.
TEST(SettingsLook, ColoursFollowLightAndDark)
{
    QPalette light;
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(50, 50, 50));
    EXPECT_EQ(SettingsColors::groupBackground(light), QColor(245, 245, 245));
    EXPECT_EQ(SettingsColors::groupBackground(dark), QColor(30, 30, 30));
    EXPECT_EQ(SettingsColors::separator(dark), QColor(47, 47, 47));
    EXPECT_LT(SettingsColors::separator(light).alpha(), 255);

    BorderlessSettingsTextField field;
    EXPECT_FALSE(field.hasFrame());
    EXPECT_EQ(field.palette().color(QPalette::Base).alpha(), 0);
}

// The About pane's links go to the desktop's browser; without one, the pane's click is answered with an alert.
TEST(AboutSettingsView, ALinkWithoutABrowserIsReported)
{
    CoordinatorHarness h;
    AboutSettingsView pane(*h.coordinator);
    const QList<QPushButton *> links = pane.findChildren<QPushButton *>(QStringLiteral("aboutLink"));
    ASSERT_EQ(links.size(), 2);
    links.first()->click();
    EXPECT_EQ(h.launcher.openedURLs, QList<QUrl>({QUrl(QStringLiteral("https://varnisto.app/changelog"))}));
    EXPECT_TRUE(h.alerts.shown.isEmpty());

    h.launcher.opens = false;
    links.at(1)->click();
    ASSERT_EQ(h.alerts.shown.size(), 1);
    EXPECT_TRUE(h.alerts.shown.first().startsWith(QStringLiteral("The link could not be opened.|No web browser could "
                                                                 "open https://varnisto.app/feedback.")))
        << qPrintable(h.alerts.shown.first());
}

// Website and Support are shown only when the build was given their addresses; this one was given none.
TEST(AboutSettingsView, LinksWithoutAnAddressAreNotShown)
{
    CoordinatorHarness h;
    AboutSettingsView pane(*h.coordinator);
    QStringList shown;
    for (const QPushButton *link : pane.findChildren<QPushButton *>(QStringLiteral("aboutLink")))
        shown.append(link->text());
    EXPECT_EQ(shown, QStringList({QStringLiteral("Changelog"), QStringLiteral("Feedback")}));

    const auto titles = [](const QList<AboutSettingsView::Link> &links) {
        QStringList titles;
        for (const AboutSettingsView::Link &link : links)
            titles.append(link.title);
        return titles;
    };
    const struct
    {
        QString website;
        QString support;
        QStringList titles;
    } cases[] = {
        {{}, {}, {QStringLiteral("Changelog"), QStringLiteral("Feedback")}},
        {QStringLiteral("  "), {}, {QStringLiteral("Changelog"), QStringLiteral("Feedback")}},
        {QStringLiteral("https://example.org/"), {},
            {QStringLiteral("Website"), QStringLiteral("Changelog"), QStringLiteral("Feedback")}},
        {{}, QStringLiteral("https://example.org/help"),
            {QStringLiteral("Support"), QStringLiteral("Changelog"), QStringLiteral("Feedback")}},
        {QStringLiteral("https://example.org/"), QStringLiteral("https://example.org/help"),
            {QStringLiteral("Website"), QStringLiteral("Support"), QStringLiteral("Changelog"),
                QStringLiteral("Feedback")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(titles(AboutSettingsView::links(c.website, c.support)), c.titles) << qPrintable(c.website);
    EXPECT_EQ(AboutSettingsView::links(QStringLiteral("https://example.org/"), {}).first().url,
        QUrl(QStringLiteral("https://example.org/")));
}

// Every settings pane, in every interface language, shows its texts whole where its layout gives them room: no
// label, wrapped text or button is cut.
TEST(SettingsPanes, EveryTextShowsWholeInEveryLanguage)
{
    SettingsHarness s;
    SettingsWindowController &window = s.open(SettingsSection::general);
    SettingsView &view = window.view();
    for (const QString &language : supportedInterfaceLanguages()) {
        s.h.changePreferences([&](AppPreferences &preferences) { preferences.language = language; });
        s.coordinator.applyPreferences();
        QCoreApplication::processEvents();
        for (const SettingsSection section : SettingsSection::allCases) {
            view.sidebar().setCurrentRow(int(section));
            QCoreApplication::processEvents();
            QWidget *pane = view.scrollArea() ? view.scrollArea()->widget() : view.pane();
            ASSERT_TRUE(pane);
            int texts = 0;
            for (const QWidget *widget : pane->findChildren<QWidget *>()) {
                if (!widget->isVisibleTo(&view))
                    continue;
                texts += !textOf(*widget).isEmpty();
                if (const std::optional<std::string> problem = cut(*widget))
                    ADD_FAILURE() << language.toStdString() << " " << int(section) << ": \""
                                  << textOf(*widget).toStdString() << "\" " << *problem;
            }
            EXPECT_GT(texts, 0) << language.toStdString() << " " << int(section);
        }
    }
    window.window().close();
}
