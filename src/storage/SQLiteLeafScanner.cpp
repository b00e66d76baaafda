#include "SQLiteLeafScanner.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int fileHeaderSize = 100;
constexpr int smallestUsableSize = 480;
// How much of a file without a readable header is looked at to tell its page size.
constexpr qint64 pageSizeProbeBytes = 16 * 1024 * 1024;
// The page that holds the byte at 1 GiB is never used by SQLite.
constexpr qint64 lockByteOffset = 1073741824;

enum PageType : quint8 { indexInterior = 0x02, tableInterior = 0x05, indexLeaf = 0x0A, tableLeaf = 0x0D };

quint32 bigEndian32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

quint32 littleEndian32(const uchar *p)
{
    return (quint32(p[3]) << 24) | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | quint32(p[0]);
}

int bigEndian16(const uchar *p)
{
    return (int(p[0]) << 8) | int(p[1]);
}

const uchar *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const uchar *>(bytes.constData());
}

// A SQLite varint at `position`, read no further than `end`: one to nine bytes, seven bits from each of the first
// eight and all eight of the ninth.
bool readVarint(const uchar *data, qint64 end, qint64 &position, quint64 &value)
{
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (position >= end)
            return false;
        const uchar byte = data[position++];
        if (i == 8) {
            value = (value << 8) | byte;
            return true;
        }
        value = (value << 7) | (byte & 0x7f);
        if (!(byte & 0x80))
            return true;
    }
    return true;
}

bool isPageSize(qint64 size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

// The running checksum of the write-ahead log over `data` (a multiple of eight bytes).
void logChecksum(const uchar *data, qint64 size, bool bigEndianWords, quint32 &s0, quint32 &s1)
{
    for (qint64 i = 0; i + 8 <= size; i += 8) {
        const quint32 x0 = bigEndianWords ? bigEndian32(data + i) : littleEndian32(data + i);
        const quint32 x1 = bigEndianWords ? bigEndian32(data + i + 4) : littleEndian32(data + i + 4);
        s0 += x0 + s1;
        s1 += x1 + s0;
    }
}

} // namespace

SQLiteLeafScanner::SQLiteLeafScanner(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    m_fileSize = m_file.size();
    const QByteArray first = m_file.read(fileHeaderSize);
    int reserved = 0;
    if (headerIsIntact(first)) {
        const int size = bigEndian16(bytesOf(first) + 16);
        m_pageSize = size == 1 ? 65536 : size;
        reserved = quint8(first.at(20));
    }
    readWriteAheadLog(path + QStringLiteral("-wal"));
    if (m_pageSize == 0) {
        m_pageSize = guessPageSize();
        reserved = 0;
    }
    if (m_pageSize == 0)
        return;
    m_usableSize = m_pageSize - reserved;
    // A log's last commit tells the database's size; otherwise the file does.
    if (m_logFrames.isEmpty())
        m_pageCount = quint32(qMin<qint64>(m_fileSize / m_pageSize, std::numeric_limits<qint32>::max()));

    // The header as it stands now: the log may hold a newer first page.
    const QByteArray header = page(1).left(fileHeaderSize);
    if (headerIsIntact(header)) {
        const quint32 encoding = bigEndian32(bytesOf(header) + 56);
        m_textEncoding = encoding >= 1 && encoding <= 3 ? int(encoding) : 1;
        m_userVersion = qint32(bigEndian32(bytesOf(header) + 60));
        readFreeList();
    }
    readSchema();
}

bool SQLiteLeafScanner::headerIsIntact(const QByteArray &first) const
{
    if (first.size() < fileHeaderSize || std::memcmp(first.constData(), "SQLite format 3", 16) != 0)
        return false;
    const uchar *h = bytesOf(first);
    const int size = bigEndian16(h + 16) == 1 ? 65536 : bigEndian16(h + 16);
    // The payload fractions have had these values in every file SQLite ever wrote.
    return isPageSize(size) && size - h[20] >= smallestUsableSize && h[21] == 64 && h[22] == 32 && h[23] == 32
        && (m_pageSize == 0 || size == m_pageSize);
}

