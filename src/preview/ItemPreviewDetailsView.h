#pragma once

#include "ClipboardItem.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>

class QLabel;

// The facts under the preview's content: type, characters or dimensions, size, source application, first and
// last copy and the number of copies, each a small title over a value. The fields fill centred lines that wrap
// when the panel is narrow, with a thin separator between neighbours on a line. Numbers, dates and sizes follow
// the interface language.
class ItemPreviewDetailsView final : public QWidget
{
    Q_OBJECT

public:
    enum class FieldKey { characters, size };

    struct Field
    {
        QString title;
        QString value;
        QIcon icon;
        std::optional<FieldKey> key;
        bool operator==(const Field &other) const
        {
            return title == other.title && value == other.value && key == other.key;
        }
    };

    struct FieldLine
    {
        QList<int> indices;
        double width = 0;
        bool operator==(const FieldLine &) const = default;
    };

    // Space between two fields on a line (the separator stands in its middle), margins and line spacing.
    static constexpr int fieldGap = 25;
    static constexpr int horizontalMargin = 28;
    static constexpr int verticalMargin = 14;
    static constexpr int lineSpacing = 8;

    explicit ItemPreviewDetailsView(const ClipboardItem &item, QWidget *parent = nullptr);

    // Rebuilds every field for the item.
    void update(const ClipboardItem &item);
    // Characters and Size of a text being edited, shown at once.
    void updateEditingText(const QString &text);
    void updateEditingCounts(qsizetype characters, qsizetype bytes);
    // Lays the fields out for a width and returns the height they need; with `apply` false it only measures.
    int layoutFields(int width, bool apply);
    // The width that holds every field on one line.
    int preferredWidth() const;

    // "Files" for a file item of two or more paths, else the kind's title.
    static QString typeTitle(const ClipboardItem &item);
    // The facts of an item, in order.
    static QList<Field> fields(const ClipboardItem &item);
    // Greedy lines: a field joins the current line unless the line holds a field already and the field would pass
    // the available width.
    static QList<FieldLine> breakLines(const QList<int> &widths, double available);
    // An integer with the digit grouping of the interface language.
    static QString formattedNumber(qint64 number);
    // A byte count as the file managers write it, decimal units: "Zero KB", "12 bytes", "4 KB", "1.2 MB".
    static QString formattedByteCount(qint64 bytes);
    // A date and time in the short style of the interface language.
    static QString formattedDate(const QDateTime &date);
    // The number of user-perceived characters of a text.
    static qsizetype characterCount(const QString &text);
    // The size of a text in UTF-8 as QString::toUtf8 writes it, without converting it.
    static qsizetype utf8Size(const QString &text);
    // The pixel size of an image file, from its header.
    static std::optional<QSize> imagePixelSize(const QString &path);

    QList<QWidget *> fieldViews() const { return m_fieldViews; }
    QList<QWidget *> separatorViews() const { return m_separatorViews; }
    QLabel *valueLabel(FieldKey key) const { return m_valueFieldsByKey.value(key); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QWidget *> m_fieldViews;
    QList<QWidget *> m_separatorViews;
    QHash<FieldKey, QLabel *> m_valueFieldsByKey;
    int m_contentHeight = 0;
    ClipboardItem m_item;
};
