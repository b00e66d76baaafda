#include "OnboardingView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryColors.h"
#include "Localization.h"
#include "SettingsLook.h"
#include "Symbols.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QEasingCurve>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWindow>

namespace {

// The width of a step's content: the window less 72 points on either side.
constexpr int contentWidth = 700 - 2 * 72;
constexpr qreal capsuleHeight = 8;
constexpr qreal capsuleSpacing = 8;
constexpr qreal currentCapsuleWidth = 28;
constexpr qreal otherCapsuleWidth = 8;

// Secondary text: the window's text colour, faded.
QColor secondaryColor(const QPalette &palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(HistoryColors::isDark(palette) ? 0.55 : 0.5);
    return color;
}

QColor greenColor(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(48, 209, 88) : QColor(52, 199, 89);
}

// A translucent fill a little lighter or darker than the window, as the key caps and labels sit on.
QColor materialColor(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(255, 255, 255, 30) : QColor(0, 0, 0, 14);
}

QFont pixelFont(const QFont &base, int pixelSize, QFont::Weight weight)
{
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QLabel *textLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A heading keeps its size while it fits the step's width, and gets smaller when a language needs more room.
void fitToWidth(QLabel &label, int width)
{
    QFont font = label.font();
    while (font.pixelSize() > 20 && QFontMetrics(font).horizontalAdvance(label.text()) > width)
        font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
}

void setTextColor(QWidget &widget, const QColor &color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

// The filled check mark in a circle, drawn rather than taken from a theme, since it must be green and round.
QPixmap checkMarkPixmap(int size, const QColor &color, qreal devicePixelRatio)
{
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = pixels / 100.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(4 * unit, 4 * unit, 92 * unit, 92 * unit));
    QPen pen(Qt::white, 9 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPainterPath check;
    check.moveTo(29 * unit, 51 * unit);
    check.lineTo(44 * unit, 66 * unit);
    check.lineTo(72 * unit, 36 * unit);
    painter.drawPath(check);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QLabel *pixmapLabel(const QPixmap &pixmap, int size, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(pixmap);
    label->setFixedSize(size, size);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The program's icon, clipped to a rounded square; nothing when it cannot be drawn.
QPixmap applicationIconPixmap(int size, qreal devicePixelRatio)
{
    const QIcon icon(QStringLiteral(":/icons/varnisto.svg"));
    if (icon.isNull())
        return {};
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    const QPixmap drawn = icon.pixmap(QSize(pixels, pixels));
    if (drawn.isNull())
        return {};
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    const qreal radius = 20 * devicePixelRatio;
    clip.addRoundedRect(QRectF(0, 0, pixels, pixels), radius, radius);
    painter.setClipPath(clip);
    painter.drawPixmap(0, 0, drawn);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

// A label's background: a capsule of the translucent material.
class CapsuleBackground final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(materialColor(palette()));
        const qreal radius = height() / 2.0;
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
    }
};

QPushButton *footerButton(QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumHeight(32);
    button->setMinimumWidth(96);
    button->setFont(pixelFont(button->font(), 14, QFont::Normal));
    return button;
}

void setProminent(QPushButton &button, bool prominent)
{
    QPalette palette = button.parentWidget() ? button.parentWidget()->palette() : QApplication::palette();
    if (prominent) {
        // The highlight as it comes is too light behind white text on some palettes; the button darkens it.
        palette.setColor(QPalette::Button,
            SettingsColors::readableFill(palette.color(QPalette::Highlight), palette.color(QPalette::HighlightedText)));
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
    }
    button.setPalette(palette);
    QFont font = button.font();
    font.setWeight(prominent ? QFont::DemiBold : QFont::Normal);
    button.setFont(font);
}

} // namespace

// --- Progress ------------------------------------------------------------------------------------------------------

OnboardingProgress::OnboardingProgress(QWidget *parent) : QWidget(parent), m_animation(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("onboardingProgress"));
    setAccessibleName(localized(QStringLiteral("Onboarding progress")));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(280);
    // A spring that settles quickly with a small overshoot.
    QEasingCurve spring(QEasingCurve::OutBack);
    spring.setOvershoot(0.8);
    m_animation->setEasingCurve(spring);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void OnboardingProgress::setCurrentStep(OnboardingStep step)
{
    if (step == m_current)
        return;
    m_previous = m_current;
    m_current = step;
    m_animation->stop();
    if (isVisible())
        m_animation->start();
    update();
}

QSize OnboardingProgress::sizeHint() const
{
    const qsizetype count = OnboardingSteps::all().size();
    const qreal width = currentCapsuleWidth + (count - 1) * otherCapsuleWidth + (count - 1) * capsuleSpacing;
    return QSize(qCeil(width) + 8, qCeil(capsuleHeight) + 8);
}

QList<qreal> OnboardingProgress::capsuleWidths() const
{
    const qreal progress
        = m_animation->state() == QAbstractAnimation::Running ? m_animation->currentValue().toReal() : 1.0;
    QList<qreal> widths;
    for (const OnboardingStep step : OnboardingSteps::all()) {
        const qreal from = step == m_previous ? currentCapsuleWidth : otherCapsuleWidth;
        const qreal to = step == m_current ? currentCapsuleWidth : otherCapsuleWidth;
        widths.append(qMax(otherCapsuleWidth * 0.5, from + (to - from) * progress));
    }
    return widths;
}

void OnboardingProgress::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QList<qreal> widths = capsuleWidths();
    qreal total = capsuleSpacing * (widths.size() - 1);
    for (const qreal width : widths)
        total += width;
    qreal x = (width() - total) / 2;
    const qreal y = (height() - capsuleHeight) / 2;
    QColor other = palette().color(QPalette::WindowText);
    other.setAlphaF(0.28 * 0.55);
    const QColor current(170, 170, 170);
    for (qsizetype index = 0; index < widths.size(); ++index) {
        const bool isCurrent = OnboardingSteps::all().at(index) == m_current;
        painter.setBrush(isCurrent ? current : other);
        painter.drawRoundedRect(QRectF(x, y, widths.at(index), capsuleHeight), capsuleHeight / 2, capsuleHeight / 2);
        x += widths.at(index) + capsuleSpacing;
    }
}

// --- Key caps ------------------------------------------------------------------------------------------------------

OnboardingKeyCap::OnboardingKeyCap(const QString &text, QWidget *parent) : QWidget(parent), m_text(text)
{
    setObjectName(QStringLiteral("onboardingKeyCap"));
    setAccessibleName(text);
    setFont(pixelFont(font(), 20, QFont::Normal));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize OnboardingKeyCap::sizeHint() const
{
    const int padding = m_text.size() > 1 ? 20 : 0;
    const int textWidth = fontMetrics().horizontalAdvance(m_text);
    return QSize(qMax(44, textWidth + 2 * padding), qMax(44, fontMetrics().height()));
}

void OnboardingKeyCap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF cap = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(HistoryColors::isDark(palette()) ? 0.18 : 0.14);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(materialColor(palette()));
    painter.drawRoundedRect(cap, 12, 12);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

// --- The view ------------------------------------------------------------------------------------------------------

OnboardingView::OnboardingView(
    AppModel &model, AppCoordinator &coordinator, std::function<bool()> canPostKeys, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_canPostKeysQuery(std::move(canPostKeys))
    , m_selectedLanguage(currentInterfaceLanguage())
    , m_canPostKeys(m_canPostKeysQuery && m_canPostKeysQuery())
{
    setObjectName(QStringLiteral("onboardingView"));
    setMinimumSize(700, 400);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(34);
    m_contentLayout = new QVBoxLayout;
    m_contentLayout->setContentsMargins(72, 0, 72, 0);
    layout->addLayout(m_contentLayout, 1);

    auto *footer = new QWidget(this);
    footer->setFixedHeight(64);
    auto *footerLayout = new QGridLayout(footer);
    footerLayout->setContentsMargins(15, 0, 15, 0);
    auto *buttons = new QHBoxLayout;
    m_back = footerButton(footer);
    m_back->setObjectName(QStringLiteral("onboardingBack"));
    m_primary = footerButton(footer);
    m_primary->setObjectName(QStringLiteral("onboardingPrimary"));
    buttons->addWidget(m_back);
    buttons->addStretch();
    buttons->addWidget(m_primary);
    footerLayout->addLayout(buttons, 0, 0);
    m_progress = new OnboardingProgress(footer);
    footerLayout->addWidget(m_progress, 0, 0, Qt::AlignCenter);
    layout->addWidget(footer);

    connect(m_back, &QPushButton::clicked, this, &OnboardingView::goBack);
    connect(m_primary, &QPushButton::clicked, this, &OnboardingView::advance);
    m_backKey = new QShortcut(QKeySequence(Qt::Key_Left), this);
    connect(m_backKey, &QShortcut::activated, this, &OnboardingView::goBack);

    connect(&m_model, &AppModel::localizationRevisionChanged, this, &OnboardingView::scheduleRebuild);
    connect(&m_model, &AppModel::preferencesChanged, this, &OnboardingView::scheduleRebuild);
    // Coming back from elsewhere, the display may be another one's answer: ask again.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            recheckKeyInput();
    });

    rebuild();
}

void OnboardingView::goBack()
{
    if (const auto previous = OnboardingSteps::previous(m_step))
        showStep(*previous);
}

void OnboardingView::advance()
{
    if (const auto next = OnboardingSteps::next(m_step)) {
        showStep(*next);
        return;
    }
    m_coordinator.completeOnboarding();
}

void OnboardingView::languageChanged(const QString &code)
{
    if (code == m_selectedLanguage)
        return;
    m_selectedLanguage = code;
    AppPreferences preferences = m_model.preferences();
    preferences.language = code;
    m_model.setPreferences(preferences);
    m_coordinator.applyPreferences();
}

void OnboardingView::recheckKeyInput()
{
    const bool canPost = m_canPostKeysQuery && m_canPostKeysQuery();
    if (canPost == m_canPostKeys)
        return;
    m_canPostKeys = canPost;
    if (m_step == OnboardingStep::accessibility)
        rebuild();
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_selectedLanguage = m_model.preferences().language;
    m_canPostKeys = m_canPostKeysQuery && m_canPostKeysQuery();
    rebuild();
}

void OnboardingView::mousePressEvent(QMouseEvent *event)
{
    // The window moves when its background is dragged.
    if (event->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void OnboardingView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        scheduleRebuild();
}

void OnboardingView::showStep(OnboardingStep step)
{
    if (step == m_step)
        return;
    m_step = step;
    rebuild();
}

void OnboardingView::scheduleRebuild()
{
    // Later, not now: the change may come from a control inside the step (the language picker) while it is busy.
    if (std::exchange(m_rebuildPending, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (std::exchange(m_rebuildPending, false))
                rebuild();
        },
        Qt::QueuedConnection);
}

void OnboardingView::rebuild()
{
    m_rebuildPending = false;
    if (m_stepContent) {
        m_contentLayout->removeWidget(m_stepContent);
        m_stepContent->hide();
        m_stepContent->deleteLater();
    }
    const AppPreferences &preferences = m_model.preferences();
    QWidget *content = nullptr;
    switch (m_step) {
    case OnboardingStep::intro:
        content = buildIntro();
        break;
    case OnboardingStep::historyShortcut:
        content = buildStepLayout(
            m_step, QStringLiteral("list.bullet.clipboard"), buildKeyCapRow(preferences.showHistoryShortcut));
        break;
    case OnboardingStep::selectAndSearch: {
        auto *groups = new QWidget;
        auto *row = new QHBoxLayout(groups);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(10);
        row->addStretch();
        for (const QString &shortcut : {preferences.selectPreviousItemShortcut, preferences.selectNextItemShortcut,
                 preferences.pasteSelectedShortcut})
            row->addWidget(buildKeyCapRow(shortcut));
        row->addStretch();
        content = buildStepLayout(m_step, QStringLiteral("list.bullet"), groups);
        break;
    }
    case OnboardingStep::accessibility:
        content = buildStepLayout(m_step, QStringLiteral("keyboard.badge.ellipsis"), buildKeyInputIndicator());
        break;
    case OnboardingStep::organize:
        content = buildStepLayout(m_step, QStringLiteral("tray.full"), buildOrganizeLabels());
        break;
    case OnboardingStep::finish:
        content = buildStepLayout(m_step, QStringLiteral("checkmark.circle.fill"), nullptr);
        break;
    }
    content->setObjectName(QStringLiteral("onboardingStepContent"));
    m_stepContent = content;
    m_contentLayout->addWidget(content);
    content->show();
    updateFooter();
}

QWidget *OnboardingView::buildIntro()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addStretch();
    const QPixmap icon = applicationIconPixmap(96, devicePixelRatioF());
    if (!icon.isNull())
        column->addWidget(pixmapLabel(icon, 96, page), 0, Qt::AlignHCenter);

    auto *heading
        = textLabel(OnboardingSteps::heading(OnboardingStep::intro), pixelFont(font(), 42, QFont::Bold), page);
    heading->setObjectName(QStringLiteral("onboardingHeading"));
    fitToWidth(*heading, contentWidth);
    column->addWidget(heading);
    auto *subtitle
        = textLabel(OnboardingSteps::subtitle(OnboardingStep::intro), pixelFont(font(), 17, QFont::Normal), page);
    subtitle->setObjectName(QStringLiteral("onboardingSubtitle"));
    setTextColor(*subtitle, secondaryColor(palette()));
    column->addWidget(subtitle);

    auto *picker = new QComboBox(page);
    picker->setObjectName(QStringLiteral("onboardingLanguage"));
    picker->setAccessibleName(localized(QStringLiteral("Language")));
    picker->setFixedWidth(180);
    picker->setMinimumHeight(32);
    for (const OnboardingLanguage &language : OnboardingLanguages::all())
        picker->addItem(language.displayName, language.code);
    picker->setCurrentIndex(int(OnboardingLanguages::indexOf(m_selectedLanguage).value_or(-1)));
    connect(picker, &QComboBox::activated, this,
        [this, picker](int index) { languageChanged(picker->itemData(index).toString()); });
    column->addSpacing(8);
    column->addWidget(picker, 0, Qt::AlignHCenter);
    column->addStretch();
    return page;
}

QWidget *OnboardingView::buildStepLayout(OnboardingStep step, const QString &symbol, QWidget *accessory)
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    column->addStretch();

    const qreal ratio = devicePixelRatioF();
    const QPixmap picture = step == OnboardingStep::finish
        ? checkMarkPixmap(76, greenColor(palette()), ratio)
        : Symbols::tintedPixmap(symbol, 76, secondaryColor(palette()), ratio);
    auto *symbolLabel = pixmapLabel(picture, 76, page);
    symbolLabel->setObjectName(QStringLiteral("onboardingSymbol"));
    column->addWidget(symbolLabel, 0, Qt::AlignHCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(10);
    auto *heading = textLabel(OnboardingSteps::heading(step), pixelFont(font(), 36, QFont::Bold), page);
    heading->setObjectName(QStringLiteral("onboardingHeading"));
    fitToWidth(*heading, contentWidth);
    texts->addWidget(heading);
    auto *subtitle = textLabel(OnboardingSteps::subtitle(step), pixelFont(font(), 17, QFont::Normal), page);
    subtitle->setObjectName(QStringLiteral("onboardingSubtitle"));
    subtitle->setWordWrap(true);
    // At most 520 points wide and three lines high; a wrapped label takes the width it is given, not its text's.
    subtitle->setFixedWidth(520);
    subtitle->setFixedHeight(qMin(subtitle->heightForWidth(520), subtitle->fontMetrics().lineSpacing() * 3 + 2));
    setTextColor(*subtitle, secondaryColor(palette()));
    texts->addWidget(subtitle, 0, Qt::AlignHCenter);
    column->addLayout(texts);

    if (accessory) {
        accessory->setParent(page);
        auto *holder = new QVBoxLayout;
        holder->setContentsMargins(0, 4, 0, 0);
        holder->addWidget(accessory, 0, Qt::AlignHCenter);
        column->addLayout(holder);
    }
    column->addStretch();
    return page;
}

QWidget *OnboardingView::buildKeyCapRow(const QString &shortcutText)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (const QString &cap : shortcutKeyCaps(shortcutText))
        layout->addWidget(new OnboardingKeyCap(cap, row));
    row->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return row;
}

QWidget *OnboardingView::buildKeyInputIndicator()
{
    auto *indicator = new QWidget;
    auto *column = new QVBoxLayout(indicator);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    if (m_canPostKeys) {
        auto *check = pixmapLabel(checkMarkPixmap(32, greenColor(palette()), devicePixelRatioF()), 32, indicator);
        check->setObjectName(QStringLiteral("onboardingKeyInputAvailable"));
        check->setAccessibleName(localized(QStringLiteral("This display accepts synthetic key input.")));
        check->setToolTip(check->accessibleName());
        column->addWidget(check, 0, Qt::AlignHCenter);
    } else {
        auto *message = textLabel(localized(QStringLiteral("This display does not accept synthetic key input, so "
                                                           "Varnisto can copy items but not paste them.")),
            pixelFont(font(), 14, QFont::Normal), indicator);
        message->setObjectName(QStringLiteral("onboardingKeyInputMissing"));
        message->setWordWrap(true);
        message->setMaximumWidth(460);
        column->addWidget(message, 0, Qt::AlignHCenter);
        auto *checkAgain = new QPushButton(localized(QStringLiteral("Check Again")), indicator);
        checkAgain->setObjectName(QStringLiteral("onboardingCheckAgain"));
        checkAgain->setFocusPolicy(Qt::NoFocus);
        checkAgain->setMinimumHeight(32);
        setProminent(*checkAgain, true);
        connect(checkAgain, &QPushButton::clicked, this, &OnboardingView::recheckKeyInput);
        column->addWidget(checkAgain, 0, Qt::AlignHCenter);
    }
    return indicator;
}

QWidget *OnboardingView::buildOrganizeLabels()
{
    auto *labels = new QWidget;
    auto *row = new QHBoxLayout(labels);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    const QList<std::pair<QString, QString>> entries {
        {QStringLiteral("star.fill"), localized(QStringLiteral("Favorites"))},
        {QStringLiteral("tag.fill"), localized(QStringLiteral("Tags"))}};
    for (const auto &[symbol, text] : entries) {
        auto *capsule = new CapsuleBackground(labels);
        capsule->setObjectName(QStringLiteral("onboardingOrganizeLabel"));
        capsule->setAccessibleName(text);
        auto *capsuleLayout = new QHBoxLayout(capsule);
        capsuleLayout->setContentsMargins(18, 12, 18, 12);
        capsuleLayout->setSpacing(6);
        capsuleLayout->addWidget(
            pixmapLabel(Symbols::tintedPixmap(symbol, 16, palette().color(QPalette::WindowText), devicePixelRatioF()),
                16, capsule));
        capsuleLayout->addWidget(textLabel(text, pixelFont(font(), 14, QFont::Normal), capsule));
        row->addWidget(capsule);
    }
    labels->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return labels;
}

void OnboardingView::updateFooter()
{
    m_back->setText(localized(QStringLiteral("Back")));
    m_back->setVisible(OnboardingSteps::showsBackButton(m_step));
    m_backKey->setEnabled(OnboardingSteps::showsBackButton(m_step));
    m_primary->setText(OnboardingSteps::primaryButtonTitle(m_step));
    setProminent(*m_primary, OnboardingSteps::primaryButtonIsProminent(m_step));
    m_progress->setAccessibleName(localized(QStringLiteral("Onboarding progress")));
    m_progress->setCurrentStep(m_step);
}
