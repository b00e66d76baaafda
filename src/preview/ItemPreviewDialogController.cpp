#include "ItemPreviewDialogController.h"

#include "ElidedLabel.h"
#include "HistoryColors.h"
#include "ItemPreviewDetailsView.h"
#include "Localization.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace {

constexpr Qt::KeyboardModifiers chordModifiers
    = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool focusHasSelectedText()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return plain->textCursor().hasSelection();
    if (auto *rich = qobject_cast<QTextEdit *>(focus))
        return rich->textCursor().hasSelection();
    return false;
}

} // namespace

// --- Root view ---------------------------------------------------------------------------------------------------

ItemPreviewKeyHandlingView::ItemPreviewKeyHandlingView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

bool ItemPreviewKeyHandlingView::handleKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & chordModifiers;
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return false; // a modifier alone is no key of ours, nor the window's
    default:
        break;
    }
    if (event->key() == Qt::Key_Escape) {
        if (onEscape)
            onEscape();
        return true;
    }
    if (modifiers == Qt::NoModifier || modifiers == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Space) {
            if (onCancel)
                onCancel();
            return true;
        }
        return onKeyDown && onKeyDown(event);
    }
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_S)
        return onSaveKeyEquivalent && onSaveKeyEquivalent();
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_C && focusHasSelectedText())
        return false; // the text view copies its selection
    return onKeyDown && onKeyDown(event);
}

void ItemPreviewKeyHandlingView::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        event->accept();
    else
        event->ignore();
}

void ItemPreviewKeyHandlingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), HistoryColors::textBackground(palette()));
}

void ItemPreviewKeyHandlingView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (onLayout)
        onLayout();
}

// --- Controller --------------------------------------------------------------------------------------------------

ItemPreviewDialogController::ItemPreviewDialogController(const ClipboardItem &item, QSizeF maximumContentSize,
    PreviewEnvironment environment, ItemPreviewToolbar::ApplicationLookup applications, QObject *parent)
    : QObject(parent)
    , m_item(item)
    , m_maximumContentSize(maximumContentSize)
    , m_environment(std::move(environment))
    , m_toolbar(item, std::move(applications))
{
    m_toolbar.delegate = this;
}

ItemPreviewDialogController::~ItemPreviewDialogController()
{
    m_toolbar.delegate = nullptr;
    removeContent();
    // The views are the controller's until a window takes them.
    if (m_root && !m_root->parent())
        delete m_root;
    if (m_details && !m_details->parent())
        delete m_details;
}

ItemPreviewDetailsView *ItemPreviewDialogController::detailsView()
{
    if (!m_details)
        m_details = new ItemPreviewDetailsView(m_item, m_root);
    return m_details;
}

QSizeF ItemPreviewDialogController::contentSize(const PreviewContent &content)
{
    const double detailsHeight = detailsView()->layoutFields(int(m_maximumContentSize.width()), false);
    return content.size(m_item, m_maximumContentSize, detailsHeight);
}

QSize ItemPreviewDialogController::fittedContentSize(const PreviewContent &content)
{
    const QSizeF size = contentSize(content);
    const double W = m_maximumContentSize.width(), H = m_maximumContentSize.height();
    double width = std::min(std::max(size.width(), double(detailsView()->preferredWidth())), W);
    if (m_item.kind == ClipboardKind::file && m_item.filePaths.size() <= 1
        && content.kind == PreviewContent::Kind::image) {
        const double minimum = ItemPreviewToolbar::maximumTitleWidth() + 55 + 440;
        width = std::min(std::max(width, minimum), W);
    }
    const int wholeWidth = int(std::ceil(width));
    const double height = std::min(std::max(size.height() + detailsView()->layoutFields(wholeWidth, false), 300.0), H);
    return {wholeWidth, int(std::ceil(height))};
}

QRect ItemPreviewDialogController::contentFrame(QSize rootSize)
{
    const int detailsHeight = detailsView()->layoutFields(rootSize.width(), false);
    return {contentInset, contentInset, std::max(rootSize.width() - 2 * contentInset, 0),
        std::max(rootSize.height() - detailsHeight - contentInset, 0)};
}

