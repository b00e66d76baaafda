#include "SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A data folder reached through a link (as when the user keeps it on another disk), the support folder in it, and a
// user's file elsewhere that links and ".." inside the support folder point at.
//
//   data/Varnisto2/Images/{a,b,c}.png
//   data/Varnisto2/Images/to-user.png -> outside/user.txt
//   data/Varnisto2/Images/to-c.png    -> data/Varnisto2/Images/c.png
//   data/Varnisto2/LinkPreviews/p.png
//   data/Varnisto2/to-outside         -> outside
//   data/Varnisto2-other/x.png
//   outside/user.txt
//   data-link                         -> data
struct Fixture
{
    Fixture()
    {
        const QString data = root.filePath(QStringLiteral("data"));
        real = data + QStringLiteral("/Varnisto2");
        outside = root.filePath(QStringLiteral("outside"));
        for (const QString &folder : QStringList {real + QStringLiteral("/Images"),
                 real + QStringLiteral("/LinkPreviews"), data + QStringLiteral("/Varnisto2-other"), outside})
            QDir().mkpath(folder);
        for (const QString &file :
            QStringList {real + QStringLiteral("/Images/a.png"), real + QStringLiteral("/Images/b.png"),
                real + QStringLiteral("/Images/c.png"), real + QStringLiteral("/LinkPreviews/p.png"),
                data + QStringLiteral("/Varnisto2-other/x.png"), outside + QStringLiteral("/user.txt")})
            write(file);
        QFile::link(outside + QStringLiteral("/user.txt"), real + QStringLiteral("/Images/to-user.png"));
        QFile::link(real + QStringLiteral("/Images/c.png"), real + QStringLiteral("/Images/to-c.png"));
        QFile::link(outside, real + QStringLiteral("/to-outside"));
        QFile::link(data, root.filePath(QStringLiteral("data-link")));
        support = root.filePath(QStringLiteral("data-link/Varnisto2"));
    }

    static void write(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }

    QTemporaryDir root;
    QString real; // the support folder without the link
    QString support; // the support folder as the program is told it, through the link
    QString outside;
};

} // namespace

// Only files strictly inside the support folder go, once links and ".." are resolved; a link inside is removed
// itself, never what it points to; the user's file survives every attempt.
TEST(SupportFolder, RemovesOnlyFilesThatLieInsideOnceResolved)
{
    const struct
    {
        const char *path; // "S" is the support folder as given, "R" the same folder without the link, "O" outside
        bool removed;
        const char *gone; // the entry that must be gone afterwards, relative to R
        const char *stays; // one that must still be there, relative to the temporary root
    } cases[] = {
        {"S/Images/a.png", true, "Images/a.png", "data/Varnisto2/Images/b.png"},
        {"R/Images/a.png", true, "Images/a.png", "outside/user.txt"},
        {"S/Images/../Images/b.png", true, "Images/b.png", "data/Varnisto2/Images/a.png"},
        {"S/Images/to-c.png", true, "Images/to-c.png", "data/Varnisto2/Images/c.png"},
        {"S/Images/../../../outside/user.txt", false, "", "outside/user.txt"},
        {"S/to-outside/user.txt", false, "", "outside/user.txt"},
        {"S/Images/to-user.png", false, "", "outside/user.txt"},
        {"O/user.txt", false, "", "outside/user.txt"},
        {"S/../Varnisto2-other/x.png", false, "", "data/Varnisto2-other/x.png"},
        {"S", false, "", "data/Varnisto2/Images/a.png"},
        {"S/Images", false, "", "data/Varnisto2/Images/a.png"},
        {"S/Images/missing.png", false, "", "data/Varnisto2/Images/a.png"},
        {"Images/a.png", false, "", "data/Varnisto2/Images/a.png"},
        {"", false, "", "data/Varnisto2/Images/a.png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        Fixture f;
        QString path = QString::fromUtf8(c.path);
        if (path.startsWith(QLatin1Char('S')))
            path.replace(0, 1, f.support);
        else if (path.startsWith(QLatin1Char('R')))
            path.replace(0, 1, f.real);
        else if (path.startsWith(QLatin1Char('O')))
            path.replace(0, 1, f.outside);
        const SupportFolder folder(f.support);

        EXPECT_EQ(folder.removeFile(path), c.removed);
        if (*c.gone) {
            const QFileInfo gone(f.real + QLatin1Char('/') + QString::fromUtf8(c.gone));
            EXPECT_FALSE(gone.exists() || gone.isSymLink());
        }
        EXPECT_TRUE(QFileInfo::exists(f.root.filePath(QString::fromUtf8(c.stays))));
        EXPECT_TRUE(QFileInfo::exists(f.outside + QStringLiteral("/user.txt")));
    }
}

TEST(SupportFolder, RemovesAFolderInsideButNeverOneBehindALinkOrTheFolderItself)
{
    Fixture f;
    const SupportFolder folder(f.support);
    EXPECT_FALSE(folder.removeDirectory(f.support + QStringLiteral("/to-outside")));
    EXPECT_FALSE(folder.removeDirectory(f.support + QStringLiteral("/Images/..")));
    EXPECT_FALSE(folder.removeDirectory(f.support));
    EXPECT_TRUE(QFileInfo::exists(f.outside + QStringLiteral("/user.txt")));
    EXPECT_TRUE(QFileInfo::exists(f.real + QStringLiteral("/Images/a.png")));

    EXPECT_TRUE(folder.removeDirectory(folder.linkPreviewsDirectory()));
    EXPECT_FALSE(QFileInfo::exists(f.real + QStringLiteral("/LinkPreviews")));
    // A link inside a removed folder goes with it; its target stays.
    EXPECT_TRUE(folder.removeDirectory(folder.imagesDirectory()));
    EXPECT_FALSE(QFileInfo::exists(f.real + QStringLiteral("/Images")));
    EXPECT_TRUE(QFileInfo::exists(f.outside + QStringLiteral("/user.txt")));
}
