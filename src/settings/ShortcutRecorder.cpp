#include "ShortcutRecorder.h"

#include "HistoryColors.h"
#include "Localization.h"
#include "SettingsLook.h"
#include "ShortcutText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

// A round symbol button of the recorder: a filled circle in the secondary colour with a cross or a turning arrow
// cut out of it.
class SymbolButton final : public QAbstractButton
{
public:
    enum class Symbol { cross, revert };

    SymbolButton(Symbol symbol, const QString &title, QWidget *parent) : QAbstractButton(parent), m_symbol(symbol)
    {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(title);
        setToolTip(title);
        setCursor(Qt::ArrowCursor);
        setFixedSize(16, 16);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(1, 1, 14, 14);
        QColor fill = SettingsColors::secondaryText(palette());
        if (isDown())
            fill.setAlphaF(std::min(1.0f, fill.alphaF() + 0.25f));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(circle);
        QPen cut(SettingsColors::controlBackground(palette()), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(cut);
        painter.setBrush(Qt::NoBrush);
        const QPointF c = circle.center();
        if (m_symbol == Symbol::cross) {
            painter.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
            painter.drawLine(c + QPointF(3, -3), c + QPointF(-3, 3));
        } else {
            const QRectF arc(c.x() - 3.5, c.y() - 3.5, 7, 7);
            painter.drawArc(arc, 90 * 16, -270 * 16);
            QPainterPath head;
            head.moveTo(c.x() - 1.5, c.y() - 6);
            head.lineTo(c.x() + 1.2, c.y() - 3.5);
            head.lineTo(c.x() - 1.5, c.y() - 1);
            painter.drawPath(head);
        }
    }

private:
    Symbol m_symbol;
};

} // namespace

// --- ShortcutRecorder ------------------------------------------------------------------------------------------------

ShortcutRecorder::ShortcutRecorder(QWidget *parent) : QWidget(parent)
{
    setFixedSize(baseWidth, 30);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(4);
    m_label = new QLabel(this);
    m_label->setFont(SettingsFonts::sized(13, QFont::Medium));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(0);
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_label, 1);
    m_cancel = new SymbolButton(SymbolButton::Symbol::cross, localized(QStringLiteral("Cancel recording")), this);
    m_clear = new SymbolButton(SymbolButton::Symbol::cross, localized(QStringLiteral("Clear shortcut")), this);
    m_revert = new SymbolButton(SymbolButton::Symbol::revert, localized(QStringLiteral("Revert shortcut")), this);
    row->addWidget(m_cancel);
    row->addWidget(m_clear);
    row->addWidget(m_revert);
    connect(m_cancel, &QAbstractButton::clicked, this, &ShortcutRecorder::cancelRecording);
    connect(m_clear, &QAbstractButton::clicked, this, &ShortcutRecorder::clearShortcut);
    connect(m_revert, &QAbstractButton::clicked, this, &ShortcutRecorder::revertShortcut);
    refresh();
}

void ShortcutRecorder::setShortcut(const QString &shortcut)
{
    m_shortcut = shortcut;
    refresh();
}

void ShortcutRecorder::setDefaultShortcut(const QString &shortcut)
{
    m_defaultShortcut = shortcut;
    refresh();
}

void ShortcutRecorder::setDisabledRecorder(bool disabled)
{
    m_disabled = disabled;
    if (disabled && m_isRecording)
        cancelRecording();
    refresh();
}

void ShortcutRecorder::setHasConflict(bool conflict)
{
    m_hasConflict = conflict;
    update();
}

QString ShortcutRecorder::labelText() const
{
    if (!m_isRecording)
        return shortcutDisplayText(m_shortcut);
    if (!m_draft)
        return localized(QStringLiteral("Recording..."));
    return m_draft->displayText();
}

bool ShortcutRecorder::isDefault() const
{
    if (m_shortcut == m_defaultShortcut)
        return true;
    const auto stored = ShortcutText::parse(m_shortcut);
    const auto fallback = ShortcutText::parse(m_defaultShortcut);
    return stored && fallback && *stored == *fallback;
}