ItemPreviewKeyHandlingView *ItemPreviewDialogController::view()
{
    if (m_root)
        return m_root;
    m_content = PreviewContent::make(m_item);
    const QSize size = fittedContentSize(m_content);

    auto *root = new ItemPreviewKeyHandlingView;
    root->resize(size);
    m_root = root;
    QPointer<ItemPreviewDialogController> self(this);
    root->onCancel = [self] {
        if (self && !self->isEditing() && self->onCancel)
            self->onCancel();
    };
    root->onEscape = [self] {
        if (self)
            self->handleCancel();
    };
    root->onKeyDown
        = [self](QKeyEvent *event) { return self && !self->isEditing() && self->onKeyDown && self->onKeyDown(event); };
    root->onSaveKeyEquivalent = [self] { return self && self->handleSaveKeyEquivalent(); };
    root->onLayout = [self] {
        if (self)
            self->layoutRoot();
    };

    detailsView()->setParent(root);
    m_details->show();
    m_windowContentSize = size;
    installContentView();
    layoutRoot();
    return root;
}

void ItemPreviewDialogController::layoutRoot()
{
    if (!m_root)
        return;
    const QSize size = m_root->size();
    const int detailsHeight = detailsView()->layoutFields(size.width(), false);
    m_details->setGeometry(0, size.height() - detailsHeight, size.width(), detailsHeight);
    if (m_contentView)
        m_contentView->setGeometry(contentFrame(size));
    m_toolbar.updateAccessoryWidth();
}

void ItemPreviewDialogController::removeContent()
{
    if (!m_contentView)
        return;
    PreviewContentView *old = m_contentView;
    m_contentView = nullptr;
    old->teardown();
    old->hide();
    old->setParent(nullptr);
    old->deleteLater();
}

void ItemPreviewDialogController::installContentView()
{
    removeContent();
    PreviewContentView *view = makePreviewContentView(m_content, m_item, m_environment);
    view->setParent(m_root);
    view->setGeometry(contentFrame(m_root->size()));
    view->show();
    // Keys pressed in a text view reach the preview too: Ctrl+C without a selection is the host's copy.
    for (QWidget *child : view->findChildren<QWidget *>()) {
        if (qobject_cast<QPlainTextEdit *>(child) || qobject_cast<QTextEdit *>(child))
            child->installEventFilter(this);
    }
    m_contentView = view;
}

