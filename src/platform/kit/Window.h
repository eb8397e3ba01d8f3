// A window as the editor sees it: a kit object over one top-level widget, with the main and key state, the
// notifications of their changes, the first responder (the widget with keyboard focus) and a content view.
//
// Key follows Qt's activation (the window that gets the keyboard); main is the window the user works in,
// which stays main while a panel that cannot become main has the keyboard, and resigns when the
// application has no active window left. One window at a time is key, and one is main. Tests set both
// states directly.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QWidget;

namespace pf {

class Responder;
class View;

class Window : public QObject {
public:
    // Posted with the window as object.
    static const QString didBecomeMainNotification;
    static const QString didResignMainNotification;
    static const QString didBecomeKeyNotification;
    static const QString didResignKeyNotification;

    // Attaches to the top-level widget, which owns the window object from then on. A widget holds at most
    // one: a second attach answers the first.
    static Window* attach(QWidget* topLevel);
    // The window of the widget's top-level widget, or null when it has none (a view in no window).
    static Window* of(const QWidget* widget);

    QWidget* widget() const { return widget_; }

    bool isMainWindow() const { return main_; }
    bool isKeyWindow() const { return key_; }
    // Panels (palettes, inspectors) take the keyboard but leave the document window main.
    bool canBecomeMainWindow() const { return canBecomeMain_; }
    void setCanBecomeMainWindow(bool can) { canBecomeMain_ = can; }

    // Each resigns the present holder of the state first; nothing happens when the state is held already.
    void becomeMainWindow();
    void resignMainWindow();
    void becomeKeyWindow();
    void resignKeyWindow();

    static Window* mainWindow();
    static Window* keyWindow();

    // Commands of the whole application (Quit, New, Open, the settings): their keys act from every window,
    // the preferences and other secondary windows included, not only from those whose menus hold them. One
    // action serves every window, so two windows never make its keys ambiguous. Added to every window
    // attached now or later; the caller owns the action.
    static void addApplicationAction(QAction* action);

    // The window's delegate, its controller: the responder after the window's widgets in the chain. Held
    // weakly; null when none was set or it is gone.
    void setDelegate(Responder* delegate);
    Responder* delegate() const;

    // The widget with keyboard focus in this window; null when none has it.
    QWidget* firstResponder() const;
    // Gives the widget focus (null: takes it from whoever has it); false when it cannot take focus or lies
    // in another window.
    bool makeFirstResponder(QWidget* responder);

    // The view that fills the window's widget and follows its size; the previous one is deleted. Moving
    // it in sends the views their move calls.
    void setContentView(View* view);
    View* contentView() const { return content_; }
    // A menu bar across the top of the window (owned by the widget); the content view fills the rest.
    void setMenuBar(QWidget* bar);
    QWidget* menuBar() const { return menuBar_; }
    // A toolbar under the menu bar (owned by the widget); the content view fills the rest, and follows
    // when the toolbar is shown or hidden.
    void setToolbar(QWidget* toolbar);
    QWidget* toolbar() const { return toolbar_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Window(QWidget* topLevel);
    ~Window() override;
    void fitContentView();

    QWidget* widget_;
    QPointer<View> content_;
    QPointer<QWidget> menuBar_;
    QPointer<QWidget> toolbar_;
    std::weak_ptr<Responder*> delegate_;
    bool main_ = false;
    bool key_ = false;
    bool canBecomeMain_ = true;
};

} // namespace pf
