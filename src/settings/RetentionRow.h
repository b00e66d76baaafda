#pragma once

#include "PreferenceBinding.h"
#include "RetentionPeriod.h"

#include <QWidget>

class QLabel;

// The track of a retention row: a tick mark per step, filled up to the chosen one, and a knob that always sits on a
// step. Dragging moves the step; the value is handed over when the drag ends. The arrow keys move one step and hand
// it over at once.
class RetentionSlider : public QWidget
{
    Q_OBJECT

public:
    explicit RetentionSlider(QWidget *parent = nullptr);

    int stepIndex() const { return m_stepIndex; }
    void setStepIndex(int index);
    bool isEditing() const { return m_isEditing; }
    // The x of a track position inside the widget.
    double xForPosition(double position) const;

    QSize sizeHint() const override { return {300, 20}; }

Q_SIGNALS:
    void stepIndexChanged(int index);
    // The user finished choosing a step.
    void editingFinished(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void moveTo(double x);

    int m_stepIndex = RetentionPeriod::stepCount - 1;
    bool m_isEditing = false;
};

// One kind's retention period: its title and icon, the chosen step's label, the snapping track and the key points
// under it. The stored value changes only when a drag ends, and only when the chosen step's days differ from it.
class RetentionRow : public QWidget
{
    Q_OBJECT

public:
    RetentionRow(RetentionClipType clipType, PreferenceBinding<qint64> value, QWidget *parent = nullptr);

    RetentionSlider &slider() const { return *m_slider; }
    QLabel &stepLabel() const { return *m_stepLabel; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void showStep(int index);

    PreferenceBinding<qint64> m_value;
    RetentionSlider *m_slider = nullptr;
    QLabel *m_stepLabel = nullptr;
};
