#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

// Icons of the applications items were copied from, looked up once per application and size and kept for the
// life of the cache: every row with a source application asks for its icon each time it is painted. Application
// identifiers are desktop file ids. GUI thread only.
class ApplicationIconCache
{
public:
    // The icon of an application by its identifier, else its name (either may be empty), at a pixel size.
    using LookUp = std::function<QImage(
        const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, int pixelSize)>;

    // The cache of the rows, over the desktop's applications.
    static ApplicationIconCache &shared();

    explicit ApplicationIconCache(LookUp lookUp);

    // Nothing without an identifier and a name. The key is the identifier (else the name), "|" and the size
    // ("20.0").
    std::optional<QImage> cachedApplicationIcon(
        const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, qreal pointSize);
    static QString cacheKey(
        const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, qreal pointSize);
    qsizetype count() const { return m_icons.size(); }

    // The desktop's answer: the icon of the desktop entry with the identifier, else of the application of that
    // name, else the generic application icon.
    static QImage lookUpApplicationIcon(
        const std::optional<QString> &bundleIdentifier, const std::optional<QString> &name, int pixelSize);

private:
    LookUp m_lookUp;
    QHash<QString, QImage> m_icons;
};
