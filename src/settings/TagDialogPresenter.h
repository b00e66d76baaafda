#pragma once

#include "Tag.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Shows the tag dialog as a sheet on a window, to create a tag or to edit one. The dialog hands the name and colour
// the user chose to `onSave` and closes; a cancelled dialog calls nothing. The tag dialog of the history window
// provides it; the Tags pane only uses it.
class TagDialogPresenter
{
public:
    virtual ~TagDialogPresenter() = default;

    using SaveHandler = std::function<void(const QString &name, const QColor &color)>;
    virtual void presentTagDialog(QWidget *parent, const std::optional<Tag> &tag, SaveHandler onSave) = 0;
};
