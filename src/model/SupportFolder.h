#pragma once

#include <QString>

// The program's own folder of files ("Varnisto2" in the user's data folder) and the one rule for deleting in it:
// only what lies inside it is ever removed. A path counts as inside when, with every symbolic link and ".." resolved,
// it still lies below the folder (itself resolved the same way); a path that only looks inside (a link to a folder
// elsewhere, "Images/../../x") is refused. Everything else on the disk is the user's.
class SupportFolder
{
public:
    explicit SupportFolder(QString path);

    const QString &path() const { return m_path; }
    QString imagesDirectory() const;
    QString linkPreviewsDirectory() const;
    QString filePreviewsDirectory() const;

    // Whether the path names an existing file or folder strictly inside the support folder. Relative paths mean
    // nothing here and are refused.
    bool contains(const QString &path) const;
    // Removes the file (never a folder) when it lies inside. A symbolic link inside whose target lies inside too is
    // removed itself, never its target. False when refused or when it could not be removed.
    bool removeFile(const QString &path) const;
    // Removes the folder with everything in it when it lies inside; links in it are removed, never followed.
    bool removeDirectory(const QString &path) const;

private:
    const QString m_path;
};
