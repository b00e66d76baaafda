#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

// Every user-visible text is written in English in the code; that text is the key of the string catalogue,
// which holds its translations for the eight interface languages. The catalogue is the JSON files in
// resources/strings/, each an object whose members map an English text to its translations:
//   "Delete": { "en-GB": "Delete", "de": "Löschen", ... }
// A translation may also be an object of plural forms, {"one": ..., "other": ...}, chosen by the first
// integer argument.

// The interface languages offered, in this order: "en", "en-GB", "de", "it", "pt-BR", "es", "ja", "zh-Hans".
const QStringList &supportedInterfaceLanguages();
// The code itself when it is exactly one of the supported codes (letter case included), else "en".
QString supportedLanguageCode(const QString &code);

// The language code in effect for every lookup. Starts as "en". Safe to read from any thread.
QString currentInterfaceLanguage();
// Written only when the coordinator applies the preferences.
void setCurrentInterfaceLanguage(const QString &code);

// The string table of one language. The main bundle has no table of its own: it answers the English keys.
class LocalizationBundle
{
public:
    struct Entry
    {
        QString text; // the plain translation
        QHash<QString, QString> pluralForms; // "one", "other", ... when the text has plural variants
    };
    using Table = QHash<QString, Entry>;

    LocalizationBundle() = default; // the main bundle
    LocalizationBundle(QString languageCode, std::shared_ptr<const Table> table);

    bool isMainBundle() const { return !m_table; }
    const QString &languageCode() const { return m_languageCode; }
    // The entry for the key, or nothing when the table lacks it.
    const Entry *entry(const QString &key) const;
    // The table's text for the key (the plural form chosen by the arguments), or the key itself when missing.
    QString string(const QString &key, const QVariantList &arguments = {}) const;

private:
    QString m_languageCode;
    std::shared_ptr<const Table> m_table;
};

// The set of per-language tables. The application's own catalogue is loaded once from the resources;
// tests may build their own.
class StringCatalog
{
public:
    static const StringCatalog &application();
    // Reads catalogue documents (the format described above). Malformed documents are skipped with a warning.
    static StringCatalog fromDocuments(const QList<QByteArray> &documents);

    StringCatalog() = default;
    // The table of exactly this code, when the catalogue has one.
    std::optional<LocalizationBundle> bundle(const QString &code) const;
    // Every English key of the catalogue.
    QStringList keys() const;
    QStringList languageCodes() const { return m_tables.keys(); }

private:
    QHash<QString, std::shared_ptr<LocalizationBundle::Table>> m_tables;
};

// The bundle for a language code: the code's own table, else the table of the part before the first "-",
// else the main bundle.
LocalizationBundle localizationBundle(const QString &code, const StringCatalog &catalog = StringCatalog::application());

// The general lookup: the English text answered in the current interface language (English when the
// table lacks it), then, when there are arguments, used as a format ("%@", "%d", "%1$@", ...).
QString localized(const QString &english, const QVariantList &arguments = {});
// The lookup by a plain key with an explicit English fallback.
QString localizedStringForKey(const QString &key);

// printf-style formatting as the catalogue's texts use it: "%@" and "%s" (any value as text), "%d", "%i",
// "%ld", "%lld", "%u", "%lu", "%llu" (integers), "%f" and "%.Nf", "%%"; positions "%1$@" and so on.
QString formatLocalized(const QString &format, const QVariantList &arguments);