void SQLiteLeafScanner::readWriteAheadLog(const QString &path)
{
    m_log.setFileName(path);
    if (!m_log.open(QIODevice::ReadOnly))
        return;
    const QByteArray header = m_log.read(32);
    if (header.size() < 32)
        return;
    const uchar *h = bytesOf(header);
    const quint32 magic = bigEndian32(h);
    if ((magic & 0xfffffffe) != 0x377f0682 || bigEndian32(h + 4) != 3007000)
        return;
    const bool bigEndianWords = magic & 1;
    const qint64 size = bigEndian32(h + 8);
    if (!isPageSize(size) || (m_pageSize != 0 && size != m_pageSize))
        return;
    quint32 s0 = 0, s1 = 0;
    logChecksum(h, 24, bigEndianWords, s0, s1);
    if (s0 != bigEndian32(h + 24) || s1 != bigEndian32(h + 28))
        return;

    // Frames count from the last one that completes a commit and whose checksums and salts all hold.
    QHash<quint32, qint64> pending;
    quint32 committedPages = 0;
    const qint64 frameSize = 24 + size;
    for (qint64 offset = 32; offset + frameSize <= m_log.size(); offset += frameSize) {
        m_log.seek(offset);
        const QByteArray frame = m_log.read(frameSize);
        if (frame.size() != frameSize)
            break;
        const uchar *f = bytesOf(frame);
        if (std::memcmp(f + 8, h + 16, 8) != 0)
            break;
        logChecksum(f, 8, bigEndianWords, s0, s1);
        logChecksum(f + 24, size, bigEndianWords, s0, s1);
        if (s0 != bigEndian32(f + 16) || s1 != bigEndian32(f + 20))
            break;
        const quint32 number = bigEndian32(f);
        if (number == 0)
            break;
        pending.insert(number, offset + 24);
        if (const quint32 commit = bigEndian32(f + 4); commit != 0) {
            for (auto it = pending.cbegin(); it != pending.cend(); ++it)
                m_logFrames.insert(it.key(), it.value());
            pending.clear();
            committedPages = commit;
        }
    }
    if (m_logFrames.isEmpty())
        return;
    m_pageSize = int(size);
    m_pageCount = committedPages;
    // Pages past the committed size are no longer part of the database.
    for (auto it = m_logFrames.begin(); it != m_logFrames.end();)
        it = it.key() > committedPages ? m_logFrames.erase(it) : std::next(it);
}

int SQLiteLeafScanner::guessPageSize()
{
    // The size under which the most pages are well-formed b-tree pages. Under a smaller size the cells of a real
    // page point past the end of the page; under a larger one only every second page (or fewer) starts where a page
    // starts.
    m_file.seek(0);
    const QByteArray probe = m_file.read(qMin(m_fileSize, pageSizeProbeBytes));
    int best = 0;
    qint64 bestCount = 0;
    for (const int size : candidatePageSizes) {
        qint64 count = 0;
        for (qint64 n = 1; n * size <= probe.size(); ++n) {
            if (cellOffsets(probe.mid((n - 1) * size, size), quint32(n), size, size))
                ++count;
        }
        if (count > bestCount) {
            best = size;
            bestCount = count;
        }
    }
    return best;
}

QByteArray SQLiteLeafScanner::page(quint32 number)
{
    if (number < 1 || number > m_pageCount || m_pageSize <= 0)
        return {};
    QFile &source = m_logFrames.contains(number) ? m_log : m_file;
    const qint64 offset = m_logFrames.contains(number) ? m_logFrames.value(number) : qint64(number - 1) * m_pageSize;
    if (!source.seek(offset))
        return {};
    QByteArray bytes = source.read(m_pageSize);
    if (bytes.size() != m_pageSize)
        return {};
    return bytes;
}

