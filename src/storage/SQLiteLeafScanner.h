#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// Reads the rows of a SQLite database file straight from its table leaf pages, without SQLite and without relying
// on anything above those pages: a damaged interior page, a damaged schema page or a damaged file header hides no
// row that still lies on an intact leaf. The file is only read, and every length, offset and page number in it is
// checked before it is used (the file is damaged, so anything in it may be wrong): a record that does not decode
// is passed over, overflow chains are followed at most as far as the file has pages and never around a loop.
//
// The pages of the file's write-ahead log (the frames up to its last complete commit) stand in for those of the
// file, as SQLite itself reads them. Pages on the free list (when the header still names it) are never read for
// rows: they hold rows that were deleted.
class SQLiteLeafScanner
{
public:
    struct Value
    {
        enum class Type { null, integer, real, text, blob };
        Type type = Type::null;
        qint64 integer = 0;
        double real = 0;
        QByteArray bytes; // a text in UTF-8, or the blob
    };
    struct Row
    {
        quint32 page = 0;
        qint64 rowID = 0;
        // The table whose b-tree holds the page, as the file's schema names it; empty when the page hangs under no
        // tree that can still be read.
        QString table;
        QList<Value> values;
    };

    // Page sizes tried, in this order, when the header does not tell one.
    static constexpr int candidatePageSizes[] = {4096, 1024, 2048, 8192, 16384, 32768, 65536, 512};

    explicit SQLiteLeafScanner(const QString &path);
    Q_DISABLE_COPY_MOVE(SQLiteLeafScanner)

    // Whether the file could be read and a page size found under which its pages parse.
    bool isReadable() const { return m_pageSize > 0; }
    int pageSize() const { return m_pageSize; }
    // The header's schema version (`PRAGMA user_version`), when the header is intact.
    std::optional<qint64> userVersion() const { return m_userVersion; }

    // Every record of every table leaf page, in page order; a false answer stops the walk.
    void forEachRow(const std::function<bool(const Row &)> &onRow);
    // The row ids on the leaves of the table's tree and on the leaves that hang under no readable tree, in order,
    // read from the cells alone (their records are not decoded).
    QList<qint64> rowIDs(const QString &table);

private:
    QByteArray page(quint32 number);
    bool headerIsIntact(const QByteArray &first) const;
    void readWriteAheadLog(const QString &path);
    int guessPageSize();
    void readFreeList();
    void readSchema();
    void claimTree(quint32 root, const QString &table);
    // The cells' offsets of a b-tree page, all checked to lie inside the page; nothing when the page is none.
    std::optional<QList<int>> cellOffsets(const QByteArray &bytes, quint32 number, int pageSize, int usable) const;
    std::optional<Row> leafCell(const QByteArray &bytes, int offset);
    std::optional<QByteArray> payload(const QByteArray &bytes, int offset, qint64 size);
    std::optional<QList<Value>> record(const QByteArray &payload) const;

    QFile m_file;
    qint64 m_fileSize = 0;
    int m_pageSize = 0;
    int m_usableSize = 0;
    quint32 m_pageCount = 0;
    int m_textEncoding = 1; // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
    std::optional<qint64> m_userVersion;
    QFile m_log;
    QHash<quint32, qint64> m_logFrames; // page number: offset of its newest committed frame's page in the log
    QSet<quint32> m_freePages;
    QHash<quint32, QString> m_owners; // page number: the table whose tree holds it
};