bool ItemPreviewDialogController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_root) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & chordModifiers;
        const bool copy = modifiers == Qt::ControlModifier && key->key() == Qt::Key_C;
        const bool save = modifiers == Qt::ControlModifier && key->key() == Qt::Key_S;
        if ((copy && !focusHasSelectedText()) || save || key->key() == Qt::Key_Escape) {
            if (m_root->handleKey(key))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ItemPreviewDialogController::focusRoot()
{
    if (m_root)
        m_root->setFocus(Qt::OtherFocusReason);
}

void ItemPreviewDialogController::updateItem(const ClipboardItem &item)
{
    if (isEditing()) {
        m_pendingItem = item;
        return;
    }
    const ClipboardItem old = m_item;
    m_item = item;
    m_toolbar.item = item;
    m_toolbar.updateFavoriteItem();
    m_toolbar.updateOpenInApplicationItem();
    m_toolbar.updateTitle();
    m_toolbar.updateToolbarItems();
    if (m_root && m_root->window() != m_root.data()) {
        m_root->window()->setWindowTitle(windowTitle());
    }
    detailsView()->update(item);

    if (hasSamePreviewContent(old, item) || !m_root) {
        layoutRoot();
        return;
    }
    m_content = PreviewContent::make(item);
    m_windowContentSize = fittedContentSize(m_content);
    if (!m_hasUserResizedWindow) {
        if (onWindowContentSizeChange)
            onWindowContentSizeChange(m_windowContentSize);
        else if (m_root->window() == m_root.data())
            m_root->resize(m_windowContentSize);
    }
    installContentView();
    layoutRoot();
    focusRoot();
}

QString ItemPreviewDialogController::windowTitle()
{
    if (const ElidedLabel *title = m_toolbar.titleField(); title && !title->text().isEmpty())
        return title->text();
    return ItemPreviewDetailsView::typeTitle(m_item);
}

void ItemPreviewDialogController::windowDidEndLiveResize(QSize contentSize)
{
    m_hasUserResizedWindow = true;
    m_windowContentSize = contentSize;
}

void ItemPreviewDialogController::handleCancel()
{
    if (!isEditing()) {
        if (onCancel)
            onCancel();
        return;
    }
    if (m_editingTextView && hasUnsavedText())
        showUnsavedChangesAlert();
    else
        endEditing();
}

void ItemPreviewDialogController::beginEditing(bool closesWhenEditingEnds)
{
    if (isEditing() || !m_item.kind.isTextLike())
        return;
    m_closesWhenEditingEnds = closesWhenEditingEnds;
    m_toolbar.isEditing = true;
    m_toolbar.itemForIdentifier(ItemPreviewToolbar::restore)->setEnabled(false);
    m_toolbar.updateToolbarItems();

    const QString startingText = m_item.text ? *m_item.text : m_item.primaryText();
    m_originalEditingText = startingText;
    if (!m_root)
        return;
    removeContent();
    auto *editor = new PreviewEditingView(startingText, m_root);
    QPlainTextEdit *text = editor->textView();
    // What the view holds is what a save without a change compares with (line ends as the view keeps them).
    m_originalEditingText = editor->text();
    text->installEventFilter(this);
    connect(text, &QPlainTextEdit::textChanged, this, &ItemPreviewDialogController::refreshEditingState);
    m_editingView = editor;
    m_editingTextView = text;
    if (m_itemRemoved)
        editor->showRemovedNotice();
    editor->setGeometry(contentFrame(m_root->size()));
    editor->show();
    m_contentView = editor;
    refreshEditingState();
    text->setFocus(Qt::OtherFocusReason);
}

QString ItemPreviewDialogController::editingText() const
{
    return m_editingView ? m_editingView->text() : QString();
}

bool ItemPreviewDialogController::isEditingTextChanged() const
{
    return m_editingView && !m_editingView->holds(m_originalEditingText);
}

bool ItemPreviewDialogController::hasUnsavedText() const
{
    return isEditing() && m_editingTextView && (m_itemRemoved || isEditingTextChanged());
}

void ItemPreviewDialogController::refreshEditingState()
{
    if (!m_editingView)
        return;
    detailsView()->updateEditingCounts(m_editingView->characterCount(), m_editingView->utf8Size());
    m_toolbar.itemForIdentifier(ItemPreviewToolbar::restore)->setEnabled(isEditingTextChanged());
}

void ItemPreviewDialogController::restoreStartingText()
{
    if (!isEditing() || !m_editingTextView || !isEditingTextChanged())
        return;
    QPlainTextEdit *text = m_editingTextView;
    m_editingView->setText(m_originalEditingText);
    text->moveCursor(QTextCursor::End);
    refreshEditingState();
    text->setFocus(Qt::OtherFocusReason);
}

void ItemPreviewDialogController::storeEditingText()
{
    // The item as it was when editing began: items handed in meanwhile wait in pendingItem.
    if (onSave)
        onSave(m_item, editingText());
}

void ItemPreviewDialogController::saveEditing()
{
    if (!isEditing() || !m_editingTextView)
        return;
    if (hasUnsavedText())
        storeEditingText();
    endEditing();
}

void ItemPreviewDialogController::markItemRemoved()
{
    if (!isEditing()) {
        if (onCancel)
            onCancel();
        return;
    }
    m_itemRemoved = true;
    if (m_editingView)
        m_editingView->showRemovedNotice();
}

void ItemPreviewDialogController::showUnsavedChangesAlert()
{
    if (m_unsavedChangesAlert || !m_root)
        return;
    auto *alert = new QMessageBox(m_root->window());
    alert->setObjectName(QStringLiteral("ItemPreviewUnsavedChangesAlert"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    alert->setText(localized(QStringLiteral("Save changes?")));
    alert->setInformativeText(
        localized(QStringLiteral("The text has unsaved changes. You can save them or discard them.")));
    QPushButton *save = alert->addButton(localized(QStringLiteral("Save")), QMessageBox::AcceptRole);
    QPushButton *discard = alert->addButton(localized(QStringLiteral("Don't Save")), QMessageBox::DestructiveRole);
    QPushButton *cancel = alert->addButton(localized(QStringLiteral("Cancel")), QMessageBox::RejectRole);
    // Return saves and Escape cancels, while the focus starts on Cancel: no button takes Return for itself.
    for (QPushButton *button : {save, discard, cancel})
        button->setAutoDefault(false);
    alert->setDefaultButton(save);
    alert->setEscapeButton(cancel);
    m_unsavedChangesAlert = alert;
    m_alertSave = save;
    m_alertDiscard = discard;
    QPointer<ItemPreviewDialogController> self(this);
    connect(alert, &QMessageBox::finished, this, [self, alert] {
        if (self && self->m_unsavedChangesAlert == alert)
            self->unsavedChangesAlertDidEnd(alert->clickedButton());
    });
    alert->open();
    cancel->setFocus(Qt::OtherFocusReason);
}

void ItemPreviewDialogController::unsavedChangesAlertDidEnd(QAbstractButton *clicked)
{
    const bool save = clicked && clicked == m_alertSave;
    const bool discard = clicked && clicked == m_alertDiscard;
    m_unsavedChangesAlert = nullptr;
    if (save) {
        if (isEditing() && m_editingTextView) {
            storeEditingText();
            endEditing();
        }
    } else if (discard) {
        if (isEditing())
            endEditing();
    } else if (m_editingTextView) {
        m_editingTextView->setFocus(Qt::OtherFocusReason);
    }
}

void ItemPreviewDialogController::endEditing()
{
    if (isEditing()) {
        m_toolbar.isEditing = false;
        m_toolbar.itemForIdentifier(ItemPreviewToolbar::restore)->setEnabled(false);
        m_toolbar.updateToolbarItems();
    }
    if (QMessageBox *alert = m_unsavedChangesAlert) {
        m_unsavedChangesAlert = nullptr;
        alert->close();
    }
    m_editingView = nullptr;
    m_editingTextView = nullptr;
    detailsView()->update(m_item);
    // Opened for editing, or the item is gone from the history (nothing left to show): the preview closes.
    const bool openedForEditing = std::exchange(m_closesWhenEditingEnds, false);
    const bool removed = std::exchange(m_itemRemoved, false);
    if (openedForEditing || removed) {
        m_pendingItem.reset();
        if (onCancel)
            onCancel();
        return;
    }
    if (m_root) {
        m_content = PreviewContent::make(m_item);
        installContentView();
        layoutRoot();
        focusRoot();
    }
    if (std::optional<ClipboardItem> pending = std::exchange(m_pendingItem, std::nullopt))
        updateItem(*pending);
}

bool ItemPreviewDialogController::handleSaveKeyEquivalent()
{
    if (!isEditing())
        return false;
    saveEditing();
    return true;
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestClose()
{
    handleCancel();
}

void ItemPreviewDialogController::itemPreviewToolbarDidToggleFavorite()
{
    if (onToggleFavorite)
        onToggleFavorite(m_item);
    focusRoot();
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestEdit()
{
    beginEditing(false);
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestSave()
{
    saveEditing();
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestCopyTextFromImage()
{
    if (onCopyTextFromImage)
        onCopyTextFromImage(m_item);
    focusRoot();
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestCopyTextFromQRCode()
{
    if (onCopyTextFromQRCode)
        onCopyTextFromQRCode(m_item);
    focusRoot();
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestSaveAsFile()
{
    if (onSaveAsFile)
        onSaveAsFile(m_item);
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestOpenInApplication()
{
    if (onOpenInApplication)
        onOpenInApplication(m_item);
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestShowInFinder()
{
    if (onShowInFinder)
        onShowInFinder(m_item);
}

void ItemPreviewDialogController::itemPreviewToolbarDidRequestRestore()
{
    restoreStartingText();
}

QMenu *ItemPreviewDialogController::itemPreviewToolbarMoreActionsMenu()
{
    return moreActionsMenuProvider ? moreActionsMenuProvider(m_item) : nullptr;
}

QMenu *ItemPreviewDialogController::itemPreviewToolbarTagsMenu()
{
    return tagsMenuProvider ? tagsMenuProvider(m_item) : nullptr;
}
