#include "CoordinatorTestSupport.h"

#include "ApplicationChooserDialog.h"
#include "IgnoredApplicationsList.h"
#include "PrivacySettingsView.h"
#include "SettingsBlocks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct ListFixture
{
    // With `ownDialog` the list asks through its own dialog, else `answer` is what the user chose.
    explicit ListFixture(const QString &text, bool ownDialog = false)
    {
        AppPreferences preferences = model.preferences();
        preferences.ignoredAppsText = text;
        model.setPreferences(preferences);
        IgnoredApplicationsList::ApplicationChooser chooser;
        if (!ownDialog)
            chooser = [this](QWidget *) { return answer; };
        pane = std::make_unique<PrivacySettingsView>(model, *h.coordinator, std::move(chooser));
    }
    IgnoredApplicationsList &list() { return pane->ignoredApplications(); }
    QString text() const { return model.preferences().ignoredAppsText; }

    CoordinatorHarness h;
    AppModel &model = h.model;
    std::optional<QStringList> answer; // what the application dialog answers; nothing: cancelled
    std::unique_ptr<PrivacySettingsView> pane;
};

// An environment variable set for the test's time.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// Works the application dialog once it is open, as the user would; a dialog left open is closed after a while.
void whenTheDialogOpens(std::function<void(ApplicationChooserDialog &)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<ApplicationChooserDialog *>(modal); dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->reject();
            }
        } else if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog opened";
            if (modal)
                modal->close();
        }
    });
    timer->start();
}

QStringList shownRows(const QListWidget &list)
{
    QStringList rows;
    for (int row = 0; row < list.count(); ++row) {
        const QListWidgetItem *item = list.item(row);
        if (!item->isHidden())
            rows.append(item->text() + (item->flags().testFlag(Qt::ItemIsEnabled) ? QString() : QStringLiteral(" -")));
    }
    return rows;
}

void click(QListWidget &list, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, list.visualItemRect(list.item(row)).center());
}

} // namespace

TEST(IgnoredApplicationsList, EntriesAreTrimmedLinesWithoutBlanks)
{
    const std::pair<QString, QStringList> cases[] = {
        {QString(), {}},
        {QStringLiteral("  a \n\n b\r\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("x\u2028y\u0085z\vw"),
            {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w")}},
        {QStringLiteral("Same\nSame"), {QStringLiteral("Same"), QStringLiteral("Same")}},
    };
    for (const auto &[text, entries] : cases)
        EXPECT_EQ(IgnoredApplicationsList::entries(text), entries) << qPrintable(text);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(0), 40);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(1), 46);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(2), 92);
    EXPECT_EQ(IgnoredApplicationsList::listHeight(3), 132);
    EXPECT_EQ(
        IgnoredApplicationsList::displayName(QStringLiteral("/nowhere/Editor.app")), QStringLiteral("Editor.app"));
    EXPECT_EQ(IgnoredApplicationsList::displayName(QStringLiteral("Firefox")), QStringLiteral("Firefox"));
}

TEST(IgnoredApplicationsList, AddingMergesAndWritesTheTextInNormalForm)
{
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("first.desktop"));
    const QString second = folder.filePath(QStringLiteral("second.desktop"));
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=First Editor\nName[de]=Erster Editor\nExec=first\n");
    file.close();

    ListFixture s(QStringLiteral("  a \n\n b\r\n"));
    EXPECT_EQ(s.list().rows().size(), 2);
    EXPECT_FALSE(s.list().removeButton().isEnabled());

    // Cancelled: nothing changes.
    s.list().addApplications();
    EXPECT_EQ(s.text(), QStringLiteral("  a \n\n b\r\n"));

    // Chosen twice, added once, in the order chosen; the blanks, the empty line and the CR are gone.
    s.answer = QStringList {first, first, second};
    s.list().addApplications();
    EXPECT_EQ(s.text(), QString(QStringLiteral("a\nb\n") + first + u'\n' + second));
    EXPECT_EQ(s.list().selectedEntry(), second);
    s.answer = QStringList {first};
    s.list().addApplications();
    EXPECT_EQ(IgnoredApplicationsList::entries(s.text()).count(first), 1);
    EXPECT_EQ(s.list().selectedEntry(), first);
    EXPECT_TRUE(s.list().removeButton().isEnabled());
    EXPECT_EQ(IgnoredApplicationsList::displayName(first), QStringLiteral("First Editor"));
}

