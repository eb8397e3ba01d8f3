#include "platform/kit/Window.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace pf {

const QString Window::didBecomeMainNotification = QStringLiteral("NSWindowDidBecomeMainNotification");
const QString Window::didResignMainNotification = QStringLiteral("NSWindowDidResignMainNotification");
const QString Window::didBecomeKeyNotification = QStringLiteral("NSWindowDidBecomeKeyNotification");
const QString Window::didResignKeyNotification = QStringLiteral("NSWindowDidResignKeyNotification");

namespace {

QPointer<Window>& mainHolder()
{
    static QPointer<Window> holder;
    return holder;
}

QPointer<Window>& keyHolder()
{
    static QPointer<Window> holder;
    return holder;
}

constexpr char windowProperty[] = "quorvelWindow";

std::vector<QPointer<QAction>>& applicationActions()
{
    static std::vector<QPointer<QAction>> actions;
    return actions;
}

} // namespace

Window::Window(QWidget* topLevel) : QObject(topLevel), widget_(topLevel)
{
    widget_->setProperty(windowProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    widget_->installEventFilter(this);
    for (const QPointer<QAction>& action : applicationActions())
        if (action)
            widget_->addAction(action);
}

Window::~Window()
{
    // Gone without resigning: nobody holds the states any more (the holders' pointers clear themselves).
    widget_->removeEventFilter(this);
}

void Window::setDelegate(Responder* delegate)
{
    delegate_ = delegate ? delegate->weakReference() : std::weak_ptr<Responder*>();
}

Responder* Window::delegate() const
{
    const auto handle = delegate_.lock();
    return handle ? *handle : nullptr;
}

Window* Window::attach(QWidget* topLevel)
{
    if (!topLevel)
        return nullptr;
    if (Window* existing = of(topLevel); existing && existing->widget_ == topLevel)
        return existing;
    return new Window(topLevel);
}

void Window::addApplicationAction(QAction* action)
{
    auto& actions = applicationActions();
    if (!action || std::find(actions.begin(), actions.end(), action) != actions.end())
        return;
    std::erase_if(actions, [](const QPointer<QAction>& held) { return held.isNull(); });
    actions.emplace_back(action);
    for (QWidget* topLevel : QApplication::topLevelWidgets())
        if (Window* window = of(topLevel); window && window->widget_ == topLevel)
            topLevel->addAction(action);
}

Window* Window::of(const QWidget* widget)
{
    if (!widget)
        return nullptr;
    const QWidget* top = widget->window();
    return dynamic_cast<Window*>(top->property(windowProperty).value<QObject*>());
}

void Window::becomeMainWindow()
{
    if (main_ || !canBecomeMain_)
        return;
    if (Window* previous = mainHolder())
        previous->resignMainWindow();
    main_ = true;
    mainHolder() = this;
    NotificationCenter::defaultCenter().post(didBecomeMainNotification, this);
}

void Window::resignMainWindow()
{
    if (!main_)
        return;
    main_ = false;
    if (mainHolder() == this)
        mainHolder() = nullptr;
    NotificationCenter::defaultCenter().post(didResignMainNotification, this);
}

void Window::becomeKeyWindow()
{
    if (key_)
        return;
    if (Window* previous = keyHolder())
        previous->resignKeyWindow();
    key_ = true;
    keyHolder() = this;
    NotificationCenter::defaultCenter().post(didBecomeKeyNotification, this);
}

void Window::resignKeyWindow()
{
    if (!key_)
        return;
    key_ = false;
    if (keyHolder() == this)
        keyHolder() = nullptr;
    NotificationCenter::defaultCenter().post(didResignKeyNotification, this);
}

Window* Window::mainWindow()
{
    return mainHolder();
}

Window* Window::keyWindow()
{
    return keyHolder();
}

QWidget* Window::firstResponder() const
{
    // The window remembers its focus widget while inactive, as a window keeps its first responder.
    return widget_->focusWidget();
}

bool Window::makeFirstResponder(QWidget* responder)
{
    if (!responder) {
        if (QWidget* focus = widget_->focusWidget())
            focus->clearFocus();
        return true;
    }
    if (responder->window() != widget_ || responder->focusPolicy() == Qt::NoFocus)
        return false;
    responder->setFocus(Qt::OtherFocusReason);
    return true;
}

void Window::setContentView(View* view)
{
    if (content_ == view)
        return;
    delete content_.data();
    content_ = view;
    if (view) {
        View::moveWidget(view, widget_);
        fitContentView();
    }
}

void Window::setMenuBar(QWidget* bar)
{
    if (menuBar_ == bar)
        return;
    delete menuBar_.data();
    menuBar_ = bar;
    if (bar) {
        bar->setParent(widget_);
        bar->show();
    }
    fitContentView();
}

void Window::setToolbar(QWidget* toolbar)
{
    if (toolbar_ == toolbar)
        return;
    delete toolbar_.data();
    toolbar_ = toolbar;
    if (toolbar) {
        toolbar->setParent(widget_);
        toolbar->installEventFilter(this);
        toolbar->show();
    }
    fitContentView();
}

void Window::fitContentView()
{
    int barHeight = menuBar_ ? menuBar_->sizeHint().height() : 0;
    if (menuBar_)
        menuBar_->setGeometry(0, 0, widget_->width(), barHeight);
    if (toolbar_ && !toolbar_->isHidden()) {
        const int height = toolbar_->sizeHint().height();
        toolbar_->setGeometry(0, barHeight, widget_->width(), height);
        barHeight += height;
    }
    if (content_)
        content_->setFrame(Rect(0, barHeight, widget_->width(), std::max(0, widget_->height() - barHeight)));
}

bool Window::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == toolbar_.data() && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent
                                       || event->type() == QEvent::LayoutRequest))
        fitContentView();
    if (watched == widget_) {
        switch (event->type()) {
        case QEvent::WindowActivate:
            becomeKeyWindow();
            becomeMainWindow();
            break;
        case QEvent::WindowDeactivate:
            resignKeyWindow();
            // Another of the application's windows is active: it decides about main when it activates.
            if (!QApplication::activeWindow())
                resignMainWindow();
            break;
        case QEvent::Resize:
            fitContentView();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pf
