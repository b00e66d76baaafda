#pragma once

#include "AppModel.h"

// A control's hold on one field of the model's preference record. Reading takes the field from the current record;
// writing changes that field in a copy and assigns the whole record back, which the model publishes once. Neither
// saves nor applies: the coordinator does that when the settings close.
template<typename T> class PreferenceBinding
{
public:
    PreferenceBinding(AppModel &model, T AppPreferences::*field) : m_model(&model), m_field(field) { }

    T get() const { return m_model->preferences().*m_field; }
    void set(const T &value) const
    {
        AppPreferences preferences = m_model->preferences();
        preferences.*m_field = value;
        m_model->setPreferences(preferences);
    }
    AppModel &model() const { return *m_model; }
    T AppPreferences::*field() const { return m_field; }

private:
    AppModel *m_model;
    T AppPreferences::*m_field;
};
