#pragma once

// Whether a text has the room it needs where it is shown: a label, a button, an empty field's placeholder, a menu's
// entries. The walks through the windows in every interface language ask these of every text they meet.

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <optional>

namespace TextFit {

// The text a widget shows: a label's, a button's that shows its text, an empty field's placeholder.
inline QString shownText(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget))
        return label->pixmap().isNull() ? label->text() : QString();
    if (const auto *tool = qobject_cast<const QToolButton *>(&widget))
        return tool->toolButtonStyle() == Qt::ToolButtonIconOnly ? QString() : tool->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget))
        return button->text();
    if (const auto *field = qobject_cast<const QLineEdit *>(&widget))
        return field->text().isEmpty() ? field->placeholderText() : QString();
    return {};
}

// What of the widget's text its size cuts off ("width 80 < 95"), or nothing.
inline std::optional<QString> cut(const QWidget &widget)
{
    const QString text = shownText(widget);
    if (text.isEmpty())
        return std::nullopt;
    const auto shortBy = [](const char *what, int has, int needs) -> std::optional<QString> {
        if (has >= needs)
            return std::nullopt;
        return QStringLiteral("%1 %2 < %3").arg(QLatin1String(what)).arg(has).arg(needs);
    };
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        if (label->wordWrap())
            return shortBy("height", label->height(), label->heightForWidth(label->width()));
        const QMargins margins = label->contentsMargins();
        const int indent = qMax(label->indent(), 0) + 2 * label->margin();
        return shortBy("width", label->width() - margins.left() - margins.right() - indent,
            QFontMetrics(label->font()).horizontalAdvance(text));
    }
    if (const auto *tool = qobject_cast<const QToolButton *>(&widget))
        return shortBy("width", tool->width(), tool->sizeHint().width());
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        // A push button's frame leaves its text some room; a check box's or radio button's indicator is in its hint.
        const bool indicator = qobject_cast<const QCheckBox *>(button) || qobject_cast<const QRadioButton *>(button);
        return shortBy("width", button->width(),
            indicator ? button->sizeHint().width() : QFontMetrics(button->font()).horizontalAdvance(text) + 8);
    }
    if (const auto *field = qobject_cast<const QLineEdit *>(&widget)) {
        // The field keeps two pixels beside its text on either side, inside its frame and text margins.
        const QMargins margins = field->textMargins();
        const int frame = field->hasFrame() ? 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        return shortBy("width", field->width() - frame - margins.left() - margins.right() - 2 * 2,
            QFontMetrics(field->font()).horizontalAdvance(text));
    }
    return std::nullopt;
}

// The entries of a menu and of its submenus whose text and key do not fit the menu's width, each as
// "text: width has < needs". The menu is laid out as it would be shown; an entry needs its icon column, its text,
// a gap and its key, and a submenu's entry the room of its arrow.
inline QStringList cutEntries(QMenu &menu)
{
    QStringList cuts;
    menu.ensurePolished();
    menu.adjustSize();
    const QList<QAction *> actions = menu.actions();
    const bool hasColumn = std::any_of(actions.cbegin(), actions.cend(),
        [](const QAction *action) { return !action->icon().isNull() || action->isCheckable(); });
    const int iconColumn = hasColumn ? menu.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &menu) + 8 : 0;
    constexpr int gap = 12;
    for (QAction *action : actions) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QStringList parts = action->text().split(QLatin1Char('\t'));
        QString text = parts.first();
        text.replace(QLatin1String("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
        text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        const QString key = parts.size() > 1 ? parts.at(1) : action->shortcut().toString(QKeySequence::NativeText);
        const QFontMetrics metrics(action->font().resolve(menu.font()));
        int needs = iconColumn + metrics.horizontalAdvance(text);
        if (!key.isEmpty())
            needs += gap + QFontMetrics(menu.font()).horizontalAdvance(key);
        if (action->menu())
            needs += gap;
        const int has = menu.actionGeometry(action).width();
        if (has < needs)
            cuts.append(QStringLiteral("%1: width %2 < %3").arg(action->text()).arg(has).arg(needs));
        if (QMenu *submenu = action->menu())
            cuts += cutEntries(*submenu);
    }
    return cuts;
}

} // namespace TextFit
