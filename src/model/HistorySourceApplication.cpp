#include "HistorySourceApplication.h"

#include "ClipboardItem.h"
#include "TextUtilities.h"

#include <QHashFunctions>

std::optional<HistorySourceApplication> HistorySourceApplication::forItem(const ClipboardItem &item)
{
    if (!item.sourceAppName)
        return std::nullopt;
    const QString name = TextUtilities::trimmedWhitespaceAndNewlines(*item.sourceAppName);
    if (name.isEmpty())
        return std::nullopt;
    HistorySourceApplication application;
    application.id = idForName(name);
    application.name = name;
    if (item.sourceBundleIdentifier) {
        const QString identifier = TextUtilities::trimmedWhitespaceAndNewlines(*item.sourceBundleIdentifier);
        if (!identifier.isEmpty())
            application.bundleIdentifier = identifier;
    }
    return application;
}

QString HistorySourceApplication::idForName(QStringView trimmedName)
{
    return QLatin1String("name:") + foldedName(trimmedName);
}

QString HistorySourceApplication::foldedName(QStringView name)
{
    const QString decomposed = name.toString().normalized(QString::NormalizationForm_D);
    QString withoutMarks;
    withoutMarks.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const bool pair
            = decomposed.at(i).isHighSurrogate() && i + 1 < decomposed.size() && decomposed.at(i + 1).isLowSurrogate();
        const char32_t c
            = pair ? QChar::surrogateToUcs4(decomposed.at(i), decomposed.at(i + 1)) : decomposed.at(i).unicode();
        if (QChar::category(c) != QChar::Mark_NonSpacing)
            withoutMarks.append(QStringView(decomposed).sliced(i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
    return withoutMarks.toCaseFolded().normalized(QString::NormalizationForm_C);
}

size_t qHash(const HistorySourceApplication &application, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, application.id);
    seed = combine(seed, application.name);
    seed = combine(seed, application.bundleIdentifier.has_value());
    if (application.bundleIdentifier)
        seed = combine(seed, *application.bundleIdentifier);
    return seed;
}
