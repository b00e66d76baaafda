#include "ItemPreviewContentViews.h"

#include "Symbols.h"

#include "HistoryColors.h"
#include "IconProvider.h"
#include "ItemPreviewDetailsView.h"
#include "Localization.h"

#include <QAbstractListModel>
#include <QCache>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace {

const DesktopIconProvider &desktopIcons()
{
    static const DesktopIconProvider provider;
    return provider;
}

const IconProvider &iconsOf(const IconProvider *icons)
{
    return icons ? *icons : desktopIcons();
}

QFont systemFont(int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

QFont monospacedFont(int pixels)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixels);
    return font;
}

QPlainTextEdit *makeReadOnlyText(const QString &text, const QFont &font, QWidget *parent)
{
    auto *view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setFrameShape(QFrame::NoFrame);
    view->setFocusPolicy(Qt::ClickFocus);
    view->setFont(font);
    view->document()->setDocumentMargin(14);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setPlainText(text);
    return view;
}

// The preview's background and label colours for a text view; text the document colours itself keeps its colour.
void usePreviewColors(QWidget *view)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, HistoryColors::textBackground(palette));
    palette.setColor(QPalette::Text, HistoryColors::label(palette));
    view->setPalette(palette);
}

// A rich-text view whose document loads nothing from outside: an HTML document from the clipboard may name
// local files or remote addresses for its pictures and style sheets, and showing it must read neither. Data
// addresses, which carry their content in themselves, are left to the document.
class SelfContainedRichText final : public QTextEdit
{
public:
    using QTextEdit::QTextEdit;

protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        Q_UNUSED(type);
        if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
            return {};
        // An empty (not null) answer: the document does not go on to look for a file of that name.
        return QVariant(QByteArray());
    }
};

// Text that a page coloured for its own background (black on white, say) would vanish into the preview's: where a
// fragment's colour is hardly lighter or darker than what it stands on, it takes the label colour instead.
void keepTextReadable(QTextDocument *document, const QPalette &palette)
{
    const QColor label = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    QList<std::pair<int, int>> faint; // position and length
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            const QTextCharFormat format = part.charFormat();
            if (!format.hasProperty(QTextFormat::ForegroundBrush))
                continue;
            const QColor ground = format.hasProperty(QTextFormat::BackgroundBrush)
                    && format.background().style() != Qt::NoBrush && format.background().color().alpha() > 0
                ? format.background().color()
                : base;
            if (std::abs(format.foreground().color().lightness() - ground.lightness()) < 64)
                faint.append({part.position(), part.length()});
        }
    }
    // Changed only once the walk is over: a change of format splits and joins the fragments walked.
    QTextCharFormat readable;
    readable.setForeground(label);
    for (const auto &[position, length] : std::as_const(faint)) {
        QTextCursor cursor(document);
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(readable);
    }
}

QVBoxLayout *fill(QWidget *parent, QWidget *child)
{
    auto *layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(child);
    return layout;
}

// --- The file list ---------------------------------------------------------------------------------------------

constexpr int fileRowIcon = 32;
constexpr int fileRowPitch = fileRowIcon + 6;
constexpr int fileListInset = 12;

class FileRowDelegate final : public QStyledItemDelegate
{
public:
    FileRowDelegate(const IconProvider &icons, QObject *parent) : QStyledItemDelegate(parent), m_icons(icons) { }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {200, fileRowPitch}; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString path = index.data().toString();
        const QFileInfo info(path);
        const QRect row = option.rect.adjusted(fileListInset, 3, -fileListInset, -3);
        const QPalette &palette = option.palette;
        if (option.state & QStyle::State_Selected) {
            QColor selection = palette.color(QPalette::Highlight);
            selection.setAlphaF(0.18f);
            painter->fillRect(option.rect, selection);
        }

        const QRect iconRect(row.left(), row.center().y() - fileRowIcon / 2, fileRowIcon, fileRowIcon);
        const qreal ratio = painter->device()->devicePixelRatioF();
        painter->drawImage(iconRect, icon(path, info.exists(), palette, ratio));

