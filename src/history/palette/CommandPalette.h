#pragma once

#include "CommandPaletteRows.h"

#include <QFont>
#include <QListView>
#include <QRectF>
#include <QSize>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;
class QLabel;
class QLineEdit;
class CommandPaletteListModel;

// The palette's list: the rows' heights and painting, hover that moves the highlight and a click that runs a row.
class CommandPaletteListView final : public QListView
{
    Q_OBJECT

public:
    explicit CommandPaletteListView(QWidget *parent = nullptr);

    std::function<void(int row)> onMouseMovedOverRow;
    std::function<void(int row)> onMouseClickedRow;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// Paints the palette's rows: headers, dividers and commands with their icon, title, description, key caps and
// checkmark, and the rounded highlight of the selected command.
class CommandPaletteRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CommandPaletteRowDelegate(const QList<CommandPaletteRow> &rows, QObject *parent = nullptr);

    // A text of a row, in the font it is painted in and the rectangle it is drawn and elided in.
    struct TextPlace
    {
        QString text;
        QFont font;
        QRectF rect;
    };
    // Where a row's parts stand in its rectangle: the checkmark, the key caps and the texts (a header's title, a
    // command's title and description).
    struct RowLayout
    {
        std::optional<QRectF> checkmark;
        QStringList keyCaps;
        QList<QRectF> badges;
        QList<TextPlace> texts;
    };
    static RowLayout layout(const CommandPaletteRow &row, const QRectF &rect);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const QList<CommandPaletteRow> &m_rows;
};

// A keyboard-driven list of commands: a search field over the commands that match it, in sections. Up and Down
// move the highlight over the commands, Return or a click runs one and closes the palette, Escape clears the
// query first and closes the palette when it is empty, and the shortcut that opened it closes it too. The palette
// is shown once: closing it is synchronous and reported once through onDismiss.
class CommandPalette final : public QWidget
{
    Q_OBJECT

public:
    CommandPalette(QList<CommandPaletteCommand> commands, QSize contentSize, QString searchPlaceholderText,
        QString dismissalShortcut, QWidget *parent = nullptr);
    ~CommandPalette() override;

    // The width that shows every title of the commands whole beside its key caps, in a palette of this height (with
    // the list's scroll bar when its rows are taller than the list). Descriptions may be cut: a row has them as its
    // tool tip.
    static int fittingWidth(const QList<CommandPaletteCommand> &commands, int height);

    // Called once when the palette closes, whichever way.
    std::function<void()> onDismiss;

    // Closes the palette (hides it and reports it); nothing once closed.
    void dismiss();
    bool isDismissed() const { return m_isDismissed; }

    QLineEdit &searchField() const { return *m_searchField; }
    QListView &listView() const { return *m_listView; }
    QLabel &noResultsLabel() const { return *m_noResultsLabel; }
    const QList<CommandPaletteRow> &rows() const { return m_rows; }
    // The selected row, -1 when none.
    int selectedRow() const;

    // Runs the filter for the search field's text and highlights the first command.
    void filter();
    void moveSelection(bool up);
    // Runs the command of the row (nothing for a header, a divider or a row out of range) and closes.
    void runRow(int row);
    // The palette's keys: the dismissal shortcut and Escape close it, Up and Down move, Return runs the
    // highlighted command. True when the key was the palette's.
    bool handleKey(const QKeyEvent &event);
    // A key press meant for the search field: Escape empties a field that has text and closes the palette when it
    // is empty; the palette's other keys as handleKey. True when the key was the palette's.
    bool handleSearchFieldKey(const QKeyEvent &event);
    bool matchesDismissalShortcut(const QKeyEvent &event) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void selectRow(int row);
    void applyColors();

    QList<CommandPaletteCommand> m_commands;
    QString m_dismissalShortcut;
    QList<CommandPaletteRow> m_rows;
    bool m_isDismissed = false;

    QWidget *m_searchContainer = nullptr;
    QLabel *m_searchIcon = nullptr;
    QLineEdit *m_searchField = nullptr;
    QWidget *m_searchDivider = nullptr;
    CommandPaletteListModel *m_model = nullptr;
    CommandPaletteListView *m_listView = nullptr;
    QLabel *m_noResultsLabel = nullptr;
};
