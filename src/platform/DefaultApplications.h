#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// An installed application as the desktop knows it: its desktop entry.
struct DefaultApplication
{
    QString desktopEntryPath; // absolute path of the entry
    QString name; // its display name in the user's language
    QString iconName; // the icon to look up in the theme, or the path of an icon file; may be empty

    bool operator==(const DefaultApplication &) const = default;
};

// Which application opens a file or an address by default.
class DefaultApplications
{
public:
    virtual ~DefaultApplications() = default;
    // The default application for a file (by its content type) or for an address (by its scheme); nothing when
    // none is set up.
    virtual std::optional<DefaultApplication> forURL(const QUrl &url) const = 0;
    // Every application that says it can open the file or address, the default among them, in the desktop's
    // order; none where the desktop cannot tell.
    virtual QList<DefaultApplication> allForURL(const QUrl &) const { return {}; }
};

// The desktop's own choice, as the freedesktop.org MIME applications rules make it (mimeapps.list, then the
// entries that list the type), through GIO.
class DesktopDefaultApplications final : public DefaultApplications
{
public:
    std::optional<DefaultApplication> forURL(const QUrl &url) const override;
    QList<DefaultApplication> allForURL(const QUrl &url) const override;
};
