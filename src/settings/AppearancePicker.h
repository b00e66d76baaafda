#pragma once

#include "AppAppearance.h"
#include "PreferenceBinding.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

// One tile of the theme picker: a small picture of a window in that theme and the theme's title. The chosen tile is
// in full colour with an accent ring; the others are grey and faded.
class AppearancePickerOption : public QAbstractButton
{
    Q_OBJECT

public:
    AppearancePickerOption(AppAppearance appearance, QWidget *parent = nullptr);

    AppAppearance appearance() const { return m_appearance; }
    void setSelected(bool selected);
    bool isSelected() const { return m_isSelected; }

    QSize sizeHint() const override { return {105, 102}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AppAppearance m_appearance;
    bool m_isSelected = false;
};

// The theme chosen with three tiles (System, Light, Dark), bound to the appearance preference.
class AppearancePicker : public QWidget
{
    Q_OBJECT

public:
    AppearancePicker(PreferenceBinding<AppAppearance> selection, QWidget *parent = nullptr);

    AppearancePickerOption &option(AppAppearance appearance) const { return *m_options.at(int(appearance)); }

    // The picture of a theme, as the tiles show it in colour.
    static QImage preview(AppAppearance appearance, QSize size);

private:
    void refresh();

    PreferenceBinding<AppAppearance> m_selection;
    QList<AppearancePickerOption *> m_options;
};
