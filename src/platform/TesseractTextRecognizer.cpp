#include "TesseractTextRecognizer.h"

#include <QMutexLocker>
#include <QPainter>

#include <ZXing/ReadBarcode.h>
#include <tesseract/capi.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <vector>

namespace {

// tesseract and the libraries it brings (leptonica, the image codecs, curl, archives) take longer to load and bind
// than the rest of the program before its first capture, and most starts never recognise anything. The engine is
// loaded on the first recognition, on the recogniser's worker, and reached through its C interface.
class TesseractLibrary
{
public:
    static const TesseractLibrary &instance()
    {
        static const TesseractLibrary library;
        return library;
    }

    bool loaded() const { return m_loaded; }

    // tesseract parallelises parts of its work with OpenMP, some of it with a fixed thread count that the usual
    // per-thread setting does not cap. Recognition is meant to take one core: no OpenMP region may become active.
    // The OpenMP runtime comes with tesseract, so its functions are looked up there; nothing else in the program
    // uses OpenMP.
    void limitOpenMPToOneThread() const
    {
        if (m_setMaxActiveLevels)
            m_setMaxActiveLevels(0);
        if (m_setThreadCount)
            m_setThreadCount(1);
    }

    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPIInit2) init = nullptr;
    decltype(&TessBaseAPISetVariable) setVariable = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPISetSourceResolution) setSourceResolution = nullptr;
    decltype(&TessBaseAPIRecognize) recognize = nullptr;
    decltype(&TessBaseAPIGetIterator) iterator = nullptr;
    decltype(&TessBaseAPIClear) clear = nullptr;
    decltype(&TessResultIteratorDelete) deleteIterator = nullptr;
    decltype(&TessResultIteratorNext) next = nullptr;
    decltype(&TessResultIteratorGetUTF8Text) utf8Text = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;

private:
    TesseractLibrary()
    {
        // Never unloaded: the engine's threads and static state stay with the process.
        m_handle = dlopen(VARNISTO_TESSERACT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            return;
        m_loaded = bind(create, "TessBaseAPICreate") && bind(destroy, "TessBaseAPIDelete")
            && bind(init, "TessBaseAPIInit2") && bind(setVariable, "TessBaseAPISetVariable")
            && bind(setPageSegMode, "TessBaseAPISetPageSegMode") && bind(setImage, "TessBaseAPISetImage")
            && bind(setSourceResolution, "TessBaseAPISetSourceResolution") && bind(recognize, "TessBaseAPIRecognize")
            && bind(iterator, "TessBaseAPIGetIterator") && bind(clear, "TessBaseAPIClear")
            && bind(deleteIterator, "TessResultIteratorDelete") && bind(next, "TessResultIteratorNext")
            && bind(utf8Text, "TessResultIteratorGetUTF8Text") && bind(deleteText, "TessDeleteText");
        bind(m_setMaxActiveLevels, "omp_set_max_active_levels");
        bind(m_setThreadCount, "omp_set_num_threads");
    }

    template<typename Function> bool bind(Function &function, const char *name)
    {
        function = reinterpret_cast<Function>(dlsym(m_handle, name));
        return function != nullptr;
    }

    void *m_handle = nullptr;
    bool m_loaded = false;
    void (*m_setMaxActiveLevels)(int) = nullptr;
    void (*m_setThreadCount)(int) = nullptr;
};

