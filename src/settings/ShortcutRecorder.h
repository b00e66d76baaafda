#pragma once

#include "ShortcutRecording.h"

#include <QLabel>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// The small capsule field that shows a shortcut and records a new one. A click starts recording; the field then
// takes the keyboard and the next key with a name in the key table ends it, stored or not as the owner's commit
// rule decides. Losing the focus or the window's activation cancels. While recording the held modifiers show live.
// Its buttons (cancel, clear, revert) take no focus, so pressing them does not end recording by itself.
class ShortcutRecorder : public QWidget
{
    Q_OBJECT

public:
    // The width of a recorder whose keys' names are short; long ones widen it up to twice that.
    static constexpr int baseWidth = 120;

    explicit ShortcutRecorder(QWidget *parent = nullptr);

    // The stored shortcut and the action's default; set by the owner.
    void setShortcut(const QString &shortcut);
    const QString &shortcut() const { return m_shortcut; }
    void setDefaultShortcut(const QString &shortcut);
    void setDisabledRecorder(bool disabled);
    void setHasConflict(bool conflict);

    // The commit rule: answers whether the text was stored.
    std::function<bool(const QString &)> commit;
    std::function<void()> onRecordingStarted;

    bool isRecording() const { return m_isRecording; }
    const std::optional<ShortcutDraft> &draft() const { return m_draft; }
    QString labelText() const;
    bool isDefault() const;

    void startRecording();
    void cancelRecording();
    void clearShortcut();
    void revertShortcut();

    QAbstractButton &cancelButton() const { return *m_cancel; }
    QAbstractButton &clearButton() const { return *m_clear; }
    QAbstractButton &revertButton() const { return *m_revert; }

    QSize sizeHint() const override { return {120, 30}; }

Q_SIGNALS:
    void recordingChanged(bool recording);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setRecording(bool recording);
    void handleKeyPress(QKeyEvent *event);
    void refresh();

    QString m_shortcut;
    QString m_defaultShortcut;
    bool m_disabled = false;
    bool m_hasConflict = false;
    bool m_isHovered = false;
    bool m_isRecording = false;
    std::optional<ShortcutDraft> m_draft;
    QLabel *m_label = nullptr;
    QAbstractButton *m_cancel = nullptr;
    QAbstractButton *m_clear = nullptr;
    QAbstractButton *m_revert = nullptr;
};

// The message beside a refused shortcut: a warning sign and the text, in a small bubble above the field with its
// arrow pointing down at it. It never takes the focus, so recording is not cancelled by it.
class ShortcutConflictPopover : public QWidget
{
    Q_OBJECT

public:
    explicit ShortcutConflictPopover(QWidget *anchor);

    void showMessage(const QString &message);
    QString message() const { return m_text->text(); }
    // Called when the user clicks the bubble away.
    std::function<void()> onDismiss;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPainterPath bubblePath() const;

    QPointer<QWidget> m_anchor;
    QLabel *m_text = nullptr;
};

// One row of the Shortcuts pane: the action's title and its recorder. The row's commit rule stores a shortcut only
// when no other action uses it (and, for a system-wide shortcut, only when it is held with Ctrl, Alt or Super);
// otherwise the stored one stays and a message says why for six seconds.
class ShortcutRow : public QWidget
{
    Q_OBJECT

public:
    struct Binding
    {
        std::function<QString()> get;
        std::function<void(const QString &)> set;
    };

    ShortcutRow(const QString &title, Binding text, QString defaultText, bool locked,
        std::function<std::optional<QString>(const QString &)> conflictingActionTitle, bool needsGlobalModifier,
        QWidget *parent = nullptr);
    ~ShortcutRow() override;

    // Stores the candidate unless it is refused; true when stored.
    bool commit(const QString &candidate);
    void showConflictMessage(const QString &message);
    // Reads the stored text again (after the record changed).
    void refresh();

    const std::optional<QString> &conflictMessage() const { return m_conflictMessage; }
    ShortcutRecorder &recorder() const { return *m_recorder; }
    QLabel &titleLabel() const { return *m_title; }
    ShortcutConflictPopover &popover() const { return *m_popover; }

    // How long a refusal stays on screen.
    static constexpr int conflictMessageMs = 6000;

Q_SIGNALS:
    void recordingChanged(bool recording);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void setConflictMessage(const std::optional<QString> &message);

    Binding m_text;
    QString m_defaultText;
    std::function<std::optional<QString>(const QString &)> m_conflictingActionTitle;
    bool m_needsGlobalModifier;
    std::optional<QString> m_conflictMessage;
    int m_conflictMessageID = 0;
    QLabel *m_title = nullptr;
    ShortcutRecorder *m_recorder = nullptr;
    ShortcutConflictPopover *m_popover = nullptr;
};