        const int textLeft = iconRect.right() + 1 + 8;
        const QRect textArea(textLeft, row.top(), row.right() - textLeft, row.height());
        const QFont nameFont = systemFont(13, QFont::Medium);
        const QFont folderFont = systemFont(11);
        const QFontMetrics nameMetrics(nameFont), folderMetrics(folderFont);
        const int total = nameMetrics.height() + 1 + folderMetrics.height();
        const int top = textArea.top() + (textArea.height() - total) / 2;
        // A file that is gone is dimmed, name and folder alike, beside its missing-file icon.
        const bool exists = info.exists();
        painter->setFont(nameFont);
        painter->setPen(exists ? HistoryColors::label(palette) : palette.color(QPalette::Disabled, QPalette::Text));
        painter->drawText(QRect(textArea.left(), top, textArea.width(), nameMetrics.height()), Qt::AlignLeft,
            nameMetrics.elidedText(info.fileName(), Qt::ElideMiddle, textArea.width()));
        painter->setFont(folderFont);
        painter->setPen(
            exists ? HistoryColors::secondaryLabel(palette) : palette.color(QPalette::Disabled, QPalette::Text));
        painter->drawText(
            QRect(textArea.left(), top + nameMetrics.height() + 1, textArea.width(), folderMetrics.height()),
            Qt::AlignLeft, folderMetrics.elidedText(info.path(), Qt::ElideMiddle, textArea.width()));
    }

private:
    QImage icon(const QString &path, bool exists, const QPalette &palette, qreal ratio) const
    {
        const int pixels = int(std::ceil(fileRowIcon * ratio));
        const QString key = path + u'\n' + QString::number(pixels) + (exists ? u'+' : u'-');
        if (const QImage *cached = m_cache.object(key))
            return *cached;
        QImage image;
        if (exists) {
            image = m_icons.fileIcon(path, pixels);
        } else {
            image = Symbols::icon(QStringLiteral("questionmark.square.dashed")).pixmap(QSize(pixels, pixels)).toImage();
        }
        Q_UNUSED(palette);
        m_cache.insert(key, new QImage(image));
        return image;
    }

    const IconProvider &m_icons;
    mutable QCache<QString, QImage> m_cache {400};
};

class PathListModel final : public QAbstractListModel
{
public:
    PathListModel(QStringList paths, QObject *parent) : QAbstractListModel(parent), m_paths(std::move(paths)) { }
    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_paths.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_paths.at(index.row());
        return {};
    }

private:
    QStringList m_paths;
};

// --- The link card -----------------------------------------------------------------------------------------------

QWidget *makeLinkCard(
    const QUrl &url, const ClipboardItem &item, QWidget *parent, const std::function<void(const QUrl &)> &open)
{
    auto *card = new QWidget(parent);
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(10);
    column->addStretch(1);
    const std::optional<LinkPreviewDetails> &details = item.linkPreviewDetails;
    if (details && details->imagePath) {
        QImageReader reader(*details->imagePath);
        reader.setAutoTransform(true);
        QSize size = reader.size();
        if (size.isValid()) {
            size.scale(QSize(480, 240).boundedTo(size), Qt::KeepAspectRatio);
            reader.setScaledSize(size);
            const QImage image = reader.read();
            if (!image.isNull()) {
                auto *picture = new QLabel(card);
                picture->setPixmap(QPixmap::fromImage(image));
                picture->setAlignment(Qt::AlignCenter);
                column->addWidget(picture);
            }
        }
    }
    const auto addLabel = [&](const QString &text, const QFont &font, bool secondary) {
        auto *label = new QLabel(text, card);
        label->setFont(font);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter);
        if (secondary) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, HistoryColors::secondaryLabel(palette));
            label->setPalette(palette);
        }
        column->addWidget(label);
        return label;
    };
    if (details && details->title && !details->title->isEmpty())
        addLabel(*details->title, systemFont(17, QFont::DemiBold), false);
    if (details && details->description && !details->description->isEmpty())
        addLabel(*details->description, systemFont(13), true);
    QLabel *address = addLabel(url.toDisplayString(), systemFont(12), true);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *button = new QPushButton(localized(QStringLiteral("Open in Browser")), card);
    QObject::connect(button, &QPushButton::clicked, card, [open, url] { open(url); });
    column->addWidget(button, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return card;
}

bool webEngineWasStarted = false;

} // namespace

// --- Text --------------------------------------------------------------------------------------------------------

PreviewTextView::PreviewTextView(const QString &text, bool monospaced, QWidget *parent)
    : PreviewContentView(parent), m_text(makeReadOnlyText(text, monospaced ? monospacedFont(13) : systemFont(13), this))
{
    usePreviewColors(m_text);
    fill(this, m_text);
}

PreviewTextView::PreviewTextView(const Html &html, QWidget *parent)
    : PreviewContentView(parent), m_richText(new SelfContainedRichText(this))
{
    m_richText->setReadOnly(true);
    m_richText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_richText->setFrameShape(QFrame::NoFrame);
    m_richText->setFocusPolicy(Qt::ClickFocus);
    m_richText->setFont(systemFont(13));
    m_richText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    usePreviewColors(m_richText);
    // The document is built for showing only: the item's HTML itself is never rewritten.
    m_richText->document()->setDocumentMargin(14);
    m_richText->setHtml(html.html);
    keepTextReadable(m_richText->document(), m_richText->palette());
    fill(this, m_richText);
}