void SQLiteLeafScanner::readFreeList()
{
    const QByteArray first = page(1);
    if (first.size() < fileHeaderSize)
        return;
    quint32 trunk = bigEndian32(bytesOf(first) + 32);
    const int perTrunk = m_usableSize / 4 - 2;
    QSet<quint32> trunks;
    while (trunk >= 2 && trunk <= m_pageCount && !trunks.contains(trunk)) {
        trunks.insert(trunk);
        m_freePages.insert(trunk);
        const QByteArray bytes = page(trunk);
        if (bytes.isEmpty())
            break;
        const uchar *p = bytesOf(bytes);
        const quint32 leaves = bigEndian32(p + 4);
        for (quint32 i = 0; i < leaves && int(i) < perTrunk; ++i) {
            const quint32 leaf = bigEndian32(p + 8 + 4 * i);
            if (leaf >= 2 && leaf <= m_pageCount)
                m_freePages.insert(leaf);
        }
        trunk = bigEndian32(p);
    }
}

void SQLiteLeafScanner::readSchema()
{
    // The schema's own tree starts at page 1; every table and index named in it claims the pages of its tree, so
    // that the leaves of one table are never taken for another's.
    claimTree(1, QStringLiteral("sqlite_schema"));
    QList<QPair<quint32, QString>> roots;
    for (quint32 number = 1; number <= m_pageCount; ++number) {
        if (m_owners.value(number) != QLatin1String("sqlite_schema"))
            continue;
        const QByteArray bytes = page(number);
        const auto offsets = cellOffsets(bytes, number, m_pageSize, m_usableSize);
        if (!offsets || quint8(bytes.at(number == 1 ? fileHeaderSize : 0)) != tableLeaf)
            continue;
        for (const int offset : *offsets) {
            const auto row = leafCell(bytes, offset);
            if (!row || row->values.size() < 4 || row->values.at(1).type != Value::Type::text
                || row->values.at(3).type != Value::Type::integer)
                continue;
            const qint64 root = row->values.at(3).integer;
            if (root >= 2 && root <= m_pageCount)
                roots.append({quint32(root), QString::fromUtf8(row->values.at(1).bytes)});
        }
    }
    for (const auto &[root, table] : roots)
        claimTree(root, table);
}

void SQLiteLeafScanner::claimTree(quint32 root, const QString &table)
{
    QList<quint32> stack {root};
    while (!stack.isEmpty()) {
        const quint32 number = stack.takeLast();
        if (number < 1 || number > m_pageCount || m_owners.contains(number) || m_freePages.contains(number))
            continue;
        const QByteArray bytes = page(number);
        const auto offsets = cellOffsets(bytes, number, m_pageSize, m_usableSize);
        if (!offsets)
            continue;
        m_owners.insert(number, table);
        const int h = number == 1 ? fileHeaderSize : 0;
        const quint8 type = quint8(bytes.at(h));
        if (type != tableInterior && type != indexInterior)
            continue;
        const uchar *p = bytesOf(bytes);
        stack.append(bigEndian32(p + h + 8));
        for (const int offset : *offsets)
            stack.append(bigEndian32(p + offset));
    }
}

