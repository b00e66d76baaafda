#pragma once

#include "ArchiveFileManager.h"
#include "Coding.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

inline void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(content);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline QJsonDocument readJson(const QString &path)
{
    return QJsonDocument::fromJson(readFile(path));
}

// The smallest item record an archive may hold.
inline QJsonObject itemRecord(const QString &id, const QString &text = QStringLiteral("text"))
{
    return QJsonObject {
        {QStringLiteral("id"), id},
        {QStringLiteral("kind"), QStringLiteral("text")},
        {QStringLiteral("text"), text},
        {QStringLiteral("filePaths"), QJsonArray()},
        {QStringLiteral("copiedAt"), QStringLiteral("2025-03-14T12:00:00Z")},
        {QStringLiteral("firstCopiedAt"), QStringLiteral("2025-03-14T11:00:00Z")},
        {QStringLiteral("byteSize"), 4},
        {QStringLiteral("isFavorite"), false},
        {QStringLiteral("tagIDs"), QJsonArray()},
        {QStringLiteral("tagNames"), QJsonArray()},
        {QStringLiteral("copyCount"), 1},
    };
}

inline QJsonObject manifestRecord(qint64 version = 1)
{
    return QJsonObject {
        {QStringLiteral("formatVersion"), version},
        {QStringLiteral("appName"), QStringLiteral("Varnisto")},
        {QStringLiteral("exportedAt"), QStringLiteral("2025-03-14T12:00:00Z")},
    };
}

// Writes an archive folder by hand, as another installation (or someone hostile) might.
inline void writeArchive(
    const QString &folder, const QJsonObject &manifest, const QJsonArray &tags, const QJsonArray &items)
{
    writeFile(folder + QStringLiteral("/manifest.json"), QJsonDocument(manifest).toJson());
    writeFile(folder + QStringLiteral("/tags.json"), QJsonDocument(tags).toJson());
    writeFile(folder + QStringLiteral("/history.json"), QJsonDocument(items).toJson());
}

// A file manager whose copies start failing after a number of successful ones: an export or import that
// breaks off halfway.
class FailingFileManager final : public ArchiveFileManager
{
public:
    explicit FailingFileManager(int successfulCopies) : m_remaining(successfulCopies) { }

    Result copyFile(QFile &source, const QString &destination) const override
    {
        if (m_remaining-- <= 0)
            return Result::failure(QStringLiteral("No space left on device"));
        return ArchiveFileManager::copyFile(source, destination);
    }

private:
    mutable int m_remaining;
};
