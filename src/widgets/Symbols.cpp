#include "Symbols.h"

#include "HistoryColors.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStandardPaths>

namespace Symbols {

namespace {

// Each symbol's icon, and the plain name that themes without symbolic icons may have instead.
struct ThemeIcon
{
    const char *symbolic;
    const char *plain;
};

const QHash<QString, ThemeIcon> &table()
{
    static const QHash<QString, ThemeIcon> icons {
        {QStringLiteral("clipboard"), {"edit-paste-symbolic", "edit-paste"}},
        {QStringLiteral("magnifyingglass"), {"system-search-symbolic", "system-search"}},
        {QStringLiteral("star"), {"non-starred-symbolic", "non-starred"}},
        {QStringLiteral("star.fill"), {"starred-symbolic", "starred"}},
        {QStringLiteral("text.page"), {"text-x-generic-symbolic", "text-x-generic"}},
        {QStringLiteral("richtext.page"), {"format-text-rich-symbolic", "x-office-document"}},
        {QStringLiteral("link"), {"insert-link-symbolic", "insert-link"}},
        {QStringLiteral("envelope"), {"mail-unread-symbolic", "mail-unread"}},
        {QStringLiteral("paintpalette"), {"color-select-symbolic", "color-select"}},
        {QStringLiteral("photo"), {"image-x-generic-symbolic", "image-x-generic"}},
        {QStringLiteral("document"), {"x-office-document-symbolic", "x-office-document"}},
        {QStringLiteral("document.on.document"), {"edit-copy-symbolic", "edit-copy"}},
        {QStringLiteral("folder"), {"folder-symbolic", "folder"}},
        {QStringLiteral("checkmark"), {"object-select-symbolic", "object-select"}},
        {QStringLiteral("list.bullet"), {"view-list-bullet-symbolic", "view-list"}},
        {QStringLiteral("app.dashed"), {"application-x-executable-symbolic", "application-x-executable"}},
        {QStringLiteral("circle.fill"), {"media-record-symbolic", "media-record"}},
        {QStringLiteral("circle"), {"radio-symbolic", "radio"}},
        {QStringLiteral("ellipsis.circle"), {"view-more-symbolic", "view-more"}},
        {QStringLiteral("square.and.pencil"), {"document-edit-symbolic", "document-edit"}},
        {QStringLiteral("text.viewfinder"), {"edit-find-symbolic", "edit-find"}},
        {QStringLiteral("qrcode.viewfinder"), {"camera-photo-symbolic", "camera-photo"}},
        {QStringLiteral("square.and.arrow.down"), {"document-save-symbolic", "document-save"}},
        {QStringLiteral("app"), {"application-x-executable-symbolic", "application-x-executable"}},
        {QStringLiteral("questionmark.square.dashed"), {"dialog-question-symbolic", "dialog-question"}},
        {QStringLiteral("arrow.up.arrow.down"), {"view-sort-ascending-symbolic", "view-sort-ascending"}},
        {QStringLiteral("line.3.horizontal.decrease"), {"view-list-symbolic", "view-list"}},
        {QStringLiteral("rectangle.grid.2x2"), {"view-app-grid-symbolic", "view-grid"}},
        {QStringLiteral("xmark.circle"), {"edit-clear-symbolic", "edit-clear"}},
        {QStringLiteral("xmark"), {"window-close-symbolic", "window-close"}},
        // The command palette's commands and pickers.
        {QStringLiteral("arrow.turn.down.left"), {"mail-send-symbolic", "mail-send"}},
        {QStringLiteral("textformat"), {"format-text-bold-symbolic", "format-text-bold"}},
        {QStringLiteral("square.on.square"), {"edit-copy-symbolic", "edit-copy"}},
        {QStringLiteral("arrow.down.and.line.horizontal.and.arrow.up"), {"view-dual-symbolic", "view-dual"}},
        {QStringLiteral("arrow.up.and.line.horizontal.and.arrow.down"), {"edit-cut-symbolic", "edit-cut"}},
        {QStringLiteral("rectangle.and.pencil.and.ellipsis"), {"insert-text-symbolic", "insert-text"}},
        {QStringLiteral("wand.and.sparkles"), {"tools-check-spelling-symbolic", "tools-check-spelling"}},
        {QStringLiteral("eye"), {"view-reveal-symbolic", "view-reveal"}},
        {QStringLiteral("safari"), {"web-browser-symbolic", "web-browser"}},
        {QStringLiteral("arrow.clockwise"), {"view-refresh-symbolic", "view-refresh"}},
        {QStringLiteral("square.and.arrow.up"), {"document-open-symbolic", "document-open"}},
        {QStringLiteral("gearshape"), {"emblem-system-symbolic", "emblem-system"}},
        {QStringLiteral("trash"), {"user-trash-symbolic", "user-trash"}},
        {QStringLiteral("plus"), {"list-add-symbolic", "list-add"}},
        {QStringLiteral("return"), {"mail-send-symbolic", "mail-send"}},
        {QStringLiteral("shift"), {"go-top-symbolic", "go-top"}},
        {QStringLiteral("arrow.up"), {"go-up-symbolic", "go-up"}},
        {QStringLiteral("arrow.down"), {"go-down-symbolic", "go-down"}},
        {QStringLiteral("arrow.right.to.line"), {"format-indent-more-symbolic", "format-indent-more"}},
        {QStringLiteral("space"), {"input-keyboard-symbolic", "input-keyboard"}},
        {QStringLiteral("globe"), {"web-browser-symbolic", "web-browser"}},
        {QStringLiteral("pin"), {"view-pin-symbolic", "view-pin"}},
        {QStringLiteral("pin.fill"), {"view-pin-symbolic", "view-pin"}},
        {QStringLiteral("square.stack.3d.up"), {"view-paged-symbolic", "view-paged"}},
        {QStringLiteral("square.stack.3d.up.fill"), {"view-paged-symbolic", "view-paged"}},
        {QStringLiteral("command"), {"input-keyboard-symbolic", "input-keyboard"}},
        // The tray menu.
        {QStringLiteral("pause.fill"), {"media-playback-pause-symbolic", "media-playback-pause"}},
        {QStringLiteral("play.fill"), {"media-playback-start-symbolic", "media-playback-start"}},
        {QStringLiteral("power"), {"system-shutdown-symbolic", "system-shutdown"}},
        // The settings' sections and kinds of items.
        {QStringLiteral("character.textbox"), {"text-x-generic-symbolic", "text-x-generic"}},
        {QStringLiteral("clock.arrow.circlepath"), {"document-open-recent-symbolic", "document-open-recent"}},
        {QStringLiteral("speaker.wave.2"), {"audio-volume-high-symbolic", "audio-volume-high"}},
        {QStringLiteral("internaldrive"), {"drive-harddisk-symbolic", "drive-harddisk"}},
        {QStringLiteral("keyboard"), {"input-keyboard-symbolic", "input-keyboard"}},
        {QStringLiteral("hand.raised"), {"security-high-symbolic", "security-high"}},
        {QStringLiteral("info.circle"), {"help-about-symbolic", "help-about"}},
        // The welcome window's steps.
        {QStringLiteral("list.bullet.clipboard"), {"edit-paste-symbolic", "edit-paste"}},
        {QStringLiteral("keyboard.badge.ellipsis"), {"input-keyboard-symbolic", "input-keyboard"}},
        {QStringLiteral("tray.full"), {"user-bookmarks-symbolic", "user-bookmarks"}},
        {QStringLiteral("tag.fill"), {"bookmark-new-symbolic", "bookmark-new"}},
        {QStringLiteral("exclamationmark.triangle"), {"dialog-warning-symbolic", "dialog-warning"}},
    };
    return icons;
}

// The theme folders Qt searches, and the system's own, where the installed themes are.
QStringList installedIconFolders()
{
    QStringList folders = QIcon::themeSearchPaths();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = data + QStringLiteral("/icons");
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

} // namespace

void useInstalledThemeAsFallback()
{
    // Desktops without a theme of their own (and the test display) fall back to Adwaita, which Debian installs.
    static const bool done = [] {
        const QString current = QIcon::fallbackThemeName();
        if (current.isEmpty() || current == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(done);
}

QString themeIconName(const QString &symbolName)
{
    const auto found = table().constFind(symbolName);
    return found == table().constEnd() ? QString() : QString::fromLatin1(found->symbolic);
}

QIcon themeIcon(const QString &symbolName)
{
    const auto found = table().constFind(symbolName);
    if (found == table().constEnd())
        return QIcon();
    useInstalledThemeAsFallback();
    static QHash<QString, QIcon> resolved;
    if (const auto cached = resolved.constFind(symbolName); cached != resolved.constEnd())
        return *cached;
    // A few symbols are bundled, where the themes' icon of that name shows something else.
    const QString bundled = QStringLiteral(":/symbols/%1.svg").arg(symbolName);
    if (QFile::exists(bundled)) {
        const QIcon icon(bundled);
        resolved.insert(symbolName, icon);
        return icon;
    }
    const QString symbolicName = QString::fromLatin1(found->symbolic);
    QIcon symbolic = QIcon::fromTheme(symbolicName);
    // A theme's fallback can no longer be changed once the program has looked up its first icon, and some
    // platforms search no folder of themes at all: then the installed Adwaita theme's file itself.
    for (const QString &root : installedIconFolders()) {
        if (!symbolic.isNull())
            break;
        QDirIterator files(root + QStringLiteral("/Adwaita/scalable"), {symbolicName + QStringLiteral(".svg")},
            QDir::Files, QDirIterator::Subdirectories);
        if (files.hasNext())
            symbolic = QIcon(files.next());
    }
    const QIcon result = symbolic.isNull() ? QIcon::fromTheme(QString::fromLatin1(found->plain)) : symbolic;
    resolved.insert(symbolName, result);
    return result;
}

QPixmap tintedPixmap(const QString &symbolName, int size, const QColor &color, qreal devicePixelRatio)
{
    // Rows paint the same few symbols over and over: each is drawn once per size, colour and scale.
    static QHash<QString, QPixmap> drawn;
    const QString key = QStringLiteral("%1/%2/%3/%4").arg(symbolName).arg(size).arg(color.rgba()).arg(devicePixelRatio);
    if (const auto found = drawn.constFind(key); found != drawn.constEnd())
        return *found;
    if (drawn.size() > 512)
        drawn.clear();

    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    const QIcon symbol = themeIcon(symbolName);
    if (!symbol.isNull()) {
        QPainter painter(&pixmap);
        symbol.paint(&painter, QRect(0, 0, pixels, pixels));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    drawn.insert(key, pixmap);
    return pixmap;
}

namespace {

// Paints a theme symbol, or one of the drawn ones, in one colour: the given one, or the palette's text colour at
// the time of painting, so that the symbol follows the appearance.
class SymbolEngine final : public QIconEngine
{
public:
    SymbolEngine(QString symbol, std::optional<QColor> color) : m_symbol(std::move(symbol)), m_color(std::move(color))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor color = m_color.value_or(HistoryColors::label(QApplication::palette()));
        // On a selected row, as the row's text is.
        if (mode == QIcon::Selected && !m_color)
            color = QApplication::palette().color(QPalette::HighlightedText);
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, tinted(rect.size(), color, ratio));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new SymbolEngine(m_symbol, m_color); }

private:
    QPixmap tinted(QSize size, const QColor &color, qreal ratio) const
    {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(QPointF(0, 0), QSizeF(size));
        if (m_symbol == QLatin1String("circle")) {
            painter.setPen(QPen(color, 1.6));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(area.adjusted(2, 2, -2, -2));
            return pixmap;
        }
        const QIcon themed = themeIcon(m_symbol);
        if (themed.isNull())
            return pixmap;
        themed.paint(&painter, area.toRect());
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(area, color);
        return pixmap;
    }

    QString m_symbol;
    std::optional<QColor> m_color;
};

} // namespace
QIcon icon(const QString &symbolName)
{
    if (symbolName != QLatin1String("circle") && themeIconName(symbolName).isEmpty())
        return {};
    return QIcon(new SymbolEngine(symbolName, std::nullopt));
}

QIcon accentIcon(const QString &symbolName)
{
    return QIcon(new SymbolEngine(symbolName, accentColor(HistoryColors::isDark(QApplication::palette()))));
}

QColor accentColor(bool dark)
{
    return dark ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
}

} // namespace Symbols
