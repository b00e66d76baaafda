#include "x11/X11ClipboardTargets.h"

#include <gtest/gtest.h>

namespace {
QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result.append(QString::fromUtf8(name));
    return result;
}
} // namespace

TEST(X11ClipboardTargets, FetchesOneTargetOfEachKindAndTheMarkers)
{
    const struct
    {
        QStringList offered;
        QStringList fetched;
    } cases[] = {
        // What a Qt application offers for rich text: four names of the text, the meta targets.
        {names({"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "text/html", "text/plain", "UTF8_STRING", "STRING",
             "TEXT", "COMPOUND_TEXT", "text/plain;charset=utf-8"}),
            names({"UTF8_STRING", "text/html"})},
        // An image in every format the owner can encode: only the first of PNG, TIFF, JPEG.
        {names({"TARGETS", "image/bmp", "image/jpeg", "image/tiff", "image/png", "image/x-icon"}),
            names({"image/png"})},
        {names({"image/bmp", "image/jpeg", "image/tiff"}), names({"image/tiff"})},
        // Old owners: Latin-1 text only; RTF under its other name; GNOME's own file list.
        {names({"STRING", "application/rtf", "x-special/gnome-copied-files"}),
            names({"STRING", "application/rtf", "x-special/gnome-copied-files"})},
        {names({"text/uri-list", "x-special/gnome-copied-files", "text/rtf", "application/rtf"}),
            names({"text/rtf", "text/uri-list"})},
        // Markers come first, so that a skipped change costs little.
        {names({"UTF8_STRING", "x-kde-passwordManagerHint", "com.dolmerat.varnisto.v2.ghost",
             "org.nspasteboard.TransientType"}),
            names({"com.dolmerat.varnisto.v2.ghost", "org.nspasteboard.TransientType", "x-kde-passwordManagerHint",
                "UTF8_STRING"})},
        {names({"TARGETS", "application/x-qt-windows-mime;value=\"Foo\""}), {}},
    };
    for (const auto &row : cases)
        EXPECT_EQ(X11ClipboardTargets::targetsToRead(row.offered), row.fetched) << qPrintable(row.offered.join(u' '));
}

TEST(X11ClipboardTargets, NamesFetchedDataByOurTypes)
{
    using X11ClipboardTargets::contentFromTargets;
    const struct
    {
        const char *what;
        QList<std::pair<QString, QByteArray>> fetched;
        QList<std::pair<QString, QByteArray>> content;
    } cases[] = {
        {"UTF-8 text", {{QStringLiteral("UTF8_STRING"), "caf\xc3\xa9"}},
            {{PasteboardType::plainText(), "caf\xc3\xa9"}}},
        {"Latin-1 text becomes UTF-8", {{QStringLiteral("STRING"), "caf\xe9"}},
            {{PasteboardType::plainText(), "caf\xc3\xa9"}}},
        {"RTF under its other name", {{QStringLiteral("application/rtf"), "{\\rtf1 x}"}},
            {{PasteboardType::rtf(), "{\\rtf1 x}"}}},
        {"GNOME file list", {{QStringLiteral("x-special/gnome-copied-files"), "copy\nfile:///a\nfile:///b%20c"}},
            {{PasteboardType::fileURLs(), "file:///a\r\nfile:///b%20c\r\n"}}},
        {"GNOME file list without its operation", {{QStringLiteral("x-special/gnome-copied-files"), "file:///a"}}, {}},
        {"password hint",
            {{QStringLiteral("x-kde-passwordManagerHint"), QByteArray("secret\0", 7)},
                {QStringLiteral("UTF8_STRING"), "pw"}},
            {{PasteboardType::passwordManagerHint(), QByteArray("secret\0", 7)}, {PasteboardType::plainText(), "pw"},
                {PasteboardType::concealed(), "secret"}}},
        {"other hint", {{QStringLiteral("x-kde-passwordManagerHint"), "public"}},
            {{PasteboardType::passwordManagerHint(), "public"}}},
        {"own marker and image", {{PasteboardType::varnistoMarker(), "1"}, {QStringLiteral("image/png"), "\x89PNG"}},
            {{PasteboardType::varnistoMarker(), "1"}, {PasteboardType::png(), "\x89PNG"}}},
    };
    for (const auto &row : cases)
        EXPECT_EQ(contentFromTargets(row.fetched).representations(), row.content) << row.what;
}