void ShortcutRecorder::startRecording()
{
    if (m_disabled)
        return;
    m_draft.reset();
    setRecording(true);
    if (onRecordingStarted)
        onRecordingStarted();
    // The field takes the keyboard after the click that started it has been handled.
    QTimer::singleShot(0, this, [this] {
        if (m_isRecording && window()) {
            window()->activateWindow();
            setFocus(Qt::OtherFocusReason);
        }
    });
}

void ShortcutRecorder::cancelRecording()
{
    m_draft.reset();
    setRecording(false);
}

void ShortcutRecorder::clearShortcut()
{
    if (commit)
        commit(QString());
    cancelRecording();
}

void ShortcutRecorder::revertShortcut()
{
    if (commit && commit(m_defaultShortcut))
        cancelRecording();
}

void ShortcutRecorder::setRecording(bool recording)
{
    const bool changed = m_isRecording != recording;
    m_isRecording = recording;
    refresh();
    if (changed)
        Q_EMIT recordingChanged(recording);
}

void ShortcutRecorder::refresh()
{
    const QString text = labelText();
    m_cancel->setVisible(m_isRecording && !m_disabled);
    m_clear->setVisible(m_isHovered && !m_shortcut.isEmpty() && !m_disabled && !m_isRecording);
    m_revert->setVisible(!isDefault() && !m_disabled && !m_isRecording);
    QFont font = SettingsFonts::sized(13, QFont::Medium);
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    // Room is kept for every button that can show in this state, the hover's clear button included, so that
    // neither the pointer nor the focus moves the text or changes its size; at least for one.
    int buttons = 0;
    if (!m_disabled)
        buttons = m_isRecording ? 1 : int(!m_shortcut.isEmpty()) + int(!isDefault());
    buttons = std::max(buttons, 1);
    // The recorder widens beyond its base width for keys whose names are long in the interface language
    // ("Strg+Umschalt+V").
    constexpr int margins = 6 + 6;
    constexpr int button = 16 + 4;
    setFixedWidth(std::clamp(natural + margins + buttons * button + 1, baseWidth, 2 * baseWidth));
    const int room = std::max(0, width() - margins - buttons * button);
    // Long texts shrink to 0.8 of the size before they are cut.
    if (natural > room)
        font.setPixelSize(11);
    m_label->setFont(font);
    m_label->setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, room));
    QPalette own = m_label->palette();
    own.setColor(QPalette::WindowText,
        (!m_shortcut.isEmpty() && !m_isRecording) ? palette().color(QPalette::WindowText)
                                                  : SettingsColors::secondaryText(palette()));
    m_label->setPalette(own);
    update();
}

bool ShortcutRecorder::event(QEvent *event)
{
    if (m_isRecording) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // While recording every key is ours: no window shortcut or menu command runs.
            event->accept();
            return true;
        case QEvent::KeyPress:
            handleKeyPress(static_cast<QKeyEvent *>(event));
            return true;
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            const QList<ShortcutModifier> held = ShortcutModifiers::fromQt(heldModifiers(*key));
            if (!m_draft || !m_draft->key) {
                m_draft = held.isEmpty() ? std::nullopt : std::optional(ShortcutDraft {held, std::nullopt});
                refresh();
            }
            return true;
        }
        default:
            break;
        }
    } else if (event->type() == QEvent::KeyPress) {
        // From the keyboard, Space or Enter on the field starts recording as a click does.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            startRecording();
            return true;
        }
    }
    return QWidget::event(event);
}

void ShortcutRecorder::handleKeyPress(QKeyEvent *event)
{
    if (const auto draft = recordedDraft(*event)) {
        m_draft = draft;
        refresh();
        const QString text = shortcutText(draft->modifiers, draft->key);
        if (commit)
            commit(text);
        cancelRecording();
        return;
    }
    if (event->isAutoRepeat())
        return;
    // A modifier alone, or a key that cannot be recorded: the held modifiers show, recording goes on.
    const QList<ShortcutModifier> held = ShortcutModifiers::fromQt(heldModifiers(*event));
    m_draft = held.isEmpty() ? std::nullopt : std::optional(ShortcutDraft {held, std::nullopt});
    refresh();
}

