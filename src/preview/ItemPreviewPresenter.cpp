#include "ItemPreviewPresenter.h"

#include "HistoryColors.h"
#include "ItemPreviewDetailsView.h"
#include "ItemPreviewDialogController.h"
#include "Localization.h"
#include "WindowActivation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

namespace {

// The height of the title accessory above the content.
constexpr int headerHeight = 52;

} // namespace

// --- Window ------------------------------------------------------------------------------------------------------

ItemPreviewDialog::ItemPreviewDialog(
    ItemPreviewDialogController &controller, QSizeF maximumContentSize, QWidget *parent)
    : QDialog(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("ItemPreviewDialog"));
    // A sheet on the history window: it can be resized (up to its largest size) and closed, not minimised.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnisto.svg")));
    setSizeGripEnabled(false);
    QPalette background = palette();
    background.setColor(QPalette::Window, HistoryColors::textBackground(background));
    setPalette(background);
    setAutoFillBackground(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = new QWidget(this);
    m_header->setFixedHeight(headerHeight);
    auto *row = new QHBoxLayout(m_header);
    row->setContentsMargins(0, 0, 8, 0);
    row->setSpacing(0);
    row->addWidget(controller.toolbar().makeTitleAccessory());
    QToolBar *toolbar = controller.toolbar().makeToolbar();
    toolbar->setParent(m_header);
    toolbar->setStyleSheet(QStringLiteral("QToolBar { border: none; background: transparent; }"));
    row->addWidget(toolbar, 1);
    column->addWidget(m_header);
    column->addWidget(controller.view(), 1);

    setWindowTitle(controller.windowTitle());
    setMinimumSize(360, 300 + headerHeight);
    setMaximumSize(int(maximumContentSize.width()), int(maximumContentSize.height()) + headerHeight);

    m_resizeEnd.setSingleShot(true);
    m_resizeEnd.setInterval(300);
    connect(&m_resizeEnd, &QTimer::timeout, this, [this] {
        if (!m_detached)
            m_controller.windowDidEndLiveResize(QSize(width(), height() - headerHeight));
    });
    setContentSize(controller.windowContentSize());
}

void ItemPreviewDialog::setContentSize(QSize size)
{
    ++m_programmaticResizes;
    resize(size.width(), size.height() + headerHeight);
    --m_programmaticResizes;
}

void ItemPreviewDialog::reject()
{
    // Escape and the window's own close go through the preview, which decides (an edit may be open).
    if (!m_detached)
        m_controller.handleCancel();
}

void ItemPreviewDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (!m_detached)
        m_controller.handleCancel();
}

void ItemPreviewDialog::detach()
{
    m_detached = true;
    m_resizeEnd.stop();
    // The window's keys arrive at its window handle first, before any widget of it sees them.
    if (QWindow *handle = windowHandle())
        handle->installEventFilter(this);
}

bool ItemPreviewDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_detached || watched != windowHandle()
        || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QDialog::eventFilter(watched, event);
    QWidget *below = parentWidget() ? parentWidget()->window() : nullptr;
    if (event->type() == QEvent::KeyPress && below && below->isVisible()) {
        // To the widget that has the focus there, as if the key had been typed into that window.
        QWidget *target = below->focusWidget() ? below->focusWidget() : below;
        const std::unique_ptr<QEvent> copy(event->clone());
        QCoreApplication::sendEvent(target, copy.get());
    }
    return true;
}

void ItemPreviewDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // A window manager that catches up late can still give the focus to a closed preview: it goes back to the
    // window below.
    if (event->type() == QEvent::ActivationChange && m_detached && isActiveWindow()) {
        if (QWidget *below = parentWidget() ? parentWidget()->window() : nullptr)
            WindowActivation::takeFocusBack(*below);
    }
}

void ItemPreviewDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // A size the user gave (the window manager's resize) rather than one we set: it ends when the moves stop.
    if (m_programmaticResizes == 0 && event->spontaneous() && isVisible() && event->oldSize().isValid())
        m_resizeEnd.start();
}

// --- Presenter ---------------------------------------------------------------------------------------------------

ItemPreviewDialogPresenter::ItemPreviewDialogPresenter(ItemPreviewActions actions,
    ItemPreviewToolbar::ApplicationLookup applications, PreviewEnvironment environment, QObject *parent)
    : QObject(parent)
    , m_actions(std::move(actions))
    , m_applications(std::move(applications))
    , m_environment(std::move(environment))
{ }

ItemPreviewDialogPresenter::~ItemPreviewDialogPresenter()
{
    delete m_dialog;
    delete m_controller;
    for (const ClosedPreview &closed : std::as_const(m_closedPreviews)) {
        delete closed.dialog;
        delete closed.controller;
    }
}

