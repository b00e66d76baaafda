#include "DesktopEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {

// The value with the escapes of desktop entry values resolved.
QString unescapedValue(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result.append(u' ');
            break;
        case 'n':
            result.append(u'\n');
            break;
        case 't':
            result.append(u'\t');
            break;
        case 'r':
            result.append(u'\r');
            break;
        default:
            result.append(next);
            break;
        }
    }
    return result;
}

} // namespace

QStringList DesktopEntries::execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool hasArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == u'\\' && i + 1 < exec.size()) {
                current.append(exec.at(++i));
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                current.append(c);
            }
        } else if (c == u'"') {
            inQuotes = true;
            hasArgument = true;
        } else if (c == u' ' || c == u'\t') {
            if (hasArgument)
                arguments.append(current);
            current.clear();
            hasArgument = false;
        } else {
            current.append(c);
            hasArgument = true;
        }
    }
    if (hasArgument)
        arguments.append(current);
    return arguments;
}

namespace {

// The program an Exec line starts; "env NAME=value program" starts the program.
QString programOfExec(const QString &exec)
{
    QStringList arguments = DesktopEntries::execArguments(exec);
    if (!arguments.isEmpty() && (arguments.first() == u"env" || arguments.first().endsWith(u"/env"))) {
        arguments.removeFirst();
        while (!arguments.isEmpty() && (arguments.first().contains(u'=') || arguments.first().startsWith(u'-')))
            arguments.removeFirst();
    }
    return arguments.isEmpty() ? QString() : arguments.first();
}

std::optional<DesktopEntry> readEntry(const QString &path, const QString &id, bool &hidden)
{
    hidden = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.path = QFileInfo(path).absoluteFilePath();
    QString type;
    QString exec;
    QString tryExec;
    bool inMainGroup = false;
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QStringView key = line.first(equals).trimmed();
        const QString value = unescapedValue(line.sliced(equals + 1).trimmed());
        if (key == u"Type") {
            type = value;
        } else if (key == u"Name") {
            entry.name = value;
        } else if (key.startsWith(u"Name[") && key.endsWith(u']')) {
            entry.localizedNames.insert(key.sliced(5, key.size() - 6).toString(), value);
        } else if (key == u"Icon") {
            entry.icon = value;
        } else if (key == u"StartupWMClass") {
            entry.startupWMClass = value;
        } else if (key == u"Exec") {
            exec = value;
        } else if (key == u"Path") {
            entry.workingDirectory = value;
        } else if (key == u"Terminal") {
            entry.terminal = value == u"true";
        } else if (key == u"TryExec") {
            tryExec = value;
        } else if (key == u"NoDisplay") {
            entry.noDisplay = value == u"true";
        } else if (key == u"Hidden") {
            hidden = value == u"true";
        }
    }
    if (hidden || type != u"Application")
        return std::nullopt;
    entry.exec = exec;
    entry.program = exec.isEmpty() ? tryExec : programOfExec(exec);
    return entry;
}

// The file's name without ".desktop".
QString fileId(const QString &path)
{
    QString id = QFileInfo(path).fileName();
    if (id.endsWith(u".desktop"))
        id.chop(8);
    return id;
}

// What changes when a folder's files change: its modification time, and (as that time is coarse) the number
// of its files.
QString folderStamp(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QString();
    return info.lastModified().toString(Qt::ISODateWithMs) + u'/' + QString::number(QDir(folder).count());
}

} // namespace

QString DesktopEntry::localizedName(const QString &interfaceLanguage) const
{
    QString locale = interfaceLanguage;
    locale.replace(u'-', u'_');
    QStringList candidates = {locale};
    if (locale == u"zh_Hans")
        candidates = {QStringLiteral("zh_CN"), QStringLiteral("zh_SG"), locale};
    const qsizetype separator = locale.indexOf(u'_');
    if (separator > 0)
        candidates.append(locale.first(separator));
    for (const QString &candidate : std::as_const(candidates)) {
        const QString translated = localizedNames.value(candidate);
        if (!translated.isEmpty())
            return translated;
    }
    return name;
}

std::optional<DesktopEntry> DesktopEntries::read(const QString &path)
{
    bool hidden = false;
    return readEntry(path, fileId(path), hidden);
}

