#pragma once

#include <QString>
#include <QStringView>

#include <optional>

struct ClipboardItem;

// One application that history items were copied from, as the application filter offers it. Applications are
// told apart by name alone: the same name under two desktop-entry ids is one entry.
struct HistorySourceApplication
{
    QString id; // "name:" and the folded name; the token of the source-application filter
    QString name; // the name shown
    std::optional<QString> bundleIdentifier; // the desktop-entry id, when the item recorded one

    bool operator==(const HistorySourceApplication &) const = default;

    // The entry for an item's source application: its name and desktop-entry id trimmed of white space and
    // newlines. Nothing when the item has no name, or only a blank one; a blank id counts as none.
    static std::optional<HistorySourceApplication> forItem(const ClipboardItem &item);
    // "name:" followed by the trimmed name folded without regard to case and diacritics.
    static QString idForName(QStringView trimmedName);
    // Decomposed, combining marks dropped, case-folded, recomposed: "Éditeur" and "editeur" fold alike.
    static QString foldedName(QStringView name);
};

size_t qHash(const HistorySourceApplication &application, size_t seed = 0);
