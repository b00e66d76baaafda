#include "PasteService.h"

#include "KeyboardCodes.h"
#include "RichTextConversion.h"

#include <QFile>

namespace {

using ContentResult = Expected<PasteboardContent, PasteServiceError>;

ContentResult unsupported()
{
    return ContentResult::failure(PasteServiceError::unsupportedItem);
}

PasteboardContent markedContent()
{
    PasteboardContent content;
    content.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    return content;
}

ContentResult richContent(const ClipboardItem &item)
{
    PasteboardContent content = markedContent();
    switch (item.kind) {
    case ClipboardKind::richText: {
        if (item.rtfData)
            content.setData(PasteboardType::rtf(), *item.rtfData);
        if (item.html)
            content.setString(PasteboardType::html(), *item.html);
        if (item.text) {
            content.setString(PasteboardType::plainText(), *item.text);
        } else {
            // Readers that take only plain text get the text of the markup, never the markup itself.
            QString plain = item.html ? RichTextConversion::plainTextFromHtml(*item.html) : QString();
            if (plain.isEmpty() && item.rtfData)
                plain = RichTextConversion::plainTextFromRtf(*item.rtfData);
            if (!plain.isEmpty())
                content.setString(PasteboardType::plainText(), plain);
        }
        return content;
    }
    case ClipboardKind::file: {
        if (item.filePaths.isEmpty())
            return unsupported();
        QList<QUrl> urls;
        for (const QString &path : item.filePaths)
            urls.append(QUrl::fromLocalFile(path));
        // The X11 layer adds the file managers' own list type beside the URI list. A reader of text gets the
        // paths, one a line, as file managers offer them.
        content.setFileURLs(urls);
        content.setString(PasteboardType::plainText(), item.filePaths.join(QLatin1Char('\n')));
        return content;
    }
    case ClipboardKind::image: {
        if (!item.assetPath)
            return unsupported();
        QFile file(*item.assetPath);
        if (!file.open(QIODevice::ReadOnly))
            return unsupported();
        const QByteArray png = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return unsupported();
        content.setData(PasteboardType::png(), png);
        return content;
    }
    case ClipboardKind::text:
    case ClipboardKind::link:
    case ClipboardKind::email:
    case ClipboardKind::color:
        content.setString(PasteboardType::plainText(), item.primaryText());
        return content;
    }
    return unsupported();
}

} // namespace

PasteService::PasteService(Pasteboard &pasteboard, KeyPoster &keyPoster, Scheduler &scheduler, QObject *parent)
    : QObject(parent), m_pasteboard(pasteboard), m_keyPoster(keyPoster), m_scheduler(scheduler)
{ }

Expected<PasteboardContent, PasteServiceError> PasteService::content(const ClipboardItem &item, PasteVariant variant)
{
    switch (variant) {
    case PasteVariant::filePath: {
        if (item.filePaths.isEmpty())
            return unsupported();
        PasteboardContent content = markedContent();
        content.setString(PasteboardType::plainText(), item.filePaths.join(QLatin1Char('\n')));
        return content;
    }
    case PasteVariant::plainText: {
        PasteboardContent content = markedContent();
        content.setString(PasteboardType::plainText(), item.primaryText());
        return content;
    }
    case PasteVariant::standard:
    case PasteVariant::rich:
    case PasteVariant::pasteAndReturn:
    case PasteVariant::pasteAndTab:
        break;
    }
    return richContent(item);
}

Expected<void, PasteServiceError> PasteService::write(const ClipboardItem &item, PasteVariant variant)
{
    return writeContent(content(item, variant));
}

Expected<void, PasteServiceError> PasteService::writeRich(const ClipboardItem &item)
{
    return writeContent(richContent(item));
}

Expected<void, PasteServiceError> PasteService::writeText(const QString &text, Marker marker)
{
    PasteboardContent content;
    if (marker == Marker::ours)
        content = markedContent();
    else
        content.setString(PasteboardType::varnistoCopy(), QStringLiteral("1"));
    content.setString(PasteboardType::plainText(), text);
    return writeContent(content);
}

Expected<void, PasteServiceError> PasteService::writeContent(const ContentResult &content)
{
    if (!content)
        return Expected<void, PasteServiceError>::failure(content.error());
    // A refused write leaves the old content in place; pasting it would paste the wrong thing.
    if (!m_pasteboard.write(*content))
        return Expected<void, PasteServiceError>::failure(PasteServiceError::unsupportedItem);
    return {};
}

void PasteService::postKeyPress(quint16 keyCode, quint64 flags)
{
    m_keyPoster.postKeyPress(keyCode, flags);
}

void PasteService::postKeyPressAfterDelay(quint16 keyCode, quint64 flags, std::chrono::milliseconds delay)
{
    m_scheduler.schedule(delay, this, [this, keyCode, flags] { postKeyPress(keyCode, flags); });
}

void PasteService::postPasteKeystroke(PasteVariant variant)
{
    postKeyPress(VirtualKey::v, KeyEventFlag::command);
    if (variant == PasteVariant::pasteAndReturn)
        postKeyPressAfterDelay(VirtualKey::returnKey, 0, followingKeyDelay);
    else if (variant == PasteVariant::pasteAndTab)
        postKeyPressAfterDelay(VirtualKey::tab, 0, followingKeyDelay);
}

Expected<void, PasteServiceError> PasteService::paste(const ClipboardItem &item, PasteVariant variant)
{
    if (!m_keyPoster.isTrusted())
        return Expected<void, PasteServiceError>::failure(PasteServiceError::accessibilityPermissionRequired);
    if (auto written = write(item, variant); !written)
        return written;
    postPasteKeystroke(variant);
    return {};
}
