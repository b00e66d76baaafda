// Every settings pane, in every interface language, shows its texts whole where its layout gives them room: no
// label, wrapped text or button is cut.

#include "CoordinatorTestSupport.h"

#include "SettingsView.h"
#include "SettingsWindowController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

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

TEST(SettingsPanes, EveryTextShowsWholeInEveryLanguage)
{
    CoordinatorHarness h;
    Factory factory;
    AppCoordinator coordinator(h.dependencies(h.store, h.supportDirectory, factory));
    coordinator.openSettings(SettingsSection::general);
    auto &window = *dynamic_cast<SettingsWindowController *>(AppCoordinatorProbe(coordinator).settingsWindow());
    SettingsView &view = window.view();
    for (const QString &language : supportedInterfaceLanguages()) {
        h.changePreferences([&](AppPreferences &preferences) { preferences.language = language; });
        coordinator.applyPreferences();
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