QString PreviewTextView::plainText() const
{
    return m_text ? m_text->toPlainText() : m_richText->toPlainText();
}

// --- Editor ------------------------------------------------------------------------------------------------------

namespace {

// The editor lays out a changed paragraph whole, which for a line of a megabyte takes most of a second. A line
// longer than this is therefore shown as paragraphs of about this length: a keystroke lays out one of them, and
// the rest only when they are scrolled into view. The breaks between those paragraphs are not part of the text:
// the paragraph after each carries softBreakProperty, and the editor's text, its counts and what it copies leave
// them out. Only the editor's own insertions make new paragraphs, and it keeps the mark off them (a new paragraph
// would take it from the one it was split from); undo and redo bring back paragraphs with their marks.
constexpr qsizetype longLinePieceLength = 2048;
constexpr int softBreakProperty = QTextFormat::UserProperty + 0x5b;

bool followsSoftBreak(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(softBreakProperty);
}

// Where a long line is broken: after the last space of the piece when there is one in its second half, else at
// the piece's length, moved back so that neither a surrogate pair nor a character and its marks are parted.
qsizetype pieceEnd(QStringView line, qsizetype from)
{
    const qsizetype limit = from + longLinePieceLength;
    if (limit >= line.size())
        return line.size();
    for (qsizetype at = limit; at > from + longLinePieceLength / 2; --at) {
        if (line.at(at - 1) == QLatin1Char(' '))
            return at;
    }
    qsizetype at = limit;
    while (at > from + 1 && (line.at(at).isLowSurrogate() || line.at(at).isMark()))
        --at;
    return at;
}

// The editor's text field: keeps the breaks of long lines out of what is typed, pasted and copied.
class LongLineTextEdit final : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        QTextCursor cursor = textCursor();
        if (event->modifiers() == Qt::NoModifier && !cursor.hasSelection()) {
            // Backspace at the start of a piece, and Delete at the end of one, take the character beyond the break.
            const QTextBlock block = cursor.block();
            if (event->key() == Qt::Key_Backspace && cursor.atBlockStart() && followsSoftBreak(block)
                && block.previous().length() > 1) {
                cursor.setPosition(block.position() - 1);
                setTextCursor(cursor);
            } else if (event->key() == Qt::Key_Delete && cursor.atBlockEnd() && block.next().isValid()
                && followsSoftBreak(block.next()) && block.next().length() > 1) {
                cursor.setPosition(block.next().position());
                setTextCursor(cursor);
            }
        }
        if (isLineEndKey(event) && !textCursor().hasSelection() && makeBreakALineEnd())
            return;
        edit([&] { QPlainTextEdit::keyPressEvent(event); });
    }
    void inputMethodEvent(QInputMethodEvent *event) override
    {
        edit([&] { QPlainTextEdit::inputMethodEvent(event); });
    }
    void insertFromMimeData(const QMimeData *source) override
    {
        edit([&] { QPlainTextEdit::insertFromMimeData(source); });
    }
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        // The menu's Cut and Delete remove text outside the edits above: they run as edits of the editor's own.
        std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
        const QString cut = QCoreApplication::translate("QWidgetTextControl", "Cu&t");
        const QString remove = QCoreApplication::translate("QWidgetTextControl", "Delete");
        for (QAction *action : menu->actions()) {
            const bool cuts = action->text().startsWith(cut);
            if (!cuts && action->text() != remove)
                continue;
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this, cuts] {
                edit([this, cuts] {
                    if (cuts) {
                        QPlainTextEdit::cut();
                    } else {
                        QTextCursor cursor = textCursor();
                        cursor.removeSelectedText();
                        setTextCursor(cursor);
                    }
                });
            });
        }
        menu->exec(event->globalPos());
    }
    void dropEvent(QDropEvent *event) override
    {
        // Moving text by dragging it within the editor removes it where it was behind the edits above; while the
        // text has breaks of long lines, that is not done (dropping text from elsewhere is).
        if ((event->source() == this || event->source() == viewport()) && hasSoftBreaks()) {
            event->ignore();
            return;
        }
        QPlainTextEdit::dropEvent(event);
    }
    QMimeData *createMimeDataFromSelection() const override
    {
        const QTextCursor cursor = textCursor();
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        QList<int> breaks; // in the selection, from its start
        for (QTextBlock block = document()->findBlock(start).next(); block.isValid() && block.position() <= end;
             block = block.next()) {
            if (followsSoftBreak(block))
                breaks.append(block.position() - 1 - start);
        }
        if (breaks.isEmpty())
            return QPlainTextEdit::createMimeDataFromSelection();
        // The selection's plain text has one character for each of the document's, a break among them.
        QString text = QTextDocumentFragment(cursor).toPlainText();
        if (text.size() != end - start)
            return QPlainTextEdit::createMimeDataFromSelection();
        for (auto it = breaks.crbegin(); it != breaks.crend(); ++it)
            text.remove(*it, 1);
        auto *data = new QMimeData;
        data->setText(text);
        return data;
    }