TEST(IgnoredApplicationsList, RemovingTakesEveryEqualLineAndAGoneEntryIsUnselected)
{
    ListFixture s(QStringLiteral("Same\nOther\nSame"));
    ASSERT_EQ(s.list().rows().size(), 3);
    QTest::mouseClick(s.list().rows().at(2), Qt::LeftButton);
    EXPECT_EQ(s.list().selectedEntry(), QStringLiteral("Same"));
    s.list().removeButton().click();
    EXPECT_EQ(s.text(), QStringLiteral("Other"));
    EXPECT_FALSE(s.list().selectedEntry());
    EXPECT_FALSE(s.list().removeButton().isEnabled());

    QTest::mouseClick(s.list().rows().at(0), Qt::LeftButton);
    EXPECT_EQ(s.list().selectedEntry(), QStringLiteral("Other"));
    AppPreferences preferences = s.model.preferences();
    preferences.ignoredAppsText = QStringLiteral("Else");
    s.model.setPreferences(preferences);
    EXPECT_FALSE(s.list().selectedEntry());
    EXPECT_FALSE(s.list().removeButton().isEnabled());
    EXPECT_EQ(s.list().rows().size(), 1);
}

// What the Privacy pane keeps out is kept out at once, while the settings are still open: an application added to
// the list, and a marker switch turned off, reach capture and the saved record without closing anything.
TEST(PrivacySettingsView, ItsExclusionsTakeEffectWhileTheSettingsAreOpen)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const RunningApplication secrets {QStringLiteral("Secret Keeper"), QStringLiteral("org.example.Secrets"),
        QStringLiteral("/usr/share/applications/org.example.Secrets.desktop"), 11, QString()};
    const RunningApplication notes {QStringLiteral("Notes"), QStringLiteral("org.example.Notes"),
        QStringLiteral("/usr/share/applications/org.example.Notes.desktop"), 12, QString()};
    PrivacySettingsView pane(h.model, *h.coordinator, [&](QWidget *) { return QStringList {secrets.bundlePath}; });
    const auto copyIn = [&](const RunningApplication &application, const QString &text, bool concealed = false) {
        h.activateApplication(quint32(application.processId), application);
        h.clock.advanceSeconds(1);
        PasteboardContent content;
        content.setString(PasteboardType::plainText(), text);
        if (concealed)
            content.setData(PasteboardType::concealed(), QByteArray());
        h.pasteboard.setContent(content);
        h.monitor.checkPasteboard();
    };
    const auto storedTexts = [&] {
        QStringList texts;
        for (const ClipboardItem &item : h.storedItems())
            texts.append(item.text.value_or(QString()));
        return texts;
    };

    pane.ignoredApplications().addApplications();
    EXPECT_EQ(h.preferencesStore.load().ignoredAppsText, secrets.bundlePath);
    copyIn(secrets, QStringLiteral("the password"));
    // A copy elsewhere afterwards is recorded: by then the one before has been looked at.
    copyIn(notes, QStringLiteral("a note"));
    ASSERT_TRUE(waitUntil([&] { return storedTexts().contains(QStringLiteral("a note")); }));
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("a note")}));

    // Concealed contents are skipped by default; with the switch turned off they are recorded at once.
    copyIn(notes, QStringLiteral("concealed before"), true);
    SettingsToggle *concealed = pane.findChildren<SettingsToggle *>().value(0);
    ASSERT_NE(concealed, nullptr);
    concealed->toggle().click();
    EXPECT_FALSE(h.preferencesStore.load().ignoreConcealedContent);
    copyIn(notes, QStringLiteral("concealed after"), true);
    ASSERT_TRUE(waitUntil([&] { return storedTexts().contains(QStringLiteral("concealed after")); }));
    EXPECT_FALSE(storedTexts().contains(QStringLiteral("concealed before")));
    EXPECT_FALSE(storedTexts().contains(QStringLiteral("the password")));
}

