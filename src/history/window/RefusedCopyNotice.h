#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QToolButton;

// One line above the history list that says why the last copy was not kept, with a small button that dismisses it.
// Hidden while there is nothing to say.
class RefusedCopyNotice final : public QWidget
{
public:
    static constexpr int height = 30;

    explicit RefusedCopyNotice(QWidget *parent = nullptr);

    // Shows the text, or hides the line for nothing.
    void setNotice(const std::optional<QString> &text);
    QString text() const;
    QToolButton &closeButton() const { return *m_close; }

    // The close button was clicked.
    std::function<void()> onDismiss;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshLook();
    void elide();

    QLabel *m_icon = nullptr;
    QLabel *m_label = nullptr;
    QToolButton *m_close = nullptr;
    QString m_text;
};