private:
    bool hasSoftBreaks() const
    {
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (followsSoftBreak(block))
                return true;
        }
        return false;
    }
    static bool isLineEndKey(const QKeyEvent *event)
    {
        return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    }
    // A line end typed where a long line is broken: the break becomes the line end (as in a wrapped line, the
    // cursor goes to the start of the next line), rather than an empty paragraph beside a break.
    bool makeBreakALineEnd()
    {
        QTextCursor cursor = textCursor();
        QTextBlock next;
        if (cursor.atBlockStart() && followsSoftBreak(cursor.block()))
            next = cursor.block();
        else if (cursor.atBlockEnd() && cursor.block().next().isValid() && followsSoftBreak(cursor.block().next()))
            next = cursor.block().next();
        if (!next.isValid())
            return false;
        cursor.setPosition(next.position());
        QTextBlockFormat format = next.blockFormat();
        format.clearProperty(softBreakProperty);
        cursor.setBlockFormat(format);
        setTextCursor(cursor);
        return true;
    }

    // Runs an edit of the user's and puts the marks of the paragraphs it touched right. An edit changes the text
    // from the place where it starts on, so the paragraph holding that place still follows the break it followed
    // before (QTextDocument gives a joined paragraph the format of either part), and the paragraphs that the edit
    // made after it are ended by a typed or pasted line end, never by the break of a long line (a new paragraph
    // takes its format from the one it was split from).
    void edit(const std::function<void()> &run)
    {
        const QTextCursor cursor = textCursor();
        const int start = cursor.selectionStart();
        const int revision = document()->revision();
        const int blocks = document()->blockCount();
        const int selectedLineEnds = cursor.selectionEnd() > start
            ? document()->findBlock(cursor.selectionEnd()).blockNumber() - document()->findBlock(start).blockNumber()
            : 0;
        // The paragraphs up to the start of the edit, from the one before it (a Backspace may reach into that).
        QList<std::pair<int, bool>> before;
        QTextBlock block = document()->findBlock(start);
        if (block.previous().isValid())
            block = block.previous();
        for (; block.isValid() && block.position() <= start; block = block.next())
            before.append({block.position(), followsSoftBreak(block)});
        run();
        if (document()->revision() == revision)
            return; // the cursor moved, or nothing happened
        const int end = textCursor().position();
        const int from = qMin(start, end);
        std::optional<bool> followsBreak;
        for (const auto &[position, soft] : before) {
            if (position <= from)
                followsBreak = soft;
        }
        // What was selected went first, then what was typed or pasted followed, with this many new paragraphs.
        const int madeBlocks = document()->blockCount() - blocks + selectedLineEnds;
        QTextCursor fix(document());
        bool joined = false;
        const auto setMark = [&](const QTextBlock &paragraph, bool soft) {
            if (followsSoftBreak(paragraph) == soft || paragraph.position() == 0)
                return;
            if (!joined) {
                // Part of the edit's own step of undo.
                fix.joinPreviousEditBlock();
                joined = true;
            }
            fix.setPosition(paragraph.position());
            QTextBlockFormat format = paragraph.blockFormat();
            if (soft)
                format.setProperty(softBreakProperty, true);
            else
                format.clearProperty(softBreakProperty);
            fix.setBlockFormat(format);
        };
        const QTextBlock first = document()->findBlock(from);
        if (followsBreak)
            setMark(first, *followsBreak);
        QTextBlock made = first.next();
        for (int n = 0; n < madeBlocks && made.isValid(); ++n, made = made.next())
            setMark(made, false);
        if (joined)
            fix.endEditBlock();
    }
};

} // namespace