void ShortcutRecorder::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_disabled)
        painter.setOpacity(0.55);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.fillPath(path, SettingsColors::controlBackground(palette()));
    QColor border;
    if (m_hasConflict) {
        border = QColor(0xFF, 0x3B, 0x30);
    } else if (m_isRecording || hasFocus()) {
        border = SettingsColors::accent(palette());
        if (!m_isRecording)
            border.setAlphaF(0.6f);
    } else {
        border = HistoryColors::isDark(palette()) ? QColor(255, 255, 255) : QColor(0, 0, 0);
        border.setAlphaF(0.35f * 0.3f + 0.1f);
    }
    painter.setPen(QPen(border, 1));
    painter.drawPath(path);
}

void ShortcutRecorder::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        startRecording();
}

void ShortcutRecorder::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_isHovered = true;
    refresh();
}

void ShortcutRecorder::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_isHovered = false;
    refresh();
}

void ShortcutRecorder::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ShortcutRecorder::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
    if (m_isRecording)
        cancelRecording();
}

void ShortcutRecorder::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_isRecording && !isActiveWindow())
        cancelRecording();
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

// --- ShortcutConflictPopover -----------------------------------------------------------------------------------------

namespace {
constexpr int arrowHeight = 7;
} // namespace

ShortcutConflictPopover::ShortcutConflictPopover(QWidget *anchor)
    : QWidget(anchor->window(), Qt::ToolTip | Qt::FramelessWindowHint), m_anchor(anchor)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 12, 14, 12 + arrowHeight);
    row->setSpacing(8);
    auto *sign = new QLabel(this);
    sign->setFixedSize(14, 14);
    QPixmap warning(14 * 2, 14 * 2);
    warning.setDevicePixelRatio(2);
    warning.fill(Qt::transparent);
    {
        QPainter painter(&warning);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath triangle;
        triangle.moveTo(7, 1);
        triangle.lineTo(13.5, 13);
        triangle.lineTo(0.5, 13);
        triangle.closeSubpath();
        painter.fillPath(triangle, QColor(0xFF, 0x95, 0x00));
        painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(7, 5), QPointF(7, 8.5));
        painter.drawPoint(QPointF(7, 11));
    }
    sign->setPixmap(warning);
    row->addWidget(sign, 0, Qt::AlignTop);
    m_text = new QLabel(this);
    m_text->setFont(SettingsFonts::sized(12));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMaximumWidth(260 - 28 - 22);
    row->addWidget(m_text, 1, Qt::AlignTop);
}

void ShortcutConflictPopover::showMessage(const QString &message)
{
    m_text->setText(message);
    if (m_anchor) {
        QPalette own = m_text->palette();
        own.setColor(QPalette::WindowText, m_anchor->palette().color(QPalette::WindowText));
        m_text->setPalette(own);
    }
    adjustSize();
    if (m_anchor) {
        const QPoint anchorTop = m_anchor->mapToGlobal(QPoint(m_anchor->width() / 2, 0));
        QPoint origin(anchorTop.x() - width() / 2, anchorTop.y() - height() - 2);
        if (const QScreen *screen = m_anchor->screen()) {
            const QRect area = screen->availableGeometry();
            origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() - width())));
            origin.setY(std::max(origin.y(), area.top()));
        }
        move(origin);
    }
    show();
    raise();
}

QPainterPath ShortcutConflictPopover::bubblePath() const
{
    const QRectF bubble = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5 - arrowHeight);
    QPainterPath path;
    path.addRoundedRect(bubble, 10, 10);
    QPointF tip(width() / 2.0, height() - 0.5);
    if (m_anchor)
        tip.setX(std::clamp(
            double(m_anchor->mapToGlobal(QPoint(m_anchor->width() / 2, 0)).x() - x()), 16.0, width() - 16.0));
    QPainterPath arrow;
    arrow.moveTo(tip.x() - arrowHeight - 1, bubble.bottom() - 0.5);
    arrow.lineTo(tip);
    arrow.lineTo(tip.x() + arrowHeight + 1, bubble.bottom() - 0.5);
    arrow.closeSubpath();
    return path.united(arrow);
}