// An 8-bit grey image no larger than the pixel limit, transparent parts laid on white.
QImage preparedGreyImage(const QImage &image)
{
    QImage source = image;
    const qint64 pixels = qint64(source.width()) * source.height();
    if (pixels > TesseractTextRecognizer::maximumPixelCount) {
        const double factor = std::sqrt(double(TesseractTextRecognizer::maximumPixelCount) / double(pixels));
        const int width = qMax(1, int(source.width() * factor));
        const int height = qMax(1, int(source.height() * factor));
        source = source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (source.hasAlphaChannel()) {
        QImage opaque(source.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, source);
        painter.end();
        source = std::move(opaque);
    }
    return source.convertToFormat(QImage::Format_Grayscale8);
}

// Where an image holds text-like structure: square tiles with a mostly flat background and some pixels far
// from it, as glyphs on a window or a page give. Smooth photos, gradients and fine grain have none; tesseract
// spends most of its time on such parts, reading nothing or noise there.
class TextStructure
{
public:
    // Long edges that cross tiles (see crossedByEdge) are erased from `grey` on the way.
    explicit TextStructure(QImage &grey)
        : m_width(grey.width())
        , m_height(grey.height())
        , m_columns((m_width + tileSide - 1) / tileSide)
        , m_rows((m_height + tileSide - 1) / tileSide)
        , m_background(std::size_t(m_columns) * m_rows, 255)
        , m_kept(std::size_t(m_columns) * m_rows, false)
    {
        std::vector<bool> textLike(m_kept.size(), false);
        std::vector<bool> crossed(m_kept.size(), false);
        for (int row = 0; row < m_rows; ++row) {
            for (int column = 0; column < m_columns; ++column) {
                const QRect tile = tileRect(column, row);
                const std::size_t index = std::size_t(row) * m_columns + column;
                const TileLevels levels = measure(grey, tile);
                m_background[index] = uchar(levels.background);
                textLike[index] = levels.textLike;
                if (textLike[index] && crossedByEdge(grey, tile, levels.background)) {
                    textLike[index] = false;
                    crossed[index] = true;
                }
            }
        }
        // Short edges stay with the glyphs they hold (a highlighted row, a button around its label). Long ones (the
        // border between a panel and the wallpaper, a window's frame) are erased, and what is left of their tiles
        // counts as it is.
        const auto crossedAt = [&](int column, int row) { return crossed[std::size_t(row) * m_columns + column]; };
        std::vector<std::size_t> longEdges;
        for (int row = 0; row < m_rows; ++row) {
            for (int column = 0; column < m_columns; ++column) {
                if (!crossedAt(column, row))
                    continue;
                int across = 1;
                for (int c = column - 1; c >= 0 && crossedAt(c, row); --c)
                    ++across;
                for (int c = column + 1; c < m_columns && crossedAt(c, row); ++c)
                    ++across;
                int down = 1;
                for (int r = row - 1; r >= 0 && crossedAt(column, r); --r)
                    ++down;
                for (int r = row + 1; r < m_rows && crossedAt(column, r); ++r)
                    ++down;
                const std::size_t index = std::size_t(row) * m_columns + column;
                if (across < longEdgeTiles && down < longEdgeTiles)
                    textLike[index] = true;
                else
                    longEdges.push_back(index);
            }
        }
        for (const std::size_t index : longEdges) {
            const QRect tile = tileRect(int(index % m_columns), int(index / m_columns));
            eraseEdges(grey, tile, m_background[index]);
            textLike[index] = measure(grey, tile).textLike;
        }
        // A margin of one tile around text-like tiles keeps glyphs that reach into a neighbour and the insides of
        // large letters.
        for (int row = 0; row < m_rows; ++row) {
            for (int column = 0; column < m_columns; ++column) {
                if (!textLike[std::size_t(row) * m_columns + column])
                    continue;
                m_any = true;
                for (int r = qMax(0, row - 1); r <= qMin(m_rows - 1, row + 1); ++r) {
                    for (int c = qMax(0, column - 1); c <= qMin(m_columns - 1, column + 1); ++c)
                        m_kept[std::size_t(r) * m_columns + c] = true;
                }
            }
        }
    }

    bool hasText() const { return m_any; }

    // Lays every tile without text-like structure flat in its background level.
    void flattenTextless(QImage &grey) const
    {
        for (int row = 0; row < m_rows; ++row) {
            for (int column = 0; column < m_columns; ++column) {
                const std::size_t index = std::size_t(row) * m_columns + column;
                if (m_kept[index])
                    continue;
                const QRect tile = tileRect(column, row);
                for (int y = tile.top(); y <= tile.bottom(); ++y)
                    std::fill_n(grey.scanLine(y) + tile.left(), tile.width(), m_background[index]);
            }
        }
    }

    // The bounding rectangles of the connected groups of text-like tiles, top to bottom, then left to right.
    QList<QRect> regions() const
    {
        QList<QRect> found;
        std::vector<bool> seen(m_kept.size(), false);
        std::vector<int> pending;
        for (int start = 0; start < int(m_kept.size()); ++start) {
            if (!m_kept[std::size_t(start)] || seen[std::size_t(start)])
                continue;
            QRect region;
            seen[std::size_t(start)] = true;
            pending.push_back(start);
            while (!pending.empty()) {
                const int index = pending.back();
                pending.pop_back();
                const int column = index % m_columns;
                const int row = index / m_columns;
                region |= tileRect(column, row);
                for (int r = qMax(0, row - 1); r <= qMin(m_rows - 1, row + 1); ++r) {
                    for (int c = qMax(0, column - 1); c <= qMin(m_columns - 1, column + 1); ++c) {
                        const std::size_t next = std::size_t(r) * m_columns + c;
                        if (m_kept[next] && !seen[next]) {
                            seen[next] = true;
                            pending.push_back(int(next));
                        }
                    }
                }
            }
            found.append(region);
        }
        // Bounding rectangles of two groups may overlap (a group inside the frame of another): such rectangles
        // become one, so that no text is read twice.
        for (bool merged = true; merged;) {
            merged = false;
            for (qsizetype i = 0; i < found.size() && !merged; ++i) {
                for (qsizetype j = i + 1; j < found.size(); ++j) {
                    if (found.at(i).intersects(found.at(j))) {
                        found[i] |= found.at(j);
                        found.removeAt(j);
                        merged = true;
                        break;
                    }
                }
            }
        }
        std::sort(found.begin(), found.end(), [](const QRect &a, const QRect &b) {
            return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
        });
        return found;
    }

private:
    static constexpr int tileSide = 16;
    // Grey levels on either side of the background's that still count as background (noise, grain).
    static constexpr int backgroundSpread = 12;
    // How far from the background a pixel of a glyph is at least, and how many of them a tile with text has.
    static constexpr int inkContrast = 48;
    static constexpr int minimumInk = 4;
    // An edge at least this many tiles long is no part of text.
    static constexpr int longEdgeTiles = 32;

    struct TileLevels
    {
        int background = 255;
        bool textLike = false;
    };

    // The tile's background level and whether it looks like text: a mostly flat background and some pixels far
    // from it.
    static TileLevels measure(const QImage &grey, const QRect &tile)
    {
        int histogram[256] = {};
        for (int y = tile.top(); y <= tile.bottom(); ++y) {
            const uchar *line = grey.constScanLine(y);
            for (int x = tile.left(); x <= tile.right(); ++x)
                ++histogram[line[x]];
        }
        // The background: the grey levels around the most common one.
        int window = 0;
        for (int level = 0; level <= backgroundSpread; ++level)
            window += histogram[level];
        int best = window;
        int centre = 0;
        for (int level = 1; level < 256; ++level) {
            if (level + backgroundSpread < 256)
                window += histogram[level + backgroundSpread];
            if (level - backgroundSpread - 1 >= 0)
                window -= histogram[level - backgroundSpread - 1];
            if (window > best) {
                best = window;
                centre = level;
            }
        }
        qint64 sum = 0;
        int count = 0;
        for (int level = qMax(0, centre - backgroundSpread); level <= qMin(255, centre + backgroundSpread); ++level) {
            sum += qint64(level) * histogram[level];
            count += histogram[level];
        }
        TileLevels levels;
        levels.background = count > 0 ? int(sum / count) : centre;
        int ink = 0;
        for (int level = 0; level < 256; ++level) {
            if (std::abs(level - levels.background) >= inkContrast)
                ink += histogram[level];
        }
        levels.textLike = best * 5 >= tile.width() * tile.height() * 2 && ink >= minimumInk;
        return levels;
    }

    // Lays the rows and columns of the tile that are far from the background all across in the background level.
    static void eraseEdges(QImage &grey, const QRect &tile, int background)
    {
        const auto isInk = [background](uchar level) { return std::abs(int(level) - background) >= inkContrast; };
        std::array<int, tileSide> columnInk {};
        std::array<bool, tileSide> fullRow {};
        for (int y = 0; y < tile.height(); ++y) {
            const uchar *line = grey.constScanLine(tile.top() + y) + tile.left();
            int rowInk = 0;
            for (int x = 0; x < tile.width(); ++x) {
                if (isInk(line[x])) {
                    ++rowInk;
                    ++columnInk[std::size_t(x)];
                }
            }
            fullRow[std::size_t(y)] = rowInk == tile.width();
        }
        for (int y = 0; y < tile.height(); ++y) {
            uchar *line = grey.scanLine(tile.top() + y) + tile.left();
            for (int x = 0; x < tile.width(); ++x) {
                if (fullRow[std::size_t(y)] || columnInk[std::size_t(x)] == tile.height())
                    line[x] = uchar(background);
            }
        }
    }

    // Whether a row or a column of the tile is far from the background all across: the edge of a panel against
    // a photo, a rule or a frame, which no glyph of an interface font makes. Left in, such edges become lines of
    // the whole image's width that the engine reads as noise at great cost.
    static bool crossedByEdge(const QImage &grey, const QRect &tile, int background)
    {
        if (tile.width() < tileSide || tile.height() < tileSide)
            return false;
        const auto isInk = [background](uchar level) { return std::abs(int(level) - background) >= inkContrast; };
        std::array<int, tileSide> columnInk {};
        for (int y = tile.top(); y <= tile.bottom(); ++y) {
            const uchar *line = grey.constScanLine(y) + tile.left();
            int rowInk = 0;
            for (int x = 0; x < tileSide; ++x) {
                if (isInk(line[x])) {
                    ++rowInk;
                    ++columnInk[std::size_t(x)];
                }
            }
            if (rowInk == tileSide)
                return true;
        }
        return std::find(columnInk.cbegin(), columnInk.cend(), tileSide) != columnInk.cend();
    }

    QRect tileRect(int column, int row) const
    {
        const int left = column * tileSide;
        const int top = row * tileSide;
        return QRect(left, top, qMin(tileSide, m_width - left), qMin(tileSide, m_height - top));
    }

    int m_width;
    int m_height;
    int m_columns;
    int m_rows;
    std::vector<uchar> m_background;
    std::vector<bool> m_kept;
    bool m_any = false;
};

// Light text on a dark background turned into dark text on a light one, as the recogniser reads best: the
// region's most common grey level is its background, and its glyphs are the pixels far from it.
void makeTextDark(QImage &region)
{
    int histogram[256] = {};
    for (int y = 0; y < region.height(); ++y) {
        const uchar *line = region.constScanLine(y);
        for (int x = 0; x < region.width(); ++x)
            ++histogram[line[x]];
    }
    const int background = int(std::max_element(std::begin(histogram), std::end(histogram)) - std::begin(histogram));
    qint64 darker = 0;
    qint64 lighter = 0;
    for (int level = 0; level < 256; ++level) {
        if (level < background - 48)
            darker += histogram[level];
        else if (level > background + 48)
            lighter += histogram[level];
    }
    if (lighter > darker)
        region.invertPixels();
}

} // namespace

