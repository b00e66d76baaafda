#include "Localization.h"

#include "ModelLogging.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QReadWriteLock>

#include <optional>

namespace {

QReadWriteLock languageLock;
QString languageInEffect = QStringLiteral("en");

} // namespace

const QStringList &supportedInterfaceLanguages()
{
    static const QStringList codes {
        QStringLiteral("en"),
        QStringLiteral("en-GB"),
        QStringLiteral("de"),
        QStringLiteral("it"),
        QStringLiteral("pt-BR"),
        QStringLiteral("es"),
        QStringLiteral("ja"),
        QStringLiteral("zh-Hans"),
    };
    return codes;
}

QString supportedLanguageCode(const QString &code)
{
    return supportedInterfaceLanguages().contains(code) ? code : QStringLiteral("en");
}

QString currentInterfaceLanguage()
{
    QReadLocker locker(&languageLock);
    return languageInEffect;
}

void setCurrentInterfaceLanguage(const QString &code)
{
    QWriteLocker locker(&languageLock);
    languageInEffect = code;
}

LocalizationBundle::LocalizationBundle(QString languageCode, std::shared_ptr<const Table> table)
    : m_languageCode(std::move(languageCode)), m_table(std::move(table))
{ }

const LocalizationBundle::Entry *LocalizationBundle::entry(const QString &key) const
{
    if (!m_table)
        return nullptr;
    const auto it = m_table->constFind(key);
    return it == m_table->cend() ? nullptr : &it.value();
}

namespace {

std::optional<qint64> firstIntegerArgument(const QVariantList &arguments)
{
    for (const QVariant &argument : arguments) {
        switch (argument.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return argument.toLongLong();
        default:
            break;
        }
    }
    return std::nullopt;
}

QString pluralCategory(const QString &languageCode, qint64 count)
{
    if (languageCode == QLatin1String("ja") || languageCode == QLatin1String("zh-Hans"))
        return QStringLiteral("other");
    return count == 1 ? QStringLiteral("one") : QStringLiteral("other");
}

} // namespace

QString LocalizationBundle::string(const QString &key, const QVariantList &arguments) const
{
    const Entry *found = entry(key);
    if (!found)
        return key;
    if (!found->pluralForms.isEmpty()) {
        const auto count = firstIntegerArgument(arguments);
        const QString category = pluralCategory(m_languageCode, count.value_or(0));
        const QString form = found->pluralForms.value(category, found->pluralForms.value(QStringLiteral("other")));
        if (!form.isEmpty())
            return form;
    }
    return found->text.isEmpty() ? key : found->text;
}

StringCatalog StringCatalog::fromDocuments(const QList<QByteArray> &documents)
{
    StringCatalog catalog;
    auto tableFor = [&catalog](const QString &code) -> LocalizationBundle::Table & {
        auto &table = catalog.m_tables[code];
        if (!table)
            table = std::make_shared<LocalizationBundle::Table>();
        return *table;
    };
    for (const QByteArray &document : documents) {
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(document, &error);
        if (!json.isObject()) {
            qCWarning(lcModel) << "unreadable string catalogue document:" << error.errorString();
            continue;
        }
        const QJsonObject entries = json.object();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            const QString key = it.key();
            const QJsonObject translations = it.value().toObject();
            // English answers its own key unless the entry spells it out (for plural forms, say).
            if (!translations.contains(QLatin1String("en")))
                tableFor(QStringLiteral("en")).insert(key, {key, {}});
            for (auto t = translations.begin(); t != translations.end(); ++t) {
                LocalizationBundle::Entry entry;
                if (t.value().isObject()) {
                    const QJsonObject forms = t.value().toObject();
                    for (auto f = forms.begin(); f != forms.end(); ++f)
                        entry.pluralForms.insert(f.key(), f.value().toString());
                    entry.text = entry.pluralForms.value(QStringLiteral("other"));
                } else {
                    entry.text = t.value().toString();
                }
                tableFor(t.key()).insert(key, entry);
            }
        }
    }
    return catalog;
}

