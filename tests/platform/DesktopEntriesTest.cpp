#include "DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DesktopEntriesTest : public ::testing::Test
{
protected:
    void write(const QString &folder, const QString &relativePath, const QByteArray &text)
    {
        const QString path = m_root.path() + u'/' + folder + u'/' + relativePath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString folder(const QString &name) const { return m_root.path() + u'/' + name; }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(DesktopEntriesTest, MatchesAWindowByTheMostReliableHintFirst)
{
    // Each entry answers one hint; the window names carry several at once.
    write(QStringLiteral("user"), QStringLiteral("org.example.Notes.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes\n");
    write(QStringLiteral("user"), QStringLiteral("notes-legacy.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes (legacy)\nExec=notes-old\nStartupWMClass=NotesWindow\n");
    write(QStringLiteral("user"), QStringLiteral("noteswindow.desktop"),
        "[Desktop Entry]\nType=Application\nName=By id\nExec=x\n");
    write(QStringLiteral("user"), QStringLiteral("org.kde.dolphin.desktop"),
        "[Desktop Entry]\nType=Application\nName=Dolphin\nExec=dolphin %u\n");
    write(QStringLiteral("user"), QStringLiteral("shell.desktop"),
        "[Desktop Entry]\nType=Application\nName=Shell\nExec=env LANG=C \"/bin/sh\" -c true\n");
    write(QStringLiteral("user"), QStringLiteral("folder.desktop"), "[Desktop Entry]\nType=Link\nName=Folder\n");
    DesktopEntries entries({folder(QStringLiteral("user"))});

    const struct
    {
        WindowIdentity window;
        std::optional<QString> id;
    } cases[] = {
        {{QStringLiteral("org.example.Notes"), QStringLiteral("noteswindow"), QStringLiteral("NotesWindow"), {}},
            QStringLiteral("org.example.Notes")},
        {{QStringLiteral("org.example.Notes.desktop"), {}, {}, {}}, QStringLiteral("org.example.Notes")},
        {{{}, QStringLiteral("noteswindow"), QStringLiteral("NotesWindow"), {}}, QStringLiteral("notes-legacy")},
        {{{}, QStringLiteral("x"), QStringLiteral("NOTESWINDOW"), {}}, QStringLiteral("noteswindow")},
        {{{}, QStringLiteral("dolphin"), QStringLiteral("dolphin"), {}}, QStringLiteral("org.kde.dolphin")},
        {{{}, QStringLiteral("sh"), QStringLiteral("Sh"), QStringLiteral("/bin/sh")}, QStringLiteral("shell")},
        {{{}, QStringLiteral("folder"), QStringLiteral("Folder"), {}}, std::nullopt},
        {{QStringLiteral("org.example.Missing"), QStringLiteral("unknown"), QStringLiteral("Unknown"), {}},
            std::nullopt},
    };
    for (const auto &row : cases) {
        const auto found = entries.match(row.window);
        EXPECT_EQ(found ? std::optional<QString>(found->id) : std::nullopt, row.id)
            << qPrintable(row.window.className + u'/' + row.window.applicationId);
    }
}

TEST_F(DesktopEntriesTest, EarlierFoldersWinAndHiddenEntriesHideLaterOnes)
{
    write(QStringLiteral("user"), QStringLiteral("editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=My Editor\nExec=editor\n");
    write(QStringLiteral("user"), QStringLiteral("viewer.desktop"), "[Desktop Entry]\nHidden=true\n");
    write(QStringLiteral("system"), QStringLiteral("editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
    write(QStringLiteral("system"), QStringLiteral("viewer.desktop"),
        "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer\n");
    // Entries in subfolders get the folder in their id.
    write(QStringLiteral("system"), QStringLiteral("kde/konsole.desktop"),
        "[Desktop Entry]\nType=Application\nName=Konsole\nExec=konsole\nIcon=utilities-terminal\n"
        "[Desktop Action new]\nName=New Window\n");
    DesktopEntries entries({folder(QStringLiteral("user")), folder(QStringLiteral("system"))});

    const auto editor = entries.entry(QStringLiteral("editor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, QStringLiteral("My Editor"));
    EXPECT_EQ(editor->path, folder(QStringLiteral("user")) + QStringLiteral("/editor.desktop"));
    EXPECT_FALSE(entries.entry(QStringLiteral("viewer")));
    const auto konsole = entries.entry(QStringLiteral("kde-konsole"));
    ASSERT_TRUE(konsole);
    EXPECT_EQ(konsole->name, QStringLiteral("Konsole"));
    EXPECT_EQ(konsole->icon, QStringLiteral("utilities-terminal"));

    // An entry installed later is found without a restart.
    write(QStringLiteral("system"), QStringLiteral("late.desktop"),
        "[Desktop Entry]\nType=Application\nName=Late\nExec=late\n");
    EXPECT_TRUE(entries.entry(QStringLiteral("late")));
}

// An application named by the user, as the history records it: any language's Name, exactly, of a visible
// application; the earlier folder wins as it does for ids.
TEST_F(DesktopEntriesTest, FindsAnApplicationByItsNameInAnyLanguage)
{
    write(QStringLiteral("user"), QStringLiteral("org.example.Notes.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\nExec=notes\n"
        "[Desktop Action New]\nName=New Note\n");
    write(QStringLiteral("user"), QStringLiteral("gone.desktop"), "[Desktop Entry]\nHidden=true\nName=Gone\n");
    write(QStringLiteral("system"), QStringLiteral("other-notes.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes\nName[fr]=Bloc-notes\nExec=other-notes\n");
    write(QStringLiteral("system"), QStringLiteral("gone.desktop"),
        "[Desktop Entry]\nType=Application\nName=Gone\nExec=gone\n");
    write(QStringLiteral("system"), QStringLiteral("home.desktop"), "[Desktop Entry]\nType=Link\nName=Home\n");
    DesktopEntries entries({folder(QStringLiteral("user")), folder(QStringLiteral("system"))});

    const std::pair<const char *, std::optional<QString>> cases[] = {
        {"Notes", QStringLiteral("org.example.Notes")},
        {"Notizen", QStringLiteral("org.example.Notes")},
        {"Bloc-notes", QStringLiteral("other-notes")},
        {"notes", std::nullopt},
        {"New Note", std::nullopt},
        {"Gone", std::nullopt},
        {"Home", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &[name, id] : cases) {
        const auto found = entries.entryNamed(QString::fromUtf8(name));
        EXPECT_EQ(found ? std::optional<QString>(found->id) : std::nullopt, id) << name;
    }
}

// The name an error message gives an entry file's application; a file that cannot be read keeps its whole id.
TEST_F(DesktopEntriesTest, DisplayNameOfAnEntryFile)
{
    write(QStringLiteral("apps"), QStringLiteral("org.example.Notes.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\nExec=notes\n");
    write(QStringLiteral("apps"), QStringLiteral("org.example.Nameless.desktop"),
        "[Desktop Entry]\nType=Application\nExec=nameless\n");
    const QString apps = folder(QStringLiteral("apps"));
    const struct
    {
        QString path;
        const char *language;
        QString name;
    } cases[] = {
        {apps + u"/org.example.Notes.desktop", "de", QStringLiteral("Notizen")},
        {apps + u"/org.example.Notes.desktop", "ja", QStringLiteral("Notes")},
        {apps + u"/org.example.Nameless.desktop", "en", QStringLiteral("org.example.Nameless")},
        {apps + u"/org.gnome.TextEditor.desktop", "en", QStringLiteral("org.gnome.TextEditor")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DesktopEntries::displayName(c.path, QString::fromLatin1(c.language)), c.name) << qPrintable(c.path);
}

TEST(DesktopEntry, NameInTheInterfaceLanguage)
{
    DesktopEntry entry;
    entry.name = QStringLiteral("Text Editor");
    entry.localizedNames = {{QStringLiteral("de"), QStringLiteral("Texteditor")},
        {QStringLiteral("pt_BR"), QStringLiteral("Editor de texto")},
        {QStringLiteral("pt"), QStringLiteral("Editor de texto (PT)")},
        {QStringLiteral("zh_CN"), QStringLiteral("文本编辑器")},
        {QStringLiteral("es"), QStringLiteral("Editor de textos")}};
    const std::pair<const char *, QString> cases[] = {
        {"en", QStringLiteral("Text Editor")},
        {"en-GB", QStringLiteral("Text Editor")},
        {"de", QStringLiteral("Texteditor")},
        {"pt-BR", QStringLiteral("Editor de texto")},
        {"zh-Hans", QStringLiteral("文本编辑器")},
        {"es", QStringLiteral("Editor de textos")},
        {"ja", QStringLiteral("Text Editor")},
    };
    for (const auto &[language, name] : cases)
        EXPECT_EQ(entry.localizedName(QString::fromLatin1(language)), name) << language;
}
