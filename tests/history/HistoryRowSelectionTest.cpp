// The selection as the rows draw it: the six flags of each row for runs of selected rows, headers and keyboard
// multiple selection, and the shapes, fills and dividers drawn from them for single, joined and narrow rows.

#include "HistoryRowSelectionFlags.h"
#include "RoundedSelectionRowPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Rows written as "#" (a header), "." (an unselected item) and "*" (a selected item).
HistoryRowSelectionState state(const QString &rows, std::optional<int> lead = std::nullopt, bool mode = false)
{
    HistoryRowSelectionState made;
    made.rowCount = int(rows.size());
    made.isItemRow = [rows](int row) { return rows.at(row) != u'#'; };
    made.isSelected = [rows](int row) { return rows.at(row) == u'*'; };
    made.selectedRowCount = int(rows.count(u'*'));
    made.leadRow = lead;
    made.isKeyboardMultipleSelectionMode = mode;
    return made;
}

// A row's flags as letters: D divider, A joins above, B joins below, M multiple selection, K keyboard mode,
// F focused row.
QString letters(const HistoryRowSelectionFlags &flags)
{
    QString text;
    if (flags.showsDivider)
        text += u'D';
    if (flags.joinsSelectedRowAbove)
        text += u'A';
    if (flags.joinsSelectedRowBelow)
        text += u'B';
    if (flags.isPartOfMultipleSelection)
        text += u'M';
    if (flags.isKeyboardMultipleSelectionMode)
        text += u'K';
    if (flags.isKeyboardSelectionFocusedRow)
        text += u'F';
    return text;
}

QStringList flagsOfItemRows(const HistoryRowSelectionState &made, const QString &rows)
{
    QStringList all;
    for (int row = 0; row < rows.size(); ++row)
        all.append(rows.at(row) == u'#' ? u"#"_qs : letters(HistoryRowSelection::flags(made, row)));
    return all;
}

} // namespace

