#include "platform/kit/Responder.h"

#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace pf {

namespace {

std::vector<Responder*>& applicationResponders()
{
    static std::vector<Responder*> list;
    return list;
}

ActionRouter& actionRouter()
{
    static ActionRouter router;
    return router;
}

} // namespace

void setActionRouter(ActionRouter router)
{
    actionRouter() = std::move(router);
}

bool routeAction(const QString& action, const MenuItem* sender)
{
    // A copy: the router may be replaced while it runs.
    const ActionRouter router = actionRouter();
    return router && router(action, sender);
}

Responder::~Responder()
{
    *self_ = nullptr;
}

bool Responder::tryToPerform(const QString& action, const MenuItem* sender)
{
    const auto it = actions_.find(action);
    if (it == actions_.end())
        return false;
    // A copy: the handler may replace this responder's actions while it runs.
    const ActionHandler handler = it->second;
    handler(sender);
    return true;
}

std::vector<QString> Responder::actionNames() const
{
    std::vector<QString> names;
    names.reserve(actions_.size());
    for (const auto& entry : actions_)
        names.push_back(entry.first);
    return names;
}

void Responder::setAction(const QString& action, ActionHandler handler)
{
    if (handler)
        actions_[action] = std::move(handler);
    else
        actions_.erase(action);
}

namespace {

void appendOnce(std::vector<Responder*>& chain, Responder* responder)
{
    if (responder && std::find(chain.begin(), chain.end(), responder) == chain.end())
        chain.push_back(responder);
}

// From the first responder up through its widgets to the window, then the window's delegate and what
// follows it.
void appendWindowChain(std::vector<Responder*>& chain, QWidget* first, Window* window)
{
    for (QWidget* w = first; w; w = w->parentWidget())
        appendOnce(chain, dynamic_cast<Responder*>(w));
    if (!window)
        return;
    if (!first || first->window() != window->widget())
        appendOnce(chain, dynamic_cast<Responder*>(window->widget()));
    // A bounded walk: a delegate's followers never loop back, but a fault there must not hang the chain.
    Responder* next = window->delegate();
    for (int steps = 0; next && steps < 16; ++steps, next = next->nextResponder())
        appendOnce(chain, next);
}

} // namespace

std::vector<Responder*> responderChain()
{
    std::vector<Responder*> chain;
    // With no widget focused the active window itself is the first responder.
    QWidget* first = QApplication::focusWidget();
    if (!first)
        first = QApplication::activeWindow();
    Window* keyWindow = first ? Window::of(first) : nullptr;
    appendWindowChain(chain, first, keyWindow);
    // A panel with the keyboard leaves the commands of the window the user works in within reach.
    if (Window* main = Window::mainWindow(); main && main != keyWindow) {
        QWidget* mainFirst = main->firstResponder();
        appendWindowChain(chain, mainFirst ? mainFirst : main->widget(), main);
    }
    for (Responder* responder : applicationResponders())
        appendOnce(chain, responder);
    return chain;
}

Responder* targetForAction(const QString& action)
{
    for (Responder* responder : responderChain())
        if (responder->respondsToAction(action))
            return responder;
    return nullptr;
}

bool sendAction(const QString& action, const MenuItem* sender)
{
    if (routeAction(action, sender))
        return true;
    Responder* target = targetForAction(action);
    return target && target->tryToPerform(action, sender);
}

ApplicationResponder::ApplicationResponder(Responder& responder) : responder_(&responder)
{
    applicationResponders().push_back(responder_);
}

ApplicationResponder::~ApplicationResponder()
{
    auto& list = applicationResponders();
    list.erase(std::find(list.begin(), list.end(), responder_));
}

} // namespace pf
