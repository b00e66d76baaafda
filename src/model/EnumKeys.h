#pragma once

#include <QMetaEnum>
#include <QStringList>
#include <QStringView>

#include <optional>

// The names of an enumeration's cases, for the enumerations whose stored raw value is the case's own name: read
// once from Qt's meta-object (the enumeration is declared with Q_ENUM), so each name is written only in the
// enumeration itself. The cases count from zero without gaps.
template<typename Enum> const QStringList &enumKeys()
{
    static const QStringList keys = [] {
        const QMetaEnum meta = QMetaEnum::fromType<Enum>();
        QStringList names;
        for (int index = 0; index < meta.keyCount(); ++index) {
            Q_ASSERT(meta.value(index) == index);
            names.append(QString::fromLatin1(meta.key(index)));
        }
        return names;
    }();
    return keys;
}

template<typename Enum> QString enumKey(Enum value)
{
    return enumKeys<Enum>().value(int(value));
}

// Exactly one of the names (letter case included), else nothing.
template<typename Enum> std::optional<Enum> enumFromKey(QStringView key)
{
    const qsizetype index = enumKeys<Enum>().indexOf(key);
    if (index < 0)
        return std::nullopt;
    return Enum(index);
}