TEST(HistoryRowSelection, FlagsForRunsOfSelectedRows)
{
    struct Case
    {
        const char *name;
        QString rows;
        std::optional<int> lead;
        bool mode;
        QStringList flags;
    };
    const QList<Case> cases = {
        {"nothing selected: dividers between item rows, never under a header or on the first row", u"..#..."_qs,
            std::nullopt, false, {u""_qs, u"D"_qs, u"#"_qs, u""_qs, u"D"_qs, u"D"_qs}},
        // The join flags of a row say whether its neighbours are selected, whatever the row itself is.
        {"one selected row: no divider above it or below it, not a multiple selection", u"..*.."_qs, 2, false,
            {u""_qs, u"DB"_qs, u"F"_qs, u"A"_qs, u"D"_qs}},
        {"a run of three joins into one block", u".***."_qs, 3, false,
            {u"BM"_qs, u"BM"_qs, u"ABM"_qs, u"AMF"_qs, u"AM"_qs}},
        {"a header breaks a run", u"#*#*"_qs, 3, false, {u"#"_qs, u"M"_qs, u"#"_qs, u"MF"_qs}},
        {"the focused unselected row between two selected rows joins neither", u"*.*"_qs, 1, true,
            {u"MK"_qs, u"MKF"_qs, u"MK"_qs}},
        {"the focused row and its neighbours show no divider in the mode", u"*...."_qs, 2, true,
            {u"K"_qs, u"AK"_qs, u"KF"_qs, u"K"_qs, u"DK"_qs}},
        {"outside the mode the lead keeps its dividers", u"...."_qs, 1, false, {u""_qs, u"DF"_qs, u"D"_qs, u"D"_qs}},
        {"a focused selected row in the mode joins its selected neighbours", u"**"_qs, 1, true,
            {u"BMK"_qs, u"AMKF"_qs}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(flagsOfItemRows(state(c.rows, c.lead, c.mode), c.rows), c.flags) << c.name;

    // Rows outside the list have no neighbours.
    EXPECT_EQ(letters(HistoryRowSelection::flags(state(u"*"_qs), 0)), u""_qs);
    EXPECT_FALSE(HistoryRowSelection::showsDivider(state(u".."_qs), 2));
}

TEST(HistoryRowSelection, ShapesRoundOnlyWhereNoSelectedNeighbourIs)
{
    using namespace RoundedSelectionRowPainter;
    const QRectF row(0, 0, 400, 36);
    EXPECT_EQ(shapeRect(row), QRectF(9, 0, 382, 36));
    EXPECT_EQ(cornerRadius(shapeRect(row)), 12);
    EXPECT_EQ(cornerRadius(shapeRect(QRectF(0, 0, 400, 20))), 10);
    EXPECT_EQ(cornerRadius(shapeRect(QRectF(0, 0, 30, 36))), 6);
    // Narrower than both insets: an empty shape, never a negative width or radius.
    EXPECT_EQ(shapeRect(QRectF(0, 0, 10, 36)).width(), 0);
    EXPECT_EQ(cornerRadius(shapeRect(QRectF(0, 0, 10, 36))), 0);
    EXPECT_TRUE(selectionPath(QRectF(0, 0, 10, 36), false, false).boundingRect().width() <= 0);

    struct Case
    {
        bool joinsAbove;
        bool joinsBelow;
        bool topCorners;
        bool bottomCorners; // whether the corner points lie inside the shape
    };
    for (const Case &c : {Case {false, false, false, false}, Case {true, false, true, false},
             Case {false, true, false, true}, Case {true, true, true, true}}) {
        const QPainterPath path = selectionPath(row, c.joinsAbove, c.joinsBelow);
        EXPECT_EQ(path.boundingRect(), QRectF(9, 0, 382, 36));
        EXPECT_EQ(path.contains(QPointF(9.5, 0.5)), c.topCorners) << c.joinsAbove << c.joinsBelow;
        EXPECT_EQ(path.contains(QPointF(390.5, 0.5)), c.topCorners) << c.joinsAbove << c.joinsBelow;
        EXPECT_EQ(path.contains(QPointF(9.5, 35.5)), c.bottomCorners) << c.joinsAbove << c.joinsBelow;
        EXPECT_EQ(path.contains(QPointF(390.5, 35.5)), c.bottomCorners) << c.joinsAbove << c.joinsBelow;
        EXPECT_TRUE(path.contains(QPointF(200, 18)));
        EXPECT_TRUE(path.contains(QPointF(9.5, 18)));
    }
}

TEST(HistoryRowSelection, FillsAndDividers)
{
    using namespace RoundedSelectionRowPainter;
    HistoryRowSelectionFlags single;
    HistoryRowSelectionFlags group;
    group.isPartOfMultipleSelection = true;
    HistoryRowSelectionFlags focused;
    focused.isKeyboardMultipleSelectionMode = true;
    focused.isKeyboardSelectionFocusedRow = true;
    focused.isPartOfMultipleSelection = true;
    HistoryRowSelectionFlags otherInMode = focused;
    otherInMode.isKeyboardSelectionFocusedRow = false;
    HistoryRowSelectionFlags focusedSingle = focused;
    focusedSingle.isPartOfMultipleSelection = false;

    EXPECT_EQ(selectionFill(single, true), Fill::focus);
    EXPECT_EQ(selectionFill(group, true), Fill::group);
    EXPECT_EQ(selectionFill(focused, true), Fill::focus);
    EXPECT_EQ(selectionFill(otherInMode, true), Fill::group);
    EXPECT_EQ(selectionFill(focusedSingle, true), Fill::focus);
    EXPECT_EQ(selectionFill(group, false), Fill::none);
    // Only the focused row that is not selected gets a background, and only in the mode.
    EXPECT_EQ(backgroundFill(focused, false), Fill::focus);
    EXPECT_EQ(backgroundFill(focused, true), Fill::none);
    EXPECT_EQ(backgroundFill(otherInMode, false), Fill::none);
    HistoryRowSelectionFlags leadOutsideMode;
    leadOutsideMode.isKeyboardSelectionFocusedRow = true;
    EXPECT_EQ(backgroundFill(leadOutsideMode, false), Fill::none);

    QPalette light;
    light.setColor(QPalette::Window, Qt::white);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    EXPECT_NEAR(focusFillColor(light).alphaF(), 0.2, 0.001);
    EXPECT_NEAR(groupSelectionFillColor(light).alphaF(), 0.12, 0.001);
    EXPECT_NEAR(groupSelectionFillColor(dark).alphaF(), 0.16, 0.001);
    EXPECT_EQ(separatorColor(light), QColor(229, 229, 229));
    EXPECT_EQ(separatorColor(dark), QColor(47, 47, 47));

    // One device pixel thick, from 48 in to 10 before the end, at the row's top.
    EXPECT_EQ(dividerRect(QRectF(0, 72, 400, 36), 1), QRectF(48, 72, 342, 1));
    EXPECT_EQ(dividerRect(QRectF(0, 0, 400, 36), 2).height(), 0.5);
    EXPECT_EQ(dividerThickness(0), 0.5);
    EXPECT_EQ(dividerRect(QRectF(0, 0, 58, 36), 1).width(), 0);
    EXPECT_EQ(dividerRect(QRectF(0, 0, 30, 36), 1).width(), 0);
}

TEST(HistoryRowSelection, AJoinedRunPaintsAsOneRoundedBlock)
{
    using namespace RoundedSelectionRowPainter;
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    QImage image(200, 4 * 36, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    // Rows 0 to 2 selected, row 3 not: the divider above row 3 is not drawn either (its upper neighbour is selected).
    const QString rows = u"***."_qs;
    const HistoryRowSelectionState made = state(rows);
    for (int row = 0; row < rows.size(); ++row)
        paint(painter, QRectF(0, row * 36, 200, 36), HistoryRowSelection::flags(made, row), rows.at(row) == u'*',
            palette, 1);
    painter.end();

    const auto isFilled = [&](int x, int y) { return image.pixelColor(x, y) != QColor(Qt::white); };
    EXPECT_FALSE(isFilled(9, 0)); // the block's rounded top-left corner
    EXPECT_TRUE(isFilled(9, 20));
    for (const int seam : {35, 36, 71, 72}) // square and gap-free where rows meet
        EXPECT_TRUE(isFilled(9, seam) && isFilled(100, seam) && isFilled(190, seam)) << seam;
    EXPECT_FALSE(isFilled(9, 107)); // the rounded bottom-left corner
    EXPECT_FALSE(isFilled(5, 50)); // the inset
    EXPECT_FALSE(isFilled(100, 108)); // no divider under a selected row
    // All three rows of a multiple selection share one gray.
    EXPECT_EQ(image.pixelColor(100, 10), image.pixelColor(100, 60));
    EXPECT_EQ(image.pixelColor(100, 60), image.pixelColor(100, 100));
}
