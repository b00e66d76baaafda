#include "NewTagDialog.h"
#include "ColorText.h"
#include "SettingsLook.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(NewTagDialog, PreselectsTheNearestPaletteColour)
{
    EXPECT_EQ(NewTagDialog::tagColors().at(0).name().toUpper(), u"#3B85ED"_qs);
    const QList<std::pair<QString, int>> cases
        = {{u"#3B85ED"_qs, 0}, {u"#ED2626"_qs, 6}, {u"#000000"_qs, 3}, {u"not a colour"_qs, 0}};
    for (const auto &[color, index] : cases)
        EXPECT_EQ(NewTagDialog(Tag {1, u"Work"_qs, color}).selectedColorIndex(), index) << color.toStdString();
    // Halfway between two colours: the lower index.
    const QColor a = NewTagDialog::tagColors().at(2);
    const QColor b = NewTagDialog::tagColors().at(3);
    const QColor middle
        = QColor::fromRgbF((a.redF() + b.redF()) / 2, (a.greenF() + b.greenF()) / 2, (a.blueF() + b.blueF()) / 2);
    EXPECT_LE(NewTagDialog::nearestTagColorIndex(middle), 3);
}

// Stored colours exactly as far from palette colour 0 (0.23, 0.52, 0.93) as from colour 8 (0.60, 0.29, 0.91), which
// the tag's 16-bit channels and floating-point components used to tip towards 8. Of equal distances the lower
// index wins.
TEST(NewTagDialog, AnExactTiePreselectsTheLowerIndex)
{
    const auto squaredDistance = [](const QColor &color, const int(&hundredths)[3]) {
        // In units of 1/25500 per component, whole numbers: palette hundredths times 255, 8-bit channels times 100.
        const int channels[3] = {color.red(), color.green(), color.blue()};
        qint64 sum = 0;
        for (int c = 0; c < 3; ++c) {
            const qint64 difference = qint64(hundredths[c]) * 255 - qint64(channels[c]) * 100;
            sum += difference * difference;
        }
        return sum;
    };
    for (const QString &text : {u"#230070"_qs, u"#686D87"_qs, u"#9EC1A8"_qs, u"#C5FCD3"_qs}) {
        const QColor color = *colorFromHexString(text);
        ASSERT_EQ(squaredDistance(color, {23, 52, 93}), squaredDistance(color, {60, 29, 91})) << text.toStdString();
        EXPECT_EQ(NewTagDialog::nearestTagColorIndex(color), 0) << text.toStdString();
        EXPECT_EQ(NewTagDialog(Tag {1, u"Work"_qs, text}).selectedColorIndex(), 0) << text.toStdString();
    }
}

TEST(NewTagDialog, HandsOverTheTrimmedNameAndTheChosenColour)
{
    NewTagDialog create;
    EXPECT_EQ(create.createButton().text(), u"Create"_qs);
    EXPECT_FALSE(create.createButton().isEnabled());
    QStringList created;
    create.onCreate = [&](const QString &name, const QColor &color) { created.append(name + u' ' + color.name()); };
    create.inputField().setText(u"   "_qs);
    EXPECT_FALSE(create.createButton().isEnabled());
    create.createTag(); // nothing for a blank name
    create.inputField().setText(u"  Recipes \n"_qs);
    EXPECT_TRUE(create.createButton().isEnabled());
    create.selectColor(6);
    EXPECT_TRUE(create.colorButtons().at(6)->isSelected());
    EXPECT_FALSE(create.colorButtons().at(0)->isSelected());
    create.createTag();
    EXPECT_EQ(created, QStringList({u"Recipes "_qs + NewTagDialog::tagColors().at(6).name()}));

    NewTagDialog edit(Tag {4, u"Work"_qs, u"#123456"_qs});
    EXPECT_EQ(edit.createButton().text(), u"Save"_qs);
    EXPECT_EQ(edit.inputField().text(), u"Work"_qs);
}

TEST(NewTagDialog, ASheetStaysOpenWithTheReasonWhenASaveIsRefused)
{
    QWidget window;
    window.show();
    QStringList saved;
    TagDialogSheet::shared().presentTagDialog(
        &window, std::nullopt, [&](const QString &name, const QColor &) -> std::optional<QString> {
            if (name.compare(u"work"_qs, Qt::CaseInsensitive) == 0)
                return u"A tag with this name already exists."_qs;
            saved.append(name);
            return std::nullopt;
        });
    auto *sheet = window.findChild<QDialog *>();
    ASSERT_TRUE(sheet);
    auto *dialog = sheet->findChild<NewTagDialog *>();
    ASSERT_TRUE(dialog);
    dialog->inputField().setText(u"WORK"_qs);
    dialog->createTag();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(dialog->errorLabel().isVisibleTo(dialog));
    dialog->inputField().setText(u"Home"_qs);
    EXPECT_FALSE(dialog->errorLabel().isVisibleTo(dialog)); // a new name clears it
    QPointer<QDialog> watched(sheet);
    dialog->createTag();
    EXPECT_EQ(saved, QStringList({u"Home"_qs}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
}
