#include "Localization.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

// Every text of the catalogue is translated into all eight interface languages.
TEST(StringCatalogue, EveryEntryHasEveryLanguage)
{
    const StringCatalog &catalog = StringCatalog::application();
    const QStringList keys = catalog.keys();
    ASSERT_FALSE(keys.isEmpty());
    for (const QString &language : supportedInterfaceLanguages()) {
        const auto bundle = catalog.bundle(language);
        ASSERT_TRUE(bundle.has_value()) << qPrintable(language);
        for (const QString &key : keys) {
            const auto *entry = bundle->entry(key);
            EXPECT_TRUE(entry && (!entry->text.isEmpty() || !entry->pluralForms.isEmpty()))
                << "\"" << qPrintable(key) << "\" lacks " << qPrintable(language);
        }
    }
}

// A text may appear in several catalogue files only with the same translations: otherwise one file would
// silently override the other, depending on the order in which they are read.
TEST(StringCatalogue, NoTextHasConflictingTranslations)
{
    QHash<QString, std::pair<QString, QJsonObject>> seen;
    const QDir directory(QStringLiteral(":/strings"));
    for (const QString &name : directory.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(directory.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
        ASSERT_TRUE(document.isObject()) << qPrintable(name) << " is not a JSON object";
        const QJsonObject entries = document.object();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            const QJsonObject translations = it.value().toObject();
            const auto previous = seen.constFind(it.key());
            if (previous != seen.cend()) {
                EXPECT_EQ(previous->second, translations) << "\"" << qPrintable(it.key()) << "\" differs between "
                                                          << qPrintable(previous->first) << " and " << qPrintable(name);
            }
            seen.insert(it.key(), {name, translations});
        }
    }
}

namespace {

// The string literals of a C++ source, with adjacent literals joined as the compiler joins them and the common
// escapes decoded. Literals that are the text handed straight to localized() are also listed apart.
struct SourceLiterals
{
    QSet<QString> all;
    QStringList lookedUp;
};

QString decodeEscape(QStringView text, qsizetype &index)
{
    // text[index] is the character after the backslash; index ends on the escape's last character.
    const QChar c = text.at(index);
    switch (c.unicode()) {
    case 'n':
        return QStringLiteral("\n");
    case 't':
        return QStringLiteral("\t");
    case 'r':
        return QStringLiteral("\r");
    case '0':
        return QString(QChar(0));
    case 'u':
    case 'x': {
        const qsizetype length = c == u'u' ? 4 : 2;
        bool ok = false;
        const uint code = text.mid(index + 1, length).toUInt(&ok, 16);
        if (!ok)
            return QString(c);
        index += length;
        return QString(QChar(char16_t(code)));
    }
    default:
        return QString(c); // \" \\ \' \?
    }
}

void collectLiterals(const QString &source, SourceLiterals &literals)
{
    enum class State { code, lineComment, blockComment, character };
    State state = State::code;
    QString recentCode; // the code before the current literal, without blanks
    std::optional<QString> pending; // a literal that a following one may continue
    bool pendingIsLookedUp = false;
    const auto flush = [&] {
        if (!pending)
            return;
        literals.all.insert(*pending);
        if (pendingIsLookedUp)
            literals.lookedUp.append(*pending);
        pending.reset();
    };
    // A literal starts a new text, or continues the one before it when only blanks stand between them.
    const auto add = [&](const QString &literal) {
        if (pending) {
            *pending += literal;
            return;
        }
        pending = literal;
        static const QStringList lookups {
            QStringLiteral("localized(QStringLiteral("), QStringLiteral("localized(u"), QStringLiteral("localized(")};
        pendingIsLookedUp = std::any_of(
            lookups.cbegin(), lookups.cend(), [&](const QString &lookup) { return recentCode.endsWith(lookup); });
    };
    const QStringView text(source);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (state) {
        case State::lineComment:
            if (c == u'\n')
                state = State::code;
            continue;
        case State::blockComment:
            if (c == u'*' && i + 1 < text.size() && text.at(i + 1) == u'/') {
                state = State::code;
                ++i;
            }
            continue;
        case State::character:
            if (c == u'\\')
                ++i;
            else if (c == u'\'')
                state = State::code;
            continue;
        case State::code:
            break;
        }
        if (c == u'/' && i + 1 < text.size() && (text.at(i + 1) == u'/' || text.at(i + 1) == u'*')) {
            state = text.at(i + 1) == u'/' ? State::lineComment : State::blockComment;
            ++i;
        } else if (c == u'\'' && !(i > 0 && text.at(i - 1).isDigit())) {
            state = State::character;
        } else if (c == u'"' && i > 0 && text.at(i - 1) == u'R') {
            // A raw string: R"delimiter( ... )delimiter", taken as it stands.
            const qsizetype open = text.indexOf(u'(', i);
            const QString close = u')' + text.mid(i + 1, open - i - 1).toString() + u'"';
            const qsizetype end = open < 0 ? -1 : text.indexOf(close, open);
            if (end < 0)
                break;
            const QString literal = text.mid(open + 1, end - open - 1).toString();
            add(literal);
            i = end + close.size() - 1;
        } else if (c == u'"') {
            QString literal;
            for (++i; i < text.size() && text.at(i) != u'"'; ++i) {
                if (text.at(i) == u'\\') {
                    ++i;
                    literal += decodeEscape(text, i);
                } else {
                    literal += text.at(i);
                }
            }
            add(literal);
        } else if (!c.isSpace()) {
            // A string prefix (u8, u, L, U, R) may stand between two joined literals.
            if (!(pending && (c == u'u' || c == u'8' || c == u'L' || c == u'U' || c == u'R')))
                flush();
            recentCode += c;
            if (recentCode.size() > 64)
                recentCode.remove(0, recentCode.size() - 64);
        }
    }
    flush();
}

