#pragma once

#include "Tag.h"
#include "TagDialogPresenter.h"

#include <QAbstractButton>
#include <QColor>
#include <QList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class BorderlessSettingsTextField;
class QLabel;
class QPushButton;

// One round colour swatch of the tag dialog; the chosen one has a ring and a smaller fill.
class TagColorButton final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TagColorButton(QColor color, QWidget *parent = nullptr);

    const QColor &color() const { return m_color; }
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);
    QSize sizeHint() const override { return QSize(28, 28); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    bool m_isSelected = false;
};

// Names a tag and picks its colour from nine: empty with the first colour and "Create" for a new tag, or with a
// tag's name, the palette colour nearest its own and "Save". It stores nothing: it hands the trimmed name and the
// colour to onCreate, or reports onCancel, and its host closes it. The host may answer a name with a message
// (showError), which the dialog shows while it stays open.
class NewTagDialog final : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize contentSize {420, 168};

    explicit NewTagDialog(const std::optional<Tag> &existingTag = std::nullopt, QWidget *parent = nullptr);

    // The palette, in order; the first is "#3B85ED".
    static const std::array<QColor, 9> &tagColors();
    // The palette colour nearest to the colour; of equal distances the first.
    static int nearestTagColorIndex(const QColor &color);

    std::function<void()> onCancel;
    std::function<void(const QString &name, const QColor &color)> onCreate;

    int selectedColorIndex() const { return m_selectedColorIndex; }
    void selectColor(int index);
    BorderlessSettingsTextField &inputField() const { return *m_inputField; }
    QPushButton &createButton() const { return *m_createButton; }
    QPushButton &cancelButton() const { return *m_cancelButton; }
    const QList<TagColorButton *> &colorButtons() const { return m_colorButtons; }
    QLabel &errorLabel() const { return *m_errorLabel; }

    // Confirms the name and colour (nothing for a blank name).
    void createTag();
    void cancel();
    // Shows why the name was not taken; cleared when the name changes.
    void showError(const QString &message);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshCreateButton();

    std::optional<Tag> m_existingTag;
    int m_selectedColorIndex = 0;
    QList<TagColorButton *> m_colorButtons;
    BorderlessSettingsTextField *m_inputField = nullptr;
    QPushButton *m_createButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QLabel *m_errorLabel = nullptr;
};

// Presents the tag dialog as a window-modal sheet on a window, for the Tags pane and the history window. A save
// that the handler refuses with a message keeps the sheet open and shows the message.
class TagDialogSheet final : public TagDialogPresenter
{
public:
    static TagDialogSheet &shared();
    void presentTagDialog(QWidget *parent, const std::optional<Tag> &tag, SaveHandler onSave) override;
};