PreviewEditingView::PreviewEditingView(const QString &text, QWidget *parent)
    : PreviewContentView(parent), m_notice(new QLabel(this)), m_text(new LongLineTextEdit(this))
{
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setFont(monospacedFont(13));
    m_text->document()->setDocumentMargin(14);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_notice->setObjectName(QStringLiteral("ItemPreviewRemovedNotice"));
    m_notice->setWordWrap(true);
    m_notice->setFont(systemFont(12));
    m_notice->setContentsMargins(14, 8, 14, 8);
    m_notice->setText(
        localized(QStringLiteral("This item was removed from the history. Save keeps the text as a new item.")));
    // A faint band in the label colour over the text background, so that it reads as a note about the text.
    QPalette notice = m_notice->palette();
    notice.setColor(QPalette::WindowText, HistoryColors::label(notice));
    QColor band = HistoryColors::label(notice);
    band.setAlphaF(0.06f);
    notice.setColor(QPalette::Window, band);
    m_notice->setPalette(notice);
    m_notice->setAutoFillBackground(true);
    m_notice->hide();

    m_text->setReadOnly(false);
    m_text->setTextInteractionFlags(Qt::TextEditorInteraction);
    m_text->setFocusPolicy(Qt::StrongFocus);
    m_text->setUndoRedoEnabled(true);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, HistoryColors::textBackground(palette));
    palette.setColor(QPalette::Text, HistoryColors::label(palette));
    m_text->setPalette(palette);
    setText(text);
    connect(m_text->document(), &QTextDocument::contentsChange, this,
        [this](int position, int, int added) { forgetCounts(position, added); });

    QVBoxLayout *layout = fill(this, m_text);
    layout->insertWidget(0, m_notice);
}

void PreviewEditingView::showRemovedNotice()
{
    m_notice->show();
}

void PreviewEditingView::setText(const QString &text)
{
    m_text->setPlainText(text);
    // Each long paragraph is broken into pieces, from its end backwards so that the places found stay where they
    // are; in one step, so that the editor lays out what it shows only once.
    QTextDocument *document = m_text->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.length() - 1 <= longLinePieceLength)
            continue;
        const QString line = block.text();
        QList<qsizetype> ends;
        for (qsizetype end = pieceEnd(line, 0); end < line.size(); end = pieceEnd(line, end))
            ends.append(end);
        const int start = block.position();
        QTextBlockFormat piece = block.blockFormat();
        piece.setProperty(softBreakProperty, true);
        for (auto end = ends.crbegin(); end != ends.crend(); ++end) {
            cursor.setPosition(start + int(*end));
            cursor.insertBlock(piece);
        }
        block = document->findBlock(start + int(line.size() + ends.size()) - 1);
    }
    cursor.endEditBlock();
    document->clearUndoRedoStacks();
    m_counted = false;
}

namespace {

// The counts of one line of the editor, kept until a change touches the line.
struct LineCounts final : QTextBlockUserData
{
    qsizetype characters = 0;
    qsizetype bytes = 0;
};

} // namespace

QString PreviewEditingView::text() const
{
    // The raw text: the plain text would turn non-breaking spaces into spaces.
    QString raw = m_text->document()->toRawText();
    count();
    if (m_softBreaks > 0) {
        QString joined;
        joined.reserve(raw.size() - m_softBreaks);
        qsizetype from = 0;
        for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
            if (!followsSoftBreak(block) || block.position() == 0)
                continue;
            const qsizetype at = block.position() - 1;
            joined += QStringView(raw).sliced(from, at - from);
            from = at + 1;
        }
        joined += QStringView(raw).sliced(from);
        raw = std::move(joined);
    }
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

bool PreviewEditingView::holds(const QString &text) const
{
    count();
    return m_text->document()->characterCount() - 1 - m_softBreaks == text.size() && this->text() == text;
}

void PreviewEditingView::forgetCounts(int position, int added)
{
    m_counted = false;
    const QTextDocument *document = m_text->document();
    const QTextBlock last = document->findBlock(position + added);
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        block.setUserData(nullptr);
        if (block == last)
            break;
    }
}

void PreviewEditingView::count() const
{
    if (m_counted)
        return;
    // A line end is a character and a byte of its own, and no character spans two lines. The break of a long line
    // is neither.
    qsizetype characters = 0, bytes = 0, lines = 0, softBreaks = 0;
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        if (followsSoftBreak(block))
            ++softBreaks;
        auto *counts = static_cast<LineCounts *>(block.userData());
        if (!counts) {
            counts = new LineCounts;
            const QString line = block.text();
            counts->characters = ItemPreviewDetailsView::characterCount(line);
            counts->bytes = ItemPreviewDetailsView::utf8Size(line);
            block.setUserData(counts);
        }
        characters += counts->characters;
        bytes += counts->bytes;
        ++lines;
    }
    m_characters = characters + std::max<qsizetype>(lines - 1 - softBreaks, 0);
    m_bytes = bytes + std::max<qsizetype>(lines - 1 - softBreaks, 0);
    m_softBreaks = softBreaks;
    m_counted = true;
}

qsizetype PreviewEditingView::characterCount() const
{
    count();
    return m_characters;
}

qsizetype PreviewEditingView::utf8Size() const
{
    count();
    return m_bytes;
}

// --- Image -------------------------------------------------------------------------------------------------------

