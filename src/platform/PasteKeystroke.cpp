#include "PasteKeystroke.h"

#include <QSet>

namespace {

// Terminals that paste only the primary selection from the keyboard.
const QSet<QString> &primarySelectionTerminals()
{
    static const QSet<QString> names {
        QStringLiteral("xterm"),
        QStringLiteral("uxterm"),
        QStringLiteral("lxterm"),
        QStringLiteral("koi8rxterm"),
        QStringLiteral("rxvt"),
        QStringLiteral("urxvt"),
        QStringLiteral("urxvt-256color"),
        QStringLiteral("rxvt-unicode"),
        QStringLiteral("eterm"),
    };
    return names;
}

// Terminals that paste the clipboard with Ctrl+Shift+V, besides every name that contains "terminal".
const QSet<QString> &clipboardTerminals()
{
    static const QSet<QString> names {
        QStringLiteral("kitty"),
        QStringLiteral("alacritty"),
        QStringLiteral("st"),
        QStringLiteral("st-256color"),
        QStringLiteral("konsole"),
        QStringLiteral("terminator"),
        QStringLiteral("tilix"),
        QStringLiteral("wezterm"),
        QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("yakuake"),
        QStringLiteral("guake"),
        QStringLiteral("tilda"),
        QStringLiteral("sakura"),
        QStringLiteral("terminology"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("kgx"),
        QStringLiteral("org.gnome.console"),
        QStringLiteral("contour"),
        QStringLiteral("termite"),
        QStringLiteral("cool-retro-term"),
    };
    return names;
}

} // namespace

PasteKeystroke pasteKeystrokeForWindowClass(const QString &instanceName, const QString &className)
{
    const QString names[] = {instanceName.toLower(), className.toLower()};
    for (const QString &name : names) {
        if (primarySelectionTerminals().contains(name))
            return PasteKeystroke::shiftInsertFromPrimarySelection;
    }
    for (const QString &name : names) {
        // gnome-terminal-server, xfce4-terminal, mate-terminal, lxterminal, qterminal, deepin-terminal, ...
        if (clipboardTerminals().contains(name) || name.contains(QLatin1String("terminal")))
            return PasteKeystroke::controlShiftV;
    }
    return PasteKeystroke::controlV;
}
