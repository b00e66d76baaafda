#include "DefaultApplications.h"

#include <QMimeDatabase>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace {

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GAppInfo, ObjectUnref>;

QString iconNameOf(GAppInfo *info)
{
    GIcon *icon = g_app_info_get_icon(info); // not owned
    if (!icon)
        return {};
    if (G_IS_THEMED_ICON(icon)) {
        const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        return names && names[0] ? QString::fromUtf8(names[0]) : QString();
    }
    if (G_IS_FILE_ICON(icon)) {
        GFile *file = g_file_icon_get_file(G_FILE_ICON(icon)); // not owned
        std::unique_ptr<gchar, decltype(&g_free)> path(g_file_get_path(file), &g_free);
        return path ? QString::fromUtf8(path.get()) : QString();
    }
    return {};
}

std::optional<DefaultApplication> applicationOf(GAppInfo *info)
{
    if (!info || !G_IS_DESKTOP_APP_INFO(info))
        return std::nullopt;
    const char *path = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info));
    if (!path)
        return std::nullopt;
    return DefaultApplication {
        QString::fromUtf8(path), QString::fromUtf8(g_app_info_get_display_name(info)), iconNameOf(info)};
}

} // namespace

std::optional<DefaultApplication> DesktopDefaultApplications::forURL(const QUrl &url) const
{
    AppInfo info;
    if (url.isLocalFile()) {
        const QString type = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
        info.reset(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
    } else if (!url.scheme().isEmpty()) {
        info.reset(g_app_info_get_default_for_uri_scheme(url.scheme().toUtf8().constData()));
    }
    return applicationOf(info.get());
}

QList<DefaultApplication> DesktopDefaultApplications::allForURL(const QUrl &url) const
{
    QList<DefaultApplication> applications;
    GList *list = nullptr;
    if (url.isLocalFile()) {
        const QString type = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
        list = g_app_info_get_all_for_type(type.toUtf8().constData());
    } else if (!url.scheme().isEmpty()) {
        const QString type = QStringLiteral("x-scheme-handler/") + url.scheme();
        list = g_app_info_get_all_for_type(type.toUtf8().constData());
    }
    for (GList *entry = list; entry; entry = entry->next) {
        if (const auto application = applicationOf(G_APP_INFO(entry->data)))
            applications.append(*application);
    }
    g_list_free_full(list, g_object_unref);
    return applications;
}