std::optional<QList<int>> SQLiteLeafScanner::cellOffsets(
    const QByteArray &bytes, quint32 number, int pageSize, int usable) const
{
    const int h = number == 1 ? fileHeaderSize : 0;
    if (bytes.size() != pageSize || usable > pageSize || h + 12 > usable)
        return std::nullopt;
    const uchar *p = bytesOf(bytes);
    const quint8 type = p[h];
    if (type != indexInterior && type != tableInterior && type != indexLeaf && type != tableLeaf)
        return std::nullopt;
    const bool interior = type == indexInterior || type == tableInterior;
    const int headerSize = interior ? 12 : 8;
    const int firstFreeblock = bigEndian16(p + h + 1);
    const int cells = bigEndian16(p + h + 3);
    const int contentStart = bigEndian16(p + h + 5) == 0 ? 65536 : bigEndian16(p + h + 5);
    const int pointersEnd = h + headerSize + 2 * cells;
    if (pointersEnd > usable || (cells > 0 && (contentStart < pointersEnd || contentStart > usable)))
        return std::nullopt;
    if (firstFreeblock != 0 && (firstFreeblock < pointersEnd || firstFreeblock + 4 > usable))
        return std::nullopt;
    // The smallest cell: a child page number and a one-byte key, or two one-byte varints and a record header.
    const int smallestCell = interior ? 5 : 3;
    QList<int> offsets;
    offsets.reserve(cells);
    for (int i = 0; i < cells; ++i) {
        const int offset = bigEndian16(p + h + headerSize + 2 * i);
        if (offset < contentStart || offset < pointersEnd || offset + smallestCell > usable)
            return std::nullopt;
        offsets.append(offset);
    }
    return offsets;
}

