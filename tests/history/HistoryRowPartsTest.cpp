#include "HistoryRowParts.h"
#include "ApplicationIconCache.h"
#include "HistoryColors.h"
#include "HistoryItemTypeIcon.h"
#include "QuickPasteLabel.h"

#include <QPalette>

#include <gtest/gtest.h>

namespace {

QPalette paletteOf(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
    return palette;
}

} // namespace

TEST(HistorySearchMatches, IgnoresCaseAndAccents)
{
    struct Case
    {
        QString text;
        QString query;
        QList<HistoryTextRange> expected;
    };
    const std::vector<Case> cases {
        {u"Café and CAFE and cafe"_qs, u"cafe"_qs, {{0, 4}, {9, 4}, {18, 4}}},
        {u"Café"_qs, u"CAFÉ"_qs, {{0, 4}}},
        // A decomposed accent belongs to its letter: the match covers both units.
        {u"Cafe\u0301 x"_qs, u"cafe"_qs, {{0, 5}}},
        {u"aaaa"_qs, u"aa"_qs, {{0, 2}, {2, 2}}}, // matches do not overlap
        {u"some text"_qs, u"   "_qs, {}},
        {u"some text"_qs, u""_qs, {}},
        {u"some text"_qs, u"  text \n"_qs, {{5, 4}}}, // the query is trimmed
        {u"😀 smile"_qs, u"smile"_qs, {{3, 5}}},
        {u"nothing here"_qs, u"absent"_qs, {}},
        // Case folded fully, as the search matches: the sharp s is "ss" and stays whole in the match.
        {u"Großbuchstaben"_qs, u"gross"_qs, {{0, 4}}},
        {u"STRASSE"_qs, u"straße"_qs, {{0, 7}}},
        {u"Maß"_qs, u"mas"_qs, {{0, 3}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(historySearchMatches(c.text, c.query), c.expected)
            << c.text.toStdString() << " / " << c.query.toStdString();
}

TEST(HistoryRowParts, TellsControlAndFunctionKeyCharacters)
{
    const std::vector<std::pair<QString, bool>> cases {
        {u""_qs, false},
        {u"a"_qs, false},
        {u"é日本"_qs, false},
        {u"😀"_qs, false},
        {u"\t"_qs, true},
        {u"\u001B"_qs, true},
        {u"\u007F"_qs, true},
        {u"a\r"_qs, true},
        {u"\uF700"_qs, true}, // the up arrow's character in key events
        {u"\uF8FF"_qs, true},
        {u"\uF6FF"_qs, false},
        {u"\uFFFD"_qs, false},
        {u"𠀀"_qs, false},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(containsControlOrFunctionKeyScalar(text), expected) << text.toStdString();
}

TEST(HistoryRowParts, FormatsByteCountsLikeFileManagers)
{
    const std::vector<std::pair<qint64, const char *>> cases {
        {0, "Zero KB"},
        {1, "1 byte"},
        {532, "532 bytes"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {184320, "184 KB"},
        {999499, "999 KB"},
        {999500, "1 MB"}, // rounds up into the next unit
        {1500000, "1.5 MB"},
        {2000000, "2 MB"},
        {2250000000, "2.25 GB"},
        {3000000000000, "3 TB"},
    };
    for (const auto &[bytes, expected] : cases)
        EXPECT_EQ(formattedByteCount(bytes).toStdString(), expected) << bytes;
}

TEST(HistoryRowParts, TintsEachKindForItsAppearance)
{
    const std::vector<std::tuple<ClipboardKind, QColor, QColor>> cases {
        {ClipboardKind::text, QColor(88, 86, 214), QColor(94, 92, 230)},
        {ClipboardKind::richText, QColor(88, 86, 214), QColor(94, 92, 230)},
        {ClipboardKind::link, QColor(0, 122, 255), QColor(10, 132, 255)},
        {ClipboardKind::email, QColor(48, 176, 199), QColor(64, 200, 224)},
        {ClipboardKind::color, QColor(255, 45, 85), QColor(255, 55, 95)},
        {ClipboardKind::image, QColor(175, 82, 222), QColor(191, 90, 242)},
        {ClipboardKind::file, QColor(255, 149, 0), QColor(255, 159, 10)},
    };
    for (const auto &[kind, light, dark] : cases) {
        EXPECT_EQ(HistoryRowColors::rowTint(kind, paletteOf(false)), light) << kind.rawValue().toStdString();
        EXPECT_EQ(HistoryRowColors::rowTint(kind, paletteOf(true)), dark) << kind.rawValue().toStdString();
    }
    // Selected rows: black labels in light, white in dark; the quick-paste number dark grey only in light.
    EXPECT_EQ(HistoryRowColors::label(paletteOf(false), true), QColor(Qt::black));
    EXPECT_EQ(HistoryRowColors::label(paletteOf(true), true), QColor(Qt::white));
    EXPECT_EQ(QuickPasteLabel::color(paletteOf(false), true), HistoryRowColors::darkGray());
    EXPECT_EQ(QuickPasteLabel::color(paletteOf(true), true), HistoryRowColors::tertiaryLabel(paletteOf(true)));
    EXPECT_EQ(QuickPasteLabel::color(paletteOf(false), false), HistoryRowColors::tertiaryLabel(paletteOf(false)));
}

TEST(HistoryItemTypeIcon, KeepsItsBadgeAndSwatchApart)
{
    HistoryItemTypeIcon icon;
    icon.configure(ClipboardKind::text, u"text.page"_qs);
    EXPECT_FALSE(icon.isImageHidden());
    EXPECT_EQ(icon.toolTip(), ClipboardKind(ClipboardKind::text).title());

    // A number wins over the placeholder; the same state again changes nothing.
    EXPECT_TRUE(icon.setSelectionOrder(3, true));
    EXPECT_EQ(icon.selectionOrderNumber(), 3);
    EXPECT_FALSE(icon.showsSelectionOrderPlaceholder());
    EXPECT_TRUE(icon.isImageHidden());
    EXPECT_FALSE(icon.setSelectionOrder(3, true));
    EXPECT_TRUE(icon.setSelectionOrder(std::nullopt, true));
    EXPECT_TRUE(icon.showsSelectionOrderPlaceholder());
    EXPECT_TRUE(icon.setSelectionOrder(std::nullopt, false));
    EXPECT_FALSE(icon.isImageHidden());

    // A swatch keeps the symbol hidden after a number is cleared again.
    icon.configureSwatch(Qt::red, u"#FF0000"_qs);
    EXPECT_FALSE(icon.kind());
    EXPECT_EQ(icon.imageInset(), 4);
    EXPECT_TRUE(icon.setSelectionOrder(1, false));
    EXPECT_TRUE(icon.setSelectionOrder(std::nullopt, false));
    EXPECT_TRUE(icon.isImageHidden());

    // Configuring again clears badge and swatch.
    icon.configure(ClipboardKind::link, u"link"_qs);
    EXPECT_FALSE(icon.swatchColor());
    EXPECT_EQ(icon.imageInset(), 3);
    EXPECT_FALSE(icon.isImageHidden());

    EXPECT_EQ(HistoryItemTypeIcon::badgeFontPixelSize(99), 11);
    EXPECT_EQ(HistoryItemTypeIcon::badgeFontPixelSize(100), 8);
}

TEST(QuickPasteLabel, ShowsTheShortcutOnlyWhenItFits)
{
    const QString shortcut = QuickPasteLabel::shortcutText(4);
    EXPECT_TRUE(shortcut.endsWith(u"+4"_qs)) << shortcut.toStdString();
    EXPECT_EQ(QuickPasteLabel::text(4, QuickPasteLabel::font(), 1000), shortcut);
    // "Ctrl+4" in the row font is wider than the 24-pixel slot: the digit stands alone.
    EXPECT_EQ(QuickPasteLabel::text(4), u"4"_qs);
}

TEST(ApplicationIconCache, LooksEachApplicationUpOnce)
{
    QStringList lookUps;
    ApplicationIconCache cache([&](const std::optional<QString> &id, const std::optional<QString> &name, int size) {
        lookUps.append(id.value_or(u"-"_qs) + u'/' + name.value_or(u"-"_qs) + u'/' + QString::number(size));
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::green);
        return icon;
    });

    EXPECT_FALSE(cache.cachedApplicationIcon(std::nullopt, std::nullopt, 20));
    const auto first = cache.cachedApplicationIcon(u"org.gnome.TextEditor"_qs, u"Text Editor"_qs, 20);
    const auto second = cache.cachedApplicationIcon(u"org.gnome.TextEditor"_qs, u"Editor"_qs, 20);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->size(), QSize(20, 20));
    const auto byName = cache.cachedApplicationIcon(std::nullopt, u"Terminal"_qs, 20);
    ASSERT_TRUE(byName);
    EXPECT_EQ(lookUps, (QStringList {u"org.gnome.TextEditor/Text Editor/20"_qs, u"-/Terminal/20"_qs}));
    EXPECT_EQ(cache.count(), 2);

    EXPECT_EQ(ApplicationIconCache::cacheKey(u"org.gnome.TextEditor"_qs, u"x"_qs, 20), u"org.gnome.TextEditor|20.0"_qs);
    EXPECT_EQ(ApplicationIconCache::cacheKey(std::nullopt, u"Terminal"_qs, 20), u"Terminal|20.0"_qs);
    EXPECT_EQ(ApplicationIconCache::cacheKey(std::nullopt, u"Terminal"_qs, 16.5), u"Terminal|16.5"_qs);
}

TEST(HistoryRowParts, AspectFillShowsTheMiddleOfThePicture)
{
    // 400 x 100 into 130 x 70: scaled by 0.7, the middle 130 of 280 shown.
    const QRectF wide = aspectFillSourceRect(QSizeF(400, 100), QSizeF(130, 70));
    EXPECT_NEAR(wide.width(), 130 / 0.7, 0.01);
    EXPECT_NEAR(wide.height(), 100, 0.01);
    EXPECT_NEAR(wide.center().x(), 200, 0.01);
    // 100 x 400: scaled by 1.3, the middle 70 of 520 shown.
    const QRectF tall = aspectFillSourceRect(QSizeF(100, 400), QSizeF(130, 70));
    EXPECT_NEAR(tall.width(), 100, 0.01);
    EXPECT_NEAR(tall.height(), 70 / 1.3, 0.01);
    EXPECT_NEAR(tall.center().y(), 200, 0.01);
}