const SourceLiterals &programLiterals()
{
    static const SourceLiterals literals = [] {
        SourceLiterals collected;
        QDirIterator files(QStringLiteral(VARNISTO_SOURCE_DIRECTORY "/src"),
            {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                collectLiterals(QString::fromUtf8(file.readAll()), collected);
        }
        return collected;
    }();
    return literals;
}

// Words that a language writes as English does. A text that reads the same as its English key in another language
// is taken for forgotten unless each of its words is one of these (or of the words every language shares).
const QHash<QString, QSet<QString>> &loanWords()
{
    static const QHash<QString, QSet<QString>> words {
        {QStringLiteral("*"),
            {QStringLiteral("Varnisto"), QStringLiteral("OK"), QStringLiteral("KB"), QStringLiteral("MB"),
                QStringLiteral("GB"), QStringLiteral("X11"), QStringLiteral("XTEST")}},
        {QStringLiteral("de"),
            {QStringLiteral("Text"), QStringLiteral("Link"), QStringLiteral("Links"), QStringLiteral("System"),
                QStringLiteral("Version"), QStringLiteral("Tags"), QStringLiteral("Import"), QStringLiteral("Export"),
                QStringLiteral("Navigation"), QStringLiteral("Website"), QStringLiteral("Support"),
                QStringLiteral("Feedback"), QStringLiteral("Apps")}},
        {QStringLiteral("it"),
            {QStringLiteral("Link"), QStringLiteral("Email"), QStringLiteral("File"), QStringLiteral("file"),
                QStringLiteral("Privacy"), QStringLiteral("Feedback"), QStringLiteral("Zero"), QStringLiteral("byte")}},
        {QStringLiteral("pt-BR"),
            {QStringLiteral("Link"), QStringLiteral("Links"), QStringLiteral("Feedback"), QStringLiteral("Zero"),
                QStringLiteral("byte"), QStringLiteral("bytes"), QStringLiteral("Apps"), QStringLiteral("item")}},
        {QStringLiteral("es"),
            {QStringLiteral("Color"), QStringLiteral("General"), QStringLiteral("byte"), QStringLiteral("bytes"),
                QStringLiteral("Apps")}},
    };
    return words;
}

} // namespace