PreviewImageView::PreviewImageView(QString path, QSizeF pointSize, QWidget *parent)
    : PreviewContentView(parent), m_path(std::move(path)), m_pointSize(pointSize)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

QRect PreviewImageView::imageRect() const
{
    QSizeF shown = m_pointSize;
    if (shown.width() > width() || shown.height() > height())
        shown.scale(QSizeF(size()), Qt::KeepAspectRatio);
    const QSize whole(int(std::round(shown.width())), int(std::round(shown.height())));
    return QRect(QPoint((width() - whole.width()) / 2, (height() - whole.height()) / 2), whole);
}

void PreviewImageView::decodeFor(QSize pixels)
{
    if (!m_image.isNull() && m_image.width() >= pixels.width() && m_image.height() >= pixels.height())
        return;
    QImageReader reader(m_path);
    reader.setAutoTransform(true);
    QSize full = reader.size();
    if (!full.isValid())
        return;
    // The reader scales before it turns the picture: ask for the size in the file's own orientation.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    QSize wanted = turned ? pixels.transposed() : pixels;
    if (wanted.width() < full.width() || wanted.height() < full.height()) {
        full.scale(wanted, Qt::KeepAspectRatio);
        reader.setScaledSize(full);
    }
    const QImage image = reader.read();
    if (!image.isNull())
        m_image = image;
}

void PreviewImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), HistoryColors::textBackground(palette()));
    const QRect target = imageRect();
    if (target.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    decodeFor(QSize(int(std::ceil(target.width() * ratio)), int(std::ceil(target.height() * ratio))));
    if (m_image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}

// --- Colour ------------------------------------------------------------------------------------------------------

PreviewColorView::PreviewColorView(QColor color, QString text, QWidget *parent)
    : PreviewContentView(parent), m_color(std::move(color)), m_text(std::move(text))
{
    setToolTip(m_text);
}

QString PreviewColorView::shownText() const
{
    return QFontMetrics(monospacedFont(15)).elidedText(m_text, Qt::ElideMiddle, std::max(width() - 32, 0));
}

void PreviewColorView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), HistoryColors::textBackground(palette()));
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = monospacedFont(15);
    const QFontMetrics metrics(font);
    const int swatch = 180, spacing = 16;
    const int total = swatch + spacing + metrics.height();
    const int top = (height() - total) / 2;
    const QRectF circle((width() - swatch) / 2.0 + 0.5, top + 0.5, swatch - 1, swatch - 1);
    QColor border = HistoryColors::label(palette());
    border.setAlphaF(0.1f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(m_color);
    painter.drawEllipse(circle);
    painter.setFont(font);
    painter.setPen(HistoryColors::label(palette()));
    painter.drawText(
        QRect(16, top + swatch + spacing, std::max(width() - 32, 0), metrics.height()), Qt::AlignCenter, shownText());
}

// --- File list ---------------------------------------------------------------------------------------------------

PreviewFileListView::PreviewFileListView(const QStringList &paths, const IconProvider *icons, QWidget *parent)
    : PreviewContentView(parent), m_list(new QListView(this))
{
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setItemDelegate(new FileRowDelegate(iconsOf(icons), m_list));
    m_list->setModel(new PathListModel(paths, m_list));
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, HistoryColors::textBackground(palette));
    m_list->setPalette(palette);
    fill(this, m_list)->setContentsMargins(0, fileListInset - 3, 0, fileListInset - 3);
    setAutoFillBackground(true);
    QPalette own = this->palette();
    own.setColor(QPalette::Window, HistoryColors::textBackground(own));
    setPalette(own);
}

// --- One file ----------------------------------------------------------------------------------------------------

PreviewFileView::PreviewFileView(Form form, QWidget *parent) : PreviewContentView(parent), m_form(form) { }

bool PreviewFileView::isTextLike(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("text/plain")))
        return true;
    for (const char *name : {"application/json", "application/xml", "application/x-shellscript",
             "application/javascript", "application/x-yaml", "application/toml", "application/sql"}) {
        if (type.inherits(QString::fromLatin1(name)))
            return true;
    }
    return type.name().startsWith(QLatin1String("text/"));
}