struct TesseractTextRecognizer::Engine
{
    ~Engine()
    {
        if (api)
            TesseractLibrary::instance().destroy(api);
    }
    TessBaseAPI *api = nullptr;
    bool started = false;
    std::optional<QString> startFailure;
};

TesseractTextRecognizer::TesseractTextRecognizer(QObject *parent)
    : TextRecognizer(parent), m_engine(std::make_unique<Engine>())
{ }

TesseractTextRecognizer::~TesseractTextRecognizer()
{
    waitForPendingWork();
}

Expected<QStringList, QString> TesseractTextRecognizer::recognizeTextLines(const QImage &image)
{
    using Lines = Expected<QStringList, QString>;
    QMutexLocker locker(&m_engineMutex);
    Engine &engine = *m_engine;
    const TesseractLibrary &library = TesseractLibrary::instance();
    library.limitOpenMPToOneThread();
    if (!engine.started) {
        engine.started = true;
        if (library.loaded())
            engine.api = library.create();
        if (!engine.api)
            engine.startFailure = QStringLiteral("the text recognition engine could not be loaded");
        else if (library.init(engine.api, nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0)
            engine.startFailure = QStringLiteral("the English text recognition model could not be loaded");
        else
            library.setVariable(engine.api, "debug_file", "/dev/null");
    }
    if (engine.startFailure)
        return Lines::failure(*engine.startFailure);

    try {
        QImage grey = preparedGreyImage(image);
        // Only the parts with text-like structure go to the engine, each on its own: an image without any is not
        // read at all, and photos, gradients and grain around the text cost nothing.
        const TextStructure structure(grey);
        QStringList lines;
        if (!structure.hasText())
            return lines;
        structure.flattenTextless(grey);
        // Screenshots hold scattered pieces of text (menus, buttons, side bars beside paragraphs): the sparse
        // text segmentation finds them without merging neighbouring columns into one line.
        library.setPageSegMode(engine.api, tesseract::PSM_SPARSE_TEXT);
        for (const QRect &area : structure.regions()) {
            QImage region = grey.copy(area);
            makeTextDark(region);
            library.setImage(
                engine.api, region.constBits(), region.width(), region.height(), 1, int(region.bytesPerLine()));
            // Screen content has no recorded resolution; this spares tesseract the guess.
            library.setSourceResolution(engine.api, 96);
            if (library.recognize(engine.api, nullptr) != 0) {
                library.clear(engine.api);
                return Lines::failure(QStringLiteral("the text in the image could not be recognised"));
            }
            const std::unique_ptr<TessResultIterator, decltype(library.deleteIterator)> iterator(
                library.iterator(engine.api), library.deleteIterator);
            // An iterator over nothing gives no text and no next line.
            if (iterator) {
                do {
                    const std::unique_ptr<char, decltype(library.deleteText)> text(
                        library.utf8Text(iterator.get(), tesseract::RIL_TEXTLINE), library.deleteText);
                    const QString line = text ? QString::fromUtf8(text.get()) : QString();
                    // Sparse segmentation also reads graphics (QR codes, icons, rules) as lines of brackets and
                    // dashes; a line without any letter or digit is such noise.
                    if (std::any_of(line.begin(), line.end(), [](QChar c) { return c.isLetterOrNumber(); }))
                        lines.append(line);
                } while (library.next(iterator.get(), tesseract::RIL_TEXTLINE));
            }
            library.clear(engine.api);
        }
        return lines;
    } catch (const std::exception &error) {
        library.clear(engine.api);
        return Lines::failure(QString::fromLocal8Bit(error.what()));
    }
}

Expected<QStringList, QString> TesseractTextRecognizer::readQRCodes(const QImage &image)
{
    using Payloads = Expected<QStringList, QString>;
    try {
        const QImage grey = preparedGreyImage(image);
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode);
        const ZXing::ImageView view(
            grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
        QStringList payloads;
        for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
            if (result.isValid())
                payloads.append(QString::fromStdString(result.text()));
        }
        return payloads;
    } catch (const std::exception &error) {
        return Payloads::failure(QString::fromLocal8Bit(error.what()));
    }
}
