#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>

#include <optional>

struct DefaultApplication;
class DefaultApplications;

// The application that opens a file or an address by default, as the open-with commands and menus show it.
struct AssociatedApplication
{
    QUrl url; // the file URL of the application's desktop entry
    QString name; // its display name
    QIcon icon; // its icon at the size asked for

    // The default application for the URL, with its icon fitted to a square of `iconSize` points; nothing when
    // the desktop has none for it.
    static std::optional<AssociatedApplication> forURL(
        const QUrl &url, int iconSize, const DefaultApplications &applications);
    // The desktop's application as shown, its icon fitted to a square of `iconSize` points.
    static AssociatedApplication from(const DefaultApplication &application, int iconSize);
};
