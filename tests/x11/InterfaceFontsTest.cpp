// Every interface language is readable on this display: each text of the Japanese and the Simplified Chinese
// catalogue (and the two languages' own names in the language list) is drawn with real glyphs by the fonts that Qt
// falls back to, none as the missing-glyph box. Pictures of the welcome window and the history window in both
// languages, light and dark, go to the screenshot folder.

#include "Localization.h"
#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"

#include <QApplication>
#include <QGlyphRun>
#include <QLineEdit>
#include <QTest>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

// How many glyphs of the text the font, after Qt's fallback through the installed fonts, draws as the missing
// glyph (glyph 0, the box).
int missingGlyphs(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    while (layout.createLine().isValid()) { }
    layout.endLayout();
    int missing = 0;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes())
            missing += glyph == 0 ? 1 : 0;
    }
    return missing;
}

} // namespace

TEST(InterfaceFonts, EveryJapaneseAndChineseTextHasItsGlyphs)
{
    const QFont font = QApplication::font();
    for (const char *language : {"ja", "zh-Hans"}) {
        const LocalizationBundle bundle = localizationBundle(QString::fromLatin1(language));
        ASSERT_FALSE(bundle.isMainBundle()) << language;
        QStringList texts = {QStringLiteral("日本語"), QStringLiteral("简体中文")};
        for (const QString &key : StringCatalog::application().keys())
            texts.append(bundle.string(key));
        for (const QString &text : std::as_const(texts)) {
            // Control characters and line breaks have no glyph of their own.
            QString shown = text;
            shown.remove(QLatin1Char('\n')).remove(QLatin1Char('\t'));
            EXPECT_EQ(missingGlyphs(shown, font), 0) << language << ": " << text.toStdString();
        }
    }
}

TEST(InterfaceFonts, TheWelcomeAndHistoryWindowsInJapaneseAndChinese)
{
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);
    for (const char *language : {"ja", "zh-Hans"}) {
        for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
            const QString suffix = QString::fromLatin1(language) + u'-'
                + (appearance == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark"));
            SCOPED_TRACE(suffix.toStdString());
            // First the welcome window, which a first start shows.
            storeHistoryWindowPreferences(appearance, [&](AppPreferences &p) {
                p.language = QString::fromLatin1(language);
                p.hasCompletedOnboarding = false;
            });
            {
                RunningVarnisto varnisto;
                ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
                std::optional<QString> window;
                ASSERT_TRUE(
                    waitUntil([&] { return (window = visibleWindowNamed(QStringLiteral("Varnisto"))).has_value(); }));
                QTest::qWait(500);
                saveScreenshot(*window, u"fonts-welcome-"_qs + suffix + u".png"_qs);
                varnisto.terminate();
                ASSERT_TRUE(varnisto.waitForFinished());
            }
            // Then the history window.
            storeHistoryWindowPreferences(appearance, [&](AppPreferences &p) {
                p.language = QString::fromLatin1(language);
                p.hasCompletedOnboarding = true;
            });
            RunningVarnisto varnisto;
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
            setCurrentInterfaceLanguage(QString::fromLatin1(language));
            const QString title = localized(QStringLiteral("Clipboard History"));
            setCurrentInterfaceLanguage(QStringLiteral("en"));
            ASSERT_TRUE(bringToFront(receiver));
            ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}), 0);
            std::optional<QString> window;
            ASSERT_TRUE(waitUntil([&] { return (window = visibleWindowNamed(title)).has_value(); }, 5000));
            QTest::qWait(500);
            saveScreenshot(*window, u"fonts-history-"_qs + suffix + u".png"_qs);
            varnisto.terminate();
            ASSERT_TRUE(varnisto.waitForFinished());
        }
    }
}
