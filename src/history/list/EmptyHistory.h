#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QLabel;
class QPainter;

// What the history list shows in place of its rows when it has none: a large grey symbol, a title and,
// optionally, a wrapping explanation, centred and kept 24 pixels from either side.
class EmptyHistory final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int symbolPointSize = 48;
    static constexpr int symbolBoxSize = 56;
    static constexpr int spacing = 8;
    static constexpr int sideMargin = 24;

    EmptyHistory(const QString &title, const std::optional<QString> &message, const QString &symbolName,
        QWidget *parent = nullptr);

    QString title() const;
    std::optional<QString> message() const;
    // New texts (the interface language changed); a view built without a message keeps having none.
    void setTexts(const QString &title, const std::optional<QString> &message);
    const QString &symbolName() const { return m_symbolName; }
    // The symbol, the title and the message when there is one, top to bottom.
    QList<QLabel *> arrangedLabels() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColors();

    QString m_symbolName;
    QLabel *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_message = nullptr;
};

// The favourite star of an item row, in the label colour at the system font size. Rows paint it, so it is a
// size and a paint call rather than a view; a row that is not a favourite reserves no room for it.
namespace FavoriteStar {

inline constexpr int size = 13;
void paint(QPainter &painter, const QPointF &topLeft, const QColor &color, bool isFavorite);

} // namespace FavoriteStar
