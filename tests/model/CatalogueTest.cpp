#include "Localization.h"

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
