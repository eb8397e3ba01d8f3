// Actions by name and the chain that finds who performs them. A menu item or a control names an action
// ("paste:", "browseForImage:"); with a target it goes there, without one to the first object of the
// responder chain that handles it: the focused widget (the active window when none is) and its ancestors
// that are responders, then the window's delegate (its controller) and the responders that follow it (its
// document); the same again for the main window when a panel has the keyboard; then the responders the
// application registered (the application's delegate, the document controller).
#pragma once

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace pf {

class MenuItem;

// sender: the menu item that sent the action, or null.
using ActionHandler = std::function<void(const MenuItem* sender)>;

class Responder {
public:
    Responder() = default;
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    virtual ~Responder();

    bool respondsToAction(const QString& action) const { return actions_.count(action) != 0; }
    // The actions this responder has, sorted.
    std::vector<QString> actionNames() const;
    // Runs the action when this responder has it; answers whether it did.
    bool tryToPerform(const QString& action, const MenuItem* sender);
    // Whether an item sending one of this responder's actions is enabled now.
    virtual bool validateMenuItem(const MenuItem&) const { return true; }
    // The responder after this one when it is not a widget (a window controller's document); null for none.
    virtual Responder* nextResponder() const { return nullptr; }

    // Refers to this responder until it is destroyed (menus outlive the click that built them).
    std::weak_ptr<Responder*> weakReference() const { return self_; }

protected:
    void setAction(const QString& action, ActionHandler handler);

private:
    std::map<QString, ActionHandler> actions_;
    std::shared_ptr<Responder*> self_ = std::make_shared<Responder*>(this);
};

// The first responder of the chain that handles action, or null.
Responder* targetForAction(const QString& action);
// Every responder of the chain in order, each once; what targetForAction searches.
std::vector<Responder*> responderChain();
// Sends action along the chain; false when no responder handles it. The application's router, when one is
// set, is asked first.
bool sendAction(const QString& action, const MenuItem* sender = nullptr);

// The application's own routing of some actions before the chain (the font panel's change to the window
// the user works in, say); answers true when it performed the action. An empty function removes it.
using ActionRouter = std::function<bool(const QString& action, const MenuItem* sender)>;
void setActionRouter(ActionRouter router);
// The router's answer; false without one.
bool routeAction(const QString& action, const MenuItem* sender);

// Responders after the widgets, in order of registration, for their lifetime.
class ApplicationResponder {
public:
    explicit ApplicationResponder(Responder& responder);
    ~ApplicationResponder();
    ApplicationResponder(const ApplicationResponder&) = delete;
    ApplicationResponder& operator=(const ApplicationResponder&) = delete;

private:
    Responder* responder_;
};

} // namespace pf
