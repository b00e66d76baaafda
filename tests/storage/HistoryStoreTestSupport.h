#pragma once

#include "ClipboardItem.h"
#include "Coding.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <sqlite3.h>

#include <gtest/gtest.h>

// A second connection to a history database, for building files the old way and looking behind the store.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
    {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &m_db), SQLITE_OK);
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    void exec(const QString &sql)
    {
        char *error = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << qPrintable(sql);
        sqlite3_free(error);
    }

    // Runs a statement with text, number or byte arguments and answers the rows, each a list of column values.
    QList<QVariantList> rows(const QString &sql, const QVariantList &arguments = {})
    {
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(m_db);
        for (int i = 0; i < arguments.size(); ++i) {
            const QVariant &value = arguments.at(i);
            if (value.typeId() == QMetaType::QByteArray) {
                const QByteArray bytes = value.toByteArray();
                sqlite3_bind_blob(statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            } else if (value.typeId() == QMetaType::Double) {
                sqlite3_bind_double(statement, i + 1, value.toDouble());
            } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(statement, i + 1, value.toLongLong());
            } else if (value.isNull()) {
                sqlite3_bind_null(statement, i + 1);
            } else {
                sqlite3_bind_text(statement, i + 1, value.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
            }
        }
        QList<QVariantList> result;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_NULL:
                    row.append(QVariant());
                    break;
                case SQLITE_INTEGER:
                    row.append(qint64(sqlite3_column_int64(statement, c)));
                    break;
                case SQLITE_FLOAT:
                    row.append(sqlite3_column_double(statement, c));
                    break;
                case SQLITE_BLOB:
                    row.append(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, c)),
                        sqlite3_column_bytes(statement, c)));
                    break;
                default:
                    row.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c))));
                }
            }
            result.append(row);
        }
        EXPECT_EQ(rc, SQLITE_DONE) << sqlite3_errmsg(m_db);
        sqlite3_finalize(statement);
        return result;
    }

    QVariant value(const QString &sql, const QVariantList &arguments = {})
    {
        const auto all = rows(sql, arguments);
        return all.isEmpty() || all.first().isEmpty() ? QVariant() : all.first().first();
    }

private:
    sqlite3 *m_db = nullptr;
};

// A fixed moment, so that dates in tests are exact.
inline QDateTime testNow()
{
    return QDateTime(QDate(2025, 3, 14), QTime(12, 0, 0), Qt::UTC);
}

// A text item as the capture builds it, with its search text.
inline ClipboardItem makeTextItem(const QString &text, const QDateTime &copiedAt = testNow(),
    ClipboardKind kind = ClipboardKind::text, const QString &sourceApp = QStringLiteral("Editor"))
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.text = text;
    item.sourceAppName = sourceApp;
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.byteSize = text.toUtf8().size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

// What an item is after a trip through the store: the copy time as it was (the store keeps it beside the
// payload), the other dates in the payload's whole seconds.
inline ClipboardItem storedForm(ClipboardItem item)
{
    item.firstCopiedAt = Coding::wholeSeconds(item.firstCopiedAt);
    if (item.copySequenceID)
        item.copySequenceID = Coding::wholeSeconds(*item.copySequenceID);
    if (item.linkPreviewDetails)
        item.linkPreviewDetails->fetchedAt = Coding::wholeSeconds(item.linkPreviewDetails->fetchedAt);
    return item;
}
