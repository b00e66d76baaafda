#pragma once

#include "PreferenceBinding.h"

#include <QAbstractButton>
#include <QLabel>
#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QVBoxLayout;

// An on/off switch drawn as a small capsule with a knob, the accent colour when on.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A settings row: the title, with an optional grey description below it, and a control at the trailing edge.
class SettingsRow : public QWidget
{
    Q_OBJECT

public:
    SettingsRow(
        const QString &title, const std::optional<QString> &description, QWidget *trailing, QWidget *parent = nullptr);

    QLabel &titleLabel() const { return *m_title; }
    QLabel *descriptionLabel() const { return m_description; }
    QWidget &trailing() const { return *m_trailing; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void colourDescription();

    QLabel *m_title = nullptr;
    QLabel *m_description = nullptr;
    QWidget *m_trailing = nullptr;
};

// A row whose control is a picker; it always has a description.
class PickerRow : public SettingsRow
{
    Q_OBJECT

public:
    PickerRow(const QString &title, const QString &description, QWidget *picker, QWidget *parent = nullptr)
        : SettingsRow(title, description, picker, parent)
    { }
};

// A row with a switch bound to one Boolean preference. The switch follows the record as it changes.
class SettingsToggle : public SettingsRow
{
    Q_OBJECT

public:
    SettingsToggle(const QString &title, const std::optional<QString> &description, PreferenceBinding<bool> binding,
        QWidget *parent = nullptr);

    ToggleSwitch &toggle() const { return *m_switch; }

private:
    void refresh();

    PreferenceBinding<bool> m_binding;
    ToggleSwitch *m_switch = nullptr;
};

// A titled group of rows on a rounded card, with a hairline between each two rows (none after the last).
class SettingsSectionGroup : public QWidget
{
    Q_OBJECT

public:
    SettingsSectionGroup(const std::optional<QString> &title, const QList<QWidget *> &rows, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    QWidget &card() const { return *m_card; }
    int dividerCount() const;

private:
    QLabel *m_title = nullptr;
    QWidget *m_card = nullptr;
};

// A pop-up picker bound to one text preference: each option writes its value into the field. It follows the record
// as it changes; a stored value that no option has selects nothing.
class PreferencePicker : public QWidget
{
    Q_OBJECT

public:
    struct Option
    {
        QString title; // in the interface language
        QString value; // what is written
    };

    PreferencePicker(const QString &accessibleName, QList<Option> options, PreferenceBinding<QString> binding,
        QWidget *parent = nullptr);

    QComboBox &comboBox() const { return *m_comboBox; }

private:
    void refresh();

    QList<Option> m_options;
    PreferenceBinding<QString> m_binding;
    QComboBox *m_comboBox = nullptr;
};
