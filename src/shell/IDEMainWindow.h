// The editor's window classes on the kit's window: the top-level widget of a window controller's window.
//
// IDEMainWindow can enter full screen and is a responder at the end of its widgets' chain, so actions sent
// from a menu reach it wherever the keyboard is in the window. It sees the input events of its widgets
// after the menu shortcuts have had them (Qt matches shortcuts before it delivers a key press) and offers
// them to sendEvent, which may consume them. TKMainWindow answers its controller and offers events to
// handleEvent first.
#pragma once

#include "platform/kit/Responder.h"

#include <QWidget>

#include <cstdint>
#include <memory>

namespace pf {
class WindowController;
}
class TKMainWindowController;

class IDEMainWindow : public QWidget, public pf::Responder {
public:
    // The window-server bit that lets a window be the primary one of a full-screen space.
    static constexpr std::uint64_t FullScreenPrimary = 128;

    // The window of the controller's window; the controller may go before the widget does.
    explicit IDEMainWindow(pf::WindowController& controller);
    ~IDEMainWindow() override;

    // Every document window can enter full screen.
    std::uint64_t collectionBehavior() const { return collectionBehavior_ | FullScreenPrimary; }
    void setCollectionBehavior(std::uint64_t behavior) { collectionBehavior_ = behavior; }

    // The controller, or null once it is gone.
    pf::WindowController* windowController() const;

    // An input event on its way to a widget of this window (receiver); true when it was consumed and goes
    // no further. Here nothing is consumed.
    virtual bool sendEvent(QObject* receiver, QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::weak_ptr<pf::Responder*> controller_;
    std::uint64_t collectionBehavior_ = 0;
};

class TKMainWindow : public IDEMainWindow {
public:
    using IDEMainWindow::IDEMainWindow;

    TKMainWindowController* mainWindowController() const;

    // handleEvent first; what it does not consume goes on its way.
    bool sendEvent(QObject* receiver, QEvent* event) override;
    // Consumes nothing here.
    virtual bool handleEvent(QObject* receiver, QEvent* event);
};
