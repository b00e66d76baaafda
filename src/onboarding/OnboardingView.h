#pragma once

#include "OnboardingSteps.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class AppCoordinator;
class AppModel;
class QComboBox;
class QPushButton;
class QShortcut;
class QVBoxLayout;
class QVariantAnimation;

// The row of capsules under the steps: one per step, the current one wide. A change of step slides the widths over
// with a short spring. Assistive technologies see one element, "Onboarding progress", without children.
class OnboardingProgress final : public QWidget
{
    Q_OBJECT

public:
    explicit OnboardingProgress(QWidget *parent = nullptr);

    void setCurrentStep(OnboardingStep step);
    OnboardingStep currentStep() const { return m_current; }
    QSize sizeHint() const override;

    // The capsules' widths in step order, as drawn at this moment of the animation.
    QList<qreal> capsuleWidths() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    OnboardingStep m_previous = OnboardingStep::intro;
    OnboardingStep m_current = OnboardingStep::intro;
    QVariantAnimation *m_animation = nullptr;
};

// One keyboard key drawn as a rounded cap with its name on it.
class OnboardingKeyCap final : public QWidget
{
    Q_OBJECT

public:
    explicit OnboardingKeyCap(const QString &text, QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

// The content of the onboarding window: the current step above a footer with Back, the progress capsules and the
// primary button (Continue, and Open History on the last step, which completes onboarding through the coordinator).
// The welcome step's language picker switches the whole program to the chosen language at once. The step about
// pasting asks `canPostKeys` whether this display takes synthetic key input, again each time the program becomes
// active.
class OnboardingView final : public QWidget
{
    Q_OBJECT

public:
    OnboardingView(
        AppModel &model, AppCoordinator &coordinator, std::function<bool()> canPostKeys, QWidget *parent = nullptr);

    OnboardingStep currentStep() const { return m_step; }
    const QString &selectedLanguage() const { return m_selectedLanguage; }
    bool canPostKeys() const { return m_canPostKeys; }

    // The two buttons' actions.
    void goBack();
    void advance();
    // Picking a language in the welcome step: it becomes the preference and is applied at once.
    void languageChanged(const QString &code);
    // Asks the display again whether key input can be posted (the "Check Again" button).
    void recheckKeyInput();

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showStep(OnboardingStep step);
    // Builds the current step's content and the footer's texts anew (after a language or preference change too).
    void rebuild();
    void scheduleRebuild();
    QWidget *buildIntro();
    QWidget *buildStepLayout(OnboardingStep step, const QString &symbol, QWidget *accessory);
    QWidget *buildKeyCapRow(const QString &shortcutText);
    QWidget *buildKeyInputIndicator();
    QWidget *buildOrganizeLabels();
    void updateFooter();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::function<bool()> m_canPostKeysQuery;

    OnboardingStep m_step = OnboardingStep::intro;
    QString m_selectedLanguage;
    bool m_canPostKeys = false;
    bool m_rebuildPending = false;

    QVBoxLayout *m_contentLayout = nullptr;
    QPointer<QWidget> m_stepContent;
    QPushButton *m_back = nullptr;
    QShortcut *m_backKey = nullptr;
    QPushButton *m_primary = nullptr;
    OnboardingProgress *m_progress = nullptr;
};
