#include "HistoryCommandPalettePickers.h"

#include "AssociatedApplication.h"
#include "DefaultApplications.h"
#include "Localization.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// A picker command is known by its choice after a prefix ("separator.keyDown", "transform.12", "type.images",
// "application.<path>").
const QString separatorPrefix = QStringLiteral("separator.");
const QString transformPrefix = QStringLiteral("transform.");
const QString applicationPrefix = QStringLiteral("application.");
const QString typePrefix = QStringLiteral("type.");

constexpr int applicationIconSize = 22;

CommandPaletteCommand pickerCommand(const QString &id, const QString &title, const QString &symbol,
    const QString &sectionTitle, int section, const HistoryPaletteRequest &request,
    const HistoryPaletteActionSink &sink)
{
    CommandPaletteCommand command;
    command.id = id;
    command.title = title;
    command.systemImageName = symbol;
    command.sectionTitle = sectionTitle;
    command.section = section;
    command.action = [sink, request] {
        if (sink)
            sink(request);
    };
    return command;
}

QString separatorSymbol(PasteSeparator separator)
{
    switch (separator) {
    case PasteSeparator::none:
        return {};
    case PasteSeparator::returnKey:
        return QStringLiteral("return");
    case PasteSeparator::shiftReturn:
        return QStringLiteral("shift");
    case PasteSeparator::keyUp:
        return QStringLiteral("arrow.up");
    case PasteSeparator::keyDown:
        return QStringLiteral("arrow.down");
    case PasteSeparator::tab:
        return QStringLiteral("arrow.right.to.line");
    case PasteSeparator::space:
        return QStringLiteral("space");
    }
    return {};
}

QString separatorName(PasteSeparator separator)
{
    static const char *const names[] = {"none", "returnKey", "shiftReturn", "keyUp", "keyDown", "tab", "space"};
    return QString::fromLatin1(names[separator.rawValue()]);
}

QString typeSymbol(HistoryFilterContentType type)
{
    switch (type) {
    case HistoryFilterContentType::all:
        return QStringLiteral("list.bullet");
    case HistoryFilterContentType::favorites:
        return QStringLiteral("star.fill");
    case HistoryFilterContentType::text:
        return QStringLiteral("text.page");
    case HistoryFilterContentType::images:
        return QStringLiteral("photo");
    case HistoryFilterContentType::files:
        return QStringLiteral("document");
    case HistoryFilterContentType::links:
        return QStringLiteral("link");
    case HistoryFilterContentType::emails:
        return QStringLiteral("envelope");
    case HistoryFilterContentType::colors:
        return QStringLiteral("paintpalette");
    }
    return {};
}

QString standardPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

} // namespace

QList<CommandPaletteCommand> HistoryCommandPalettePickers::makeSeparatorCommands(
    const QList<QUuid> &itemIDs, const HistoryPaletteActionSink &sink)
{
    QList<CommandPaletteCommand> commands;
    const QString section = localized(QStringLiteral("Separator"));
    for (const PasteSeparator::Value value : PasteSeparator::allCases) {
        const PasteSeparator separator(value);
        HistoryPaletteRequest request;
        request.id = ItemCommandID::pasteItems;
        request.itemIDs = itemIDs;
        request.separator = separator;
        commands.append(pickerCommand(separatorPrefix + separatorName(separator), separator.title(),
            separatorSymbol(separator), section, 0, request, sink));
    }
    return commands;
}

QList<CommandPaletteCommand> HistoryCommandPalettePickers::makeTransformCommands(
    const QUuid &itemID, const HistoryPaletteActionSink &sink)
{
    QList<ClipboardTextTransform> transforms;
    for (const ClipboardTextTransform::Value value : ClipboardTextTransform::allCases())
        transforms.append(value);
    ItemCommandRegistry::sortTransformsByTitle(transforms);
    QList<CommandPaletteCommand> commands;
    commands.reserve(transforms.size());
    const QString section = localized(QStringLiteral("Format text"));
    for (const ClipboardTextTransform transform : std::as_const(transforms)) {
        HistoryPaletteRequest request;
        request.id = ItemCommandID::applyTransform;
        request.itemIDs = {itemID};
        request.transform = transform;
        CommandPaletteCommand command = pickerCommand(transformPrefix + QString::number(int(transform)),
            transform.title(), QStringLiteral("textformat"), section, 0, request, sink);
        command.description = transform.description();
        command.showsIcon = false;
        commands.append(std::move(command));
    }
    return commands;
}

QList<CommandPaletteCommand> HistoryCommandPalettePickers::makeOpenWithApplicationCommands(
    const QUuid &itemID, const QUrl &url, const DefaultApplications &applications, const HistoryPaletteActionSink &sink)
{
    const std::optional<DefaultApplication> defaultApplication = applications.forURL(url);
    const QString defaultPath = defaultApplication ? standardPath(defaultApplication->desktopEntryPath) : QString();
    QList<AssociatedApplication> candidates;
    QSet<QString> seen;
    if (defaultApplication)
        seen.insert(defaultPath);
    for (const DefaultApplication &application : applications.allForURL(url)) {
        const QString path = standardPath(application.desktopEntryPath);
        if (seen.contains(path))
            continue;
        seen.insert(path);
        candidates.append(AssociatedApplication::from(application, applicationIconSize));
    }
    QCollator collator(QLocale(supportedLanguageCode(currentInterfaceLanguage())));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(candidates.begin(), candidates.end(),
        [&](const AssociatedApplication &a, const AssociatedApplication &b) { return collator(a.name, b.name); });

    QList<CommandPaletteCommand> commands;
    const auto add = [&](const AssociatedApplication &application, const QString &sectionTitle, int section) {
        HistoryPaletteRequest request;
        request.id = ItemCommandID::openWithApplication;
        request.itemIDs = {itemID};
        request.applicationURL = application.url;
        CommandPaletteCommand command = pickerCommand(applicationPrefix + application.url.toLocalFile(),
            application.name, QStringLiteral("app"), sectionTitle, section, request, sink);
        command.image = application.icon.pixmap(applicationIconSize, applicationIconSize).toImage();
        commands.append(std::move(command));
    };
    if (defaultApplication)
        add(AssociatedApplication::from(*defaultApplication, applicationIconSize), localized(QStringLiteral("Default")),
            0);
    const QString recommended = localized(QStringLiteral("Recommended"));
    for (const AssociatedApplication &application : std::as_const(candidates))
        add(application, recommended, 1);
    return commands;
}

QList<CommandPaletteCommand> HistoryCommandPalettePickers::makeTypeFilterCommands(
    const QSet<HistoryFilterContentType> &selectedTypes, const HistoryPaletteActionSink &sink)
{
    QList<CommandPaletteCommand> commands;
    const QString section = localized(QStringLiteral("Filter by Type"));
    for (const HistoryFilterContentType::Value value : HistoryFilterContentType::allCases) {
        const HistoryFilterContentType type(value);
        const bool checked
            = type == HistoryFilterContentType::all ? selectedTypes.isEmpty() : selectedTypes.contains(type);
        HistoryPaletteRequest request;
        request.id = ItemCommandID::filterByType;
        request.contentType = type;
        request.select = !checked;
        CommandPaletteCommand command
            = pickerCommand(typePrefix + type.rawValue(), type.title(), typeSymbol(type), section, 0, request, sink);
        command.isChecked = checked;
        commands.append(std::move(command));
    }
    return commands;
}
