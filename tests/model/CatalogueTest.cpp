#include "Localization.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

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