// Each translation differs from the English text, unless every word of it is one the language shares with English.
// Texts without words of their own (placeholders, figures, punctuation) need no translation.
TEST(StringCatalogue, NoTextIsLeftInEnglishByAccident)
{
    const StringCatalog &catalog = StringCatalog::application();
    static const QRegularExpression placeholder(QStringLiteral("%(\\d+\\$)?(\\.\\d+)?(ll|l)?[@diufsx%]"));
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\d]*\\p{L}[\\p{L}\\d]*"));
    QStringList untranslated;
    for (const QString &language : supportedInterfaceLanguages()) {
        if (language.startsWith(QStringLiteral("en")))
            continue;
        const auto bundle = catalog.bundle(language);
        ASSERT_TRUE(bundle.has_value()) << qPrintable(language);
        for (const QString &key : catalog.keys()) {
            const auto *entry = bundle->entry(key);
            if (!entry || entry->text != key)
                continue;
            const QString words = QString(key).remove(placeholder);
            for (auto match = word.globalMatch(words); match.hasNext();) {
                const QString w = match.next().captured();
                if (!loanWords().value(QStringLiteral("*")).contains(w) && !loanWords().value(language).contains(w)) {
                    untranslated.append(language + QStringLiteral(": \"") + key + QLatin1Char('"'));
                    break;
                }
            }
        }
    }
    EXPECT_TRUE(untranslated.isEmpty()) << "left in English:\n" << qPrintable(untranslated.join(QLatin1Char('\n')));
}

// The German texts speak to the user as "du" throughout, as the welcome does, never with the formal "Sie". The
// capitalised forms are the formal address; a sentence that would start with "Sie" meaning "they" reads as well
// said another way.
TEST(StringCatalogue, GermanTextsSayDu)
{
    const StringCatalog &catalog = StringCatalog::application();
    const auto bundle = catalog.bundle(QStringLiteral("de"));
    ASSERT_TRUE(bundle.has_value());
    static const QRegularExpression formal(QStringLiteral("\\b(Sie|Ihnen|Ihr|Ihre|Ihrem|Ihren|Ihrer|Ihres)\\b"));
    QStringList formalTexts;
    for (const QString &key : catalog.keys()) {
        const auto *entry = bundle->entry(key);
        if (!entry)
            continue;
        QStringList texts = entry->pluralForms.values();
        texts.append(entry->text);
        for (const QString &text : std::as_const(texts)) {
            if (formal.match(text).hasMatch())
                formalTexts.append(text);
        }
    }
    EXPECT_TRUE(formalTexts.isEmpty()) << "formal address:\n" << qPrintable(formalTexts.join(QLatin1Char('\n')));
}

// Every entry is a text that some source file of the program writes; an entry nothing uses is dead weight that
// nobody keeps translated.
TEST(StringCatalogue, EveryEntryIsUsedByTheProgram)
{
    const SourceLiterals &literals = programLiterals();
    ASSERT_GT(literals.all.size(), 1000);
    QStringList unused;
    for (const QString &key : StringCatalog::application().keys()) {
        if (!literals.all.contains(key))
            unused.append(QLatin1Char('"') + key + QLatin1Char('"'));
    }
    unused.sort();
    EXPECT_TRUE(unused.isEmpty()) << "no source file uses:\n" << qPrintable(unused.join(QLatin1Char('\n')));
}

// Every text that the program looks up by its literal English wording has its catalogue entry.
TEST(StringCatalogue, EveryLookedUpTextHasAnEntry)
{
    const SourceLiterals &literals = programLiterals();
    ASSERT_FALSE(literals.lookedUp.isEmpty());
    const QStringList keys = StringCatalog::application().keys();
    const QSet<QString> known(keys.cbegin(), keys.cend());
    QStringList missing;
    for (const QString &text : literals.lookedUp) {
        if (!known.contains(text))
            missing.append(QLatin1Char('"') + text + QLatin1Char('"'));
    }
    missing.removeDuplicates();
    EXPECT_TRUE(missing.isEmpty()) << "not in the catalogue:\n" << qPrintable(missing.join(QLatin1Char('\n')));
}

// The reading of sources that the two tests above rely on.
TEST(StringCatalogue, SourceLiteralsAreReadAsTheCompilerJoinsThem)
{
    SourceLiterals literals;
    collectLiterals(QStringLiteral(R"cpp(
        // a "comment" that isn't code
        const char c = '"';
        f(localized(QStringLiteral("Two lines "
                                   "joined\n")), u"\u00e9t\u00e9", "a\"b");
        /* "block" */ localized(u"Plain %@", {x}); QStringLiteral(R"re(["'])re");
    )cpp"),
        literals);
    EXPECT_EQ(literals.all,
        QSet<QString>({QStringLiteral("Two lines joined\n"), QStringLiteral("été"), QStringLiteral("a\"b"),
            QStringLiteral("Plain %@"), QStringLiteral("[\"']")}));
    EXPECT_EQ(literals.lookedUp, QStringList({QStringLiteral("Two lines joined\n"), QStringLiteral("Plain %@")}));
}
