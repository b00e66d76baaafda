#pragma once

#include "ClipboardItem.h"
#include "PreviewContent.h"
#include "WebPageEngine.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

class IconProvider;
class QLabel;
class QListView;
class QPdfDocument;
class QPlainTextEdit;
class QTextEdit;
class QTimer;

// The content views of the item preview, one per kind of content. Each is built for a content and torn down
// (loads stopped, documents closed) before another takes its place.

// What the content views need from outside.
struct PreviewEnvironment
{
    const IconProvider *icons = nullptr; // file icons; the desktop's theme when none is given
    bool webPagesEnabled = true; // false: a link shows its card instead of the live page
    std::function<void(const QUrl &)> openExternally; // a page's new window; the desktop's browser when unset
};

// A content view; teardown() stops whatever it still loads.
class PreviewContentView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    virtual void teardown() { }
};

// Builds the view for a content. `item` gives the link card its details.
PreviewContentView *makePreviewContentView(
    const PreviewContent &content, const ClipboardItem &item, const PreviewEnvironment &environment);

// Read-only, selectable text with a 14-pixel inset: plain text, or an HTML document with its formatting as Qt's
// rich-text document renders it. The document loads no resources from outside itself (no files, no network).
class PreviewTextView final : public PreviewContentView
{
    Q_OBJECT

public:
    PreviewTextView(const QString &text, bool monospaced, QWidget *parent = nullptr);
    struct Html
    {
        QString html;
    };
    explicit PreviewTextView(const Html &html, QWidget *parent = nullptr);
    // The plain-text view; nothing when an HTML document is shown.
    QPlainTextEdit *textView() const { return m_text; }
    // The rich-text view of an HTML document; nothing for plain text.
    QTextEdit *richTextView() const { return m_richText; }
    // The text shown, without formatting.
    QString plainText() const;

private:
    QPlainTextEdit *m_text = nullptr;
    QTextEdit *m_richText = nullptr;
};

// The editor of a text: the read-only text view made editable (plain text, undo, the 13-pixel monospaced font),
// with a notice above it that shows once the item has left the history. It answers for its text on every keystroke,
// so it keeps the counts of each line and counts again only the lines a change touched. A very long line is shown
// in pieces, so that a keystroke does not lay the whole line out again; the text stays exactly as it is.
class PreviewEditingView final : public PreviewContentView
{
    Q_OBJECT

public:
    explicit PreviewEditingView(const QString &text, QWidget *parent = nullptr);
    QPlainTextEdit *textView() const { return m_text; }
    QLabel *removedNotice() const { return m_notice; }
    // Shows that the item is no longer in the history and that saving keeps the text as a new item.
    void showRemovedNotice();
    // Puts the text in the editor, with nothing to undo.
    void setText(const QString &text);

    // The text as the editor holds it: every character as typed (non-breaking spaces too), lines ending in "\n".
    QString text() const;
    // Whether the editor holds exactly this text; at once when the lengths differ.
    bool holds(const QString &text) const;
    // The characters a reader counts, and the size in UTF-8, of text().
    qsizetype characterCount() const;
    qsizetype utf8Size() const;

private:
    void forgetCounts(int position, int added);
    void count() const;

    QLabel *m_notice;
    QPlainTextEdit *m_text;
    mutable qsizetype m_characters = 0;
    mutable qsizetype m_bytes = 0;
    mutable qsizetype m_softBreaks = 0; // breaks of long lines, which are not characters of the text
    mutable bool m_counted = false;
};

// An image file, decoded at the size it is shown (again only when it is shown larger than it was decoded), centred
// and scaled down to fit, never up.
class PreviewImageView final : public PreviewContentView
{
    Q_OBJECT

public:
    PreviewImageView(QString path, QSizeF pointSize, QWidget *parent = nullptr);
    // The pixel size the image was last decoded at.
    QSize decodedSize() const { return m_image.size(); }
    QRect imageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void decodeFor(QSize pixels);

    QString m_path;
    QSizeF m_pointSize;
    QImage m_image;
};

// A round swatch of the colour with its text underneath.
class PreviewColorView final : public PreviewContentView
{
    Q_OBJECT

public:
    PreviewColorView(QColor color, QString text, QWidget *parent = nullptr);
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    QString m_text;
};

// The files of an item, one row each (icon, name, folder), in a list view that paints only what is visible.
class PreviewFileListView final : public PreviewContentView
{
    Q_OBJECT

public:
    PreviewFileListView(const QStringList &paths, const IconProvider *icons, QWidget *parent = nullptr);
    QListView *listView() const { return m_list; }

private:
    QListView *m_list;
};

// One file: a PDF's pages, a text-like file's first 512 KiB, an image, else a card with the type's icon, name,
// type, size and date. Nothing when the file cannot be read (the caller shows the file list instead).
class PreviewFileView final : public PreviewContentView
{
    Q_OBJECT

public:
    enum class Form { pdf, text, image, card };
    static PreviewFileView *make(const QString &path, const IconProvider *icons, QWidget *parent = nullptr);
    Form form() const { return m_form; }
    QPdfDocument *pdfDocument() const { return m_pdf; }
    void teardown() override;

    // The text-like files: text/*, JSON, XML, scripts and source code.
    static bool isTextLike(const QString &path);
    static constexpr qint64 textByteLimit = 512 * 1024;

private:
    PreviewFileView(Form form, QWidget *parent);

    Form m_form;
    QPdfDocument *m_pdf = nullptr;
};

// A spinner that turns while it is shown.
class PreviewSpinner final : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewSpinner(QWidget *parent = nullptr);
    bool isSpinning() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer *m_timer;
    int m_angle = 0;
};

// A link's live page. The web engine is started by the first such view, never before. A spinner turns until the
// page has loaded; a failure shows our own text for it instead of the page; a request for a new window opens an
// http or https address in the browser and nothing else. Where the engine cannot start, the link's card shows.
class PreviewWebPageView final : public PreviewContentView
{
    Q_OBJECT

public:
    PreviewWebPageView(
        const QUrl &url, const ClipboardItem &item, const PreviewEnvironment &environment, QWidget *parent = nullptr);
    ~PreviewWebPageView() override;

    void teardown() override;
    // The live page; nothing once torn down or where the engine could not start.
    WebPageEngine *webPage() const { return m_page.get(); }
    PreviewSpinner *loadingIndicator() const { return m_spinner; }
    QLabel *messageField() const { return m_message; }
    QWidget *linkCard() const { return m_card; }

    // Whether a web view has been made in this process.
    static bool webEngineStarted();
    // Our text for a failed load of the engine's error code.
    static QString messageForError(int errorCode);
    // A load gives up after this long.
    static constexpr int loadTimeoutMs = 60000;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void finishWebLoading(const QString &message);
    void newWindowRequested(const QUrl &url);
    void showLinkCard();
    void placeOverlays();

    ClipboardItem m_item;
    std::function<void(const QUrl &)> m_openExternally;
    std::unique_ptr<WebPageEngine> m_page;
    QUrl m_url;
    PreviewSpinner *m_spinner = nullptr;
    QLabel *m_message = nullptr;
    QWidget *m_card = nullptr;
    QTimer *m_timeout = nullptr;
};