PreviewFileView *PreviewFileView::make(const QString &path, const IconProvider *icons, QWidget *parent)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isReadable())
        return nullptr;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);

    if (info.isFile() && type.inherits(QStringLiteral("application/pdf"))) {
        auto *document = new QPdfDocument;
        if (document->load(path) == QPdfDocument::Error::None && document->pageCount() > 0) {
            auto *view = new PreviewFileView(Form::pdf, parent);
            document->setParent(view);
            view->m_pdf = document;
            auto *pdf = new QPdfView(view);
            pdf->setDocument(document);
            pdf->setPageMode(QPdfView::PageMode::MultiPage);
            pdf->setZoomMode(QPdfView::ZoomMode::FitToWidth);
            pdf->setFrameShape(QFrame::NoFrame);
            fill(view, pdf);
            return view;
        }
        delete document;
    }

    if (info.isFile() && isTextLike(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return nullptr;
        QByteArray bytes = file.read(textByteLimit);
        const bool cut = !file.atEnd();
        QString text = QString::fromUtf8(bytes);
        if (cut)
            text += QStringLiteral("\n\u2026");
        auto *view = new PreviewFileView(Form::text, parent);
        QPlainTextEdit *edit = makeReadOnlyText(text, monospacedFont(12), view);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, HistoryColors::textBackground(palette));
        edit->setPalette(palette);
        fill(view, edit);
        return view;
    }

    if (info.isFile() && QImageReader(path).canRead()) {
        const auto size = imageFileDisplaySize(path);
        if (size) {
            auto *view = new PreviewFileView(Form::image, parent);
            fill(view, new PreviewImageView(path, *size, view));
            return view;
        }
    }

    // The card: the type's icon, name, type, size and date.
    auto *view = new PreviewFileView(Form::card, parent);
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(6);
    column->addStretch(1);
    auto *icon = new QLabel(view);
    const qreal ratio = view->devicePixelRatioF();
    QImage picture = iconsOf(icons).fileIcon(path, int(128 * ratio));
    picture.setDevicePixelRatio(ratio);
    icon->setPixmap(QPixmap::fromImage(picture));
    icon->setAlignment(Qt::AlignCenter);
    column->addWidget(icon);
    const auto addLine = [&](const QString &text, const QFont &font, bool secondary) {
        auto *label = new QLabel(text, view);
        label->setTextFormat(Qt::PlainText);
        label->setFont(font);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        if (secondary) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, HistoryColors::secondaryLabel(palette));
            label->setPalette(palette);
        }
        column->addWidget(label);
    };
    addLine(info.fileName(), systemFont(15, QFont::DemiBold), false);
    addLine(type.comment(), systemFont(12), true);
    if (info.isFile())
        addLine(ItemPreviewDetailsView::formattedByteCount(info.size()), systemFont(12), true);
    addLine(localized(QStringLiteral("Modified: %@"), {ItemPreviewDetailsView::formattedDate(info.lastModified())}),
        systemFont(12), true);
    column->addStretch(1);
    return view;
}

void PreviewFileView::teardown()
{
    if (m_pdf)
        m_pdf->close();
}

// --- Spinner -----------------------------------------------------------------------------------------------------

PreviewSpinner::PreviewSpinner(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setFixedSize(32, 32);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        QWidget::update();
    });
}

bool PreviewSpinner::isSpinning() const
{
    return m_timer->isActive();
}

void PreviewSpinner::showEvent(QShowEvent *)
{
    m_timer->start();
}

void PreviewSpinner::hideEvent(QHideEvent *)
{
    m_timer->stop();
}

void PreviewSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(m_angle);
    const QColor base = HistoryColors::label(palette());
    for (int i = 0; i < 12; ++i) {
        QColor spoke = base;
        spoke.setAlphaF(float(0.15 + 0.85 * i / 11.0) * base.alphaF());
        painter.setPen(QPen(spoke, 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -8), QPointF(0, -13));
        painter.rotate(30);
    }
}

// --- Web page ----------------------------------------------------------------------------------------------------

PreviewWebPageView::PreviewWebPageView(
    const QUrl &url, const ClipboardItem &item, const PreviewEnvironment &environment, QWidget *parent)
    : PreviewContentView(parent), m_item(item), m_openExternally(environment.openExternally)
{
    if (!m_openExternally)
        m_openExternally = [](const QUrl &address) { QDesktopServices::openUrl(address); };
    if (!environment.webPagesEnabled) {
        m_card = makeLinkCard(url, m_item, this, m_openExternally);
        fill(this, m_card);
        return;
    }

    webEngineWasStarted = true;
    m_url = url;
    WebPageEngine::Callbacks callbacks;
    callbacks.loaded = [this] { finishWebLoading(QString()); };
    callbacks.failed = [this](int errorCode) {
        if (errorCode != -3) // aborted: another navigation took its place, and reports for itself
            finishWebLoading(messageForError(errorCode));
    };
    callbacks.newWindowRequested = [this](const QUrl &requested) { newWindowRequested(requested); };
    callbacks.crashed = [this] { QTimer::singleShot(0, this, &PreviewWebPageView::showLinkCard); };
    m_page = WebPageEngine::create(std::move(callbacks), this);
    if (!m_page) {
        m_card = makeLinkCard(url, m_item, this, m_openExternally);
        fill(this, m_card);
        return;
    }
    fill(this, m_page->widget());

    m_spinner = new PreviewSpinner(this);
    m_message = new QLabel(this);
    m_message->setFont(systemFont(13));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, HistoryColors::secondaryLabel(palette));
    m_message->setPalette(palette);
    m_message->hide();
    m_spinner->show();
    m_spinner->raise();

    m_timeout = new QTimer(this);
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, [this] {
        if (m_page)
            m_page->stop();
        finishWebLoading(localized(QStringLiteral("The request timed out.")));
    });
    m_timeout->start(loadTimeoutMs);
    m_page->load(url);
    placeOverlays();
}