std::optional<SQLiteLeafScanner::Row> SQLiteLeafScanner::leafCell(const QByteArray &bytes, int offset)
{
    const uchar *p = bytesOf(bytes);
    qint64 position = offset;
    quint64 size = 0;
    quint64 rowID = 0;
    if (!readVarint(p, m_usableSize, position, size) || !readVarint(p, m_usableSize, position, rowID))
        return std::nullopt;
    // No payload is larger than every page of the file could hold.
    if (size > quint64(m_pageCount + 1) * quint64(m_usableSize) || size > quint64(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    const auto bytesOfPayload = payload(bytes, int(position), qint64(size));
    if (!bytesOfPayload)
        return std::nullopt;
    auto values = record(*bytesOfPayload);
    if (!values)
        return std::nullopt;
    Row row;
    row.rowID = qint64(rowID);
    row.values = std::move(*values);
    return row;
}

std::optional<QByteArray> SQLiteLeafScanner::payload(const QByteArray &bytes, int offset, qint64 size)
{
    const qint64 usable = m_usableSize;
    const qint64 mostLocal = usable - 35;
    if (size <= mostLocal) {
        if (offset + size > usable)
            return std::nullopt;
        return bytes.mid(offset, size);
    }
    const qint64 leastLocal = (usable - 12) * 32 / 255 - 23;
    const qint64 k = leastLocal + (size - leastLocal) % (usable - 4);
    const qint64 local = k <= mostLocal ? k : leastLocal;
    if (offset + local + 4 > usable)
        return std::nullopt;
    const qint64 perPage = usable - 4;
    const qint64 overflowPages = (size - local + perPage - 1) / perPage;
    if (overflowPages > m_pageCount)
        return std::nullopt;
    QByteArray out;
    out.reserve(size);
    out.append(bytes.constData() + offset, local);
    quint32 next = bigEndian32(bytesOf(bytes) + offset + local);
    QSet<quint32> visited;
    while (out.size() < size) {
        if (next < 2 || next > m_pageCount || visited.contains(next) || m_freePages.contains(next))
            return std::nullopt;
        visited.insert(next);
        const QByteArray overflow = page(next);
        if (overflow.size() < usable)
            return std::nullopt;
        out.append(overflow.constData() + 4, qMin(perPage, size - out.size()));
        next = bigEndian32(bytesOf(overflow));
    }
    return out;
}

std::optional<QList<SQLiteLeafScanner::Value>> SQLiteLeafScanner::record(const QByteArray &payload) const
{
    const uchar *p = bytesOf(payload);
    const qint64 size = payload.size();
    qint64 position = 0;
    quint64 headerSize = 0;
    if (!readVarint(p, size, position, headerSize) || headerSize < quint64(position) || headerSize > quint64(size))
        return std::nullopt;
    QList<quint64> types;
    while (position < qint64(headerSize)) {
        quint64 type = 0;
        if (!readVarint(p, qint64(headerSize), position, type) || type == 10 || type == 11)
            return std::nullopt;
        types.append(type);
    }
    static constexpr int integerSizes[] = {0, 1, 2, 3, 4, 6, 8, 8};
    QList<Value> values;
    values.reserve(types.size());
    qint64 body = qint64(headerSize);
    for (const quint64 type : types) {
        Value value;
        qint64 length = 0;
        if (type >= 12) {
            if (type > quint64(size) * 2 + 13)
                return std::nullopt;
            length = qint64((type - 12) / 2);
        } else if (type <= 7) {
            length = integerSizes[type];
        }
        if (length > size - body)
            return std::nullopt;
        const uchar *v = p + body;
        if (type == 0) {
            value.type = Value::Type::null;
        } else if (type <= 6) {
            qint64 integer = (v[0] & 0x80) ? -1 : 0;
            for (qint64 i = 0; i < length; ++i)
                integer = qint64((quint64(integer) << 8) | v[i]);
            value.type = Value::Type::integer;
            value.integer = integer;
        } else if (type == 7) {
            quint64 bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = (bits << 8) | v[i];
            value.type = Value::Type::real;
            std::memcpy(&value.real, &bits, sizeof bits);
        } else if (type == 8 || type == 9) {
            value.type = Value::Type::integer;
            value.integer = type == 9 ? 1 : 0;
        } else if (type % 2 == 0) {
            value.type = Value::Type::blob;
            value.bytes = payload.mid(body, length);
        } else {
            value.type = Value::Type::text;
            const QByteArray raw = payload.mid(body, length);
            if (m_textEncoding == 1) {
                value.bytes = raw;
            } else {
                QStringDecoder decoder(m_textEncoding == 2 ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                    QStringDecoder::Flag::Stateless);
                value.bytes = QString(decoder(raw)).toUtf8();
            }
        }
        body += length;
        values.append(std::move(value));
    }
    // A record fills its payload exactly.
    if (body != size)
        return std::nullopt;
    return values;
}

void SQLiteLeafScanner::forEachRow(const std::function<bool(const Row &)> &onRow)
{
    if (!isReadable())
        return;
    const qint64 lockBytePage = lockByteOffset / m_pageSize + 1;
    for (quint32 number = 1; number <= m_pageCount; ++number) {
        if (m_freePages.contains(number) || number == lockBytePage)
            continue;
        const QByteArray bytes = page(number);
        const auto offsets = cellOffsets(bytes, number, m_pageSize, m_usableSize);
        if (!offsets || quint8(bytes.at(number == 1 ? fileHeaderSize : 0)) != tableLeaf)
            continue;
        const QString table = m_owners.value(number);
        for (const int offset : *offsets) {
            auto row = leafCell(bytes, offset);
            if (!row)
                continue;
            row->page = number;
            row->table = table;
            if (!onRow(*row))
                return;
        }
    }
}

QList<qint64> SQLiteLeafScanner::rowIDs(const QString &table)
{
    QList<qint64> ids;
    if (!isReadable())
        return ids;
    const qint64 lockBytePage = lockByteOffset / m_pageSize + 1;
    for (quint32 number = 1; number <= m_pageCount; ++number) {
        if (m_freePages.contains(number) || number == lockBytePage)
            continue;
        const QString owner = m_owners.value(number);
        if (!owner.isEmpty() && owner != table)
            continue;
        const QByteArray bytes = page(number);
        const auto offsets = cellOffsets(bytes, number, m_pageSize, m_usableSize);
        if (!offsets || quint8(bytes.at(number == 1 ? fileHeaderSize : 0)) != tableLeaf)
            continue;
        for (const int offset : *offsets) {
            qint64 position = offset;
            quint64 size = 0;
            quint64 rowID = 0;
            if (readVarint(bytesOf(bytes), m_usableSize, position, size)
                && readVarint(bytesOf(bytes), m_usableSize, position, rowID))
                ids.append(qint64(rowID));
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}
