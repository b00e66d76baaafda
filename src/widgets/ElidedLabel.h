#pragma once

#include <QLabel>

// A one-line label that shortens its text with an ellipsis where it must (at the end or in the middle). Its size
// hint is the whole text's width, so a layout can tell how much room the text would take.
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode elideMode() const { return m_mode; }
    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode = Qt::ElideRight;
};