const StringCatalog &StringCatalog::application()
{
    static const StringCatalog catalog = [] {
        QList<QByteArray> documents;
        const QDir directory(QStringLiteral(":/strings"));
        const QStringList names = directory.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            QFile file(directory.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                documents.append(file.readAll());
        }
        return fromDocuments(documents);
    }();
    return catalog;
}

std::optional<LocalizationBundle> StringCatalog::bundle(const QString &code) const
{
    const auto it = m_tables.constFind(code);
    if (it == m_tables.cend())
        return std::nullopt;
    return LocalizationBundle(code, it.value());
}

QStringList StringCatalog::keys() const
{
    const auto english = m_tables.value(QStringLiteral("en"));
    return english ? english->keys() : QStringList();
}

LocalizationBundle localizationBundle(const QString &code, const StringCatalog &catalog)
{
    if (auto own = catalog.bundle(code))
        return *own;
    const QStringList pieces = code.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (!pieces.isEmpty()) {
        if (auto base = catalog.bundle(pieces.first()))
            return *base;
    }
    return {};
}

QString localized(const QString &english, const QVariantList &arguments)
{
    const LocalizationBundle bundle = localizationBundle(currentInterfaceLanguage());
    const QString result = bundle.string(english, arguments);
    if (arguments.isEmpty())
        return result;
    return formatLocalized(result, arguments);
}

QString localizedStringForKey(const QString &key)
{
    const QString language = currentInterfaceLanguage();
    const QString result = localizationBundle(language).string(key);
    if (result != key || language == QLatin1String("en"))
        return result;
    return localizationBundle(QStringLiteral("en")).string(key);
}

QString formatLocalized(const QString &format, const QVariantList &arguments)
{
    QString result;
    result.reserve(format.size() + 16 * arguments.size());
    qsizetype nextArgument = 0;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= n) {
            result.append(c);
            continue;
        }
        qsizetype j = i + 1;
        if (format.at(j) == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            i = j;
            continue;
        }
        // Optional position "N$".
        qsizetype position = -1;
        {
            qsizetype k = j;
            qsizetype number = 0;
            while (k < n && format.at(k).isDigit())
                number = number * 10 + format.at(k++).digitValue();
            if (k > j && k < n && format.at(k) == QLatin1Char('$')) {
                position = number - 1;
                j = k + 1;
            }
        }
        // Optional precision ".N".
        int precision = -1;
        if (j < n && format.at(j) == QLatin1Char('.')) {
            ++j;
            precision = 0;
            while (j < n && format.at(j).isDigit())
                precision = precision * 10 + format.at(j++).digitValue();
        }
        // Length modifiers are read and ignored: every integer is 64-bit here.
        while (j < n
            && (format.at(j) == QLatin1Char('l') || format.at(j) == QLatin1Char('h') || format.at(j) == QLatin1Char('q')
                || format.at(j) == QLatin1Char('z')))
            ++j;
        if (j >= n) {
            result.append(format.mid(i));
            break;
        }
        const QChar conversion = format.at(j);
        const qsizetype index = position >= 0 ? position : nextArgument++;
        const QVariant argument = arguments.value(index);
        switch (conversion.unicode()) {
        case '@':
        case 's':
            result.append(argument.toString());
            break;
        case 'd':
        case 'i':
            result.append(QString::number(argument.toLongLong()));
            break;
        case 'u':
            result.append(QString::number(argument.toULongLong()));
            break;
        case 'f':
            result.append(QString::number(argument.toDouble(), 'f', precision < 0 ? 6 : precision));
            break;
        default:
            // Not a conversion we know: keep the text as it stands.
            result.append(format.mid(i, j - i + 1));
            break;
        }
        i = j;
    }
    return result;
}