QString DesktopEntries::displayName(const QString &path, const QString &interfaceLanguage)
{
    const std::optional<DesktopEntry> entry = read(path);
    const QString name = entry ? entry->localizedName(interfaceLanguage) : QString();
    return name.isEmpty() ? fileId(path) : name;
}

QStringList DesktopEntries::standardDirectories()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

DesktopEntries::DesktopEntries(QStringList directories) : m_directories(std::move(directories)) { }

const QList<DesktopEntry> &DesktopEntries::entries()
{
    refreshIfChanged();
    return m_entries;
}

std::optional<DesktopEntry> DesktopEntries::entry(const QString &id)
{
    for (const DesktopEntry &entry : entries()) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::entryNamed(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    for (const DesktopEntry &entry : entries()) {
        if (entry.name == name)
            return entry;
        for (const QString &translated : entry.localizedNames) {
            if (translated == name)
                return entry;
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::match(const WindowIdentity &window)
{
    const QList<DesktopEntry> &all = entries();
    if (!window.applicationId.isEmpty()) {
        QString id = window.applicationId;
        if (id.endsWith(u".desktop"))
            id.chop(8);
        if (auto found = entry(id))
            return found;
    }
    const QStringList names = {window.className, window.instanceName};
    auto isWindowName = [&](QStringView candidate, Qt::CaseSensitivity sensitivity) {
        for (const QString &name : names) {
            if (!name.isEmpty() && candidate.compare(name, sensitivity) == 0)
                return true;
        }
        return false;
    };
    for (const DesktopEntry &entry : all) {
        if (!entry.startupWMClass.isEmpty() && isWindowName(entry.startupWMClass, Qt::CaseSensitive))
            return entry;
    }
    for (const DesktopEntry &entry : all) {
        if (isWindowName(entry.id, Qt::CaseInsensitive))
            return entry;
    }
    for (const DesktopEntry &entry : all) {
        const qsizetype dot = entry.id.lastIndexOf(u'.');
        if (dot > 0 && isWindowName(QStringView(entry.id).sliced(dot + 1), Qt::CaseInsensitive))
            return entry;
    }
    if (!window.executablePath.isEmpty()) {
        const QString canonical = QFileInfo(window.executablePath).canonicalFilePath();
        const QString executable = canonical.isEmpty() ? window.executablePath : canonical;
        for (const DesktopEntry &entry : all) {
            if (!entry.program.isEmpty() && resolvedProgram(entry.program) == executable)
                return entry;
        }
    }
    return std::nullopt;
}

QString DesktopEntries::resolvedProgram(const QString &program)
{
    auto cached = m_resolvedPrograms.constFind(program);
    if (cached != m_resolvedPrograms.constEnd())
        return *cached;
    const QString found = QDir::isAbsolutePath(program) ? program : QStandardPaths::findExecutable(program);
    const QString canonical = found.isEmpty() ? QString() : QFileInfo(found).canonicalFilePath();
    m_resolvedPrograms.insert(program, canonical);
    return canonical;
}

void DesktopEntries::refreshIfChanged()
{
    bool changed = !m_scanned;
    for (auto it = m_folderStamps.constBegin(); !changed && it != m_folderStamps.constEnd(); ++it)
        changed = folderStamp(it.key()) != it.value();
    if (changed)
        scan();
}

void DesktopEntries::scan()
{
    m_scanned = true;
    m_entries.clear();
    m_folderStamps.clear();
    m_resolvedPrograms.clear();
    QSet<QString> seenIds;
    for (const QString &directory : std::as_const(m_directories)) {
        const QString root = QDir::cleanPath(directory);
        // A folder that does not exist yet is watched too, so that its creation is noticed.
        m_folderStamps.insert(root, folderStamp(root));
        QDirIterator folders(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (folders.hasNext()) {
            const QString folder = folders.next();
            m_folderStamps.insert(folder, folderStamp(folder));
        }
        QDirIterator files(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths.append(files.next());
        paths.sort();
        for (const QString &path : std::as_const(paths)) {
            QString id = QDir(root).relativeFilePath(path);
            id.chop(8); // ".desktop"
            id.replace(u'/', u'-');
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            bool hidden = false;
            if (auto entry = readEntry(path, id, hidden))
                m_entries.append(*entry);
        }
    }
}