PreviewWebPageView::~PreviewWebPageView()
{
    teardown();
}

bool PreviewWebPageView::webEngineStarted()
{
    return webEngineWasStarted;
}

void PreviewWebPageView::teardown()
{
    if (m_timeout)
        m_timeout->stop();
    // Stops the page's loading, lets go of its reports and deletes its view.
    m_page.reset();
}

QString PreviewWebPageView::messageForError(int errorCode)
{
    switch (errorCode) {
    case -105: // name not resolved
    case -137: // name resolution failed
        return localized(QStringLiteral("A server with the specified hostname could not be found."));
    case -102: // connection refused
    case -104: // connection failed
    case -109: // address unreachable
    case -100: // connection closed
    case -101: // connection reset
        return localized(QStringLiteral("Could not connect to the server."));
    case -106: // offline
        return localized(QStringLiteral("The Internet connection appears to be offline."));
    case -7: // timed out
    case -118: // connection timed out
        return localized(QStringLiteral("The request timed out."));
    default:
        break;
    }
    if (errorCode <= -200 && errorCode > -300)
        return localized(QStringLiteral("The certificate for this server is invalid."));
    return localized(QStringLiteral("The page could not be loaded."));
}

void PreviewWebPageView::finishWebLoading(const QString &message)
{
    if (m_timeout)
        m_timeout->stop();
    if (m_spinner)
        m_spinner->hide();
    if (!m_message)
        return;
    if (message.isEmpty()) {
        m_message->hide();
        return;
    }
    m_message->setText(message);
    m_message->show();
    m_message->raise();
    if (m_page)
        m_page->widget()->hide();
    placeOverlays();
}

void PreviewWebPageView::newWindowRequested(const QUrl &url)
{
    // No page of ours opens; only a web address goes to the browser.
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        m_openExternally(url);
}

void PreviewWebPageView::showLinkCard()
{
    if (m_card)
        return;
    const QUrl url = m_url;
    teardown();
    if (m_spinner)
        m_spinner->hide();
    if (m_message)
        m_message->hide();
    m_card = makeLinkCard(url, m_item, this, m_openExternally);
    layout()->addWidget(m_card);
}

void PreviewWebPageView::resizeEvent(QResizeEvent *event)
{
    PreviewContentView::resizeEvent(event);
    placeOverlays();
}

void PreviewWebPageView::placeOverlays()
{
    if (m_spinner)
        m_spinner->move((width() - m_spinner->width()) / 2, (height() - m_spinner->height()) / 2);
    if (m_message) {
        const int messageWidth = int(width() * 0.8);
        const int lineHeight = m_message->fontMetrics().lineSpacing();
        const int messageHeight = std::min(m_message->heightForWidth(messageWidth), 3 * lineHeight);
        m_message->setGeometry((width() - messageWidth) / 2, (height() - messageHeight) / 2, messageWidth,
            std::max(messageHeight, lineHeight));
    }
}

// --- Dispatch ----------------------------------------------------------------------------------------------------

PreviewContentView *makePreviewContentView(
    const PreviewContent &content, const ClipboardItem &item, const PreviewEnvironment &environment)
{
    Symbols::useInstalledThemeAsFallback();
    switch (content.kind) {
    case PreviewContent::Kind::text:
        if (!content.html.isEmpty())
            return new PreviewTextView(PreviewTextView::Html {content.html});
        return new PreviewTextView(content.text, content.monospaced);
    case PreviewContent::Kind::image:
        return new PreviewImageView(content.imagePath, content.imageSize);
    case PreviewContent::Kind::color:
        return new PreviewColorView(content.color, content.colorText);
    case PreviewContent::Kind::webPage:
        return new PreviewWebPageView(content.url, item, environment);
    case PreviewContent::Kind::fileQuickLook:
        if (PreviewFileView *view = PreviewFileView::make(content.url.toLocalFile(), environment.icons))
            return view;
        return new PreviewFileListView({content.url.toLocalFile()}, environment.icons);
    case PreviewContent::Kind::fileList:
        break;
    }
    return new PreviewFileListView(content.paths, environment.icons);
}