void ShortcutConflictPopover::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // Without a compositor a window cannot be see-through: the bubble's outline is cut out of it.
    setMask(QRegion(bubblePath().toFillPolygon().toPolygon()));
}

void ShortcutConflictPopover::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setMask(QRegion(bubblePath().toFillPolygon().toPolygon()));
}

void ShortcutConflictPopover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = bubblePath();
    const QPalette colours = m_anchor ? m_anchor->palette() : palette();
    QColor fill = colours.color(QPalette::Window);
    fill = HistoryColors::isDark(colours) ? fill.lighter(125) : fill.lighter(104);
    painter.setPen(QPen(HistoryColors::isDark(colours) ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 40), 1));
    painter.setBrush(fill);
    painter.drawPath(path);
}

void ShortcutConflictPopover::mousePressEvent(QMouseEvent *)
{
    hide();
    if (onDismiss)
        onDismiss();
}

// --- ShortcutRow -----------------------------------------------------------------------------------------------------

ShortcutRow::ShortcutRow(const QString &title, Binding text, QString defaultText, bool locked,
    std::function<std::optional<QString>(const QString &)> conflictingActionTitle, bool needsGlobalModifier,
    QWidget *parent)
    : QWidget(parent)
    , m_text(std::move(text))
    , m_defaultText(std::move(defaultText))
    , m_conflictingActionTitle(std::move(conflictingActionTitle))
    , m_needsGlobalModifier(needsGlobalModifier)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 7, 0, 7);
    row->setSpacing(12);
    m_title = new QLabel(title, this);
    m_title->setFont(SettingsFonts::body());
    m_title->setWordWrap(true);
    row->addWidget(m_title, 1, Qt::AlignVCenter);
    m_recorder = new ShortcutRecorder(this);
    m_recorder->setDefaultShortcut(m_defaultText);
    m_recorder->setDisabledRecorder(locked);
    m_recorder->setAccessibleName(title);
    row->addWidget(m_recorder, 0, Qt::AlignVCenter);
    m_recorder->commit = [this](const QString &candidate) { return commit(candidate); };
    m_recorder->onRecordingStarted = [this] { setConflictMessage(std::nullopt); };
    connect(m_recorder, &ShortcutRecorder::recordingChanged, this, &ShortcutRow::recordingChanged);
    m_popover = new ShortcutConflictPopover(m_recorder);
    m_popover->onDismiss = [this] { setConflictMessage(std::nullopt); };
    refresh();
}

ShortcutRow::~ShortcutRow()
{
    // The popover is a window of its own: it goes with the row.
    delete m_popover;
}

void ShortcutRow::refresh()
{
    m_recorder->setShortcut(m_text.get());
}

bool ShortcutRow::commit(const QString &candidate)
{
    if (m_needsGlobalModifier && !candidate.isEmpty() && !hasGlobalModifier(candidate)) {
        showConflictMessage(localized(QStringLiteral("%@ cannot be a system-wide shortcut: hold Ctrl, Alt or Super "
                                                     "with it, or it would take this key from every program"),
            {shortcutDisplayText(candidate)}));
        return false;
    }
    if (const auto other = m_conflictingActionTitle ? m_conflictingActionTitle(candidate) : std::nullopt) {
        showConflictMessage(
            localized(QStringLiteral("%@ is already used by \"%@\""), {shortcutDisplayText(candidate), *other}));
        return false;
    }
    m_text.set(candidate);
    setConflictMessage(std::nullopt);
    refresh();
    return true;
}

void ShortcutRow::showConflictMessage(const QString &message)
{
    const int id = ++m_conflictMessageID;
    setConflictMessage(message);
    QTimer::singleShot(conflictMessageMs, this, [this, id] {
        if (m_conflictMessageID == id)
            setConflictMessage(std::nullopt);
    });
}

void ShortcutRow::setConflictMessage(const std::optional<QString> &message)
{
    m_conflictMessage = message;
    m_recorder->setHasConflict(message.has_value());
    if (message && isVisible())
        m_popover->showMessage(*message);
    else
        m_popover->hide();
}

void ShortcutRow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_popover->hide();
}
