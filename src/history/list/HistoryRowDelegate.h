#pragma once

#include <QStyledItemDelegate>

class History;

// Paints the history table's rows from the history view's state: a header's title, or an item row: first its
// selection shapes, focus fill and divider from the row's look in the list's selection at paint time, then its
// content with the painter of its kind. Row heights come from the history view's cache. The style's own item drawing
// (its selection and focus rectangle) is never used.
class HistoryRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit HistoryRowDelegate(History &history);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;

private:
    History &m_history;
};