QSizeF ItemPreviewDialogPresenter::maximumContentSize(QSizeF available)
{
    const double width = 0.7 * available.width(), height = 0.7 * available.height();
    return {width, std::max(height - headerHeight, 300.0)};
}

void ItemPreviewDialogPresenter::present(const ClipboardItem &item, QWidget *parentWindow)
{
    if (m_dialog || !parentWindow)
        return;
    QWidget *window = parentWindow->window();
    const QScreen *screen = window->screen();
    const QSizeF available = screen ? QSizeF(screen->availableGeometry().size()) : QSizeF(window->size());
    const QSizeF maximum = maximumContentSize(available);

    auto *controller = new ItemPreviewDialogController(item, maximum, m_environment, m_applications);
    m_controller = controller;
    controller->onCancel = [this] { close(); };
    controller->onToggleFavorite = m_actions.toggleFavorite;
    controller->onCopyTextFromImage = m_actions.copyTextFromImage;
    controller->onCopyTextFromQRCode = m_actions.copyTextFromQRCode;
    controller->onSaveAsFile = [this](const ClipboardItem &) { closeThen(m_actions.saveAsFile); };
    controller->onOpenInApplication = [this](const ClipboardItem &) { closeThen(m_actions.openInApplication); };
    controller->onShowInFinder = [this](const ClipboardItem &) { closeThen(m_actions.showInFileManager); };
    controller->onSave = m_actions.save;
    controller->moreActionsMenuProvider = m_actions.moreActionsMenu;
    controller->tagsMenuProvider = m_actions.tagsMenu;
    controller->onKeyDown = m_actions.keyDown;

    auto *dialog = new ItemPreviewDialog(*controller, maximum, window);
    m_dialog = dialog;
    controller->onWindowContentSizeChange = [dialog](QSize size) { dialog->setContentSize(size); };
    // Centred near the top of the history window, as a sheet sits.
    const QRect frame = window->frameGeometry();
    dialog->move(frame.center().x() - dialog->width() / 2, frame.top() + 24);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    controller->view()->setFocus(Qt::OtherFocusReason);
}

void ItemPreviewDialogPresenter::updateItem(const ClipboardItem &item)
{
    if (m_controller)
        m_controller->updateItem(item);
}

void ItemPreviewDialogPresenter::closeThen(const std::function<void(const ClipboardItem &)> &action)
{
    if (!m_controller)
        return;
    const ClipboardItem item = m_controller->item();
    close();
    if (action)
        action(item);
}

void ItemPreviewDialogPresenter::close()
{
    if (!m_dialog)
        return;
    ItemPreviewDialog *dialog = m_dialog;
    ItemPreviewDialogController *controller = m_controller;
    m_dialog = nullptr;
    m_controller = nullptr;
    // The keys go back to the window below before this one goes, so that none typed in between reaches the window
    // under the pointer while the window manager settles the focus.
    if (QWidget *below = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr)
        WindowActivation::takeFocusBack(*below);
    // Gone at once for the keys and the eye. The window stays a moment to hand on keys that were typed into it
    // before the focus went back; the objects go after that.
    dialog->detach();
    dialog->hide();
    if (controller) {
        controller->onCancel = nullptr;
        controller->onKeyDown = nullptr;
    }
    m_closedPreviews.append({dialog, controller});
    QTimer::singleShot(closedWindowLifetimeMs, this, &ItemPreviewDialogPresenter::disposeOldestClosedPreview);
    if (m_actions.didClose)
        m_actions.didClose();
}

void ItemPreviewDialogPresenter::disposeOldestClosedPreview()
{
    if (m_closedPreviews.isEmpty())
        return;
    const ClosedPreview closed = m_closedPreviews.takeFirst();
    // In this order, as the window shows the controller's views.
    if (closed.dialog)
        closed.dialog->deleteLater();
    if (closed.controller)
        closed.controller->deleteLater();
}

void ItemPreviewDialogPresenter::beginEditing(bool closesWhenEditingEnds)
{
    if (m_controller)
        m_controller->beginEditing(closesWhenEditingEnds);
}

void ItemPreviewDialogPresenter::itemRemoved()
{
    if (m_controller)
        m_controller->markItemRemoved();
}

bool ItemPreviewDialogPresenter::isShown() const
{
    return m_dialog != nullptr;
}

std::optional<ClipboardItem> ItemPreviewDialogPresenter::shownItem() const
{
    if (!m_controller)
        return std::nullopt;
    return m_controller->item();
}
