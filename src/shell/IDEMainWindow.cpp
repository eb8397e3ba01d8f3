#include "shell/IDEMainWindow.h"

#include "platform/docs/WindowController.h"
#include "shell/TKMainWindowController.h"

#include <QApplication>
#include <QEvent>

IDEMainWindow::IDEMainWindow(pf::WindowController& controller)
    : QWidget(nullptr, Qt::Window), controller_(controller.weakReference())
{
    // Key presses go to the focused widget, not to the window: the application's filter sees them all
    // and keeps those of this window's widgets.
    qApp->installEventFilter(this);
}

IDEMainWindow::~IDEMainWindow()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

pf::WindowController* IDEMainWindow::windowController() const
{
    const auto handle = controller_.lock();
    return handle ? dynamic_cast<pf::WindowController*>(*handle) : nullptr;
}

bool IDEMainWindow::sendEvent(QObject*, QEvent*)
{
    return false;
}

bool IDEMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
            return sendEvent(watched, event);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

TKMainWindowController* TKMainWindow::mainWindowController() const
{
    return dynamic_cast<TKMainWindowController*>(windowController());
}

bool TKMainWindow::sendEvent(QObject* receiver, QEvent* event)
{
    return handleEvent(receiver, event) || IDEMainWindow::sendEvent(receiver, event);
}

bool TKMainWindow::handleEvent(QObject*, QEvent*)
{
    return false;
}