// The add button lists the installed applications of the XDG folders by name, in the interface language; several
// chosen at once are added in the list's order, and those listed already cannot be chosen again.
TEST(IgnoredApplicationsList, TheDialogListsTheInstalledApplicationsAndAddsSeveralAtOnce)
{
    QTemporaryDir data;
    QTemporaryDir emptyHome;
    const QString folder = data.filePath(QStringLiteral("applications"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto write = [&](const char *file, const QByteArray &lines) {
        QFile entry(folder + u'/' + QString::fromLatin1(file));
        EXPECT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\n" + lines);
        return entry.fileName();
    };
    const QString editor = write("org.example.Editor.desktop",
        "Type=Application\nName=Text Editor\nName[de]=Texteditor\nIcon=accessories-text-editor\nExec=editor %F\n");
    const QString mail = write("mail.desktop", "Type=Application\nName=Mail\nName[de]=E-Mail\nExec=mail\n");
    const QString browser = write("browser.desktop", "Type=Application\nName=Web Browser\nExec=browser %u\n");
    const QString terminal = write("terminal.desktop", "Type=Application\nName=Terminal\nExec=terminal\n");
    write("helper.desktop", "Type=Application\nName=Mail Helper\nNoDisplay=true\nExec=helper\n");
    write("gone.desktop", "Type=Application\nName=Gone\nHidden=true\nExec=gone\n");
    write("site.desktop", "Type=Link\nName=Web Site\nURL=https://example.com\n");

    ListFixture s(terminal, true);
    const ScopedEnvironment dataDirs("XDG_DATA_DIRS", data.path());
    const ScopedEnvironment dataHome("XDG_DATA_HOME", emptyHome.path());
    // The language of the record, which every change of the list applies again.
    AppPreferences german = s.model.preferences();
    german.language = QStringLiteral("de");
    s.model.setPreferences(german);
    setCurrentInterfaceLanguage(QStringLiteral("de"));

    // Two picked at once with Ctrl; the one already listed is shown but takes no click.
    whenTheDialogOpens([&](ApplicationChooserDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Programme auswählen"));
        EXPECT_EQ(shownRows(dialog.list()),
            QStringList({QStringLiteral("E-Mail"), QStringLiteral("Terminal (wird schon ignoriert) -"),
                QStringLiteral("Texteditor"), QStringLiteral("Web Browser")}));
        EXPECT_FALSE(dialog.addButton().isEnabled());
        click(dialog.list(), 2);
        click(dialog.list(), 0, Qt::ControlModifier);
        click(dialog.list(), 1, Qt::ControlModifier);
        EXPECT_EQ(dialog.chosenPaths(), QStringList({mail, editor}));
        dialog.addButton().click();
    });
    s.list().addApplications();
    EXPECT_EQ(s.text(), QStringList({terminal, mail, editor}).join(u'\n'));
    EXPECT_EQ(s.list().selectedEntry(), editor);
    ASSERT_EQ(s.list().rows().size(), 3);
    EXPECT_EQ(s.list().rows().at(2)->accessibleName(), QStringLiteral("Texteditor"));

    // Typing narrows the list, by name or file id, to a choice that Return takes; what it hides is not chosen.
    whenTheDialogOpens([&](ApplicationChooserDialog &dialog) {
        EXPECT_EQ(shownRows(dialog.list()),
            QStringList(
                {QStringLiteral("E-Mail (wird schon ignoriert) -"), QStringLiteral("Terminal (wird schon ignoriert) -"),
                    QStringLiteral("Texteditor (wird schon ignoriert) -"), QStringLiteral("Web Browser")}));
        QTest::keyClicks(&dialog.filterField(), QStringLiteral("example"));
        EXPECT_EQ(shownRows(dialog.list()), QStringList({QStringLiteral("Texteditor (wird schon ignoriert) -")}));
        EXPECT_FALSE(dialog.addButton().isEnabled());
        dialog.filterField().clear();
        QTest::keyClicks(&dialog.filterField(), QStringLiteral("BROW"));
        EXPECT_EQ(shownRows(dialog.list()), QStringList({QStringLiteral("Web Browser")}));
        EXPECT_EQ(dialog.chosenPaths(), QStringList({browser}));
        QTest::keyClick(&dialog.filterField(), Qt::Key_Return);
    });
    s.list().addApplications();
    EXPECT_EQ(s.text(), QStringList({terminal, mail, editor, browser}).join(u'\n'));
    EXPECT_EQ(s.list().selectedEntry(), browser);

    // Cancelled: nothing changes.
    whenTheDialogOpens(
        [](ApplicationChooserDialog &dialog) { QTest::keyClick(&dialog.filterField(), Qt::Key_Escape); });
    s.list().addApplications();
    EXPECT_EQ(IgnoredApplicationsList::entries(s.text()).size(), 4);
    EXPECT_EQ(s.list().selectedEntry(), browser);
    setCurrentInterfaceLanguage(QStringLiteral("en"));
}
