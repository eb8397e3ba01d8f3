#include "platform/docs/WindowController.h"

#include "platform/docs/Document.h"
#include "platform/kit/Services.h"
#include "platform/kit/View.h"
#include "platform/kit/ViewBuilders.h"
#include "platform/kit/Window.h"

#include <QCloseEvent>
#include <QDialog>
#include <QToolBar>
#include <QWidget>

#include <cmath>

namespace pf {

const QString WindowController::willCloseNotification = QStringLiteral("NSWindowWillCloseNotification");

// Turns the widget's close event into the delegate's question and its answer.
class WindowController::EventFilter : public QObject {
public:
    EventFilter(WindowController& owner, QObject* parent) : QObject(parent), owner_(&owner) {}

    // The controller went (the widget outlives it until its deferred deletion).
    void forgetOwner() { owner_ = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (owner_ && watched == owner_->widget_ && event->type() == QEvent::Close && !owner_->closing_) {
            // Closing a document may release its controller: nothing of the owner is touched after.
            if (!owner_->performClose())
                event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    WindowController* owner_;
};

WindowController::WindowController(QString windowNibName) : windowNibName_(std::move(windowNibName)) {}

WindowController::~WindowController()
{
    if (sheet_)
        sheet_->hide();
    if (widget_) {
        // The controller may go while its widget delivers an event (the close that closed the document).
        filter_->forgetOwner();
        widget_->hide();
        widget_->deleteLater();
    }
}

Window* WindowController::window()
{
    if (!widget_ && !loading_)
        loadWindow();
    return window_;
}

void WindowController::loadWindow()
{
    loading_ = true;
    windowWillLoad();
    View* content = loadViewNamed(windowNibName_, this);
    if (!content) {
        logMessage(QStringLiteral("Could not load the window \"%1\".").arg(windowNibName_));
        loading_ = false;
        return;
    }
    widget_ = makeWindowWidget();
    widget_->resize(qMax(1, int(content->frame().size.width)), qMax(1, int(content->frame().size.height)));
    window_ = Window::attach(widget_);
    // Commands the window's widgets do not take come to the controller, as menus and toolbar items expect.
    window_->setDelegate(this);
    window_->setContentView(content);
    filter_ = new EventFilter(*this, widget_);
    widget_->installEventFilter(filter_);
    observeWindow();
    if (document_)
        synchronizeWindowTitleWithDocumentName();
    loading_ = false;
    windowDidLoad();
}

Responder* WindowController::nextResponder() const
{
    return dynamic_cast<Responder*>(document_);
}

QWidget* WindowController::makeWindowWidget()
{
    return new QWidget(nullptr, Qt::Window);
}

void WindowController::observeWindow()
{
    auto& center = NotificationCenter::defaultCenter();
    mainToken_ = center.addObserver(Window::didBecomeMainNotification, window_,
                                    [this](const Notification&) { windowDidBecomeMain(); });
    resignMainToken_ = center.addObserver(Window::didResignMainNotification, window_,
                                          [this](const Notification&) { windowDidResignMain(); });
    keyToken_ = center.addObserver(Window::didBecomeKeyNotification, window_,
                                   [this](const Notification&) { windowDidBecomeKey(); });
    resignKeyToken_ = center.addObserver(Window::didResignKeyNotification, window_,
                                         [this](const Notification&) { windowDidResignKey(); });
}

void WindowController::showWindow()
{
    if (!window())
        return;
    closed_ = false;
    widget_->show();
}

bool WindowController::windowShouldClose()
{
    return !document_ || document_->canCloseDocument();
}

bool WindowController::performClose()
{
    if (!window() || closed_)
        return true;
    if (!windowShouldClose())
        return false;
    if (Document* document = document_) {
        // Closing the document closes its windows; ours closes below whatever the document does.
        close();
        document->close();
        return true;
    }
    close();
    return true;
}

void WindowController::close()
{
    if (!widget_ || closed_)
        return;
    closed_ = true;
    if (sheet_)
        endSheet(sheet_, 0);
    windowWillClose();
    NotificationCenter::defaultCenter().post(willCloseNotification, window_);
    if (window_) {
        window_->resignKeyWindow();
        window_->resignMainWindow();
    }
    closing_ = true;
    widget_->close();
    closing_ = false;
}

Rect WindowController::windowFrame() const
{
    if (!widget_)
        return {};
    const QRect frame = widget_->geometry();
    return Rect{Point{double(frame.x()), double(frame.y())}, Size{double(frame.width()), double(frame.height())}};
}

void WindowController::setWindowFrame(const Rect& frame)
{
    if (widget_)
        widget_->setGeometry(int(std::lround(frame.origin.x)), int(std::lround(frame.origin.y)),
                             int(std::lround(frame.size.width)), int(std::lround(frame.size.height)));
}

QToolBar* WindowController::toolbar() const
{
    if (!widget_)
        return nullptr;
    // The window's own toolbar first; a bar inside a view is not the window's.
    if (const Window* window = Window::of(widget_))
        if (auto* own = qobject_cast<QToolBar*>(window->toolbar()))
            return own;
    return widget_->findChild<QToolBar*>();
}

void WindowController::toggleFullScreen()
{
    if (!window())
        return;
    if (!windowFullScreen_) {
        presentationOptions_ = windowWillUseFullScreenPresentationOptions(PresentationFullScreen);
        windowWillEnterFullScreen();
        widget_->showFullScreen();
        windowFullScreen_ = true;
        windowDidEnterFullScreen();
    } else {
        windowWillExitFullScreen();
        widget_->showNormal();
        windowFullScreen_ = false;
        windowDidExitFullScreen();
    }
}

void WindowController::setDocument(Document* document)
{
    document_ = document;
    if (widget_ && document_)
        synchronizeWindowTitleWithDocumentName();
}

UndoManager* WindowController::windowUndoManager()
{
    return document_ ? &document_->undoManager() : nullptr;
}

void WindowController::synchronizeWindowTitleWithDocumentName()
{
    if (!widget_ || !document_)
        return;
    widget_->setWindowTitle(document_->windowTitle());
    widget_->setWindowModified(document_->isDocumentEdited());
}

void WindowController::setDocumentEdited(bool edited)
{
    if (widget_)
        widget_->setWindowModified(edited);
}

bool WindowController::isDocumentEdited() const
{
    return widget_ && widget_->isWindowModified();
}

bool WindowController::beginSheet(QDialog* sheet, SheetCompletion completion)
{
    if (!sheet || sheet_ || !window())
        return false;
    sheet_ = sheet;
    sheetCompletion_ = std::move(completion);
    sheet->setParent(widget_, sheet->windowFlags() | Qt::Dialog);
    sheet->setWindowModality(Qt::WindowModal);
    QObject::connect(sheet, &QDialog::finished, sheet, [this, sheet](int) {
        // Dismissed by the dialog itself (Escape, its close button): the answer is "cancel".
        if (sheet_ == sheet)
            endSheet(sheet, 0);
    });
    sheet->open();
    return true;
}

void WindowController::endSheet(QDialog* sheet, int returnCode)
{
    if (!sheet || sheet_ != sheet)
        return;
    sheet_ = nullptr;
    auto completion = std::move(sheetCompletion_);
    sheetCompletion_ = nullptr;
    QObject::disconnect(sheet, &QDialog::finished, sheet, nullptr);
    sheet->hide();
    if (completion)
        completion(returnCode);
}

} // namespace pf
