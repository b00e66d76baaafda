#pragma once

#include "Tag.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Shows the tag dialog as a sheet on a window, to create a tag or to edit one. The dialog hands the name and colour
// the user chose to `onSave`, which answers nothing when they were taken (the dialog closes) or why they were not
// (the dialog stays open and says so); a cancelled dialog calls nothing.
class TagDialogPresenter
{
public:
    virtual ~TagDialogPresenter() = default;

    using SaveHandler = std::function<std::optional<QString>(const QString &name, const QColor &color)>;
    virtual void presentTagDialog(QWidget *parent, const std::optional<Tag> &tag, SaveHandler onSave) = 0;
};
